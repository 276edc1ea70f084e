// The journal kinds that replace the content of a table, an image album or a number ("CHANG"
// of Type 20, 30 and 50), with their layouts: the new content and, for the undo, the old one.
#include "store/TransKindContent.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "schema/SchemaNames.h"
#include "shell/ShellServices.h"
#include "store/TransBlockRows.h"
#include "store/U_dm.h"
#include "store/U_fileoperation.h"

namespace fs = std::filesystem;

namespace {

// Whether the amounts of the half that the step writes (the old one for an undo) are decimal
// texts: only a number's constants carry amounts. The other half's amounts are not looked at,
// so that a change can mend a malformed constant.
bool HasValidAmounts(const TTableChangeParts&, bool) {
    return true;
}
bool HasValidAmounts(const TImagesChangeParts&, bool) {
    return true;
}
bool HasValidAmounts(const TNumberChangeParts& parts, bool undo) {
    return std::ranges::all_of(
        undo ? parts.OldItems : parts.NewItems,
        [](const TNumberItemBlock& item) { return ::HasValidAmounts(item); });
}

// Reads and checks the whole layout of the step's change and finds its object, before the step
// (the undo when `undo` is set) writes anything: nothing, reported as fatal, when a part is
// missing, a count negative, the old-half locator wrong or an amount it is to write malformed
// (-1), or the object's row gone (-3); `failed` then holds the code.
template <class Layout>
std::optional<Layout> ReadChange(const TStep& step, bool undo, int& failed) {
    std::optional<Layout> parts = ReadParts<Layout>(step.Row.NTrans);
    if (parts && !HasValidAmounts(*parts, undo)) parts.reset();
    failed = 0;
    if (!parts)
        failed = kFatalTransaction;
    else if (!TBudgetTable(tbl::Objects).Locate(fld::ID, {step.Row.IDObject}))
        failed = kFatalObject;
    if (failed == 0) return parts;
    ReportFatalError(failed);
    return std::nullopt;
}

// The frame that holds the object loads it again at its next show.
void ReloadShown(TShownMark mark, int id) {
    TShellServices& services = ShellServices();
    if (services.State().IsShown(mark, id, services.BudgetPath())) services.ResetShownMark(mark);
}

// ---- An album's files

// The names of the pictures in a folder of the transaction: its regular files. Links, folders
// and devices are left out, and a folder that is not there has none.
std::set<std::string> PicturesIn(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (entry->symlink_status(error).type() == fs::file_type::regular)
            names.insert(entry->path().filename().string());
    }
    return names;
}

// Puts a copy of the file `from` at `to`: at once where there is nothing of that name (the
// copy goes again on rollback), after the commit where there is a file or link of the name and
// `replace` says so. A source that is no regular file, a folder in the way and a copy that
// fails are skipped.
void PutPictureFile(const TStep& step, const fs::path& from, const fs::path& to, bool replace) {
    std::error_code error;
    if (fs::symlink_status(from, error).type() != fs::file_type::regular) return;
    switch (fs::symlink_status(to, error).type()) {
        case fs::file_type::not_found:
            if (fs::copy_file(from, to, error))
                step.Files.CreatedFile(to.string());
            else if (error != std::errc::file_exists)
                fs::remove(to, error);  // nothing half copied stays
            break;
        case fs::file_type::regular:
        case fs::file_type::symlink:
            if (replace) step.Files.ReplaceAfterCommit(from.string(), to.string());
            break;
        default:
            break;
    }
}

// Asks for the deletion of a picture file after the commit; a folder of the name stays.
void RemovePictureFile(const TStep& step, const fs::path& file) {
    std::error_code error;
    const fs::file_type type = fs::symlink_status(file, error).type();
    if (!error && type != fs::file_type::not_found && type != fs::file_type::directory)
        step.Files.DeleteAfterCommit(file.string());
}

