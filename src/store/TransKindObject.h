// The journal kinds of the object tree: creating ("ADD") and deleting ("DEL") an object, per
// object type, renaming ("REN") and moving ("MOVE") one, with their layouts.
#pragma once

#include <string>
#include <vector>

#include "shell/ObjectIndex.h"
#include "store/TransBlocks.h"
#include "store/TransKind.h"

// ---- "REN": a new name, description and icon. The row's NameObject is the new name.

// I1 new icon, I2 old icon; T1 new description, T2 old name, T3 old description.
struct TRenameParts {
    int NewIcon = 0, OldIcon = 0;
    std::string NewDescript, OldName, OldDescript;
    template <class Io>
    void Parts(Io& io) {
        io.Int(NewIcon);
        io.Int(OldIcon);
        io.Text(NewDescript);
        io.Text(OldName);
        io.Text(OldDescript);
    }
    bool operator==(const TRenameParts&) const = default;
};

// Any Type. Undone by UndoRename, which gives 0.
class TRenameKind : public TTransKind {
public:
    using TParts = TRenameParts;
    TRenameKind();

    // ApplyRename: reads all five parts first (one missing: fatal -1, nothing written), then
    // gives the object's Objects.db row Image = I1, Name = the row's NameObject and Descript =
    // T1 (no such row: fatal -3); Expanded and the parent stay. Returns IDObject.
    std::optional<int> Apply(TStep& step) const override;
    // UndoRename: writes the old icon I2, old name T2 and old description T3 back into the
    // object's row and gives 0; -1, unreported, when the row is gone. A missing part is no
    // error: a missing text part writes an empty text, a missing I2 leaves the icon as it is
    // (there is no old icon to go back to).
    std::optional<int> Undo(TStep& step) const override;
    // DetailDescript: the new description (T1), an empty line, DetailOldName: the old name
    // (T2), DetailOldDescript: the old description (T3), an empty line, and DetailHasChanged:
    // followed by what changed (DetailBadge for the icon, DetailName, DetailDescript, joined
    // by ", ") and ".". A missing description reads "???" (and compares so); the icon counts as
    // changed only when both icon parts are there and differ.
    void Detail(const TTransRow& row, const TWords& word,
                std::vector<std::string>& lines) const override;
};

// ---- "MOVE": another parent. The row names the object moved.

// I1 new parent's ID, I2 old parent's ID; T1 new parent's name, T2 old parent's name.
struct TMoveParts {
    int NewParent = 0, OldParent = 0;
    std::string NewParentName, OldParentName;
    template <class Io>
    void Parts(Io& io) {
        io.Int(NewParent);
        io.Int(OldParent);
        io.Text(NewParentName);
        io.Text(OldParentName);
    }
    bool operator==(const TMoveParts&) const = default;
};

// Any Type. Undone by UndoMove, which gives the object's ID.
class TMoveKind : public TTransKind {
public:
    using TParts = TMoveParts;
    TMoveKind();
    // ApplyMove: reads all four parts first (one missing: fatal -1, nothing written), then sets
    // the object's IDParent to the new parent I1; the object's row gone: fatal -3. Gives the
    // object's ID. The descendants follow their parent without a write of their own.
    std::optional<int> Apply(TStep& step) const override;
    // UndoMove: sets the object's IDParent back to the old parent I2 (missing: fatal -1; the
    // object's row gone: fatal -3). Gives the object's ID.
    std::optional<int> Undo(TStep& step) const override;
    // An empty line, DetailFromFolder: the old parent's name (T2), DetailToFolder: the new
    // parent's name (T1).
    void Detail(const TTransRow& row, const TWords& word,
                std::vector<std::string>& lines) const override;
};

// ---- "ADD" and "DEL": an object with the snapshot of its content. The row's IDObject is -1 in
// a new "ADD" until it is applied, NameObject the object's name. A new object's "ADD" carries an
// empty content; a "DEL" carries everything the object holds, so that the Apply of the "ADD"
// kind brings it back under its ID.

