// The journal kind that imports a branch archive ("IMP"), with its layout.
#include "store/TransKindImport.h"

#include <filesystem>

#include "exchange/Uimportexport.h"
#include "platform/Database.h"
#include "platform/EventLoop.h"
#include "platform/TableDef.h"
#include "shell/ShellServices.h"
#include "store/U_fileoperation.h"

namespace fs = std::filesystem;

TImportKind::TImportKind()
    : TTransKind({std::string(kActImport)},
                 {.UndoBy = TUndoBy::OwnUndo,
                  .UndoResult = TUndoResult::Zero,
                  .AfterApply = TDerivedUpdate::CalendarAndRecalcFromDate,
                  .AfterUndo = TDerivedUpdate::CalendarFromDateRecalcFromBeginning,
                  .WholeInStep = true,
                  .DropWhenFirstFails = true}) {}

void TImportKind::Detail(const TTransRow& row, const TWords& word,
                         std::vector<std::string>& lines) const {
    lines.push_back(word("DetailImport") + " " + TTransReader(row.NTrans).Text(1).value_or(""));
}

std::optional<int> TImportKind::Apply(TStep& step) const {
    try {
        return ApplyImport(step.Row.NTrans, step.Row.IDObject, step.Files);
    } catch (...) {
        // The step rolls back. A first application that failed (a full disk) takes the copy of
        // the archive with it, its transaction's folder going with the rollback, and the journal
        // drops its row (DropWhenFirstFails): nothing of the import is left. A redo keeps them.
        if (step.FirstApplication) step.Files.CreatedFolder(TransFolder(step.Row.NTrans));
        ShellServices().ClearTempFolder();
        throw;
    }
}

std::optional<int> TImportKind::Undo(TStep& step) const {
    return UndoImport(step.Row.NTrans, step.Files);
}

TPreparationLeft TImportKind::TakeBackPreparation(const std::string&, const TTransRow&) const {
    return TPreparationLeft::TakenBack;
}

std::optional<TDateTime> TImportKind::DerivedFrom(const TTransRow& row, bool) const {
    TTransReader parts(row.NTrans);
    if (parts.Int(1).value_or(1) != 1) return std::nullopt;
    return parts.Date(1).value_or(0);
}

namespace {

std::string TempTables() {
    return ShellServices().State().TempPath + kTablesFileName;
}

}  // namespace

int ApplyImport(int nTrans, int target, TFileEffects& files) {
    const std::optional<std::string> archive = TTransReader(nTrans).Text(1);
    if (!archive) {
        ReportFatalError(kFatalTransaction);
        return kFatalTransaction;
    }
    const fs::path folder = TransFolder(nTrans);
    const TArchiveCheck check =
        UnpackBranchSet((folder / *archive).string(), TProcessEvents::PaintOnly);
    // The room checked before the preparation may have gone since: the system's words.
    if (check.Problem == TArchiveProblem::TooLarge)
        throw fs::filesystem_error("import", check.Detail,
                                   std::make_error_code(std::errc::no_space_on_device));
    if (!check) {
        ReportFatalError(kFatalImportArchive);
        return kFatalImportArchive;
    }
    ImportBranch(target, files);
    RestoreImportedCollections((folder / kSavedCollections).string(), files);
    LetMessagesRun();
    const TDateTime earliest = EarliestActiveChargeDate();
    RewriteDatePart(nTrans, 1, earliest);
    RewriteIntPart(nTrans, 1, earliest <= Today() ? 1 : 0);
    CheckpointTables(ShellServices().State().TempPath);
    const fs::path list = folder / kImportListFile;
    const std::string fresh = list.string() + ".new";
    std::error_code error;
    fs::remove(fresh, error);
    if (!CopyFileBytes(TempTables(), fresh, error))
        throw fs::filesystem_error("copy", TempTables(), fresh, error);
    files.CreatedFile(fresh);
    files.ReplaceAfterCommit(fresh, list.string());
    files.DeleteAfterCommit(fresh);
    ShellServices().ClearTempFolder();
    return target == 0 ? 1 : target;
}

int UndoImport(int nTrans, TFileEffects& files) {
    const fs::path folder = TransFolder(nTrans);
    ShellServices().ClearTempFolder();
    std::error_code error;
    if (!fs::copy_file(folder / kImportListFile, TempTables(), error)) {
        ReportFatalError(kFatalTransaction);
        return kFatalTransaction;
    }
    DeleteImportedObjects(files, (folder / kSavedCollections).string());
    ShellServices().ClearTempFolder();
    return 0;
}

std::unique_ptr<TTransWriter> WriteImportTransaction(const std::string& archive, int target,
                                                     int type, const std::string& name) {
    auto writer = std::make_unique<TTransWriter>(kActImport, target, type, name);
    TImportParts parts{fs::path(archive).filename().string(), Today(), 1};
    WriteParts(*writer, parts);
    const std::string folder = writer->MakeFolder();
    if (folder.empty()) return nullptr;
    const fs::path copy = fs::path(folder) / parts.ArchiveName;
    std::error_code error;
    if (!CopyFileBytes(archive, copy, error))
        throw fs::filesystem_error("copy", archive, copy, error);
    return writer;
}