// Brings the album's files to one side of the change: the pictures of the side that goes
// (with their thumbnails) leave the album unless the side that comes has one of the name; the
// pictures of the side that comes are put in from the transaction's folder, replacing a file
// of the name everywhere (`replaceAll`) or only where the other side has the name.
void MoveAlbumTo(const TStep& step, const fs::path& comes, const fs::path& goes, bool replaceAll) {
    const fs::path album = AlbumFolder(step.Row.IDObject);
    const std::set<std::string> coming = PicturesIn(comes);
    const std::set<std::string> going = PicturesIn(goes);
    for (const std::string& name : going) {
        if (coming.contains(name)) continue;
        RemovePictureFile(step, album / name);
        RemovePictureFile(step, album / "mini" / ThumbnailName(name));
    }
    for (const std::string& name : coming) {
        const bool replace = replaceAll || going.contains(name);
        PutPictureFile(step, comes / name, album / name, replace);
        const std::string thumbnail = ThumbnailName(name);
        PutPictureFile(step, comes / "mini" / thumbnail, album / "mini" / thumbnail, replace);
    }
}

// Whether two files hold the same bytes.
bool SameBytes(const fs::path& a, const fs::path& b) {
    std::error_code error;
    if (fs::file_size(a, error) != fs::file_size(b, error) || error) return false;
    std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
    return std::equal(std::istreambuf_iterator<char>(first), {},
                      std::istreambuf_iterator<char>(second), {});
}

// The names of the pictures and thumbnails that the album's rows in the budget name.
std::set<std::string> NamedFiles(const std::string& budget, int album) {
    TTable rows;
    rows.SetDatabaseName(budget);
    rows.SetTableName(tbl::Images);
    rows.SetReadOnly(true);
    rows.SetFilter(Where(fld::ID) == album);
    rows.SetFiltered(true);
    rows.Open();
    std::set<std::string> names;
    for (; !rows.Eof(); rows.Next()) {
        const std::string name = rows.FieldByName(fld::FileName).AsString();
        names.insert(name);
        names.insert(ThumbnailName(name));
    }
    return names;
}

// Removes from the album's folder `to` each copy that a rolled-back application made there of a
// picture file of the transaction's folder `from`: a file of the same name and bytes that no row
// of the album names (a kill skipped the rollback's removal). A file a row names, or other bytes
// under the name, stays.
void DropAppliedCopies(const fs::path& from, const fs::path& to,
                       const std::set<std::string>& named) {
    for (const std::string& name : PicturesIn(from)) {
        std::error_code error;
        if (!named.contains(name) &&
            fs::symlink_status(to / name, error).type() == fs::file_type::regular &&
            SameBytes(from / name, to / name))
            fs::remove(to / name, error);
    }
}

// Puts each picture file of the transaction's folder `from` back into the folder `to` it came
// from; one whose name `to` holds already is dropped where `dropKept` says so (the album's own
// file, of which `from` kept a link or copy), else it stays. False when a file stayed.
bool ReturnPictures(const fs::path& from, const fs::path& to, bool dropKept) {
    bool returned = true;
    for (const std::string& name : PicturesIn(from)) {
        std::error_code error;
        if (fs::exists(fs::symlink_status(to / name, error))) {
            if (dropKept)
                fs::remove(from / name, error);
            else
                returned = false;
            continue;
        }
        if (MoveWithoutReplacing((from / name).string(), (to / name).string())) returned = false;
    }
    return returned;
}

// ---- The steps

int ChangeTable(const TStep& step, bool undo) {
    int failed = 0;
    const std::optional<TTableChangeParts> parts =
        ReadChange<TTableChangeParts>(step, undo, failed);
    if (!parts) return failed;
    ReplaceTableRows(step.Row.IDObject, undo ? parts->OldRows : parts->NewRows);
    return step.Row.IDObject;
}

int ChangeImages(const TStep& step, bool undo) {
    int failed = 0;
    const std::optional<TImagesChangeParts> parts =
        ReadChange<TImagesChangeParts>(step, undo, failed);
    if (!parts) return failed;
    const int id = step.Row.IDObject;
    ReplacePictureRows(id, undo ? parts->OldPictures : parts->NewPictures);
    const fs::path saved = TransFolder(step.Row.NTrans);
    if (undo)
        MoveAlbumTo(step, saved / "out", saved / "in", false);
    else
        MoveAlbumTo(step, saved / "in", saved / "out", true);
    ReloadShown(TShownMark::Images, id);
    return id;
}

int ChangeNumber(const TStep& step, bool undo) {
    int failed = 0;
    const std::optional<TNumberChangeParts> parts =
        ReadChange<TNumberChangeParts>(step, undo, failed);
    if (!parts) return failed;
    const int id = step.Row.IDObject;
    ReplaceNumberItems(id, undo ? parts->OldItems : parts->NewItems);
    ReloadShown(TShownMark::Number, id);
    return id;
}

}  // namespace

