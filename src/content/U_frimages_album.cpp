// What the image album frame does without a window: the edit list of an album's pictures and
// its operations, the album's "CHANG" transaction with its files, and the mark of the picture
// shown last.
#include "content/U_frimages_album.h"

#include <algorithm>
#include <filesystem>

#include "content/U_frfiles_folder.h"
#include "schema/SchemaNames.h"
#include "shell/ObjectIndex.h"
#include "shell/ShellServices.h"
#include "store/TransBlockRows.h"
#include "store/TransKindContent.h"
#include "store/U_dm.h"
#include "store/U_fileoperation.h"
#include "store/Utransactions.h"

namespace fs = std::filesystem;

namespace {

void Sort(TPictureList& pictures) {
    std::stable_sort(
        pictures.begin(), pictures.end(),
        [](const ImageInform& a, const ImageInform& b) { return a.Number < b.Number; });
}

void RemoveStagedFiles(const std::string& album, const std::string& name) {
    std::error_code error;
    fs::remove(fs::path(StagingFolder(album)) / name, error);
    fs::remove(fs::path(StagedMiniFolder(album)) / ThumbnailName(name), error);
}

// One move of a picture's file into the transaction's folder, to be taken back on a failure.
struct TMove {
    fs::path From, To;
};

// Moves `from` to `to` without replacing; a missing thumbnail is no failure. False with the
// error text when the move failed.
bool MoveFile(const fs::path& from, const fs::path& to, bool optional, std::vector<TMove>& done,
              std::string& error) {
    std::error_code missing;
    if (optional && !fs::exists(fs::symlink_status(from, missing))) return true;
    if (const std::error_code failed = MoveWithoutReplacing(from.string(), to.string())) {
        error = from.string() + ": " + failed.message();
        return false;
    }
    done.push_back({from, to});
    return true;
}

// Puts a file of the album into the transaction's folder as it is, while the album keeps it:
// a hard link to it, or a copy where the file system makes none. The album's file goes only
// with the commit of the application, so that a failure or a kill before it leaves the album
// whole. A missing thumbnail is no failure. False with the error text when neither was made.
bool KeepFile(const fs::path& from, const fs::path& to, bool optional, std::string& error) {
    std::error_code failed;
    if (optional && !fs::exists(fs::symlink_status(from, failed))) return true;
    fs::create_hard_link(from, to, failed);
    if (failed && !CopyEntry(from, to, failed)) {
        error = from.string() + ": " + failed.message();
        return false;
    }
    return true;
}

// Moves every file back where it was, the last move first.
void TakeBack(const std::vector<TMove>& done) {
    for (auto move = done.rbegin(); move != done.rend(); ++move)
        MoveWithoutReplacing(move->To.string(), move->From.string());
}

// Whether the journal holds the transaction as applied: its files then belong to it.
bool IsApplied(int nTrans) {
    TBudgetTable row(tbl::jTrans, false, Where(fld::NTrans) == nTrans, idx::Index_NTrans);
    return !row.IsEmpty() && row.FieldByName(fld::Status).AsString() == kStatusApply;
}

}  // namespace

TPictureList LoadAlbum(int id, int& lastShown) {
    TPictureList pictures;
    lastShown = 0;
    for (TBudgetTable rows(tbl::Images, false, Where(fld::ID) == id); !rows.Eof(); rows.Next()) {
        const int number = static_cast<int>(pictures.size()) + 1;
        pictures.push_back({rows.FieldByName(fld::FileName).AsString(),
                            rows.FieldByName(fld::Descript).AsString(), number, 'l'});
        if (rows.FieldByName(fld::Current).AsString() == "c") lastShown = number;
    }
    return pictures;
}

int CountLive(const TPictureList& pictures) {
    return static_cast<int>(std::count_if(pictures.begin(), pictures.end(),
                                          [](const ImageInform& p) { return p.IsLive(); }));
}

int IndexOfNumber(const TPictureList& pictures, int number) {
    for (size_t i = 0; i < pictures.size(); ++i)
        if (pictures[i].IsLive() && pictures[i].Number == number) return static_cast<int>(i);
    return -1;
}

bool RemovePicture(TPictureList& pictures, int number, const std::string& album) {
    const int index = IndexOfNumber(pictures, number);
    if (index < 0) return false;
    ImageInform& removed = pictures[static_cast<size_t>(index)];
    if (removed.Status == 'i') {
        RemoveStagedFiles(album, removed.FileName);
        pictures.erase(pictures.begin() + index);
    } else {
        removed.Status = 'd';
        removed.Number = -1;
    }
    for (ImageInform& picture : pictures)
        if (picture.IsLive() && picture.Number > number) --picture.Number;
    Sort(pictures);
    return true;
}

