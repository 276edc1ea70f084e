// The transaction journal of the open budget: preparing a transaction, reading its parts,
// applying it, purging undone transactions, the fatal reports and the number allocators.
#include "store/Utransactions.h"

#include <filesystem>

#include "pays/Upaytables.h"
#include "platform/EventLoop.h"
#include "schema/SchemaNames.h"
#include "shell/ShellServices.h"
#include "store/TransKind.h"
#include "store/U_fileoperation.h"
#include "store/Utransactions_undo.h"

namespace {

constexpr const char* kJournal = tbl::jTrans;
constexpr const char* kJournalIndex = idx::Index_NTrans;
// The key of a part in its table.
const std::string kPartKey = std::string(fld::NTrans) + ";" + fld::NPart;

bool journalBusy = false;

// The journal's rows through a view of their own, ordered by NTrans, whatever filter the
// data module's journal table holds.
class TJournalTable : public TBudgetTable {
public:
    explicit TJournalTable(bool writable = false, TFilter filter = {})
        : TBudgetTable(kJournal, writable, std::move(filter), kJournalIndex) {}
};

// The value of a field in the last row of the view, or nothing when the view is empty.
std::optional<int> LastInteger(TTable& table, std::string_view field) {
    table.Last();
    if (table.IsEmpty()) return std::nullopt;
    return table.FieldByName(field).AsInteger();
}

// 1 + the largest value of the field, which orders the table's view; 1 for an empty view.
int NextAfterLast(TTable& table, std::string_view field) {
    return LastInteger(table, field).value_or(0) + 1;
}
int NextAfterLast(TTable&& table, std::string_view field) {
    return NextAfterLast(table, field);
}

// Deletes the undone transactions' rows in the store transaction that is open and asks for
// their folders to go after its commit.
int PurgeUndone(TFileEffects& files) {
    TJournalTable undone(true, Where(fld::Status) == kStatusBack);
    int count = 0;
    for (std::optional<int> nTrans; (nTrans = LastInteger(undone, fld::NTrans));) {
        for (const char* parts : {tbl::jTrInteger, tbl::jTrText, tbl::jTrDate}) {
            TBudgetTable rows(parts, true, Where(fld::NTrans) == *nTrans);
            DeleteAllRows(rows);
        }
        files.DeleteAfterCommit(TransFolder(*nTrans));
        undone.Delete();
        ++count;
    }
    return count;
}

// Runs the Apply of the row's kind in one store transaction of the budget; its writes are kept
// together with "APPLY" when it succeeds, and rolled back otherwise.
int RunApplier(TTable& trans, const TTransRow& row) {
    int result = 0;
    {
        TBudgetTransaction transaction(ShellServices().BudgetPath());
        TStep step{row, transaction.Files(), true};
        result = TransKinds().Step(step, false).value_or(0);
        if (result > 0 && !SetTransStatus(trans, row.NTrans, kStatusApply))
            result = kFatalTransaction;
        if (result > 0) {
            RefreshJournalView();
            transaction.Commit();
            return result;
        }
    }
    RefreshJournalView();  // after the rollback
    return result;
}

// After an application that threw (a full disk, a write error) and rolled back, while the
// program goes on: a row whose kind keeps all its writes inside its step changed nothing, so it
// is settled at once as the budget's next opening would settle it ("BACK" when newest), and does
// not block the undo of older changes meanwhile. (A fatal result closes the program, and the
// opening settles its row.) Settling runs while the failure is being handled; when it fails too
// (the full disk that failed the step), the row stays "ACT" until that opening, and the step's
// own failure is the one the caller gets.
// A row of a kind that drops a failed first application (TStepData::DropWhenFirstFails) goes
// as an undone row is purged.
void SettleAfterRollback(const TTransRow& row) noexcept {
    try {
        const TTransKind* kind = TransKinds().KindOf(row);
        if (kind != nullptr && kind->Steps().DropWhenFirstFails) {
            TBudgetTransaction transaction(ShellServices().BudgetPath());
            TJournalTable trans(true);
            if (SetTransStatus(trans, row.NTrans, kStatusBack)) PurgeUndone(transaction.Files());
            transaction.Commit();
        } else {
            SettleRolledBackApplications(ShellServices().BudgetPath());
        }
        RefreshJournalView();
    } catch (...) {
    }
}

// ApplyTransaction for a caller that holds the journal.
int ApplyHeld(int nTrans) {
    LetMessagesRun();

    // The purge and the row's step to "ACT" are committed before the applier starts; the purge
    // is kept also when the row turns out to be wrong. The journal's view is opened inside the
    // store transaction, which spares its first read a transaction of its own.
    std::optional<TJournalTable> journal;
    TTransRow row;
    {
        TBudgetTransaction transaction(ShellServices().BudgetPath());
        TJournalTable& trans = journal.emplace(true);
        if (trans.Locate(fld::Status, {kStatusBack})) PurgeUndone(transaction.Files());
        LetMessagesRun();
        int fatal = 0;
        if (!trans.Locate(fld::NTrans, {nTrans})) {
            fatal = kFatalTransaction;
        } else if (trans.FieldByName(fld::Status).AsString() != kStatusReady) {
            fatal = kFatalStatus;
        } else {
            row = TTransRow{nTrans, trans.FieldByName(fld::Act).AsString(),
                            trans.FieldByName(fld::IDObject).AsInteger(),
                            trans.FieldByName(fld::Type).AsInteger(),
                            trans.FieldByName(fld::NameObject).AsString()};
            trans.Edit();
            trans.FieldByName(fld::Status).SetAsString(kStatusAct);
            trans.Post();
        }
        RefreshJournalView();
        transaction.Commit();
        if (fatal != 0) {
            ReportFatalError(fatal);
            return fatal;
        }
    }
    LetMessagesRun();

    int result = 0;
    try {
        result = RunApplier(*journal, row);
    } catch (...) {
        SettleAfterRollback(row);
        throw;
    }
    LetMessagesRun();
    if (result <= 0 && !ShellServices().FatalClose()) ReportFatalError(result);
    LetMessagesRun();
    return result;
}

}  // namespace

