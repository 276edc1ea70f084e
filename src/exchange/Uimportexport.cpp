// Branch exchange without a window: check, export and packing of a branch, and the import of an
// unpacked set under new IDs (the checks of an archive and of its set are Uimportcheck.cpp).
#include "exchange/Uimportexport.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "pays/Uscheduler.h"
#include "platform/Database.h"
#include "platform/IniFile.h"
#include "shell/ObjectIndex.h"
#include "shell/ShellServices.h"
#include "store/U_dm.h"
#include "store/U_fileoperation.h"
#include "store/Utransactions.h"

namespace fs = std::filesystem;

namespace {

std::string TempPath() {
    return ShellServices().State().TempPath;
}
std::string DataPath() {
    return ShellServices().State().DataPath;
}

// A table of the branch set in the temp folder, for one operation.
class TSetTable : public TTable {
public:
    explicit TSetTable(const char* file, bool writable = false, TFilter filter = {},
                       std::string_view index = idx::Index01) {
        SetDatabaseName(TempPath());
        SetTableName(file);
        SetIndexName(std::string(index));
        SetReadOnly(!writable);
        SetFilter(std::move(filter));
        SetFiltered(true);
        Open();
    }
};

// Appends a copy of the source's current row, every field but the record counter, by name.
void AppendCopy(TTable& from, TTable& to) {
    to.Append();
    for (int i = 1; i < from.FieldCount(); ++i) {
        TField& field = from.Fields(i);
        to.FieldByName(field.FieldName()).SetValue(field.Value());
    }
    to.Post();
}

// Copies the budget's rows of the table that the filter lets through into the branch set, each
// after `each` looked at it (the budget's cursor on the row).
void ExportRows(const char* table, TFilter rows,
                const std::function<void(TTable& row)>& each = {}) {
    TBudgetTable from(table, false, std::move(rows));
    TSetTable to(table, true);
    for (from.First(); !from.Eof(); from.Next()) {
        AppendCopy(from, to);
        if (each) each(from);
    }
}

bool IsAlgorithmItem(TTable& row) {
    const std::string itemType = row.FieldByName(fld::ItemType).AsString();
    return !itemType.empty() && itemType[0] == 'A';
}

void ExportByType(int id, int type) {
    switch (type) {
        case otFolder:
            ExportFolder(id);
            break;
        case otTable:
            ExportTable(id);
            break;
        case otImages:
            ExportImages(id);
            break;
        case otFiles:
            ExportFiles(id);
            break;
        case otNumber:
            ExportNumber(id);
            break;
        case otPay:
            ExportPay(id);
            break;
        default:
            break;
    }
}

// Copies a folder of the budget (an album's, a collection's) into the same place of the set.
void ExportFolderTree(const std::string& budgetFolder, const std::string& setFolder) {
    ForceFolderPath(setFolder);
    if (fs::is_directory(budgetFolder))
        CopyFolderTree(budgetFolder, setFolder, TCopyFailure::Skipped);
}

// The budget's algorithm exists and every initial datum reads the calendar or an object of the
// branch.
bool AlgorithmStaysInside(int idAlg, const TIDList& branch) {
    {
        TBudgetTable algorithms(tbl::Algorithms, false, Where(fld::ID) == idAlg);
        if (algorithms.IsEmpty()) return false;
    }
    const Algorithm01 algorithm = DM->LoadAlgorithm(idAlg);
    for (const ExtData& datum : algorithm.INDataList) {
        if (datum.TypeObject == otCalendar) continue;
        if (std::find(branch.begin(), branch.end(), datum.IDObject) == branch.end()) return false;
    }
    return true;
}

// The shared half of CheckNumberData and CheckPayData: the object's rows of the table.
void CheckItems(const char* table, int id, TIDList& outside, const TIDList& branch) {
    TBudgetTable items(table, false, Where(fld::ID) == id);
    for (items.First(); !items.Eof(); items.Next()) {
        if (!IsAlgorithmItem(items)) continue;
        if (!AlgorithmStaysInside(items.FieldByName(fld::IDAlg).AsInteger(), branch)) {
            outside.push_back(id);
            return;
        }
    }
}

}  // namespace

// ---- The check