bool MovePicture(TPictureList& pictures, int number, int by) {
    const int index = IndexOfNumber(pictures, number);
    const int other = IndexOfNumber(pictures, number + by);
    if (index < 0 || other < 0) return false;
    pictures[static_cast<size_t>(index)].Number = number + by;
    pictures[static_cast<size_t>(other)].Number = number;
    Sort(pictures);
    return true;
}

void ClearPictures(TPictureList& pictures, const std::string& album) {
    TPictureList kept;
    for (ImageInform& picture : pictures) {
        if (picture.Status == 'i') {
            RemoveStagedFiles(album, picture.FileName);
            continue;
        }
        picture.Status = 'd';
        picture.Number = -1;
        kept.push_back(picture);
    }
    pictures = std::move(kept);
}

void InsertPictures(TPictureList& pictures, int at, const std::vector<ImageInform>& added) {
    const int count = static_cast<int>(added.size());
    for (ImageInform& picture : pictures)
        if (picture.IsLive() && picture.Number >= at) picture.Number += count;
    for (int k = 0; k < count; ++k) {
        ImageInform picture = added[static_cast<size_t>(k)];
        picture.Number = at + k;
        picture.Status = 'i';
        pictures.push_back(std::move(picture));
    }
    Sort(pictures);
}

void DeleteStagedFiles(const std::string& album) {
    for (const std::string& folder : {StagingFolder(album), StagedMiniFolder(album)})
        for (const std::string& name : CollectionFiles(folder)) {
            std::error_code error;
            fs::remove(fs::path(folder) / name, error);
        }
}

int JournalImagesChange(int id, const std::string& nameObject, const TPictureList& pictures,
                        std::string& error) {
    TImagesChangeParts parts;
    for (const ImageInform& picture : pictures)
        if (picture.IsLive()) parts.NewPictures.push_back({picture.FileName, picture.Descript});
    parts.OldPictures = PictureBlocks(id);
    TTransWriter writer(kActChange, id, otImages, nameObject);
    WriteParts(writer, parts);
    const std::string folder = writer.MakeFolder();
    if (folder.empty()) return 0;
    const fs::path trans(folder);
    for (const char* sub : {"in", "in/mini", "out", "out/mini"}) {
        std::error_code failed;
        if (!fs::create_directory(trans / sub, failed) && failed) {
            ShellServices().FatalError(kFolderNotCreated, failed);
            return 0;
        }
    }
    // The removed pictures are kept in out/, the album's files leaving only with the commit.
    const fs::path album = AlbumFolder(id);
    for (const ImageInform& picture : pictures) {
        if (picture.Status != 'd') continue;
        const std::string thumbnail = ThumbnailName(picture.FileName);
        if (!KeepFile(album / picture.FileName, trans / "out" / picture.FileName, false, error) ||
            !KeepFile(album / "mini" / thumbnail, trans / "out/mini" / thumbnail, true, error))
            return 0;
    }
    // The added ones move in from the staging folders once the row is ready, so that a kill
    // leaves them where the next opening puts them back from; on a failure every staged file
    // goes back where it was.
    std::vector<TMove> done;
    const auto moveStaged = [&pictures, &album, &trans, &done, &error] {
        for (const ImageInform& picture : pictures) {
            if (!picture.IsLive() || picture.Status != 'i') continue;
            const std::string thumbnail = ThumbnailName(picture.FileName);
            if (!MoveFile(fs::path(StagingFolder(album.string())) / picture.FileName,
                          trans / "in" / picture.FileName, false, done, error) ||
                !MoveFile(fs::path(StagedMiniFolder(album.string())) / thumbnail,
                          trans / "in/mini" / thumbnail, true, done, error)) {
                TakeBack(done);
                done.clear();
                return false;
            }
        }
        return true;
    };
    int result = 0;
    try {
        result = writer.Apply(moveStaged);
    } catch (...) {
        if (!IsApplied(writer.NTrans())) TakeBack(done);
        throw;
    }
    if (result <= 0 && !IsApplied(writer.NTrans())) TakeBack(done);
    return result;
}

void MarkShownPicture(int id, int number) {
    // By place in index order, as the frame numbers the pictures (a stored Number may have gaps).
    TBudgetTable rows(tbl::Images, true, Where(fld::ID) == id);
    for (int place = 1; !rows.Eof(); rows.Next(), ++place) {
        const bool shown = place == number;
        if ((rows.FieldByName(fld::Current).AsString() == "c") == shown) continue;
        rows.Edit();
        rows.FieldByName(fld::Current).SetAsString(shown ? "c" : "");
        rows.Post();
    }
}
