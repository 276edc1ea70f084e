// The journal kinds of the object tree: creating ("ADD") and deleting ("DEL") an object, per
// object type, renaming ("REN") and moving ("MOVE") one, with their layouts.
#include "store/TransKindObject.h"

#include <algorithm>
#include <filesystem>

#include "schema/SchemaNames.h"
#include "store/TransBlockRows.h"
#include "store/U_dm.h"
#include "store/U_fileoperation.h"

namespace {

// Writes the icon (unless none is given), name and description into the located row.
void WriteObjectTexts(TTable& objects, std::optional<int> image, const std::string& name,
                      const std::string& descript) {
    objects.Edit();
    if (image) objects.FieldByName(fld::Image).SetAsInteger(*image);
    objects.FieldByName(fld::Name).SetAsString(name);
    objects.FieldByName(fld::Descript).SetAsString(descript);
    objects.Post();
}

// Sets the IDParent of the object of the step's row; the object's row gone: fatal -3.
int SetObjectParent(const TStep& step, int parent) {
    TBudgetTable objects(tbl::Objects, true);
    if (!objects.Locate(fld::ID, {step.Row.IDObject})) {
        ReportFatalError(kFatalObject);
        return kFatalObject;
    }
    objects.Edit();
    objects.FieldByName(fld::IDParent).SetAsInteger(parent);
    objects.Post();
    return step.Row.IDObject;
}

}  // namespace

TRenameKind::TRenameKind()
    : TTransKind(
          {std::string(kActRename)},
          {.UndoBy = TUndoBy::OwnUndo, .UndoResult = TUndoResult::Zero, .WholeInStep = true}) {}

std::optional<int> TRenameKind::Apply(TStep& step) const {
    const std::optional<TRenameParts> parts = ReadParts<TRenameParts>(step.Row.NTrans);
    if (!parts) {
        ReportFatalError(kFatalTransaction);
        return kFatalTransaction;
    }
    TBudgetTable objects(tbl::Objects, true);
    if (!objects.Locate(fld::ID, {step.Row.IDObject})) {
        ReportFatalError(kFatalObject);
        return kFatalObject;
    }
    WriteObjectTexts(objects, parts->NewIcon, step.Row.NameObject, parts->NewDescript);
    return step.Row.IDObject;
}

std::optional<int> TRenameKind::Undo(TStep& step) const {
    TTransReader parts(step.Row.NTrans);
    const std::optional<int> oldIcon = parts.Int(2);
    const std::string oldName = parts.Text(2).value_or("");
    const std::string oldDescript = parts.Text(3).value_or("");
    TBudgetTable objects(tbl::Objects, true);
    if (!objects.Locate(fld::ID, {step.Row.IDObject})) return -1;
    WriteObjectTexts(objects, oldIcon, oldName, oldDescript);
    return 0;
}

TMoveKind::TMoveKind()
    : TTransKind(
          {std::string(kActMove)},
          {.UndoBy = TUndoBy::OwnUndo, .UndoResult = TUndoResult::ObjectId, .WholeInStep = true}) {}

std::optional<int> TMoveKind::Apply(TStep& step) const {
    const std::optional<TMoveParts> parts = ReadParts<TMoveParts>(step.Row.NTrans);
    if (!parts) {
        ReportFatalError(kFatalTransaction);
        return kFatalTransaction;
    }
    return SetObjectParent(step, parts->NewParent);
}

std::optional<int> TMoveKind::Undo(TStep& step) const {
    const std::optional<int> oldParent = TTransReader(step.Row.NTrans).Int(2);
    if (!oldParent) {
        ReportFatalError(kFatalTransaction);
        return kFatalTransaction;
    }
    return SetObjectParent(step, *oldParent);
}

// ---- "ADD" and "DEL"

