// The kinds of journal transaction: the kind type with its step data and hooks, the registry
// by which the journal finds a row's kind, and the writing and reading of a kind's typed layout.
//
// A kind (one per Act, per object Type where the layouts differ, per pay change code) is one
// unit that owns
//   - its layout: a struct of its parts with ONE description of their order,
//         struct TMoveParts {
//             int NewParent = 0, OldParent = 0;
//             std::string NewParentName, OldParentName;
//             template <class Io> void Parts(Io& io) {
//                 io.Int(NewParent);  io.Int(OldParent);             // I1, I2
//                 io.Text(NewParentName);  io.Text(OldParentName);   // T1, T2
//             }
//         };
//     which WriteParts visits to write the parts through a TTransWriter and ReadParts to read
//     them back (each table's parts numbered on from 1 in the order described, whatever the
//     order between the tables); repeated blocks are a vector with its count part and its blocks
//     (io.Count(rows) where the count is written, io.Blocks(rows) where the blocks are; a block
//     is a struct with its own Parts, or a plain int, text or date);
//   - its step data (TStepData): which step undoes it and what a running budget's derived pay
//     data needs after each step; the undo and redo runs read them, nothing switches on Act;
//   - its hooks Apply, Undo and Detail, which a kind overrides as its steps are built.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "store/FileEffects.h"
#include "store/Utransactions.h"

// For a kind that serves every Type of its Act, and for a kind that is not chosen by a change
// code.
constexpr int kAnyType = -1;
constexpr int kNoCode = -1;

// What a kind is registered under: the row's Act and Type and, for the kinds chosen by the
// change code in their first integer part (the pay changes), that code.
struct TKindKey {
    std::string Act;
    int Type = kAnyType;
    int Code = kNoCode;
    auto operator<=>(const TKindKey&) const = default;
};

// Which step undoes a kind.
enum class TUndoBy {
    OwnUndo,   // its own Undo hook
    ApplyAdd,  // the Apply of the "ADD" kind of its Type on its own row and parts: the deletion
               // kept a snapshot in the layout of a creation, which brings the object back
};

// What an undo step gives when it succeeded. The undo run takes any result that is not
// negative as a success, where ApplyTransaction takes only results above 0.
enum class TUndoResult {
    ObjectId,  // the object's ID, as an applier does
    Zero,      // 0
};

// What a running budget's derived pay data (calendar, automatic charges, balances) needs after
// a step. A stopped budget needs nothing.
enum class TDerivedUpdate {
    None,
    // RunAutoRecalc from the beginning of the budget's data.
    RecalcFromBeginning,
    // RebuildCalendar from day 0 to LatestPayEventDate + 5 days, without a recalculation.
    CalendarFromDayZero,
    // RebuildCalendar from the date the step touched to LatestPayEventDate + 5 days, then
    // RunAutoRecalc from that date.
    CalendarAndRecalcFromDate,
    // RebuildCalendar from the date the step touched to LatestPayEventDate + 5 days, then
    // RunAutoRecalc from the beginning.
    CalendarFromDateRecalcFromBeginning,
};

// The rows of the undo and redo step tables for one kind. The redo step of every kind is its
// Apply; the step that undoes it and the derived data are these.
struct TStepData {
    TUndoBy UndoBy = TUndoBy::OwnUndo;
    TUndoResult UndoResult = TUndoResult::ObjectId;
    TDerivedUpdate AfterApply = TDerivedUpdate::None;  // also after its redo
    TDerivedUpdate AfterUndo = TDerivedUpdate::None;
    // Whether everything the kind's application writes, files included, lies in its store
    // transaction and the step's file effects: a row of it left "ACT" (the application rolled
    // back) has then changed nothing but what its preparation did, which the kind's
    // TakeBackPreparation takes back.
    bool WholeInStep = false;
    // Whether a row whose first application threw goes at once with its parts and its folder:
    // the kind's applier then removes what its preparation left for it (an import's copy of the
    // archive), so that nothing of the change is left to redo.
    bool DropWhenFirstFails = false;
    bool operator==(const TStepData&) const = default;
};

// What a step of a kind works on: the transaction's row and the file effects of the store
// transaction it runs in (files it creates, deletions it asks for).
struct TStep {
    const TTransRow& Row;
    TFileEffects& Files;
    // Whether the step is the row's first application (ApplyTransaction of its "READY" row), not
    // a redo nor an undo step. The preparer applies the row as soon as it is ready, holding the
    // journal, and no user input is let in between, so the files the preparation saved of the
    // budget are still the budget's as they stand.
    bool FirstApplication = false;
};