std::string FatalErrorText(int code) {
    switch (code) {
        case kFatalTransaction:
            return "FATAL : Incorrect identifier of transaction";
        case kFatalStatus:
            return "FATAL ERROR: Incorrect status of transaction";
        case kFatalObject:
            return "FATAL ERROR: The object with such identifier is not found";
        case kFatalFolder:
            return "FATAL ERROR: It is impossible to create a folder";
        case kFatalImportArchive:
            return "FATAL ERROR: The archive cannot be imported";
        default:
            return "FATAL ERROR: Unknown error";
    }
}

void ReportFatalError(int code) {
    ShellServices().CloseFatally(FatalErrorText(code));
}

int NextTransNumber() {
    return NextAfterLast(TJournalTable(), fld::NTrans);
}

int NextObjectId() {
    LetMessagesRun();
    return NextAfterLast(TBudgetTable(tbl::Objects), fld::ID);
}

int NextAlgorithmId() {
    LetMessagesRun();
    const int id = NextAfterLast(TBudgetTable(tbl::Algorithms), fld::ID);
    LetMessagesRun();
    return id;
}

int NextManOperNumber(int payId, TDateTime date) {
    TBudgetTable events(tbl::PayHistory, false,
                        Where(fld::ID) == payId && Where(fld::DateEvent) == date &&
                            (Where(fld::TypeEvent) == kEventCounter ||
                             (Where(fld::TypeEvent) == kEventCharge && Where(fld::IDCharge) == 0) ||
                             Where(fld::TypeEvent) == kEventPayment));
    int largest = 0;
    for (; !events.Eof(); events.Next())
        largest = std::max(largest, events.FieldByName(fld::NManOper).AsInteger());
    return largest + 1;
}

void RefreshJournalView() {
    if (DM != nullptr && DM->TablejTrans.Active()) DM->TablejTrans.Refresh();
}

