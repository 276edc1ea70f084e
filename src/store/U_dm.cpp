// The data module: the budget list and the seventeen tables of the open budget, shared by the
// whole program, with its deletions and its queries of dates and pay settings.
#include "store/U_dm.h"

#include <algorithm>
#include <filesystem>
#include <functional>

#include "algorithms/Uq519algtextformat.h"
#include "pays/Upaytables.h"
#include "pays/Uscheduler.h"
#include "platform/EventLoop.h"
#include "schema/SchemaNames.h"
#include "shell/ShellServices.h"
#include "store/U_fileoperation.h"
#include "store/Utransactions.h"
#include "store/Utransactions_undo.h"

TDM* DM = nullptr;

TDM::TDM() {
    const std::pair<TTable*, const char*> names[] = {
        {&TablejTrans, "jTrans"},
        {&TablejTrInteger, "jTrInteger"},
        {&TablejTrText, "jTrText"},
        {&TablejTrDate, "jTrDate"},
        {&TableObjects, tbl::Objects},
        {&TableTables, tbl::Tables},
        {&TableImages, tbl::Images},
        {&TableNumbers, tbl::Numbers},
        {&TableAlgorithms, tbl::Algorithms},
        {&TableAlgExtData, tbl::AlgExtData},
        {&TableAlgVarDescr, tbl::AlgVarDescr},
        {&TableAlgText, tbl::AlgText},
        {&TablePays, tbl::Pays},
        {&TablePayHistory, tbl::PayHistory},
        {&TableAutoCharges, tbl::PayAutoCharges},
        {&TableSchedules, tbl::Schedules},
        {&TableCalendar, tbl::Calendar},
    };
    TableBudgets.SetReadOnly(true);
    for (const auto& [table, name] : names) {
        table->SetTableName(name);
        table->SetReadOnly(true);
    }
    for (TTable* journal : {&TablejTrans, &TablejTrInteger, &TablejTrText, &TablejTrDate})
        journal->SetIndexFieldNames("NTrans");
    TableObjects.BeforeClose = [this](TTable& dataSet) { TableObjectsBeforeClose(dataSet); };
}

std::array<TTable*, 17> TDM::BudgetTables() {
    return {&TableObjects,    &TableTables,      &TableImages,      &TableNumbers,
            &TablePays,       &TablePayHistory,  &TableAutoCharges, &TableAlgorithms,
            &TableAlgExtData, &TableAlgVarDescr, &TableAlgText,     &TableSchedules,
            &TableCalendar,   &TablejTrInteger,  &TablejTrText,     &TablejTrDate,
            &TablejTrans};
}

void TDM::PrepareTables(const std::string& usersDataPath) {
    const std::string dataPath =
        ShellServicesInstalled() ? ShellServices().State().DataPath : std::string();
    SetSchemaReference(dataPath.empty() ? std::string() : dataPath + "EmptyBases");
    TableBudgets.Close();
    TableBudgets.SetDatabaseName(usersDataPath);
    TableBudgets.SetTableName(tbl::Budgets);
    TableBudgets.SetIndexName(idx::Index01);
    TableBudgets.SetReadOnly(true);
    TableBudgets.Open();
    for (TTable* table : BudgetTables()) {
        table->Close();
        table->SetIndexName(table == &TablejTrans ? idx::Index_NTrans : idx::Index01);
        table->SetReadOnly(true);
    }
}

void TDM::OpenBudget(const std::string& folder) {
    ResetStaleMarks(folder);
    SettleRolledBackApplications(folder);
    RemoveUnnamedObjectFolders(folder);
    for (TTable* table : BudgetTables()) {
        table->Close();
        table->SetDatabaseName(folder);
        table->SetReadOnly(false);
        table->Open();
    }
}

void TDM::FlushAndCloseTables() {
    for (TTable* table : BudgetTables()) {
        if (table->Active()) {
            try {
                table->FlushBuffers();
            } catch (const EDatabaseError&) {
                // The save's answer is not looked at: the table is closed all the same.
            }
        }
        table->Close();
    }
    LetMessagesRun();
}

void TDM::OpenTables() {
    for (TTable* table : BudgetTables()) table->Open();
}

void TDM::ResolveBudgetPaths() {
    const std::string usersData = ShellServices().UsersDataPath();
    TTable budgets;
    budgets.SetDatabaseName(usersData);
    budgets.SetTableName(tbl::Budgets);
    budgets.SetIndexName(idx::Index01);
    budgets.SetReadOnly(false);
    budgets.Open();
    for (budgets.First(); !budgets.Eof(); budgets.Next()) {
        const std::string path =
            ReplaceAllText(budgets.FieldByName(fld::Path).AsString(), "[users_data]", usersData);
        budgets.Edit();
        budgets.FieldByName(fld::Path).SetAsString(path);
        budgets.Post();
    }
    budgets.Close();
    LetMessagesRun();
}

void TDM::TableObjectsBeforeClose(TTable&) {}

// ---- Views of one operation