namespace {

namespace fs = std::filesystem;

bool HasValidAmounts(const TFolderContent&) {
    return true;
}
bool HasValidAmounts(const TTableContent&) {
    return true;
}
bool HasValidAmounts(const TImagesContent&) {
    return true;
}
bool HasValidAmounts(const TFilesContent&) {
    return true;
}
bool HasValidAmounts(const TNumberContent& content) {
    return std::ranges::all_of(content.Items,
                               [](const auto& item) { return ::HasValidAmounts(item); });
}
bool HasValidAmounts(const TPayContent& content) {
    const auto valid = [](const auto& block) { return ::HasValidAmounts(block); };
    return std::ranges::all_of(content.AutoCharges, valid) &&
           std::ranges::all_of(content.History, valid);
}

// Reads the whole layout of the row's transaction; nothing when a part is missing or an amount
// is malformed. Reported as fatal -1.
template <class Content>
std::optional<TObjectParts<Content>> ReadObjectParts(const TStep& step) {
    std::optional<TObjectParts<Content>> parts = ReadParts<TObjectParts<Content>>(step.Row.NTrans);
    if (parts && !HasValidAmounts(parts->Snapshot)) parts.reset();
    if (!parts) ReportFatalError(kFatalTransaction);
    return parts;
}

bool ObjectExists(int id) {
    return TBudgetTable(tbl::Objects).Locate(fld::ID, {id});
}

// Makes a folder that must not exist yet and names it to the step's file effects; false when
// it exists or cannot be made.
bool MakeNewFolder(const TStep& step, const std::string& folder) {
    std::error_code error;
    if (!fs::create_directory(folder, error) || error) return false;
    step.Files.CreatedFolder(folder);
    return true;
}

// Whether the transaction's folder, which holds the files a restored album or collection gets,
// is there. When it has vanished the object would come back without them: the step fails
// instead (kFatalTransaction, unreported: ApplyTransaction reports it, the undo and redo runs
// stop at the step).
bool SavedFilesThere(const fs::path& saved) {
    std::error_code error;
    return fs::is_directory(saved, error);
}

// The content of a new or restored object, by type; 0, the fatal code it has reported, or
// kFatalTransaction unreported when the transaction's folder has vanished.
int RestoreContent(const TStep&, int, const TFolderContent&) {
    return 0;
}

int RestoreContent(const TStep&, int id, const TTableContent& content) {
    if (!content.Rows.empty()) ReplaceTableRows(id, content.Rows);
    return 0;
}

int RestoreContent(const TStep& step, int id, const TImagesContent& content) {
    const fs::path album = AlbumFolder(id);
    ForceFolderPath(album.parent_path().string());
    for (const fs::path& folder :
         {album, album / "tmpload", album / "mini", album / "mini/tmpload"}) {
        if (!MakeNewFolder(step, folder.string())) {
            ReportFatalError(kFatalFolder);
            return kFatalFolder;
        }
    }
    if (content.Pictures.empty()) return 0;
    const fs::path saved = TransFolder(step.Row.NTrans);
    if (!SavedFilesThere(saved)) return kFatalTransaction;
    ReplacePictureRows(id, content.Pictures);
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(saved, error)) {
        if (entry.is_directory(error) && !entry.is_symlink(error)) continue;
        const std::string name = entry.path().filename().string();
        CopyEntry(entry.path(), album / name, error);
        const std::string thumbnail = ThumbnailName(name);
        CopyEntry(saved / "mini" / thumbnail, album / "mini" / thumbnail, error);
    }
    return 0;
}

int RestoreContent(const TStep& step, int id, const TFilesContent& content) {
    const fs::path collection = CollectionFolder(id);
    ForceFolderPath(collection.parent_path().string());
    if (!MakeNewFolder(step, collection.string())) {
        ReportFatalError(kFatalFolder);
        return kFatalFolder;
    }
    if (content.FileCount == 0) return 0;
    const fs::path saved = TransFolder(step.Row.NTrans);
    if (!SavedFilesThere(saved)) return kFatalTransaction;
    CopyFolderTree(saved, collection, TCopyFailure::Skipped);
    return 0;
}

int RestoreContent(const TStep&, int id, const TNumberContent& content) {
    if (!content.Items.empty()) ReplaceNumberItems(id, content.Items);
    return 0;
}

int RestoreContent(const TStep&, int id, const TPayContent& content) {
    DM->DeletePayData(id);
    {
        TBudgetTable pays(tbl::Pays, true);
        pays.Append();
        pays.FieldByName(fld::ID).SetAsInteger(id);
        pays.FieldByName(fld::Direction).SetAsString(content.Direction);
        pays.FieldByName(fld::FilterMode).SetAsString(content.FilterMode);
        pays.FieldByName(fld::FilterDateFrom).SetAsDateTime(content.FilterDateFrom);
        pays.FieldByName(fld::FilterDateTo).SetAsDateTime(content.FilterDateTo);
        pays.Post();
    }
    for (const TAutoChargeBlock& charge : content.AutoCharges) StoreAutoCharge(id, charge);
    for (const THistoryEventBlock& event : content.History) StoreHistoryEvent(id, event);
    return 0;
}

// Removes the content of a deleted object, by type; its folders go with the commit. False when
// a collection's files could not be saved: nothing is removed.
bool RemoveContent(const TStep&, int, const TFolderContent&) {
    return true;
}

bool RemoveContent(const TStep&, int id, const TTableContent& content) {
    if (!content.Rows.empty()) ReplaceTableRows(id, {});
    return true;
}

bool RemoveContent(const TStep& step, int id, const TImagesContent& content) {
    if (!content.Pictures.empty()) ReplacePictureRows(id, {});
    step.Files.DeleteAfterCommit(AlbumFolder(id));
    return true;
}

