// Undo and redo of the open budget's journal: marking a block of transactions, running it step by
// step, cancelling the marks a run did not reach, and putting back the marks a crash left.
//
// Undo reverses every applied transaction ("APPLY") from the chosen one up to the newest, the
// newest first; redo applies again every undone transaction ("BACK") from the oldest undone one
// up to the chosen one, the oldest first. A sound journal in NTrans order has its "APPLY" rows
// below its "BACK" rows. The three operations of each direction work on the statuses alone:
//   - marking fixes the block: "APPLY" -> "TOBACK" (MarkUndo), "BACK" -> "TOACTB" (MarkRedo);
//   - running walks the marked block and gives each row its final status as soon as its step has
//     succeeded: "TOBACK" -> "BACK", "TOACTB" -> "APPLY";
//   - cancelling takes back the marks that a run left: "TOBACK" -> "APPLY", "TOACTB" -> "BACK".
// A step runs the kind of its row (TransKinds()): the undo is the step its TStepData names
// (TTransKinds::Undo), the redo is its Apply. Each step and the status write of its row are one
// store transaction: a step that fails, throws or is killed leaves the tables as before it, and
// its row keeps its mark. A marking or cancelling is one store transaction too.
//
// Every operation opens views of its own on the journal and refreshes the data module's journal
// table (the journal view) after its writes. Each holds the journal (TJournalGuard) while it
// works and is refused while another journal operation runs.
#pragma once

#include <functional>
#include <string>
#include <vector>

// A marking was refused: the journal from the chosen row on holds a transaction that never
// finished ("PREP", "READY", "ACT") or marks left by a run that did not finish, or the chosen row
// is not in the journal. Nothing was marked.
constexpr int kMarkRefused = -1;
// A redo was asked below the block of undone transactions (or there is none).
constexpr int kMarkBelowBlock = -2;

// Marks for undo the "APPLY" rows from row nTrans upward, up to the first "BACK" row, and returns
// how many it marked "TOBACK" (0 when row nTrans is "BACK"). kMarkRefused when a row from nTrans
// on is neither "APPLY" nor "BACK" or there is no row nTrans; kJournalBusy while another journal
// operation runs. Lets paint and timer events run after every row.
int MarkUndo(int nTrans);
// Sets back to "APPLY" the "TOBACK" rows from the first row at or after nTrans upward, up to the
// first row with another status, and returns how many (kJournalBusy while another journal
// operation runs). Lets paint and timer events run after every row.
int CancelUndoMarks(int nTrans);

// Marks for redo the undone rows from the oldest "BACK" row above the newest "APPLY" row (the
// block start) up to row nTrans, and returns how many it marked "TOACTB". kMarkRefused when a
// row of the journal is neither "APPLY" nor "BACK", or row nTrans is not an undone row;
// kMarkBelowBlock when row nTrans lies below the block start (so also when the newest row is
// "APPLY": an applied transaction is never marked to be applied again); kJournalBusy while
// another journal operation runs. Lets paint and timer events run after every row.
int MarkRedo(int nTrans);
// Sets back to "BACK" the "TOACTB" rows from the block start (as MarkRedo finds it, whatever
// the statuses) up to nTrans, and returns how many; kMarkBelowBlock when nTrans lies below the
// block start (or there is no undone row above the newest "APPLY" row). kJournalBusy while
// another journal operation runs. Lets paint and timer events run after every row.
int CancelRedoMarks(int nTrans);

// Told after every completed step of a run (a progress bar advances by one).
using TRunProgress = std::function<void()>;

