// Branch exchange without a window: check, export and packing of a branch, the checks of an
// archive and of an unpacked set, and the import of an unpacked set under new IDs.
#include "exchange/Uimportexport.h"

#include <archive.h>
#include <archive_entry.h>

#include <filesystem>
#include <memory>
#include <set>

#include "platform/Database.h"
#include "platform/EventLoop.h"
#include "platform/IniFile.h"
#include "shell/ObjectIndex.h"
#include "shell/ShellServices.h"
#include "store/U_dm.h"
#include "store/U_fileoperation.h"
#include "store/Utransactions.h"
#include "pays/Uscheduler.h"

namespace fs = std::filesystem;

namespace {

std::string TempPath() { return ShellServices().State().TempPath; }
std::string DataPath() { return ShellServices().State().DataPath; }

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
        case otFolder: ExportFolder(id); break;
        case otTable: ExportTable(id); break;
        case otImages: ExportImages(id); break;
        case otFiles: ExportFiles(id); break;
        case otNumber: ExportNumber(id); break;
        case otPay: ExportPay(id); break;
        default: break;
    }
}

// Copies a folder of the budget (an album's, a collection's) into the same place of the set.
void ExportFolderTree(const std::string& budgetFolder, const std::string& setFolder) {
    ForceFolderPath(setFolder);
    if (fs::is_directory(budgetFolder))
        CopyFolderTree(budgetFolder, setFolder, TCopyFailure::Skipped);
}

// The archiver's command line of [Backup] in vemly.ini. A vemly.ini made before the section
// existed (the program never overwrites it) gets the installed tar lines; a key that is there
// but empty stays empty, which the callers report.
std::string ReadBackupCommand(const char* key) {
    const bool pack = std::string_view(key) == "BackupCommand";
    return TIniFile(DataPath() + "vemly.ini")
        .ReadString("Backup", key,
                    pack ? R"(tar -czf "[ArcName]" -C "[SouscePath]" .)"
                         : R"(tar -xzf "[ArcName]" -C "[DestPath]")");
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
    ClearTempObjects();
    ExportBranch(id);
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

void ExportTable(int id) { ExportRows(tbl::Tables, Where(fld::ID) == id); }

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

void ExportSchedule(int idSchedule) { ExportRows(tbl::Schedules, Where(fld::ID) == idSchedule); }

TPackResult PackFolder(const std::string& folder, const std::string& archive, TProcessMemo* memo,
                       const bool& stop) {
    const auto command = ExpandCommand(ReadBackupCommand("BackupCommand"),
                                       {{"[ArcName]", archive}, {"[SouscePath]", folder}});
    if (!command) return TPackResult::NoCommand;
    CheckpointTables(folder);
    std::error_code error;
    fs::remove(archive, error);
    const int code = RunProcessToMemo(*command, memo, stop, "EN");
    const bool archived = code == kProcessDone && fs::is_regular_file(archive, error) &&
                          fs::file_size(archive, error) > 0;
    if (!archived) fs::remove(archive, error);  // what a failed archiver left half-written
    return archived                  ? TPackResult::Done
           : code == kProcessStopped ? TPackResult::Stopped
                                     : TPackResult::Failed;
}

TPackResult PackBranchSet(const std::string& archive, TProcessMemo* memo, const bool& stop) {
    const TPackResult result = PackFolder(TempPath(), archive, memo, stop);
    ShellServices().ClearTempFolder();
    return result;
}

// ---- The checks of an archive and of an unpacked set

namespace {

using TArchivePtr = std::unique_ptr<archive, decltype(&archive_read_free)>;

TArchiveCheck Refuse(TArchiveProblem problem, std::string detail) {
    return {problem, std::move(detail)};
}

// The problem of one entry name: absolute, or with a ".." part.
TArchiveProblem NameProblem(std::string_view name) {
    if (!name.empty() && name.front() == '/') return TArchiveProblem::AbsolutePath;
    for (const fs::path& part : fs::path(name))
        if (part == "..") return TArchiveProblem::ParentPath;
    return TArchiveProblem::None;
}

// The tables the import reads, in the order of the merge.
constexpr const char* kSetTables[] = {
    tbl::Objects,    tbl::Tables,      tbl::Images,     tbl::Numbers,     tbl::Algorithms,
    tbl::AlgExtData, tbl::AlgVarDescr, tbl::AlgText,    tbl::Pays,        tbl::PayHistory,
    tbl::PayAutoCharges, tbl::Schedules,
};

// The table's fields as "name:kind" in their order.
std::vector<std::string> Structure(TTable& table) {
    std::vector<std::string> fields;
    for (int i = 0; i < table.FieldCount(); ++i)
        fields.push_back(table.Fields(i).FieldName() + ":" +
                         std::to_string(static_cast<int>(table.Fields(i).Kind())));
    return fields;
}

TArchiveCheck CheckUnpackedTree(const std::string& folder) {
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const fs::file_status status = it->symlink_status(error);
        if (!fs::is_regular_file(status) && !fs::is_directory(status))
            return Refuse(TArchiveProblem::Outside,
                          fs::relative(it->path(), folder, error).string());
    }
    if (error) return Refuse(TArchiveProblem::Outside, error.message());
    return {};
}

// A table of a folder, in its record counter's order, read-only.
void OpenIn(TTable& table, const std::string& folder, const char* name) {
    table.SetDatabaseName(folder);
    table.SetTableName(name);
    table.SetReadOnly(true);
    table.Open();
}

TArchiveCheck CheckUnpackedTables(const std::string& folder, const std::string& reference) {
    if (!fs::is_regular_file(fs::path(folder) / kTablesFileName))
        return Refuse(TArchiveProblem::NoTables, "");
    try {
        for (const char* name : kSetTables) {
            TTable unpacked, own;
            OpenIn(unpacked, folder, name);
            OpenIn(own, reference, name);
            if (Structure(unpacked) != Structure(own))
                return Refuse(TArchiveProblem::OtherStructure, name);
        }
    } catch (const ETableMissing& e) {
        return Refuse(TArchiveProblem::NoTables, e.what());
    } catch (const EDatabaseError& e) {
        return Refuse(TArchiveProblem::OtherStructure, e.what());
    }
    return {};
}

}  // namespace