TBudgetTable::TBudgetTable(std::string_view file, bool writable, TFilter filter,
                           std::string_view index) {
    SetDatabaseName(ShellServices().BudgetPath());
    SetTableName(std::string(file));
    SetIndexName(std::string(index));
    SetReadOnly(!writable);
    SetFilter(std::move(filter));
    SetFiltered(true);
    Open();
}

void DeleteAllRows(TTable& table) {
    for (table.First(); !table.Eof();) table.Delete();
}

void ClearRows(TTable& table, TFilter rows, const std::function<void(TTable& row)>& each) {
    TTransactionScope scope(table.DatabaseName());
    {
        TFilterScope borrowed(table, std::move(rows));
        if (each)
            for (table.First(); !table.Eof(); table.Next()) each(table);
        DeleteAllRows(table);
    }
    scope.Commit();
}

void DeleteBudgetFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_type type = fs::status(folder, error).type();
    // Nothing to do where certainly no folder is; one that cannot be looked at counts as there.
    if (type == fs::file_type::not_found || (!error && type != fs::file_type::directory)) return;
    const int result = ShellDeleteFolder(folder, true, false);
    if (result == kShellOk) return;
    // No folder to delete (kShellNoFolder): the one that could not be looked at (the error of the
    // look) or one gone meanwhile. Otherwise the system's error number of the deletion.
    const std::error_code cause =
        result != kShellNoFolder ? std::error_code(result, std::generic_category())
        : error                  ? error
                                 : std::make_error_code(std::errc::no_such_file_or_directory);
    ShellServices().FatalError(kFolderNotDeleted, cause);
}

namespace {

TFilter RowsOf(int id) {
    return Where(fld::ID) == id;
}

}  // namespace

std::string AlbumFolder(int id) {
    return AlbumFolder(ShellServices().BudgetPath(), id);
}

std::string CollectionFolder(int id) {
    return CollectionFolder(ShellServices().BudgetPath(), id);
}

std::string AlbumFolder(const std::string& budget, int id) {
    return budget + "/Images/IMG" + IntToText(id);
}

std::string CollectionFolder(const std::string& budget, int id) {
    return budget + "/Files/DIR" + IntToText(id);
}

std::string StagingFolder(const std::string& album) {
    return album + "/tmpload";
}

std::string StagedMiniFolder(const std::string& album) {
    return album + "/mini/tmpload";
}

std::string ThumbnailName(std::string_view picture) {
    return std::filesystem::path(picture).replace_extension(".bmp").string();
}

// ---- Deletions

void TDM::DeleteObjectRecord(int id) {
    LetMessagesRun();
    {
        TFilterScope borrowed(TableObjects, RowsOf(id));
        if (TableObjects.IsEmpty()) {
            ReportFatalError(kFatalObject);
            return;
        }
        TableObjects.Delete();
    }
    LetMessagesRun();
}

void TDM::DeleteTableObject(int id) {
    ClearRows(TableTables, RowsOf(id));
    LetMessagesRun();
    DeleteObjectRecord(id);
}

void TDM::DeleteImagesObject(int id) {
    LetMessagesRun();
    ClearRows(TableImages, RowsOf(id));
    DeleteBudgetFolder(AlbumFolder(id));
    DeleteObjectRecord(id);
}

void TDM::DeleteFilesObject(int id) {
    DeleteBudgetFolder(CollectionFolder(id));
    DeleteObjectRecord(id);
}

void TDM::DeleteNumberObject(int id) {
    DeleteNumberItems(id);
    DeleteObjectRecord(id);
}

void TDM::DeletePayObject(int id) {
    DeletePayData(id);
    DeleteObjectRecord(id);
}

namespace {

bool IsAlgorithmItem(TTable& row) {
    return row.FieldByName(fld::ItemType).AsString().starts_with("A");
}

}  // namespace

void TDM::DeleteNumberItems(int id) {
    ClearRows(TableNumbers, RowsOf(id), [this](TTable& item) {
        if (IsAlgorithmItem(item)) DeleteAlgorithm(item.FieldByName(fld::IDAlg).AsInteger());
    });
    LetMessagesRun();
}

void TDM::DeleteAutoCharges(int id) {
    ClearRows(TableAutoCharges, RowsOf(id), [this](TTable& charge) {
        if (IsAlgorithmItem(charge)) DeleteAlgorithm(charge.FieldByName(fld::IDAlg).AsInteger());
        DeleteSchedule(charge.FieldByName(fld::IDSchedule).AsInteger());
    });
}

void TDM::DeletePayHistory(int id) {
    ClearRows(TablePayHistory, RowsOf(id));
}

void TDM::DeletePayData(int id) {
    DeletePayHistory(id);
    DeleteAutoCharges(id);
    ClearRows(TablePays, RowsOf(id));
}

// ---- Dates and pay settings