bool SetTransStatus(TTable& journal, int nTrans, std::string_view status) {
    if (!journal.Locate(fld::NTrans, {nTrans})) return false;
    journal.Edit();
    journal.FieldByName(fld::Status).SetAsString(status);
    journal.Post();
    return true;
}

std::string TransFolder(int nTrans) {
    return TransFolder(ShellServices().BudgetPath(), nTrans);
}

std::string TransFolder(const std::string& budget, int nTrans) {
    return budget + "/jTrFiles/" + IntToText(nTrans);
}

// ---- The guard

TJournalGuard::TJournalGuard() : acquired_(!journalBusy) {
    journalBusy = true;
}

TJournalGuard::~TJournalGuard() {
    if (acquired_) journalBusy = false;
}

EJournalBusy::EJournalBusy()
    : std::runtime_error("Another change of the journal is in progress; try again.") {}

// ---- The writer

TTransWriter::TTransWriter(std::string_view act, int idObject, int type,
                           std::string_view nameObject) {
    if (!guard_.emplace().Acquired()) throw EJournalBusy();
    transaction_.emplace(ShellServices().BudgetPath());
    trans_ = std::make_unique<TBudgetTable>(kJournal, true, TFilter(), kJournalIndex);
    nTrans_ = NextAfterLast(*trans_, fld::NTrans);
    trans_->Append();
    trans_->FieldByName(fld::NTrans).SetAsInteger(nTrans_);
    trans_->FieldByName(fld::Act).SetAsString(act);
    trans_->FieldByName(fld::Status).SetAsString(kStatusPrep);
    // The date field keeps the day of the moment, the time field its time of day.
    const TDateTime now = Now();
    trans_->FieldByName(fld::Date).SetAsDateTime(now);
    trans_->FieldByName(fld::Time).SetAsDateTime(now);
    trans_->FieldByName(fld::IDObject).SetAsInteger(idObject);
    trans_->FieldByName(fld::Type).SetAsInteger(type);
    trans_->FieldByName(fld::NameObject).SetAsString(nameObject);
    trans_->Post();
}

TTransWriter::~TTransWriter() = default;

void TTransWriter::AddPart(std::unique_ptr<TBudgetTable>& table, const char* file, int& count,
                           const TFieldValue& value) {
    if (!table) table = std::make_unique<TBudgetTable>(file, true);
    table->Append();
    table->FieldByName(fld::NTrans).SetAsInteger(nTrans_);
    table->FieldByName(fld::NPart).SetAsInteger(++count);
    table->FieldByName(fld::Value).SetValue(value);
    table->Post();
}

void TTransWriter::AddInt(int value) {
    AddPart(ints_, tbl::jTrInteger, intCount_, value);
}

void TTransWriter::AddText(std::string_view value) {
    AddPart(texts_, tbl::jTrText, textCount_, value);
}

void TTransWriter::AddDate(TDateTime value) {
    AddPart(dates_, tbl::jTrDate, dateCount_, value);
}

std::string TTransWriter::MakeFolder() {
    const std::string folder = TransFolder(nTrans_);
    // The number is new, so a folder of that number is left over from a transaction that no
    // longer exists (one whose rows rolled back, a purge that could not delete it): its files
    // must not become this transaction's.
    std::error_code error;
    if (std::filesystem::symlink_status(folder, error).type() ==
        std::filesystem::file_type::directory)
        std::filesystem::remove_all(folder, error);
    else
        error.clear();  // nothing there, or something ForceFolderPath reports
    if (!error && ForceFolderPath(folder, &error)) {
        transaction_->Files().CreatedFolder(folder);
        return folder;
    }
    ShellServices().FatalError(kFolderNotCreated, error);
    return "";
}

int TTransWriter::Ready() {
    const int nTrans = MakeReady();
    if (nTrans > 0) guard_.reset();
    return nTrans;
}

