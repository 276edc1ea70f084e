// The transaction journal of the open budget: preparing a transaction, reading its parts,
// applying it, purging undone transactions, the fatal reports and the number allocators.
//
// Every change of a budget's objects is one transaction: a jTrans row (NTrans, Act, Status,
// Date, Time, IDObject, Type, NameObject) and its numbered parts in jTrInteger, jTrText and
// jTrDate (I k, T k, D k: NPart counts from 1 in each table), with its files in the folder
// jTrFiles/<NTrans> of the budget. A preparer records the change with TTransWriter and hands
// the number to ApplyTransaction, which runs the Apply of the row's kind.
//
// Plugging in a kind. ApplyTransaction (and later the undo and redo runs) finds the kind of a
// row in TransKinds() (store/TransKind.h) by its Act and Type, or by the change code in I1 where
// the kinds of an Act and Type are told apart by it. A kind is a class of its family's unit
// (store/TransKindObject.h, TransKindContent.h, TransKindPay.h, TransKindImport.h) that owns its
// typed layout, its step data and its hooks; the program registers every kind at its start, in
// RegisterJournalKinds (shell/JournalKinds.cpp). A kind's applier is its Apply hook:
//
//     std::optional<int> TRenameKind::Apply(TStep& step) const {
//         const std::optional<TRenameParts> parts = ReadParts<TRenameParts>(step.Row.NTrans);
//         if (!parts) { ReportFatalError(kFatalTransaction); return kFatalTransaction; }
//         ... writes the object's row ...
//         return step.Row.IDObject;
//     }
//
// and its preparer writes the same layout:
//
//     TTransWriter writer(kActRename, id, type, newName);
//     TRenameParts parts{newIcon, oldIcon, newDescript, oldName, oldDescript};
//     WriteParts(writer, parts);
//     const int id = writer.Apply();  // Ready and ApplyTransaction, the journal held between
//
// An applier reads its parts through its layout (or with TTransReader by key and as streams),
// writes the object tables (through the data module's shared tables, borrowing one with
// TFilterScope or ClearRows when it needs another filter, or through TBudgetTable) and returns
// its result: above 0 on success (the ID for "ADD", 1 for "DEL", IDObject otherwise), or the
// negative code of the fatal error it has reported with ReportFatalError, after which it writes
// nothing more. It never writes Status. It runs inside one store transaction of the budget
// folder: all its table writes are kept with the status "APPLY", or all are rolled back when it
// fails or throws. Its files go through step.Files (store/FileEffects.h): a folder or file it
// creates is named there and removed on rollback, one it deletes is asked for there and goes
// only after the commit. It lets the message loop run with LetMessagesRun only; meanwhile every
// other journal operation is refused. A row without a kind, or whose kind has no Apply yet, fails
// with "FATAL ERROR: Unknown error".
//
// Undo and redo (store/Utransactions_undo.h) mark a block of transactions, run the kinds' undo
// steps or their Apply again over it, one store transaction per step, and cancel the marks a run
// did not reach.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/Dates.h"
#include "platform/Table.h"
#include "store/FileEffects.h"
#include "store/U_dm.h"

// TransAct: what a transaction does.
inline constexpr std::string_view kActAdd = "ADD";
inline constexpr std::string_view kActRename = "REN";
inline constexpr std::string_view kActDelete = "DEL";
inline constexpr std::string_view kActMove = "MOVE";
inline constexpr std::string_view kActChange = "CHANG";
inline constexpr std::string_view kActImport = "IMP";

// TransStatus: where a transaction stands.
inline constexpr std::string_view kStatusPrep = "PREP";      // being prepared
inline constexpr std::string_view kStatusReady = "READY";    // prepared, waiting to be applied
inline constexpr std::string_view kStatusAct = "ACT";        // being applied, or failed
inline constexpr std::string_view kStatusApply = "APPLY";    // applied and in force
inline constexpr std::string_view kStatusToBack = "TOBACK";  // marked for undo
inline constexpr std::string_view kStatusBack = "BACK";      // undone
inline constexpr std::string_view kStatusToActB = "TOACTB";  // marked for redo

// Codes of ReportFatalError.
constexpr int kFatalTransaction = -1;  // the row, or a part an applier needs, does not exist
constexpr int kFatalStatus = -2;       // the row is not "READY" when it is to be applied
constexpr int kFatalObject = -3;       // the object row an applier works on does not exist
constexpr int kFatalFolder = -4;       // an object's picture or file folder cannot be created
constexpr int kFatalImportArchive = -6;  // an imported archive is refused or cannot be unpacked

