// The data module: the budget list and the seventeen tables of the open budget, shared by the
// whole program.
#include "store/U_dm.h"

#include <QCoreApplication>

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

void TDM::TableObjectsBeforeClose(TTable&) {}