int TTransWriter::Apply(const std::function<bool()>& placeFiles) {
    const int nTrans = MakeReady();
    if (nTrans <= 0) return 0;
    if (placeFiles && !placeFiles()) {
        SettleRolledBackApplications(ShellServices().BudgetPath());
        RefreshJournalView();
        guard_.reset();
        return 0;
    }
    const int result = ApplyHeld(nTrans);
    guard_.reset();
    return result;
}

int TTransWriter::MakeReady() {
    // A fatal report during the preparation (a folder that could not be made) ends the program:
    // nothing more is written, and the preparation goes with the writer.
    if (ShellServices().FatalClose()) return 0;
    if (!trans_->Locate(fld::NTrans, {nTrans_})) {
        ShellServices().Close();
        return 0;
    }
    trans_->Edit();
    trans_->FieldByName(fld::Status).SetAsString(kStatusReady);
    trans_->Post();
    RefreshJournalView();
    transaction_->Commit();
    return nTrans_;
}

// ---- The reader

TPartStream::TPartStream(const char* file, int nTrans, int from)
    : table_(std::make_unique<TBudgetTable>(
          file, false, Where(fld::NTrans) == nTrans && Where(fld::NPart) >= from)) {}

TFieldValue TPartStream::Take(TFieldKind kind) {
    if (AtEnd()) {
        missed_ = true;
        return UnsetValue(kind);
    }
    TFieldValue value = table_->FieldByName(fld::Value).Value();
    table_->Next();
    return value;
}

int TPartStream::ReadInt() {
    return static_cast<int>(Take(TFieldKind::Integer).Integer());
}

std::string TPartStream::ReadText() {
    return Take(TFieldKind::Text).Text();
}

TDateTime TPartStream::ReadDate() {
    return Take(TFieldKind::Date).Real();
}

void TPartStream::Skip(int count) {
    for (int i = 0; i < count && !AtEnd(); ++i) table_->Next();
}

std::optional<TFieldValue> TTransReader::Part(std::unique_ptr<TBudgetTable>& table,
                                              const char* file, int part) {
    if (!table) table = std::make_unique<TBudgetTable>(file);
    if (!table->Locate(kPartKey, {nTrans_, part})) return std::nullopt;
    return table->FieldByName(fld::Value).Value();
}

std::optional<int> TTransReader::Int(int part) {
    const std::optional<TFieldValue> value = Part(ints_, tbl::jTrInteger, part);
    if (!value) return std::nullopt;
    return static_cast<int>(value->Integer());
}

std::optional<std::string> TTransReader::Text(int part) {
    std::optional<TFieldValue> value = Part(texts_, tbl::jTrText, part);
    if (!value) return std::nullopt;
    return value->Text();
}

std::optional<TDateTime> TTransReader::Date(int part) {
    const std::optional<TFieldValue> value = Part(dates_, tbl::jTrDate, part);
    if (!value) return std::nullopt;
    return value->Real();
}

namespace {

bool RewritePart(const char* table, int nTrans, int part, const TFieldValue& value) {
    TBudgetTable parts(table, true, Where(fld::NTrans) == nTrans && Where(fld::NPart) == part, "");
    if (parts.IsEmpty()) return false;
    parts.Edit();
    parts.FieldByName(fld::Value).SetValue(value);
    parts.Post();
    return true;
}

}  // namespace

bool RewriteIntPart(int nTrans, int part, int value) {
    return RewritePart(tbl::jTrInteger, nTrans, part, TFieldValue(value));
}

bool RewriteDatePart(int nTrans, int part, TDateTime value) {
    return RewritePart(tbl::jTrDate, nTrans, part, TFieldValue(value));
}

// ---- Dispatch and application

int PurgeUndoneTransactions() {
    const TJournalGuard guard;
    if (!guard.Acquired()) return kJournalBusy;
    TBudgetTransaction transaction(ShellServices().BudgetPath());
    const int count = PurgeUndone(transaction.Files());
    RefreshJournalView();
    transaction.Commit();
    return count;
}

int ApplyTransaction(int nTrans) {
    const TJournalGuard guard;
    if (!guard.Acquired()) return kJournalBusy;
    return ApplyHeld(nTrans);
}