bool CheckBranchData(int id, int type, TIDList& outside) {
    outside.clear();
    TIDList branch;
    if (type == otNumber || type == otPay)
        branch.push_back(id);
    else if (type == otFolder)
        CollectBranchObjects(id, branch);
    else
        return true;
    for (int member : branch) {
        TBudgetTable row(tbl::Objects, false, Where(fld::ID) == member);
        const int memberType = row.IsEmpty() ? 0 : row.FieldByName(fld::Type).AsInteger();
        if (memberType == otNumber) CheckNumberData(member, outside, branch);
        if (memberType == otPay) CheckPayData(member, outside, branch);
    }
    return outside.empty();
}

void CollectBranchObjects(int folder, TIDList& list) {
    TBudgetTable children(tbl::Objects, false, Where(fld::IDParent) == folder);
    for (children.First(); !children.Eof(); children.Next()) {
        const int type = children.FieldByName(fld::Type).AsInteger();
        const int id = children.FieldByName(fld::ID).AsInteger();
        if (type == otNumber || type == otPay) list.push_back(id);
        if (type == otFolder) CollectBranchObjects(id, list);
    }
}

void CheckNumberData(int id, TIDList& outside, const TIDList& branch) {
    CheckItems(tbl::Numbers, id, outside, branch);
}

void CheckPayData(int id, TIDList& outside, const TIDList& branch) {
    CheckItems(tbl::PayAutoCharges, id, outside, branch);
}

// ---- The export

std::string FileNameOf(std::string_view name) {
    std::string result(name);
    for (char& c : result)
        if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '_';
    if (result.empty() || result == "." || result == "..") result = "_";
    return result;
}

void ClearTempObjects() {
    TSetTable objects(tbl::Objects, true);
    DeleteAllRows(objects);
}

bool BuildBranchSet(int id) {
    if (ShellServices().ClearTempFolder() != 0) return false;
    if (ShellCopyFiles(DataPath() + "EmptyBases/*", TempPath(), false) != kShellOk) return false;
    TTransactionScope setRows(TempPath());  // one write of the set, not one per row
    ClearTempObjects();
    ExportBranch(id);
    setRows.Commit();
    return true;
}

void ExportBranch(int id) {
    int type = 0;
    ExportRows(tbl::Objects, Where(fld::ID) == id,
               [&type](TTable& row) { type = row.FieldByName(fld::Type).AsInteger(); });
    ExportByType(id, type);
}

void ExportFolder(int id) {
    TBudgetTable children(tbl::Objects, false, Where(fld::IDParent) == id);
    for (children.First(); !children.Eof(); children.Next())
        ExportBranch(children.FieldByName(fld::ID).AsInteger());
}

void ExportTable(int id) {
    ExportRows(tbl::Tables, Where(fld::ID) == id);
}

void ExportImages(int id) {
    ExportRows(tbl::Images, Where(fld::ID) == id);
    ExportFolderTree(AlbumFolder(id), TempPath() + "Images/IMG" + IntToText(id));
}

void ExportFiles(int id) {
    ExportFolderTree(CollectionFolder(id), TempPath() + "Files/DIR" + IntToText(id));
}

void ExportNumber(int id) {
    ExportRows(tbl::Numbers, Where(fld::ID) == id, [](TTable& row) {
        if (IsAlgorithmItem(row)) ExportAlgorithm(row.FieldByName(fld::IDAlg).AsInteger());
    });
}

void ExportPay(int id) {
    ExportRows(tbl::Pays, Where(fld::ID) == id);
    ExportRows(tbl::PayHistory, Where(fld::ID) == id);
    ExportRows(tbl::PayAutoCharges, Where(fld::ID) == id, [](TTable& row) {
        if (IsAlgorithmItem(row)) ExportAlgorithm(row.FieldByName(fld::IDAlg).AsInteger());
        ExportSchedule(row.FieldByName(fld::IDSchedule).AsInteger());
    });
}

void ExportAlgorithm(int idAlg) {
    ExportRows(tbl::Algorithms, Where(fld::ID) == idAlg);
    for (const char* table : {tbl::AlgExtData, tbl::AlgVarDescr, tbl::AlgText})
        ExportRows(table, Where(fld::IDAlg) == idAlg);
}

void ExportSchedule(int idSchedule) {
    ExportRows(tbl::Schedules, Where(fld::ID) == idSchedule);
}