// The result of a journal operation that was refused because another one is running (it was
// started by a message handled while that one let the message loop run). Nothing is written
// and nothing is reported.
constexpr int kJournalBusy = -5;

// Shows the journal's fatal message for the code ("FATAL : Incorrect identifier of
// transaction", "FATAL ERROR: Incorrect status of transaction", "FATAL ERROR: The object with
// such identifier is not found", "FATAL ERROR: It is impossible to create a folder", "FATAL
// ERROR: The archive cannot be imported", any other code "FATAL ERROR: Unknown error"), marks
// the main window fatal and closes it; returns to the
// caller, which returns the code at once and writes nothing more.
void ReportFatalError(int code);
std::string FatalErrorText(int code);

// The number for a new transaction: 1 + the largest NTrans of the journal (1 when it is empty).
int NextTransNumber();
// 1 + the largest ID of Objects.db (1 when there is none): IDs are reused only from the top.
// Lets the message loop run first.
int NextObjectId();
// 1 + the largest ID of Algorithms.db (1 when it is empty). Lets the message loop run before
// and after.
int NextAlgorithmId();
// The number of a new manual event of a pay on a day: 1 + the largest NManOper among the pay's
// counter readings, manual charges (IDCharge 0) and payments of that day; 1 when there is none.
int NextManOperNumber(int payId, TDateTime date);

// The folder of a transaction's files: <budget>/jTrFiles/<NTrans>, of the open budget or of
// the budget in the folder `budget`.
std::string TransFolder(int nTrans);
std::string TransFolder(const std::string& budget, int nTrans);

// Refuses a second journal operation while one runs. ApplyTransaction, the purge and a
// TTransWriter hold it for their whole run; the undo and redo runs take it the same way.
class TJournalGuard {
public:
    TJournalGuard();
    ~TJournalGuard();
    TJournalGuard(const TJournalGuard&) = delete;
    TJournalGuard& operator=(const TJournalGuard&) = delete;

    // False when another journal operation held the journal already: refuse the operation.
    bool Acquired() const { return acquired_; }

private:
    bool acquired_;
};

// A TTransWriter was made while another journal operation runs.
class EJournalBusy : public std::runtime_error {
public:
    EJournalBusy();
};

// The preparer protocol. The writer takes the next number and appends the transaction's row in
// "PREP" (dated today, timed now); the parts follow, each numbered on from 1 in its own table in
// the order written (a kind's layout writes them with WriteParts, store/TransKind.h); Ready sets
// "READY". The whole preparation is one store transaction: a writer dropped before Ready (an
// error, a cancelled dialog) leaves nothing of it behind, neither rows nor the folder it made.
// Throws EJournalBusy while another journal operation runs; database errors reach the caller.
class TTransWriter {
public:
    TTransWriter(std::string_view act, int idObject, int type, std::string_view nameObject);
    ~TTransWriter();
    TTransWriter(const TTransWriter&) = delete;
    TTransWriter& operator=(const TTransWriter&) = delete;

    int NTrans() const { return nTrans_; }

    void AddInt(int value);
    void AddText(std::string_view value);
    void AddDate(TDateTime value);
    // How many parts of each kind are written so far: the number of the last one.
    int IntCount() const { return intCount_; }
    int TextCount() const { return textCount_; }
    int DateCount() const { return dateCount_; }

    // Creates the transaction's folder (TransFolder) for the files the change carries, empty
    // (whatever an older folder of the number held goes), and returns it; the folder goes again
    // when the preparation is dropped. When it cannot be created (or the old one cleared):
    // TfMain::FatalError -2 and "" (give up the preparation).
    std::string MakeFolder();

    // Finds the row again, sets "READY", commits the preparation and returns NTrans. Returns 0,
    // and the preparation is dropped with the writer, when a fatal error was reported meanwhile
    // (the program is ending) or when the row is gone (the main window is then asked to close):
    // the caller applies nothing. Once.
    int Ready();
    // Ready, then ApplyTransaction of the transaction, without letting go of the journal in
    // between: no other journal operation can come between them and have the application
    // refused as busy, which would leave a "READY" row that blocks undo and redo of every older
    // transaction until the budget is opened again. Returns ApplyTransaction's result, or 0
    // when Ready gave 0 (nothing applied). In place of Ready, once. Every preparer applies its
    // transaction this way.
    //
    // `placeFiles`, when given, runs between the two: it moves the budget's own files that the
    // change carries (not copies of them) into the transaction's folder, now that a committed
    // row names the folder. A kill then leaves a "READY" row whose preparation the next opening
    // takes back (SettleRolledBackApplications), never such a file in a folder that no row
    // names, which the next transaction of the number would clear. When it fails (false, after
    // putting back what it moved) the row is settled at once as never applied and 0 returned.
    int Apply(const std::function<bool()>& placeFiles = {});

private:
    int MakeReady();  // Ready without letting go of the journal