// A run over the marked block of one direction, one step at a time, so that its caller keeps
// the event loop turning between the steps (the undo and redo dialog runs one step per turn).
// Made by RunUndo or RunRedo, which find the block: the newest marked row and the marked rows
// right below it (contiguous in the journal's row order, whatever gaps NTrans has).
class TJournalRun {
public:
    // Runs the next step of the block and gives the row its final status. False once the run
    // has ended: every row of the block is done, a step failed, or the stop flag was found set
    // after a completed step (the step in progress always completes). A step fails when
    //   - another journal operation runs, or a fatal error was reported (the program is ending);
    //   - its row is gone or no longer has the run's mark;
    //   - its row has no kind (an unknown Act, a "CHANG" of an unknown Type or code), or the
    //     kind has no such step yet (nothing is run);
    //   - the step gives a failure: an undo step a negative result, a redo (the kind's Apply) a
    //     result of 0 or less, as ApplyTransaction takes it.
    // The failed row keeps its mark and its step's writes are rolled back. A database error (any
    // exception) of a step rolls it back, ends the run as failed at that row and reaches the
    // caller.
    bool Step();

    bool Ended() const { return next_ >= block_.size() || failed_ || stopped_; }
    // The number of steps done, or minus the NTrans of the step that failed.
    int Result() const { return failed_ ? -block_[next_] : static_cast<int>(next_); }

private:
    friend TJournalRun RunUndo(const bool& stop, TRunProgress progress);
    friend TJournalRun RunRedo(const bool& stop, TRunProgress progress);
    TJournalRun(bool undo, const bool& stop, TRunProgress progress);

    bool undo_;
    const bool* stop_;
    TRunProgress progress_;
    std::vector<int> block_;  // the rows' NTrans in the order of the steps
    std::size_t next_ = 0;    // the next step's row; the steps before it are done
    bool failed_ = false;
    bool stopped_ = false;
};

// The undo run over the block of "TOBACK" rows, the newest row first; each step that succeeds
// sets its row "BACK". stop is read after every completed step; progress is told after it.
TJournalRun RunUndo(const bool& stop, TRunProgress progress = {});
// The redo run over the block of "TOACTB" rows, the oldest row first; each step that succeeds
// sets its row "APPLY".
TJournalRun RunRedo(const bool& stop, TRunProgress progress = {});

// Puts back the marks that a run cut short by a crash left in the journal of the budget in the
// folder: "TOBACK" to "APPLY", "TOACTB" to "BACK", so that undo and redo are not blocked for
// good. Returns how many rows it set back; writes nothing when there is none. Every opening of a
// budget's tables runs it (TDM::OpenBudget), before the tables are open.
int ResetStaleMarks(const std::string& folder);
// Settles the transactions of the budget in the folder that a crash or a failure left
// unfinished, so that they do not block the undo and redo of older ones: a row left "READY"
// (prepared, never applied) of any known kind, and a row left "ACT" by an application that was
// rolled back as one store transaction (a kill, an exception, a full disk) of a kind that keeps
// everything its application writes in its step (TStepData::WholeInStep). Such a row changed
// nothing but what its preparation did, which its kind takes back first
// (TTransKind::TakeBackPreparation: the budget's files that it moved into the transaction's
// folder go back where they came from). The newest row of the journal becomes "BACK" when its
// preparation is whole for a redo (the next new transaction purges it). Any other row goes with
// its parts and its folder, as the next transaction's purge would have taken it had it been
// undone: the rows above it were applied without it, so it can be neither redone before them
// nor lie undone below them. A row of no known kind, an acting row of another kind and a row
// whose preparation could not be taken back whole stay as they are. Returns how many rows it
// settled. Every opening of a budget's tables runs it (TDM::OpenBudget), after ResetStaleMarks;
// so do an application that threw and a preparation whose files could not be placed.
int SettleRolledBackApplications(const std::string& folder);
// Removes the album and collection folders of the budget in the folder that no object of it
// has: an Images/IMG<id> where no image album has the ID, a Files/DIR<id> where no file
// collection has it. A kill leaves such a folder where a step had made one and its rollback,
// which would have removed it, never ran (the row stays undone or unapplied, and its redo or
// application would find the folder in the way), or where a step's commit was to be followed by
// the folder's deletion; either way no row names it and the journal holds what it carried. Every
// folder an object has stays, and so does every other entry (a file, a link, another name).
// What cannot be removed stays, unreported: the step that finds it in the way reports it.
// Returns how many it removed. Every opening of a budget's tables runs it (TDM::OpenBudget),
// after SettleRolledBackApplications.
int RemoveUnnamedObjectFolders(const std::string& folder);
