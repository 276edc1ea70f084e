// The data module: the budget list and the seventeen tables of the open budget, shared by the
// whole program.
#include "store/U_dm.h"

#include <QCoreApplication>

#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"

TDM* DM = nullptr;

TDM::TDM() {
    const std::pair<TTable*, const char*> names[] = {
        {&TablejTrans, "jTrans"},
        {&TablejTrInteger, "jTrInteger"},
        {&TablejTrText, "jTrText"},
        {&TablejTrDate, "jTrDate"},
        {&TableObjects, "Objects.db"},
        {&TableTables, "Tables.db"},
        {&TableImages, "Images.db"},
        {&TableNumbers, "Numbers.db"},
        {&TableAlgorithms, "Algorithms.db"},
        {&TableAlgExtData, "AlgExtData.db"},
        {&TableAlgVarDescr, "AlgVarDescr.db"},
        {&TableAlgText, "AlgText.db"},
        {&TablePays, "Pays.db"},
        {&TablePayHistory, "PayHistory.db"},
        {&TableAutoCharges, "PayAutoCharges.DB"},
        {&TableSchedules, "Schedules.db"},
        {&TableCalendar, "Calendar.db"},
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
    QCoreApplication::processEvents();
}

void TDM::OpenTables() {
    for (TTable* table : BudgetTables()) table->Open();
}

void TDM::ResolveBudgetPaths() {
    const std::string usersData = ShellServices().UsersDataPath();
    TTable budgets;
    budgets.SetDatabaseName(usersData);
    budgets.SetTableName("Budgets.DB");
    budgets.SetIndexName("Index01");
    budgets.SetReadOnly(false);
    budgets.Open();
    for (budgets.First(); !budgets.Eof(); budgets.Next()) {
        const std::string path =
            ReplacePlaceholder(budgets.FieldByName("Path").AsString(), "[users_data]", usersData);
        budgets.Edit();
        budgets.FieldByName("Path").SetAsString(path);
        budgets.Post();
    }
    budgets.Close();
    QCoreApplication::processEvents();
}

void TDM::TableObjectsBeforeClose(TTable&) {}