std::string ReadBackupCommand(const char* key) {
    const bool pack = std::string_view(key) == "BackupCommand";
    return TIniFile(DataPath() + "vemly.ini")
        .ReadString("Backup", key,
                    pack ? R"(tar --hard-dereference -czf "[ArcName]" -C "[SouscePath]" .)"
                         : R"(tar -xzf "[ArcName]" -C "[DestPath]")");
}

namespace {

// Writes the file (or the folder's entries) to the disk. False when the system refuses.
bool SyncToDisk(const fs::path& path) {
    const int handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool synced = handle >= 0 && ::fsync(handle) == 0;
    if (handle >= 0) ::close(handle);
    return synced;
}

// Tells the memo, where there is one, why the archive did not take its name.
void SayWhyNot(TProcessMemo* memo, const std::string& line) {
    if (memo) memo->AddLine(line);
}

}  // namespace

std::string PartialArchiveName(const std::string& archive) {
    return archive + kPartialArchiveExtension;
}

TPackResult PackFolder(const std::string& folder, const std::string& archive, TProcessMemo* memo,
                       const bool& stop) {
    const std::string part = PartialArchiveName(archive);
    const auto command = ExpandCommand(ReadBackupCommand("BackupCommand"),
                                       {{"[ArcName]", part}, {"[SouscePath]", folder}});
    if (!command) return TPackResult::NoCommand;
    CheckpointTables(folder);
    std::error_code error;
    fs::remove(part, error);  // a leftover of a packing that was killed
    const int code = RunProcessToMemo(*command, memo, stop, "EN");
    bool whole = code == kProcessDone;
    if (whole) {
        const TArchiveCheck check = ReadArchiveThrough(part);
        if (!check)
            SayWhyNot(memo,
                      part + ": " + ArchiveProblemText(check.Problem).Text + " " + check.Detail);
        whole = static_cast<bool>(check);
    }
    if (whole && !SyncToDisk(part)) {
        SayWhyNot(memo, part + ": " + std::strerror(errno));
        whole = false;
    }
    if (whole) {
        fs::rename(part, archive, error);
        if (error) SayWhyNot(memo, archive + ": " + error.message());
        whole = !error;
        // The new name on the disk too, where the file system lets a folder be synced.
        if (whole) SyncToDisk(fs::path(archive).parent_path());
    }
    if (!whole) fs::remove(part, error);  // what a failed archiver left half-written
    return whole                     ? TPackResult::Done
           : code == kProcessStopped ? TPackResult::Stopped
                                     : TPackResult::Failed;
}

void RemovePartialArchives(const std::string& folder) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        if (entry.path().extension() == kPartialArchiveExtension && entry.is_regular_file(error))
            fs::remove(entry.path(), error);
}

TPackResult PackBranchSet(const std::string& archive, TProcessMemo* memo, const bool& stop) {
    const TPackResult result = PackFolder(TempPath(), archive, memo, stop);
    ShellServices().ClearTempFolder();
    return result;
}

// ---- The import

std::optional<int> TIDPairList::Find(int oldId) const {
    for (const IDPair& pair : pairs_)
        if (pair.Old == oldId) return pair.New;
    return std::nullopt;
}

