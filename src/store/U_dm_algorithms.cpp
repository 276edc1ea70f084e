// The data module's algorithm storage: loading, saving, deleting algorithms and finding who
// owns and who uses them.
#include "platform/EventLoop.h"
#include "store/U_dm.h"
#include "store/Utransactions.h"

namespace {

constexpr size_t kPieceLength = 100;

// The rows of one algorithm in a table keyed by "IDAlg", in the order they were written.
TBudgetTable AlgorithmRows(const char* file, int id) {
    return TBudgetTable(file, false, Where("IDAlg") == id);
}

}  // namespace

std::vector<std::string> AlgorithmTextPieces(std::string_view text) {
    // Characters, not bytes: a piece never ends inside a letter's UTF-8 sequence. A damaged
    // text that begins inside a letter's sequence starts its first piece with that byte.
    std::vector<std::string> pieces;
    size_t characters = 0;
    for (const char byte : text) {
        const bool starts = (static_cast<unsigned char>(byte) & 0xC0) != 0x80 || pieces.empty();
        if (starts && characters++ % kPieceLength == 0) pieces.emplace_back();
        pieces.back() += byte;
    }
    return pieces;
}

Algorithm01 TDM::LoadAlgorithm(int id) {
    Algorithm01 algorithm;
    algorithm.ID = id;
    {
        TBudgetTable header("Algorithms.db");
        if (!header.Locate("ID", {id})) {
            ReportFatalError(kFatalObject);
            return algorithm;
        }
        algorithm.Valid = header.FieldByName("Valid").AsInteger() == 1;
        algorithm.IDParent = header.FieldByName("IDParent").AsInteger();
        algorithm.Name = header.FieldByName("Name").AsString();
        algorithm.Descript = header.FieldByName("Descript").AsString();
        algorithm.VarOfResult = header.FieldByName("VarOfResult").AsInteger();
    }
    for (TBudgetTable data = AlgorithmRows("AlgExtData.db", id); !data.Eof(); data.Next()) {
        ExtData datum;
        datum.Name = data.FieldByName("Name").AsString();
        datum.N = data.FieldByName("Ni").AsInteger();
        datum.IDObject = data.FieldByName("IDObject").AsInteger();
        datum.TypeObject = data.FieldByName("TypeObject").AsInteger();
        datum.ParentObject = data.FieldByName("ParentObject").AsInteger();
        datum.SubSource = data.FieldByName("SubSource").AsInteger();
        datum.Param1 = data.FieldByName("Param1").AsString();
        datum.Param2 = data.FieldByName("Param2").AsString();
        datum.Param3 = data.FieldByName("Param3").AsString();
        algorithm.INDataList.push_back(std::move(datum));
    }
    for (TBudgetTable vars = AlgorithmRows("AlgVarDescr.db", id); !vars.Eof(); vars.Next())
        algorithm.VarDescrList.push_back(
            {vars.FieldByName("NVar").AsInteger(), vars.FieldByName("Descript").AsString()});
    for (TBudgetTable text = AlgorithmRows("AlgText.db", id); !text.Eof(); text.Next())
        algorithm.Text += text.FieldByName("PartText").AsString();
    return algorithm;
}

int TDM::SaveAlgorithm(const Algorithm01& algorithm) {
    const int id = NextAlgorithmId();
    TTransactionScope scope(TableAlgorithms.DatabaseName());
    TableAlgorithms.Append();
    TableAlgorithms.FieldByName("ID").SetAsInteger(id);
    TableAlgorithms.FieldByName("Valid").SetAsInteger(algorithm.Valid ? 1 : 0);
    TableAlgorithms.FieldByName("IDParent").SetAsInteger(algorithm.IDParent);
    TableAlgorithms.FieldByName("Name").SetAsString(algorithm.Name);
    TableAlgorithms.FieldByName("Descript").SetAsString(algorithm.Descript);
    TableAlgorithms.FieldByName("VarOfResult").SetAsInteger(algorithm.VarOfResult);
    TableAlgorithms.Post();
    for (const ExtData& datum : algorithm.INDataList) {
        TableAlgExtData.Append();
        TableAlgExtData.FieldByName("IDAlg").SetAsInteger(id);
        TableAlgExtData.FieldByName("Name").SetAsString(datum.Name);
        TableAlgExtData.FieldByName("Ni").SetAsInteger(datum.N);
        TableAlgExtData.FieldByName("IDObject").SetAsInteger(datum.IDObject);
        TableAlgExtData.FieldByName("TypeObject").SetAsInteger(datum.TypeObject);
        TableAlgExtData.FieldByName("ParentObject").SetAsInteger(datum.ParentObject);
        TableAlgExtData.FieldByName("SubSource").SetAsInteger(datum.SubSource);
        TableAlgExtData.FieldByName("Param1").SetAsString(datum.Param1);
        TableAlgExtData.FieldByName("Param2").SetAsString(datum.Param2);
        TableAlgExtData.FieldByName("Param3").SetAsString(datum.Param3);
        TableAlgExtData.Post();
    }
    for (const VarDescr& var : algorithm.VarDescrList) {
        TableAlgVarDescr.Append();
        TableAlgVarDescr.FieldByName("IDAlg").SetAsInteger(id);
        TableAlgVarDescr.FieldByName("NVar").SetAsInteger(var.NVar);
        TableAlgVarDescr.FieldByName("Descript").SetAsString(var.Descript);
        TableAlgVarDescr.Post();
    }
    int part = 0;
    for (const std::string& piece : AlgorithmTextPieces(algorithm.Text)) {
        TableAlgText.Append();
        TableAlgText.FieldByName("IDAlg").SetAsInteger(id);
        TableAlgText.FieldByName("NPart").SetAsInteger(++part);
        TableAlgText.FieldByName("PartText").SetAsString(piece);
        TableAlgText.Post();
    }
    scope.Commit();
    return id;
}

void TDM::DeleteAlgorithm(int id) {
    TTransactionScope scope(TableAlgorithms.DatabaseName());
    for (TTable* table : {&TableAlgText, &TableAlgVarDescr, &TableAlgExtData})
        ClearRows(*table, Where("IDAlg") == id);
    ClearRows(TableAlgorithms, Where("ID") == id);
    scope.Commit();
}

int TDM::FindAlgorithmOwner(int idAlg) {
    LetMessagesRun();
    for (const char* owners : {"PayAutoCharges.DB", "Numbers.db"}) {
        TBudgetTable table(owners);
        if (table.Locate("IDAlg", {idAlg})) return table.FieldByName("ID").AsInteger();
    }
    return -1;
}

bool TDM::ListDataSourceUsers(int idObject, std::vector<int>& users) {
    users.clear();
    bool added = false;
    LetMessagesRun();
    {
        TBudgetTable data("AlgExtData.db", false, Where("IDObject") == idObject);
        for (; !data.Eof(); data.Next()) {
            const int owner = FindAlgorithmOwner(data.FieldByName("IDAlg").AsInteger());
            if (owner == idObject) continue;
            users.push_back(owner);
            added = true;
        }
    }
    LetMessagesRun();
    return added;
}