TProblemText ArchiveProblemText(TArchiveProblem problem) {
    switch (problem) {
        case TArchiveProblem::None: return {"", ""};
        case TArchiveProblem::Unreadable:
            return {"ArcUnreadable", "The file is not a readable archive:"};
        case TArchiveProblem::AbsolutePath:
            return {"ArcAbsolutePath", "The archive holds an entry with an absolute path:"};
        case TArchiveProblem::ParentPath:
            return {"ArcParentPath", "The archive holds an entry that leads out of its folder:"};
        case TArchiveProblem::Link: return {"ArcLink", "The archive holds a link:"};
        case TArchiveProblem::SpecialFile:
            return {"ArcSpecialFile", "The archive holds a device or other special file:"};
        case TArchiveProblem::UnpackFailed:
            return {"ArcUnpackFailed",
                    "The archive could not be unpacked ([Backup] RecoveryCommand in vemly.ini):"};
        case TArchiveProblem::NoTables: return {"ArcNoTables", "The archive holds no budget data."};
        case TArchiveProblem::OtherStructure:
            return {"ArcOtherStructure", "The archive's tables differ from this budget's:"};
        case TArchiveProblem::Outside:
            return {"ArcOutside", "The unpacked archive holds a link or special file:"};
    }
    return {"", ""};
}

TArchiveCheck CheckArchive(const std::string& path) {
    TArchivePtr reader(archive_read_new(), &archive_read_free);
    archive_read_support_filter_all(reader.get());
    archive_read_support_format_all(reader.get());
    if (archive_read_open_filename(reader.get(), path.c_str(), 64 * 1024) != ARCHIVE_OK)
        return Refuse(TArchiveProblem::Unreadable, archive_error_string(reader.get()));
    archive_entry* entry = nullptr;
    int entries = 0;
    for (;;) {
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF) break;
        if (status < ARCHIVE_WARN)
            return Refuse(TArchiveProblem::Unreadable, archive_error_string(reader.get()));
        ++entries;
        const char* nameText = archive_entry_pathname(entry);
        const std::string name = nameText ? nameText : "";
        if (const TArchiveProblem problem = NameProblem(name); problem != TArchiveProblem::None)
            return Refuse(problem, name);
        if (archive_entry_hardlink(entry) || archive_entry_filetype(entry) == AE_IFLNK)
            return Refuse(TArchiveProblem::Link, name);
        const auto type = archive_entry_filetype(entry);
        if (type != AE_IFREG && type != AE_IFDIR) return Refuse(TArchiveProblem::SpecialFile, name);
        if (archive_read_data_skip(reader.get()) < ARCHIVE_WARN)
            return Refuse(TArchiveProblem::Unreadable, archive_error_string(reader.get()));
    }
    if (entries == 0) return Refuse(TArchiveProblem::Unreadable, "");
    return {};
}