// The files of a collection can change outside the journal (through its frame): its folder is
// saved as it is now before it goes, so that bringing the collection back gives what it held.
// False when an entry could not be saved; the folder then stays.
bool SaveAndRemoveCollection(const TStep& step, int id);

// The deletion's first application takes the copy that its preparation saved of the folder a
// moment before; a redo saves the folder again, which may have changed since the undo.
bool RemoveContent(const TStep& step, int id, const TFilesContent&) {
    if (!step.FirstApplication) return SaveAndRemoveCollection(step, id);
    step.Files.DeleteAfterCommit(CollectionFolder(id));
    return true;
}

bool RemoveContent(const TStep&, int id, const TNumberContent&) {
    DM->DeleteNumberItems(id);
    return true;
}

bool RemoveContent(const TStep&, int id, const TPayContent&) {
    DM->DeletePayData(id);
    return true;
}

// Writes the object's ID into the IDObject of the step's journal row.
void RecordObjectId(const TStep& step, int id) {
    TBudgetTable trans(tbl::jTrans, true, Where(fld::NTrans) == step.Row.NTrans, "");
    if (trans.IsEmpty()) return;
    trans.Edit();
    trans.FieldByName(fld::IDObject).SetAsInteger(id);
    trans.Post();
}

// Makes the transaction's folder hold exactly what the collection's folder holds now, files and
// sub-folders; gives the number of entries saved, or nothing when one could not be saved.
std::optional<int> SaveCollection(const fs::path& collection, const fs::path& saved) {
    std::error_code error;
    if (!ForceFolderPath(saved.string(), &error)) return std::nullopt;
    for (const fs::directory_entry& entry : fs::directory_iterator(saved, error)) {
        fs::remove_all(entry.path(), error);
        if (error) return std::nullopt;
    }
    if (error) return std::nullopt;
    if (!fs::exists(collection, error)) return error ? std::nullopt : std::optional<int>(0);
    const TTreeCopy copy = CopyFolderTree(collection, saved, TCopyFailure::Stops);
    if (!copy.Failed.empty()) return std::nullopt;
    return copy.Copied;
}

bool SaveAndRemoveCollection(const TStep& step, int id) {
    const fs::path saved = TransFolder(step.Row.NTrans);
    std::error_code error;
    const bool savedThere = fs::exists(saved, error);
    const std::optional<int> count = SaveCollection(CollectionFolder(id), saved);
    if (!savedThere && fs::exists(saved, error)) step.Files.CreatedFolder(saved.string());
    if (!count) return false;
    RewriteIntPart(step.Row.NTrans, 3, *count);
    step.Files.DeleteAfterCommit(CollectionFolder(id));
    return true;
}

// I3, the count part of a table's or collection's creation; missing: fatal -1.
std::optional<int> CountPartOf(const TStep& step) {
    const std::optional<int> count = TTransReader(step.Row.NTrans).Int(3);
    if (!count) ReportFatalError(kFatalTransaction);
    return count;
}

}  // namespace

template <class Content>
std::optional<int> TAddKind<Content>::Apply(TStep& step) const {
    const std::optional<TParts> parts = ReadObjectParts<Content>(step);
    if (!parts) return kFatalTransaction;
    if (step.Row.IDObject != -1 && ObjectExists(step.Row.IDObject)) {
        ReportFatalError(kFatalTransaction);
        return kFatalTransaction;
    }
    const int id = step.Row.IDObject == -1 ? NextObjectId() : step.Row.IDObject;
    {
        TBudgetTable objects(tbl::Objects, true);
        objects.Append();
        objects.FieldByName(fld::ID).SetAsInteger(id);
        objects.FieldByName(fld::IDParent).SetAsInteger(parts->IDParent);
        objects.FieldByName(fld::Type).SetAsInteger(Content::kType);
        objects.FieldByName(fld::Image).SetAsInteger(parts->Image);
        objects.FieldByName(fld::Expanded).SetAsString("N");
        objects.FieldByName(fld::Name).SetAsString(step.Row.NameObject);
        objects.FieldByName(fld::Descript).SetAsString(parts->Descript);
        objects.Post();
    }
    RecordObjectId(step, id);
    if (const int failed = RestoreContent(step, id, parts->Snapshot); failed < 0) return failed;
    return id;
}

template <class Content>
std::optional<int> TAddKind<Content>::Undo(TStep& step) const {
    const int id = step.Row.IDObject;
    if (!ObjectExists(id)) return -1;
    if constexpr (Content::kType == otTable) {
        if (!CountPartOf(step)) return kFatalTransaction;
    } else if constexpr (Content::kType == otImages) {
        step.Files.DeleteAfterCommit(AlbumFolder(id));
    } else if constexpr (Content::kType == otFiles) {
        if (!CountPartOf(step)) return kFatalTransaction;
        if (!SaveAndRemoveCollection(step, id)) return -1;
    } else if constexpr (Content::kType == otPay) {
        DM->DeletePayData(id);  // the settings row the creation wrote: nothing else is left
    }
    TBudgetTable objects(tbl::Objects, true);
    objects.Locate(fld::ID, {id});
    objects.Delete();
    return 0;
}

