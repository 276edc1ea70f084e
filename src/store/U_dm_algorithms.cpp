// The data module's algorithm storage: loading, saving, deleting algorithms and finding who
// owns and who uses them.
#include "platform/EventLoop.h"
#include "store/U_dm.h"
#include "store/Utransactions.h"
#include "schema/SchemaNames.h"

namespace {

constexpr size_t kPieceLength = 100;

// The rows of one algorithm in a table keyed by "IDAlg", in the order they were written.
TBudgetTable AlgorithmRows(const char* file, int id) {
    return TBudgetTable(file, false, Where(fld::IDAlg) == id);
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
        TBudgetTable header(tbl::Algorithms);
        if (!header.Locate(fld::ID, {id})) {
            ReportFatalError(kFatalObject);
            return algorithm;
        }
        algorithm.Valid = header.FieldByName(fld::Valid).AsInteger() == 1;
        algorithm.IDParent = header.FieldByName(fld::IDParent).AsInteger();
        algorithm.Name = header.FieldByName(fld::Name).AsString();
        algorithm.Descript = header.FieldByName(fld::Descript).AsString();
        algorithm.VarOfResult = header.FieldByName(fld::VarOfResult).AsInteger();
    }
    for (TBudgetTable data = AlgorithmRows(tbl::AlgExtData, id); !data.Eof(); data.Next()) {
        ExtData datum;
        datum.Name = data.FieldByName(fld::Name).AsString();
        datum.N = data.FieldByName(fld::Ni).AsInteger();
        datum.IDObject = data.FieldByName(fld::IDObject).AsInteger();
        datum.TypeObject = data.FieldByName(fld::TypeObject).AsInteger();
        datum.ParentObject = data.FieldByName(fld::ParentObject).AsInteger();
        datum.SubSource = data.FieldByName(fld::SubSource).AsInteger();
        datum.Param1 = data.FieldByName(fld::Param1).AsString();
        datum.Param2 = data.FieldByName(fld::Param2).AsString();
        datum.Param3 = data.FieldByName(fld::Param3).AsString();
        algorithm.INDataList.push_back(std::move(datum));
    }
    for (TBudgetTable vars = AlgorithmRows(tbl::AlgVarDescr, id); !vars.Eof(); vars.Next())
        algorithm.VarDescrList.push_back(
            {vars.FieldByName(fld::NVar).AsInteger(), vars.FieldByName(fld::Descript).AsString()});
    for (TBudgetTable text = AlgorithmRows(tbl::AlgText, id); !text.Eof(); text.Next())
        algorithm.Text += text.FieldByName(fld::PartText).AsString();
    return algorithm;
}

int TDM::SaveAlgorithm(const Algorithm01& algorithm) {
    const int id = NextAlgorithmId();
    TTransactionScope scope(TableAlgorithms.DatabaseName());
    TableAlgorithms.Append();
    TableAlgorithms.FieldByName(fld::ID).SetAsInteger(id);
    TableAlgorithms.FieldByName(fld::Valid).SetAsInteger(algorithm.Valid ? 1 : 0);
    TableAlgorithms.FieldByName(fld::IDParent).SetAsInteger(algorithm.IDParent);
    TableAlgorithms.FieldByName(fld::Name).SetAsString(algorithm.Name);
    TableAlgorithms.FieldByName(fld::Descript).SetAsString(algorithm.Descript);
    TableAlgorithms.FieldByName(fld::VarOfResult).SetAsInteger(algorithm.VarOfResult);
    TableAlgorithms.Post();
    for (const ExtData& datum : algorithm.INDataList) {
        TableAlgExtData.Append();
        TableAlgExtData.FieldByName(fld::IDAlg).SetAsInteger(id);
        TableAlgExtData.FieldByName(fld::Name).SetAsString(datum.Name);
        TableAlgExtData.FieldByName(fld::Ni).SetAsInteger(datum.N);
        TableAlgExtData.FieldByName(fld::IDObject).SetAsInteger(datum.IDObject);
        TableAlgExtData.FieldByName(fld::TypeObject).SetAsInteger(datum.TypeObject);
        TableAlgExtData.FieldByName(fld::ParentObject).SetAsInteger(datum.ParentObject);
        TableAlgExtData.FieldByName(fld::SubSource).SetAsInteger(datum.SubSource);
        TableAlgExtData.FieldByName(fld::Param1).SetAsString(datum.Param1);
        TableAlgExtData.FieldByName(fld::Param2).SetAsString(datum.Param2);
        TableAlgExtData.FieldByName(fld::Param3).SetAsString(datum.Param3);
        TableAlgExtData.Post();
    }
    for (const VarDescr& var : algorithm.VarDescrList) {
        TableAlgVarDescr.Append();
        TableAlgVarDescr.FieldByName(fld::IDAlg).SetAsInteger(id);
        TableAlgVarDescr.FieldByName(fld::NVar).SetAsInteger(var.NVar);
        TableAlgVarDescr.FieldByName(fld::Descript).SetAsString(var.Descript);
        TableAlgVarDescr.Post();
    }
    int part = 0;
    for (const std::string& piece : AlgorithmTextPieces(algorithm.Text)) {
        TableAlgText.Append();
        TableAlgText.FieldByName(fld::IDAlg).SetAsInteger(id);
        TableAlgText.FieldByName(fld::NPart).SetAsInteger(++part);
        TableAlgText.FieldByName(fld::PartText).SetAsString(piece);
        TableAlgText.Post();
    }
    scope.Commit();
    return id;
}

void TDM::DeleteAlgorithm(int id) {
    TTransactionScope scope(TableAlgorithms.DatabaseName());
    for (TTable* table : {&TableAlgText, &TableAlgVarDescr, &TableAlgExtData})
        ClearRows(*table, Where(fld::IDAlg) == id);
    ClearRows(TableAlgorithms, Where(fld::ID) == id);
    scope.Commit();
}

int TDM::FindAlgorithmOwner(int idAlg) {
    LetMessagesRun();
    for (const char* owners : {tbl::PayAutoCharges, tbl::Numbers}) {
        TBudgetTable table(owners);
        if (table.Locate(fld::IDAlg, {idAlg})) return table.FieldByName(fld::ID).AsInteger();
    }
    return -1;
}

bool TDM::ListDataSourceUsers(int idObject, std::vector<int>& users) {
    users.clear();
    bool added = false;
    LetMessagesRun();
    {
        TBudgetTable data(tbl::AlgExtData, false, Where(fld::IDObject) == idObject);
        for (; !data.Eof(); data.Next()) {
            const int owner = FindAlgorithmOwner(data.FieldByName(fld::IDAlg).AsInteger());
            if (owner == idObject) continue;
            users.push_back(owner);
            added = true;
        }
    }
    LetMessagesRun();
    return added;
}