// What taking back a preparation left of a transaction that was never applied.
enum class TPreparationLeft {
    // Everything the preparation made is still as a redo needs it (its parts, the copies in its
    // folder), and nothing of the budget's files waits in its folder: the row may stay undone.
    Redoable,
    // What the preparation moved or put in place is back where it came from; what stays in its
    // folder is no longer whole, so the row can only go, with its folder.
    TakenBack,
    // A file could not be put back: the row stays as it is, and its folder with it.
    Kept,
};

// One kind of transaction. The hooks a kind does not override say that it has no such step
// yet: ApplyTransaction then takes the row as one without an applier (result 0, "FATAL ERROR:
// Unknown error"), and the detail text has no lines of the kind.
class TTransKind {
public:
    TTransKind(TKindKey key, TStepData steps) : key_(std::move(key)), steps_(steps) {}
    virtual ~TTransKind() = default;
    TTransKind(const TTransKind&) = delete;
    TTransKind& operator=(const TTransKind&) = delete;

    const TKindKey& Key() const { return key_; }
    const TStepData& Steps() const { return steps_; }

    // Carries the transaction out (and is its redo): above 0 on success (the ID for "ADD", 1 for
    // "DEL", IDObject otherwise), or the negative code of the fatal error it has reported. It
    // runs inside the store transaction of the application; it never writes Status. Nothing
    // (the default) while the kind has no applier.
    virtual std::optional<int> Apply(TStep& step) const;
    // Takes the transaction back (for a kind with TUndoBy::OwnUndo): as Steps().UndoResult
    // says on success, negative on failure. Nothing (the default) while it has no undo step.
    virtual std::optional<int> Undo(TStep& step) const;
    // Adds the kind's lines to the journal view's detail text of the row (after its date, action
    // and name lines); word gives the journal view's caption of a key. None by default.
    using TWords = std::function<std::string(std::string_view key)>;
    virtual void Detail(const TTransRow& row, const TWords& word,
                        std::vector<std::string>& lines) const;
    // Takes back what the preparation of the row did to the files of the budget in the folder
    // `budget` (not necessarily the open one), for a row that was never applied: one left
    // "READY", or "ACT" by an application that rolled back. It decides from what is on disk,
    // and may run again on what an earlier run left. Redoable by default: a preparation that
    // wrote only parts and copies into the transaction's folder.
    virtual TPreparationLeft TakeBackPreparation(const std::string& budget,
                                                 const TTransRow& row) const;
    // The day from which a running budget's derived pay data follow the step just done (its
    // Apply when `undo` is false, else its undo step), for the updates "from the date" of
    // TDerivedUpdate; nothing when this step needs no update after all (its parts say so). Day
    // 0 by default. It runs after the step succeeded, inside its store transaction.
    virtual std::optional<TDateTime> DerivedFrom(const TTransRow& row, bool undo) const;

private:
    TKindKey key_;
    TStepData steps_;
};

// Brings a running budget's derived pay data up to date after a step, as the update says:
// ShellServices().RebuildCalendar from the day `from` (day 0 for CalendarFromDayZero) to
// LatestPayEventDate + 5 days unless it is RecalcFromBeginning, then
// ShellServices().RunAutoRecalc from `from` or from the beginning unless it is
// CalendarFromDayZero. Nothing for a stopped budget or TDerivedUpdate::None.
void UpdateDerivedPayData(TDerivedUpdate update, TDateTime from);

// The kinds by their keys. A row's kind is the one of its Act and Type, else the one of its Act
// for every Type; where kinds are registered by change code for the Act and Type, the code in
// the transaction's I1 chooses among them instead, and a code without a kind (or a missing code
// part) takes the kind of the Act and Type registered without a code, when there is one.
class TTransKinds {
public:
    // Registers the kind under its key and returns the kind it replaces (null when none).
    std::unique_ptr<TTransKind> Add(std::unique_ptr<TTransKind> kind);
    // Takes the kind of the key out and returns it (null when none).
    std::unique_ptr<TTransKind> Remove(const TKindKey& key);

    // The kind registered under exactly this key, or null.
    const TTransKind* Find(const TKindKey& key) const;
    // The kind of the row, or null when it has none (an unknown Act, a "CHANG" of a Type
    // without content changes, a code part that is missing or has no kind, and no kind of the
    // Act and Type without a code).
    const TTransKind* KindOf(const TTransRow& row) const;

    // Runs the step that undoes the row (TStepData::UndoBy); nothing when the row has no kind or
    // the step has no hook yet.
    std::optional<int> Undo(TStep& step) const;
    // Runs the row's step, its Apply or (`undo`) the step that undoes it, and when that
    // succeeded (Apply above 0, an undo 0 or more) the update of the derived pay data that the
    // kind names for it (UpdateDerivedPayData); nothing when the row has no kind or the step no
    // hook. The undo and redo runs and the application run their steps through it.
    std::optional<int> Step(TStep& step, bool undo) const;

private:
    const TTransKind* ForActAndType(std::string_view act, int type, int nTrans) const;

