// The "DEL" transaction of an object of the open budget with the complete snapshot of its
// content, which the delete-object dialog writes and the journal's undo brings back.
#include "tree/U_fdelobject_snapshots.h"

#include <optional>
#include <string>
#include <utility>

#include "platform/Dates.h"
#include "schema/SchemaNames.h"
#include "shell/ShellServices.h"
#include "store/TransBlockRows.h"
#include "store/TransKindObject.h"
#include "store/U_dm.h"
#include "store/U_fileoperation.h"
#include "store/Utransactions.h"

namespace fs = std::filesystem;

ESnapshotFile::ESnapshotFile(fs::path file, std::error_code error)
    : std::runtime_error(file.string() + ": " + error.message()),
      file_(std::move(file)),
      error_(error) {}

namespace {

// The object's Objects.db row as the deletion records it.
struct TDeleted {
    int ID = 0, Type = 0, IDParent = 0, Image = 0;
    std::string Name, Descript;
};

// Writes the common parts and the content in the layout of the "DEL" kind of the content's type.
template <class Content>
void WriteObjectParts(TTransWriter& writer, const TDeleted& object, Content content) {
    TObjectParts<Content> parts{object.IDParent, object.Image, object.Descript, std::move(content)};
    WriteParts(writer, parts);
}

// The rows of the object in a table of the open budget, in the order of Index01.
TBudgetTable RowsOf(const char* table, int id) {
    return TBudgetTable(table, false, Where(fld::ID) == id);
}

// Each writer below records the content of its type; false when it gave up after a fatal
// report (nothing is to be made "READY").

bool WriteTableSnapshot(TTransWriter& writer, const TDeleted& object) {
    WriteObjectParts(writer, object, TTableContent{TableRowBlocks(object.ID)});
    return true;
}

// Copies an entry of the object into the transaction's folder; a failure throws, except for a
// source that is missing when that is allowed.
enum class TMissing { Fails, Allowed };
void SaveEntry(const fs::path& from, const fs::path& to, TMissing missing) {
    std::error_code error;
    if (CopyEntry(from, to, error)) return;
    if (missing == TMissing::Allowed && error == std::errc::no_such_file_or_directory) return;
    throw ESnapshotFile(from, error);
}

bool WriteImagesSnapshot(TTransWriter& writer, const TDeleted& object) {
    TImagesContent content{PictureBlocks(object.ID)};
    const std::string folder = writer.MakeFolder();
    if (folder.empty()) return false;
    const fs::path saved(folder);
    std::error_code error;
    if (!ForceFolderPath((saved / "mini").string(), &error)) {
        ShellServices().FatalError(kFolderNotCreated, error);
        return false;
    }
    // Every entry of the album's folder but its folders: the pictures, also those without a row.
    const fs::path album = AlbumFolder(object.ID);
    for (fs::directory_iterator it(album, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        std::error_code kind;
        if (it->is_directory(kind) && !it->is_symlink(kind)) continue;
        const fs::path name = it->path().filename();
        SaveEntry(it->path(), saved / name, TMissing::Fails);
        const std::string thumbnail = ThumbnailName(name.string());
        SaveEntry(album / "mini" / thumbnail, saved / "mini" / thumbnail, TMissing::Allowed);
    }
    // A folder that is not there holds nothing to save; one that cannot be read is a failure.
    if (error && error != std::errc::no_such_file_or_directory) throw ESnapshotFile(album, error);
    WriteObjectParts(writer, object, std::move(content));
    return true;
}

bool WriteFilesSnapshot(TTransWriter& writer, const TDeleted& object) {
    const std::string folder = writer.MakeFolder();
    if (folder.empty()) return false;
    const fs::path collection = CollectionFolder(object.ID);
    const TTreeCopy copy = CopyFolderTree(collection, folder, TCopyFailure::Stops);
    const bool nothingThere =
        copy.Failed == collection && copy.Error == std::errc::no_such_file_or_directory;
    if (!copy.Failed.empty() && !nothingThere) throw ESnapshotFile(copy.Failed, copy.Error);
    WriteObjectParts(writer, object, TFilesContent{copy.Copied});
    return true;
}

bool WriteNumberSnapshot(TTransWriter& writer, const TDeleted& object) {
    TNumberContent content;
    for (TBudgetTable rows = RowsOf(tbl::Numbers, object.ID); !rows.Eof(); rows.Next()) {
        std::optional<TNumberItemBlock> item = NumberItemBlockOf(rows);
        if (!item) return false;
        content.Items.push_back(std::move(*item));
    }
    WriteObjectParts(writer, object, std::move(content));
    return true;
}

bool WritePaySnapshot(TTransWriter& writer, const TDeleted& object) {
    TPayContent content;
    if (TBudgetTable pay = RowsOf(tbl::Pays, object.ID); !pay.Eof()) {
        content.Direction = pay.FieldByName(fld::Direction).AsString();
        content.FilterMode = pay.FieldByName(fld::FilterMode).AsString();
        content.FilterDateFrom = pay.FieldByName(fld::FilterDateFrom).AsDateTime();
        content.FilterDateTo = pay.FieldByName(fld::FilterDateTo).AsDateTime();
    }
    content.EarliestChargeDate = Today() + 1;
    for (TBudgetTable rows = RowsOf(tbl::PayAutoCharges, object.ID); !rows.Eof(); rows.Next()) {
        std::optional<TAutoChargeBlock> charge = AutoChargeBlockOf(rows);
        if (!charge) return false;
        if (charge->Activity == "A" && charge->DateBegin < content.EarliestChargeDate)
            content.EarliestChargeDate = charge->DateBegin;
        content.AutoCharges.push_back(std::move(*charge));
    }
    for (TBudgetTable rows = RowsOf(tbl::PayHistory, object.ID); !rows.Eof(); rows.Next())
        content.History.push_back(HistoryEventBlockOf(rows));
    WriteObjectParts(writer, object, std::move(content));
    return true;
}

}  // namespace

std::unique_ptr<TTransWriter> WriteDelTransaction(int id) {
    TDeleted object;
    {
        TBudgetTable objects(tbl::Objects);
        if (!objects.Locate(fld::ID, {id})) {
            ReportFatalError(kFatalObject);
            return nullptr;
        }
        object = {id,
                  objects.FieldByName(fld::Type).AsInteger(),
                  objects.FieldByName(fld::IDParent).AsInteger(),
                  objects.FieldByName(fld::Image).AsInteger(),
                  objects.FieldByName(fld::Name).AsString(),
                  objects.FieldByName(fld::Descript).AsString()};
    }
    auto writer = std::make_unique<TTransWriter>(kActDelete, object.ID, object.Type, object.Name);
    bool written = true;
    switch (object.Type) {
        case otTable:
            written = WriteTableSnapshot(*writer, object);
            break;
        case otImages:
            written = WriteImagesSnapshot(*writer, object);
            break;
        case otFiles:
            written = WriteFilesSnapshot(*writer, object);
            break;
        case otNumber:
            written = WriteNumberSnapshot(*writer, object);
            break;
        case otPay:
            written = WritePaySnapshot(*writer, object);
            break;
        default:  // a folder: the common parts alone
            WriteObjectParts(*writer, object, TFolderContent{});
    }
    if (!written) return nullptr;
    return writer;
}