namespace {

// The day of the first (or the last) event of each pay of the open budget among the events
// that the filter of the pay lets through; pays without such events give none.
std::vector<TDateTime> PayEventDays(bool last, const std::function<TFilter(int pay)>& events) {
    TBudgetTable objects(tbl::Objects, false, Where(fld::Type) == 60);
    TBudgetTable history(tbl::PayHistory);
    std::vector<TDateTime> days;
    for (; !objects.Eof(); objects.Next()) {
        history.SetFilter(events(objects.FieldByName(fld::ID).AsInteger()));
        if (history.IsEmpty()) continue;
        if (last) history.Last();
        days.push_back(history.FieldByName(fld::DateEvent).AsDateTime());
    }
    return days;
}

// The latest of today and the last events of the pays.
TDateTime LatestEvent(const std::function<TFilter(int pay)>& events) {
    const std::vector<TDateTime> days = PayEventDays(true, events);
    return std::max(Today(), days.empty() ? Today() : *std::max_element(days.begin(), days.end()));
}

constexpr char kFilterFlagCount = 7;

}  // namespace

TDateTime TDM::FirstCalendarDate() {
    TBudgetTable calendar(tbl::Calendar);
    return calendar.IsEmpty() ? Today() : calendar.FieldByName(fld::Date).AsDateTime();
}

TDateTime TDM::EarliestPayEventDate() {
    const std::vector<TDateTime> days = PayEventDays(false, [](int pay) { return RowsOf(pay); });
    return std::min(Today(), days.empty() ? Today() : *std::min_element(days.begin(), days.end()));
}

TDateTime TDM::LatestPayEventDate() {
    return LatestEvent([](int pay) { return RowsOf(pay); });
}

TDateTime TDM::LatestManualPayEventDate() {
    return LatestEvent([](int pay) {
        return RowsOf(pay) &&
               ((Where(fld::TypeEvent) == kEventCharge && Where(fld::IDCharge) == 0) ||
                Where(fld::TypeEvent) == kEventPayment);
    });
}

void TDM::WritePayFilter(int id, const PayFilterInfo& filter) {
    const bool flags[kFilterFlagCount] = {
        filter.FilterOn,     filter.ShowCounters, filter.ShowAutoCharges, filter.ShowManualCharges,
        filter.ShowPayments, filter.UseDateFrom,  filter.UseDateTo};
    std::string mode(15, '0');
    for (int i = 0; i < kFilterFlagCount; ++i)
        if (flags[i]) mode[i] = '1';
    TBudgetTable pays(tbl::Pays, true);
    if (!pays.Locate(fld::ID, {id})) return;
    pays.Edit();
    pays.FieldByName(fld::FilterMode).SetAsString(mode);
    pays.FieldByName(fld::FilterDateFrom).SetAsDateTime(filter.DateFrom);
    pays.FieldByName(fld::FilterDateTo).SetAsDateTime(filter.DateTo);
    pays.Post();
}

PayFilterInfo TDM::ReadPayFilter(int id) {
    TBudgetTable pays(tbl::Pays);
    if (!pays.Locate(fld::ID, {id})) return DefaultPayFilter();
    const std::string mode = pays.FieldByName(fld::FilterMode).AsString();
    // A character other than '0' reads as on; a missing one (a FilterMode cut short) takes the
    // default's value, so that a short text still shows the pay's events.
    PayFilterInfo filter = DefaultPayFilter();
    bool* const flags[kFilterFlagCount] = {
        &filter.FilterOn,     &filter.ShowCounters, &filter.ShowAutoCharges, &filter.ShowManualCharges,
        &filter.ShowPayments, &filter.UseDateFrom,  &filter.UseDateTo};
    for (int i = 0; i < kFilterFlagCount && i < static_cast<int>(mode.size()); ++i)
        *flags[i] = mode[static_cast<size_t>(i)] != '0';
    filter.DateFrom = pays.FieldByName(fld::FilterDateFrom).AsDateTime();
    filter.DateTo = pays.FieldByName(fld::FilterDateTo).AsDateTime();
    return filter;
}

PayFilterInfo TDM::DefaultPayFilter() {
    PayFilterInfo filter;
    filter.ShowCounters = filter.ShowAutoCharges = filter.ShowManualCharges = filter.ShowPayments =
        true;
    filter.DateFrom = filter.DateTo = Today();
    return filter;
}

void TDM::SetPayDirection(int id, char direction) {
    {
        TBudgetTable pays(tbl::Pays, true);
        if (!pays.Locate(fld::ID, {id})) return;
        pays.Edit();
        pays.FieldByName(fld::Direction).SetAsString(std::string(1, direction));
        pays.Post();
    }
    TFilterScope pay(TableObjects, RowsOf(id));
    if (TableObjects.IsEmpty()) return;
    TableObjects.Edit();
    TableObjects.FieldByName(fld::Image).SetAsInteger(PayIcon(direction));
    TableObjects.Post();
}

char TDM::GetPayDirection(int id) {
    TBudgetTable pays(tbl::Pays);
    if (!pays.Locate(fld::ID, {id})) return 'N';
    const std::string direction = pays.FieldByName(fld::Direction).AsString();
    return direction.empty() ? 'N' : direction[0];
}