// ---- A table

TTableChangeKind::TTableChangeKind()
    : TTransKind({std::string(kActChange), otTable},
                 {.UndoBy = TUndoBy::OwnUndo, .WholeInStep = true}) {}

std::optional<int> TTableChangeKind::Apply(TStep& step) const {
    return ChangeTable(step, false);
}

std::optional<int> TTableChangeKind::Undo(TStep& step) const {
    return ChangeTable(step, true);
}

// ---- An image album

TImagesChangeKind::TImagesChangeKind()
    : TTransKind({std::string(kActChange), otImages},
                 {.UndoBy = TUndoBy::OwnUndo, .WholeInStep = true}) {}

std::optional<int> TImagesChangeKind::Apply(TStep& step) const {
    return ChangeImages(step, false);
}

std::optional<int> TImagesChangeKind::Undo(TStep& step) const {
    return ChangeImages(step, true);
}

TPreparationLeft TImagesChangeKind::TakeBackPreparation(const std::string& budget,
                                                        const TTransRow& row) const {
    const fs::path album = AlbumFolder(budget, row.IDObject);
    const fs::path saved = TransFolder(budget, row.NTrans);
    std::error_code error;
    if (!fs::is_directory(fs::symlink_status(album, error))) {
        const bool nothingToReturn = PicturesIn(saved / "in").empty() &&
                                     PicturesIn(saved / "in/mini").empty() &&
                                     PicturesIn(saved / "out").empty() &&
                                     PicturesIn(saved / "out/mini").empty();
        return nothingToReturn ? TPreparationLeft::TakenBack : TPreparationLeft::Kept;
    }
    const std::set<std::string> named = NamedFiles(budget, row.IDObject);
    DropAppliedCopies(saved / "in", album, named);
    DropAppliedCopies(saved / "in/mini", album / "mini", named);
    const fs::path staging = StagingFolder(album.string());
    const fs::path stagedMini = StagedMiniFolder(album.string());
    fs::create_directories(staging, error);
    fs::create_directories(stagedMini, error);
    // Every folder is returned, also after one whose file stayed.
    bool returned = ReturnPictures(saved / "out", album, true);
    returned = ReturnPictures(saved / "out/mini", album / "mini", true) && returned;
    returned = ReturnPictures(saved / "in", staging, false) && returned;
    returned = ReturnPictures(saved / "in/mini", stagedMini, false) && returned;
    return returned ? TPreparationLeft::TakenBack : TPreparationLeft::Kept;
}

namespace {

// The lines "k). file name , description" of `count` pictures from the text part `from` on.
void AddPictureLines(const TTransReader& parts, int from, int count,
                     std::vector<std::string>& lines) {
    TPartStream texts = parts.Texts(from);
    for (int k = 1; k <= count; ++k) {
        const std::string fileName = texts.ReadText();
        if (texts.Missed()) return;
        lines.push_back(std::to_string(k) + "). " + fileName + " , " + texts.ReadText());
    }
}

}  // namespace

void TImagesChangeKind::Detail(const TTransRow& row, const TWords& word,
                               std::vector<std::string>& lines) const {
    TTransReader parts(row.NTrans);
    const std::optional<int> newCount = parts.Int(1);
    const std::optional<int> oldCount = parts.Int(2);
    lines.emplace_back();
    lines.push_back(word("DetailNewImages"));
    if (newCount) AddPictureLines(parts, 1, *newCount, lines);
    lines.emplace_back();
    lines.push_back(word("DetailOldImages"));
    if (newCount && oldCount) AddPictureLines(parts, 2 * *newCount + 1, *oldCount, lines);
}

// ---- A number

TNumberChangeKind::TNumberChangeKind()
    : TTransKind({std::string(kActChange), otNumber},
                 {.UndoBy = TUndoBy::OwnUndo,
                  .UndoResult = TUndoResult::ObjectId,
                  .AfterApply = TDerivedUpdate::RecalcFromBeginning,
                  .AfterUndo = TDerivedUpdate::RecalcFromBeginning,
                  .WholeInStep = true}) {}

std::optional<int> TNumberChangeKind::Apply(TStep& step) const {
    return ChangeNumber(step, false);
}

std::optional<int> TNumberChangeKind::Undo(TStep& step) const {
    return ChangeNumber(step, true);
}