    void AddPart(std::unique_ptr<TBudgetTable>& table, const char* file, int& count,
                 const TFieldValue& value);

    std::optional<TJournalGuard> guard_;  // held until Ready
    std::optional<TBudgetTransaction> transaction_;
    std::unique_ptr<TBudgetTable> trans_;
    std::unique_ptr<TBudgetTable> ints_, texts_, dates_;
    int nTrans_ = 0;
    int intCount_ = 0, textCount_ = 0, dateCount_ = 0;
};

// One table's parts of a transaction as a stream, in NPart order: each read takes the value
// of the current part and moves on to the next one. Reading past the last part gives 0, "" or
// day 0 and sets Missed. Read by the kind of the table (ReadInt in jTrInteger, ...).
class TPartStream {
public:
    bool AtEnd() const { return table_->Eof(); }
    bool Missed() const { return missed_; }
    int ReadInt();
    std::string ReadText();
    TDateTime ReadDate();
    // Moves on without reading.
    void Skip(int count = 1);

private:
    friend class TTransReader;
    TPartStream(const char* file, int nTrans, int from);
    TFieldValue Take(TFieldKind kind);

    std::unique_ptr<TBudgetTable> table_;
    bool missed_ = false;
};

// Reads the parts of one transaction, by key or as streams; it opens views of its own and
// never moves or filters the data module's part tables.
class TTransReader {
public:
    explicit TTransReader(int nTrans) : nTrans_(nTrans) {}

    // The part with that number, or nothing when it is missing.
    std::optional<int> Int(int part);
    std::optional<std::string> Text(int part);
    std::optional<TDateTime> Date(int part);

    // The parts of one table from the part numbered from on.
    TPartStream Ints(int from = 1) const { return TPartStream(tbl::jTrInteger, nTrans_, from); }
    TPartStream Texts(int from = 1) const { return TPartStream(tbl::jTrText, nTrans_, from); }
    TPartStream Dates(int from = 1) const { return TPartStream(tbl::jTrDate, nTrans_, from); }

private:
    std::optional<TFieldValue> Part(std::unique_ptr<TBudgetTable>& table, const char* file,
                                    int part);

    int nTrans_;
    std::unique_ptr<TBudgetTable> ints_, texts_, dates_;
};

// Rewrites integer part `part` of transaction nTrans with the value, inside the store
// transaction that is open (the step's), so that the part goes with the step's other writes:
// an applier records there what it gave out (an event's number, a count of files saved), which
// its redo and undo then read. False when the transaction has no such part.
bool RewriteIntPart(int nTrans, int part, int value);
// The same for date part `part`.
bool RewriteDatePart(int nTrans, int part, TDateTime value);

// What a kind's steps get of the transaction's row.
struct TTransRow {
    int NTrans = 0;
    std::string Act;
    int IDObject = 0;
    int Type = 0;
    std::string NameObject;
};

// Sets the Status of row NTrans in a writable view of the journal; false when there is no such
// row. Only the journal's own operations write Status.
bool SetTransStatus(TTable& journal, int nTrans, std::string_view status);
// The journal view shows the data module's journal table: the journal's operations refresh it
// after each write, before the commit (and after a rollback).
void RefreshJournalView();

// Deletes every transaction in "BACK" with its parts and its folder, newest first, and returns
// how many it deleted (kJournalBusy while another journal operation runs). The rows go in one
// store transaction and the folders after it has committed, so that a failure or a kill never
// leaves rows whose folder is gone. A folder that cannot be deleted: TfMain::FatalError -3, and
// the purge goes on to its end.
int PurgeUndoneTransactions();

// Applies the prepared transaction NTrans and returns the applier's result (above 0 when it
// succeeded; the caller selects the object changed):
//   1. purges the undone transactions (a new change ends the redo history);
//   2. no such row: fatal -1; a row that is not "READY": fatal -2, the row untouched;
//   3. sets "ACT" and commits it;
//   4. runs the Apply of the row's kind in one store transaction, which commits together with
//      "APPLY" when the result is above 0; otherwise it rolls back (and the files the applier
//      created go), the row stays "ACT" and the result is reported as fatal (unless the applier
//      reported it). A row without a kind, or whose kind has no Apply yet, gives 0.
// Lets the message loop run between the steps. kJournalBusy while another journal operation
// runs. A database error (or any exception) of the applier rolls its writes back and reaches
// the caller; the row stays "ACT".
int ApplyTransaction(int nTrans);