// The content of a folder: none.
struct TFolderContent {
    static constexpr int kType = otFolder;
    template <class Io>
    void Parts(Io&) {}
    bool operator==(const TFolderContent&) const = default;
};

// A table's rows in the order of Index01: I3 their number, from T2 a row block each.
struct TTableContent {
    static constexpr int kType = otTable;
    std::vector<TTableRowBlock> Rows;
    template <class Io>
    void Parts(Io& io) {
        io.Count(Rows);
        io.Blocks(Rows);
    }
    bool operator==(const TTableContent&) const = default;
};

// An image album's pictures in the order of Index01: I3 their number, from T2 a picture block
// each. The pictures and their thumbnails ("mini/<name>.bmp") lie in the transaction's folder.
struct TImagesContent {
    static constexpr int kType = otImages;
    std::vector<TImageBlock> Pictures;
    template <class Io>
    void Parts(Io& io) {
        io.Count(Pictures);
        io.Blocks(Pictures);
    }
    bool operator==(const TImagesContent&) const = default;
};

// A file collection: I3 the number of its files (only whether it is 0 counts), which lie in the
// transaction's folder. The undo of an "ADD" writes it.
struct TFilesContent {
    static constexpr int kType = otFiles;
    int FileCount = 0;
    template <class Io>
    void Parts(Io& io) {
        io.Int(FileCount);
    }
    bool operator==(const TFilesContent&) const = default;
};

// A number's chronology: I3 the number of items, then a number item block each (dates from
// D1, texts from T2, integers from I4).
struct TNumberContent {
    static constexpr int kType = otNumber;
    std::vector<TNumberItemBlock> Items;
    template <class Io>
    void Parts(Io& io) {
        io.Count(Items);
        io.Blocks(Items);
    }
    bool operator==(const TNumberContent&) const = default;
};

// A pay: T2 Direction, T3 FilterMode; D1 FilterDateFrom, D2 FilterDateTo, D3 the earliest
// DateBegin of its active auto charges, no later than the day after the deletion (a new pay: the
// day after its creation; the Apply of "ADD" skips it); I3 the number of auto charges, I4 of
// history events; then an auto-charge block each and a history event block each (from T4, D4,
// I5).
struct TPayContent {
    static constexpr int kType = otPay;
    std::string Direction, FilterMode;
    TDateTime FilterDateFrom = 0, FilterDateTo = 0, EarliestChargeDate = 0;
    std::vector<TAutoChargeBlock> AutoCharges;
    std::vector<THistoryEventBlock> History;
    template <class Io>
    void Parts(Io& io) {
        io.Text(Direction);
        io.Text(FilterMode);
        io.Date(FilterDateFrom);
        io.Date(FilterDateTo);
        io.Date(EarliestChargeDate);
        io.Count(AutoCharges);
        io.Count(History);
        io.Blocks(AutoCharges);
        io.Blocks(History);
    }
    bool operator==(const TPayContent&) const = default;
};

// I1 IDParent, I2 the tree icon (Image); T1 Descript; then the content of the object's type.
template <class Content>
struct TObjectParts {
    int IDParent = 0, Image = 0;
    std::string Descript;
    Content Snapshot;
    template <class Io>
    void Parts(Io& io) {
        io.Int(IDParent);
        io.Int(Image);
        io.Text(Descript);
        Snapshot.Parts(io);
    }
    bool operator==(const TObjectParts&) const = default;
};

// "ADD" of an object of the content's type. Undone by UndoAdd, which gives 0.
template <class Content>
class TAddKind : public TTransKind {
public:
    using TParts = TObjectParts<Content>;
    TAddKind()
        : TTransKind(
              {std::string(kActAdd), Content::kType},
              {.UndoBy = TUndoBy::OwnUndo, .UndoResult = TUndoResult::Zero, .WholeInStep = true}) {}