    std::map<TKindKey, std::unique_ptr<TTransKind>> kinds_;
    std::set<std::pair<std::string, int>> chosenByCode_;  // Act and Type
};

// The kinds that the journal dispatches to; the program registers them at its start
// (RegisterJournalKinds).
TTransKinds& TransKinds();

// ---- Typed layouts

// Where a part of a layout stands in each table: the number of integer, text and date parts
// written before it. The writer fills it in where the layout marks it (io.Mark); a layout writes
// it into its own parts where it keeps it (the old-half locator of a content change).
struct TPartMark {
    int Ints = 0, Texts = 0, Dates = 0;
    bool operator==(const TPartMark&) const = default;
};

namespace trans_kind_detail {
template <class Io, class Block>
void VisitBlock(Io& io, Block& block) {
    if constexpr (std::is_same_v<Block, int>)
        io.Int(block);
    else if constexpr (std::is_same_v<Block, std::string>)
        io.Text(block);
    else if constexpr (std::is_same_v<Block, TDateTime>)
        io.Date(block);
    else
        block.Parts(io);
}
}  // namespace trans_kind_detail

// Writes a layout's parts after those written so far.
class TPartsWriter {
public:
    explicit TPartsWriter(TTransWriter& writer) : writer_(writer) {}

    void Int(int& value) { writer_.AddInt(value); }
    void Text(std::string& value) { writer_.AddText(value); }
    void Date(TDateTime& value) { writer_.AddDate(value); }
    template <class Block>
    void Count(std::vector<Block>& blocks) {
        writer_.AddInt(static_cast<int>(blocks.size()));
    }
    template <class Block>
    void Blocks(std::vector<Block>& blocks) {
        for (Block& block : blocks) trans_kind_detail::VisitBlock(*this, block);
    }
    void Mark(TPartMark& mark) {
        mark = {writer_.IntCount(), writer_.TextCount(), writer_.DateCount()};
    }

private:
    TTransWriter& writer_;
};

// Reads a layout's parts as three streams, from the first part of each table. A count read
// gives its vector that many blocks as they are read; a part missing (read past the end of its
// table) reads as 0, "" or day 0 and makes the read incomplete, and blocks stop at the first one.
// A negative count makes the read unsound, and so does a mark whose parts (the old-half
// locator) name another place than the one where the layout marks it.
class TPartsReader {
public:
    explicit TPartsReader(int nTrans) : parts_(nTrans) {}

    void Int(int& value) {
        value = Stream(ints_, &TTransReader::Ints).ReadInt();
        ++read_.Ints;
    }
    void Text(std::string& value) {
        value = Stream(texts_, &TTransReader::Texts).ReadText();
        ++read_.Texts;
    }
    void Date(TDateTime& value) {
        value = Stream(dates_, &TTransReader::Dates).ReadDate();
        ++read_.Dates;
    }
    template <class Block>
    void Count(std::vector<Block>& blocks) {
        int count = 0;
        Int(count);
        if (count < 0) negativeCount_ = true;
        blocks.clear();
        counts_.emplace_back(&blocks, count);
    }
    template <class Block>
    void Blocks(std::vector<Block>& blocks) {
        for (int count = TakeCount(&blocks); count > 0 && Complete(); --count)
            trans_kind_detail::VisitBlock(*this, blocks.emplace_back());
    }
    // The marks are parts of their own where the layout keeps them; the reader notes where each
    // one stands, for Sound to compare once they are read.
    void Mark(TPartMark& mark) { marks_.emplace_back(&mark, read_); }

    // Every part read was there.
    bool Complete() const;
    // Every part read was there, no count is negative and every mark names its place.
    bool Sound() const;

private:
    using TOpen = TPartStream (TTransReader::*)(int) const;
    TPartStream& Stream(std::optional<TPartStream>& stream, TOpen open);
    int TakeCount(const void* blocks);

    TTransReader parts_;
    std::optional<TPartStream> ints_, texts_, dates_;
    std::vector<std::pair<const void*, int>> counts_;  // read, blocks not read yet
    // The parts read so far, and the marks met with the place of each.
    TPartMark read_;
    std::vector<std::pair<const TPartMark*, TPartMark>> marks_;
    bool negativeCount_ = false;
};

// Writes the layout's parts through the writer (after any parts written before); fills in its
// marks on the way.
template <class Layout>
void WriteParts(TTransWriter& writer, Layout& parts) {
    TPartsWriter io(writer);
    parts.Parts(io);
}

// Reads the layout of transaction nTrans; nothing when a part is missing, a count is negative
// or a mark names another place than its own (TPartsReader::Sound).
template <class Layout>
std::optional<Layout> ReadParts(int nTrans) {
    Layout parts;
    TPartsReader io(nTrans);
    parts.Parts(io);
    if (!io.Sound()) return std::nullopt;
    return parts;
}