template <class Content>
std::optional<int> TDeleteKind<Content>::Apply(TStep& step) const {
    const std::optional<TParts> parts = ReadObjectParts<Content>(step);
    if (!parts) return kFatalTransaction;
    const int id = step.Row.IDObject;
    if (!ObjectExists(id)) {
        ReportFatalError(kFatalObject);
        return kFatalObject;
    }
    if (!RemoveContent(step, id, parts->Snapshot)) return -1;
    TBudgetTable objects(tbl::Objects, true);
    objects.Locate(fld::ID, {id});
    objects.Delete();
    return 1;
}

// ---- Detail texts

namespace {

// A description part for a detail line: "???" when the transaction lacks it.
std::string DescriptOrUnknown(std::optional<std::string> descript) {
    return descript ? std::move(*descript) : "???";
}

// DetailDescript, ": " and the object's description (T1).
void AddDescriptLine(const TTransRow& row, const TTransKind::TWords& word,
                     std::vector<std::string>& lines) {
    lines.push_back(word("DetailDescript") + ": " +
                    DescriptOrUnknown(TTransReader(row.NTrans).Text(1)));
}

// The names of the files that a deletion kept in the transaction's folder, by name; folders
// are not listed. A folder that is missing or cannot be read lists nothing.
std::vector<std::string> KeptFiles(int nTrans) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(TransFolder(nTrans), error), end; !error && entry != end;
         entry.increment(error)) {
        if (!entry->is_directory(error)) names.push_back(entry->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

void TRenameKind::Detail(const TTransRow& row, const TWords& word,
                         std::vector<std::string>& lines) const {
    TTransReader parts(row.NTrans);
    const std::optional<int> newIcon = parts.Int(1);
    const std::optional<int> oldIcon = parts.Int(2);
    const std::string newDescript = DescriptOrUnknown(parts.Text(1));
    const std::string oldName = parts.Text(2).value_or("");
    const std::string oldDescript = DescriptOrUnknown(parts.Text(3));
    lines.push_back(word("DetailDescript") + ": " + newDescript);
    lines.emplace_back();
    lines.push_back(word("DetailOldName") + ": " + oldName);
    lines.push_back(word("DetailOldDescript") + ": " + oldDescript);
    lines.emplace_back();

    // The icon counts as changed only when both icon parts are there and differ.
    std::vector<std::string> changed;
    if (newIcon && oldIcon && *newIcon != *oldIcon) changed.push_back(word("DetailBadge"));
    if (row.NameObject != oldName) changed.push_back(word("DetailName"));
    if (newDescript != oldDescript) changed.push_back(word("DetailDescript"));
    std::string list = word("DetailHasChanged") + ": ";
    for (std::size_t i = 0; i < changed.size(); ++i) list += (i > 0 ? ", " : "") + changed[i];
    lines.push_back(list + ".");
}

void TMoveKind::Detail(const TTransRow& row, const TWords& word,
                       std::vector<std::string>& lines) const {
    TTransReader parts(row.NTrans);
    lines.emplace_back();
    lines.push_back(word("DetailFromFolder") + ": " + parts.Text(2).value_or(""));
    lines.push_back(word("DetailToFolder") + ": " + parts.Text(1).value_or(""));
}

template <class Content>
void TAddKind<Content>::Detail(const TTransRow& row, const TWords& word,
                               std::vector<std::string>& lines) const {
    AddDescriptLine(row, word, lines);
}

template <class Content>
void TDeleteKind<Content>::Detail(const TTransRow& row, const TWords& word,
                                  std::vector<std::string>& lines) const {
    AddDescriptLine(row, word, lines);
    if constexpr (std::is_same_v<Content, TFilesContent>) {
        lines.emplace_back();
        lines.push_back(word("DetailDeletedFiles"));
        int k = 0;
        for (const std::string& name : KeptFiles(row.NTrans))
            lines.push_back(std::to_string(++k) + "). " + name);
    }
}

template class TAddKind<TFolderContent>;
template class TAddKind<TTableContent>;
template class TAddKind<TImagesContent>;
template class TAddKind<TFilesContent>;
template class TAddKind<TNumberContent>;
template class TAddKind<TPayContent>;
template class TDeleteKind<TFolderContent>;
template class TDeleteKind<TTableContent>;
template class TDeleteKind<TImagesContent>;
template class TDeleteKind<TFilesContent>;
template class TDeleteKind<TNumberContent>;
template class TDeleteKind<TPayContent>;