    // ApplyAdd, also the redo of an "ADD" and the undo of a "DEL". Reads and checks every part
    // first (one missing, or an amount that is not a decimal text: fatal -1, nothing written),
    // and refuses an ID that an object has already (fatal -1). Then appends the Objects.db row
    // (the row's IDObject, or NextObjectId for -1, which is written into the journal row so that
    // a redo makes the same ID) with Expanded "N", and rebuilds the content:
    //   - a table's rows, NRow from 1 (a count of 0 leaves Tables.db alone);
    //   - an album's folder with "tmpload", "mini" and "mini/tmpload" (one that exists or
    //     cannot be made: fatal -4); with pictures, their Images.db rows from Number 1 and the
    //     files lying in the transaction's folder with their thumbnails from its "mini/";
    //   - a collection's folder (fatal -4 as above); with a count above 0, everything the
    //     transaction's folder holds, sub-folders too;
    //   - a number's items with their algorithms (new algorithm IDs), after deleting whatever
    //     items the ID still has (a count of 0 leaves Numbers.db alone);
    //   - a pay's Pays.db row, its auto charges with algorithms and schedules (a schedule keeps
    //     its ID where it is free) and its history, after deleting whatever data a pay of the ID
    //     still has.
    // A copy never replaces a file and one that fails is skipped; a transaction folder that has
    // vanished while the content names pictures or files (I3 above 0) fails the step with -1,
    // unreported (ApplyTransaction reports it; an undo or redo run stops there, and the program
    // goes on). The folders it made go again when the store transaction rolls back. Gives the
    // object's ID.
    std::optional<int> Apply(TStep& step) const override;
    // UndoAdd: the object's row gone: -1, unreported, nothing changed. A table's or collection's
    // I3 missing: fatal -1. An album's folder is deleted with the commit. A collection's folder
    // is first saved into the transaction's folder as it is now (files and sub-folders; saved
    // copies it no longer has are removed) and I3 set to the number of entries saved, so that a
    // redo brings back exactly what it held; a copy that fails gives -1 and keeps the folder.
    // The folder goes with the commit. A pay's Pays.db row goes too (every later change of the
    // pay has been undone before, so that row is all it has). Then the object's row is
    // deleted. Gives 0.
    std::optional<int> Undo(TStep& step) const override;
    // DetailDescript: the object's description (T1; "???" when missing).
    void Detail(const TTransRow& row, const TWords& word,
                std::vector<std::string>& lines) const override;
};

// "DEL" of an object of the content's type. Undone by the Apply of "ADD" on its snapshot. A pay's
// deletion and its undo rebuild the calendar from day 0, as the pay's charges leave or come back.
template <class Content>
class TDeleteKind : public TTransKind {
public:
    using TParts = TObjectParts<Content>;
    TDeleteKind() : TTransKind({std::string(kActDelete), Content::kType}, Steps()) {}

    // ApplyDelete: reads and checks every part and finds the object's row first (a part
    // missing: fatal -1; no row: fatal -3; nothing deleted), then removes the content (a
    // table's rows, an album's rows and folder, a collection's folder, a number's items with
    // their algorithms, a pay's data) and the object's row. A collection's folder goes as its
    // preparation saved it into the transaction's folder on the first application (which
    // follows the preparation at once, TStep::FirstApplication); a redo first saves the folder
    // into the transaction's folder again as it is now, as the undo of its creation does (its
    // files change outside the journal, so a redo finds more than the deletion saved), and a
    // copy that fails gives -1 and keeps everything. Folders go with the commit; one
    // that cannot be deleted is the main window's fatal error, after the deletion has gone to
    // its end. Gives 1.
    std::optional<int> Apply(TStep& step) const override;
    // DetailDescript: the object's description (T1; "???" when missing); for a file collection
    // then an empty line, DetailDeletedFiles and the files that the deletion kept in the
    // transaction's folder, by name, one a line as "1). name" (folders are not listed).
    void Detail(const TTransRow& row, const TWords& word,
                std::vector<std::string>& lines) const override;

private:
    static TStepData Steps() {
        const TDerivedUpdate update =
            Content::kType == otPay ? TDerivedUpdate::CalendarFromDayZero : TDerivedUpdate::None;
        return {.UndoBy = TUndoBy::ApplyAdd,
                .UndoResult = TUndoResult::ObjectId,
                .AfterApply = update,
                .AfterUndo = update,
                .WholeInStep = true};
    }
};