namespace {

// Pairs (ID, base + k) over the unpacked table's rows in record-counter order.
TIDPairList NewIds(const char* table, int base) {
    TIDPairList list;
    TSetTable rows(table, false, {}, "");
    int k = 0;
    for (rows.First(); !rows.Eof(); rows.Next())
        list.Add(rows.FieldByName(fld::ID).AsInteger(), base + k++);
    return list;
}

// Renames <folder>/<prefix><old> to <prefix><new> for every pair, through "<name>~".
void RenameImportFolders(const std::string& folder, const char* prefix, const TIDPairList& list) {
    std::error_code error;
    auto name = [&](int id) { return fs::path(folder) / (prefix + IntToText(id)); };
    for (const IDPair& pair : list.Pairs())
        if (fs::is_directory(name(pair.Old), error))
            fs::rename(name(pair.Old), name(pair.Old).string() + "~", error);
    for (const IDPair& pair : list.Pairs())
        if (fs::is_directory(name(pair.Old).string() + "~", error))
            fs::rename(name(pair.Old).string() + "~", name(pair.New), error);
}

// Appends every row of the unpacked table to the budget's table of the same name.
void MergeRows(const char* table) {
    TSetTable from(table);
    TBudgetTable to(table, true, {}, "");
    for (from.First(); !from.Eof(); from.Next()) AppendCopy(from, to);
}

// Brings every folder below the unpacked folder (Images/, Files/) into the budget's, naming
// each to `files` as created: moved where the temp folder lies on the budget's file system
// (the temp folder is emptied afterwards anyway), else copied.
void MergeFolders(const char* sub, TFileEffects& files) {
    const fs::path from = fs::path(TempPath()) / sub;
    if (!fs::is_directory(from)) return;
    const fs::path to = fs::path(ShellServices().BudgetPath()) / sub;
    ForceFolderPath(to.string());
    for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
        const fs::path target = to / entry.path().filename();
        if (fs::exists(target)) continue;  // never merged into a folder of another object
        files.CreatedFolder(target.string());
        std::error_code moved;
        fs::rename(entry.path(), target, moved);
        if (!moved) continue;
        ForceFolderPath(target.string());
        const TTreeCopy copy = CopyFolderTree(entry.path(), target, TCopyFailure::Stops);
        if (copy.Error) throw fs::filesystem_error("copy", copy.Failed, copy.Error);
    }
}

}  // namespace

void ImportBranch(int target, TFileEffects& files) {
    RemapImportIds(target);
    MergeImportTables(files);
}

void RemapImportIds(int target) {
    const std::string temp = TempPath();
    TTransactionScope setRows(temp);  // one write of the set, not one per row
    const TIDPairList objects = NewIds(tbl::Objects, NextObjectId());
    {
        TSetTable rows(tbl::Objects, true, {}, "");
        for (rows.First(); !rows.Eof(); rows.Next()) {
            rows.Edit();
            TField& id = rows.FieldByName(fld::ID);
            TField& parent = rows.FieldByName(fld::IDParent);
            id.SetAsInteger(objects.Map(id.AsInteger()));
            parent.SetAsInteger(objects.Find(parent.AsInteger()).value_or(target));
            rows.Post();
        }
    }
    RemapImportKeyField(temp, tbl::Tables, fld::ID, objects);
    RemapImportKeyField(temp, tbl::Images, fld::ID, objects);
    RenameImportImageFolders(temp, objects);
    RenameImportFileFolders(temp, objects);
    for (const char* table : {tbl::Numbers, tbl::Pays, tbl::PayHistory, tbl::PayAutoCharges})
        RemapImportKeyField(temp, table, fld::ID, objects);
    RemapImportKeyField(temp, tbl::AlgExtData, fld::IDObject, objects);
    RemapImportKeyField(temp, tbl::AlgExtData, fld::ParentObject, objects);
    RemapImportKeyField(temp, tbl::Algorithms, fld::IDParent, objects);
    RemapImportAlgorithms();
    RemapImportSchedules();
    setRows.Commit();
}

void RemapImportKeyField(const std::string& folder, const char* table, const char* field,
                         const TIDPairList& list) {
    TTable rows;
    rows.SetDatabaseName(folder);
    rows.SetTableName(table);
    rows.Open();
    for (rows.First(); !rows.Eof(); rows.Next()) {
        TField& value = rows.FieldByName(field);
        if (const std::optional<int> to = list.Find(value.AsInteger())) {
            rows.Edit();
            value.SetAsInteger(*to);
            rows.Post();
        }
    }
    rows.FlushBuffers();
}

void RenameImportImageFolders(const std::string& folder, const TIDPairList& list) {
    RenameImportFolders(folder + "Images", "IMG", list);
}

void RenameImportFileFolders(const std::string& folder, const TIDPairList& list) {
    RenameImportFolders(folder + "Files", "DIR", list);
}

void RemapImportAlgorithms() {
    const std::string temp = TempPath();
    const TIDPairList algorithms = NewIds(tbl::Algorithms, NextAlgorithmId());
    RemapImportKeyField(temp, tbl::Algorithms, fld::ID, algorithms);
    for (const char* table :
         {tbl::AlgExtData, tbl::AlgVarDescr, tbl::AlgText, tbl::Numbers, tbl::PayAutoCharges})
        RemapImportKeyField(temp, table, fld::IDAlg, algorithms);
}