TArchiveCheck UnpackArchive(const std::string& archive, const std::string& folder,
                            const std::string& reference, TProcessEvents events) {
    TArchiveCheck check = CheckArchive(archive);
    if (!check) return check;
    const auto command = ExpandCommand(ReadBackupCommand("RecoveryCommand"),
                                       {{"[ArcName]", archive}, {"[DestPath]", folder}});
    const bool stop = false;
    TTextMemo log;
    if (!command || RunProcessToMemo(*command, &log, stop, "EN", events) != kProcessDone)
        return Refuse(TArchiveProblem::UnpackFailed, log.Text);
    check = CheckUnpackedTree(folder);
    if (check) check = CheckUnpackedTables(folder, reference);
    return check;
}

TArchiveCheck UnpackBranchSet(const std::string& archive, TProcessEvents events) {
    if (ShellServices().ClearTempFolder() != 0)
        return Refuse(TArchiveProblem::UnpackFailed, TempPath());
    TArchiveCheck check = UnpackArchive(archive, TempPath(), ShellServices().BudgetPath(), events);
    if (!check) ShellServices().ClearTempFolder();
    return check;
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
void RenameImportFolders(const std::string& folder, const char* prefix,
                         const TIDPairList& list) {
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

// A name in `folder` for `name` that no entry has: the name, else the name with "-2", "-3"...
fs::path FreeName(const fs::path& folder, const std::string& name) {
    fs::path candidate = folder / name;
    for (int k = 2; fs::exists(candidate); ++k) candidate = folder / (name + "-" + std::to_string(k));
    return candidate;
}

}  // namespace

void DropFixedImportObjects() {
    {
        TSetTable objects(tbl::Objects, true);
        for (int id : {9, 10})
            if (objects.Locate(fld::ID, {TFieldValue(id)})) objects.Delete();
    }
    const fs::path images = fs::path(TempPath()) / "Images";
    std::error_code error;
    fs::remove_all(images / "mini", error);
    fs::remove_all(images / "tmpload", error);
    if (!fs::is_directory(images)) return;
    for (const fs::directory_entry& album : fs::directory_iterator(images, error)) {
        fs::remove_all(album.path() / "tmpload", error);
        fs::remove_all(album.path() / "mini" / "tmpload", error);
    }
}

void ImportBranch(int target, TFileEffects& files) {
    RemapImportIds(target);
    MergeImportTables(files);
}

void RemapImportIds(int target) {
    const std::string temp = TempPath();
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
    for (const char* table : {tbl::Numbers, tbl::Algorithms, tbl::AlgExtData, tbl::AlgVarDescr,
                              tbl::AlgText, tbl::Pays, tbl::PayHistory, tbl::PayAutoCharges,
                              tbl::Schedules})
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

void DeleteImportedObjects(const std::string& keepFolder) {
    TSetTable objects(tbl::Objects);
    for (objects.First(); !objects.Eof(); objects.Next()) {
        const int id = objects.FieldByName(fld::ID).AsInteger();
        const int type = objects.FieldByName(fld::Type).AsInteger();
        if ((type == otImages || type == otFiles) && !keepFolder.empty()) {
            const fs::path folder = type == otImages ? AlbumFolder(id) : CollectionFolder(id);
            std::error_code error;
            if (fs::is_directory(folder, error)) {
                ForceFolderPath(keepFolder);
                fs::rename(folder, FreeName(keepFolder, folder.filename().string()), error);
            }
        }
        switch (type) {
            case otFolder: DM->DeleteObjectRecord(id); break;
            case otTable: DM->DeleteTableObject(id); break;
            case otImages: DM->DeleteImagesObject(id); break;
            case otFiles: DM->DeleteFilesObject(id); break;
            case otNumber: DM->DeleteNumberObject(id); break;
            case otPay: DM->DeletePayObject(id); break;
            default: break;
        }
    }
}