void RemapImportSchedules() {
    const std::string temp = TempPath();
    const TIDPairList schedules = NewIds(tbl::Schedules, NextScheduleId());
    RemapImportKeyField(temp, tbl::Schedules, fld::ID, schedules);
    RemapImportKeyField(temp, tbl::PayAutoCharges, fld::IDSchedule, schedules);
    // Automatic charges name the schedule that made them; manual events hold 0.
    TIDPairList charges;
    for (const IDPair& pair : schedules.Pairs())
        if (pair.Old > 0) charges.Add(pair.Old, pair.New);
    RemapImportKeyField(temp, tbl::PayHistory, fld::IDCharge, charges);
}

void MergeImportTables(TFileEffects& files) {
    for (const char* table : {tbl::Objects, tbl::Tables, tbl::Images}) MergeRows(table);
    MergeFolders("Images", files);
    MergeFolders("Files", files);
    for (const char* table :
         {tbl::Numbers, tbl::Algorithms, tbl::AlgExtData, tbl::AlgVarDescr, tbl::AlgText, tbl::Pays,
          tbl::PayHistory, tbl::PayAutoCharges, tbl::Schedules})
        MergeRows(table);
}

TDateTime EarliestActiveChargeDate() {
    TDateTime earliest = Today() + 1;
    TSetTable charges(tbl::PayAutoCharges);
    for (charges.First(); !charges.Eof(); charges.Next()) {
        const std::string activity = charges.FieldByName(fld::Activity).AsString();
        const TDateTime begin = charges.FieldByName(fld::DateBegin).AsDateTime();
        if (!activity.empty() && activity[0] == 'A' && begin < earliest) earliest = begin;
    }
    return earliest;
}

void DeleteImportedObjects(TFileEffects& files, const std::string& saveFolder) {
    std::error_code error;
    fs::remove_all(saveFolder, error);
    if (error) throw fs::filesystem_error("remove", saveFolder, error);
    TSetTable objects(tbl::Objects, false, {}, "");
    int k = 0;
    for (objects.First(); !objects.Eof(); objects.Next(), ++k) {
        const int id = objects.FieldByName(fld::ID).AsInteger();
        switch (objects.FieldByName(fld::Type).AsInteger()) {
            case otFolder:
                break;
            case otTable:
                DM->DeleteTableObject(id);
                continue;
            case otImages: {
                TBudgetTable pictures(tbl::Images, true, Where(fld::ID) == id);
                DeleteAllRows(pictures);
                files.DeleteAfterCommit(AlbumFolder(id));
                break;
            }
            case otFiles: {
                const fs::path collection = CollectionFolder(id);
                if (fs::is_directory(collection, error)) {
                    const fs::path saved = fs::path(saveFolder) / std::to_string(k);
                    ForceFolderPath(saved.string());
                    const TTreeCopy copy = CopyFolderTree(collection, saved, TCopyFailure::Stops);
                    if (copy.Error) throw fs::filesystem_error("copy", copy.Failed, copy.Error);
                }
                files.DeleteAfterCommit(collection.string());
                break;
            }
            case otNumber:
                DM->DeleteNumberObject(id);
                continue;
            case otPay:
                DM->DeletePayObject(id);
                continue;
            default:
                continue;
        }
        DM->DeleteObjectRecord(id);
    }
}

void RestoreImportedCollections(const std::string& saveFolder, TFileEffects& files) {
    std::error_code error;
    if (!fs::is_directory(saveFolder, error)) return;
    TSetTable objects(tbl::Objects, false, {}, "");
    int k = 0;
    for (objects.First(); !objects.Eof(); objects.Next(), ++k) {
        const fs::path saved = fs::path(saveFolder) / std::to_string(k);
        if (objects.FieldByName(fld::Type).AsInteger() != otFiles ||
            !fs::is_directory(saved, error))
            continue;
        const fs::path collection = CollectionFolder(objects.FieldByName(fld::ID).AsInteger());
        if (!fs::exists(collection, error)) {
            ForceFolderPath(collection.string());
            files.CreatedFolder(collection.string());
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(collection, error))
            fs::remove_all(entry.path(), error);
        const TTreeCopy copy = CopyFolderTree(saved, collection, TCopyFailure::Stops);
        if (copy.Error) throw fs::filesystem_error("copy", copy.Failed, copy.Error);
    }
    files.DeleteAfterCommit(saveFolder);
}
