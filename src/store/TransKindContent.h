// The journal kinds that replace the content of a table, an image album or a number ("CHANG"
// of Type 20, 30 and 50), with their layouts: the new content and, for the undo, the old one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "shell/ObjectIndex.h"
#include "store/TransBlocks.h"
#include "store/TransKind.h"

// ---- A table: I1 the number of rows after the change, I2 before; T1 ... the new rows' blocks,
// then the old rows' blocks as they were in Tables.db (order of Index01).
struct TTableChangeParts {
    std::vector<TTableRowBlock> NewRows, OldRows;
    template <class Io>
    void Parts(Io& io) {
        io.Count(NewRows);
        io.Count(OldRows);
        io.Blocks(NewRows);
        io.Blocks(OldRows);
    }
    bool operator==(const TTableChangeParts&) const = default;
};

// Undone by UndoTableChange, which gives the object's ID.
class TTableChangeKind : public TTransKind {
public:
    using TParts = TTableChangeParts;
    TTableChangeKind();
    // ApplyTableChange, also its redo: reads and checks the whole layout first (a part missing,
    // a count negative: fatal -1; the object's row gone: fatal -3; nothing written), then
    // replaces the object's Tables.db rows with the new rows, NRow from 1. Gives the object's ID.
    std::optional<int> Apply(TStep& step) const override;
    // UndoTableChange: the same with the old rows.
    std::optional<int> Undo(TStep& step) const override;
};

// ---- An image album: I1 the number of pictures after the change, I2 before; T1 ... the new
// pictures' blocks in their new order, then the old ones as they were in Images.db. The
// transaction's folder holds "in/" (with "in/mini/") the pictures the change adds and "out/"
// (with "out/mini/") those it removes.
struct TImagesChangeParts {
    std::vector<TImageBlock> NewPictures, OldPictures;
    template <class Io>
    void Parts(Io& io) {
        io.Count(NewPictures);
        io.Count(OldPictures);
        io.Blocks(NewPictures);
        io.Blocks(OldPictures);
    }
    bool operator==(const TImagesChangeParts&) const = default;
};

// Undone by UndoImagesChange, which gives the object's ID.
class TImagesChangeKind : public TTransKind {
public:
    using TParts = TImagesChangeParts;
    TImagesChangeKind();
    // ApplyImagesChange, also its redo: reads and checks the whole layout first (as the table's
    // change), then replaces the album's Images.db rows with the new pictures, Number from 1,
    // and brings the album's files to the new side: the pictures in "out/" whose names are not
    // in "in/" leave the album (with their thumbnails in "mini/"), and those in "in/" come in
    // from the transaction's folder (with their thumbnails from "in/mini/"), replacing a file of
    // the name. The album frame's reload mark is reset when it holds the album. Gives the ID.
    std::optional<int> Apply(TStep& step) const override;
    // UndoImagesChange: the same with the old pictures and the sides swapped, except that a
    // picture coming back from "out/" replaces only the file that the change brought in under
    // its name; another file of the name stays.
    //
    // Files. Only regular files of "in/" and "out/" count (links, folders and devices there are
    // skipped); a folder in the album is never deleted or replaced, and a copy that fails is
    // skipped. Everything that could lose a picture waits for the commit: a picture that comes
    // in where there is none is copied at once (and goes again on rollback), a replacement is a
    // copy renamed over the file after the commit, and a deletion happens after the commit. So
    // at every moment, a kill included, the album holds every picture its committed rows name.
    // A transaction folder that is gone changes only the rows.
    std::optional<int> Undo(TStep& step) const override;
    // For a change never applied: the pictures its preparation moved from the staging folders
    // into "in/" (and "in/mini/") go back there, and of the album's pictures it kept in "out/"
    // (and "out/mini/") each goes where the album holds the picture of the name (a link or a
    // copy of it), and back into the album where the album no longer does. TakenBack; Kept
    // when a file cannot be put back (a file of its name already in the staging folder, the
    // album's folder gone). A copy in the album that the rolled-back application made of a
    // picture of "in/" (the same name and bytes, named by no row of the album) goes first.
    TPreparationLeft TakeBackPreparation(const std::string& budget,
                                         const TTransRow& row) const override;
    // An empty line, DetailNewImages and a line "k). file name , description" for each new
    // picture; an empty line, DetailOldImages and the old pictures' lines the same way. A list
    // whose count part is missing is left out (the old list also needs the new count, which
    // says where it starts); a list ends at its first missing file name.
    void Detail(const TTransRow& row, const TWords& word,
                std::vector<std::string>& lines) const override;
};

// ---- A number: I1 the number of items after the change, I2 before; the new chronology's item
// blocks, then the old one's (integers from I3, texts from T1, dates from D1); then three
// integer parts, the old-half locator: how many integer, text and date parts come before the
// first old block; then a date part: the earliest date the change touches.
struct TNumberChangeParts {
    std::vector<TNumberItemBlock> NewItems, OldItems;
    TPartMark OldHalf;  // filled in when written
    TDateTime EarliestDate = 0;
    template <class Io>
    void Parts(Io& io) {
        io.Count(NewItems);
        io.Count(OldItems);
        io.Blocks(NewItems);
        io.Mark(OldHalf);
        io.Blocks(OldItems);
        io.Int(OldHalf.Ints);
        io.Int(OldHalf.Texts);
        io.Int(OldHalf.Dates);
        io.Date(EarliestDate);
    }
    bool operator==(const TNumberChangeParts&) const = default;
};

// Undone by UndoNumberChange, which gives the object's ID; both recalculate a running budget
// from its beginning, as any algorithm may read the number.
class TNumberChangeKind : public TTransKind {
public:
    using TParts = TNumberChangeParts;
    TNumberChangeKind();
    // ApplyNumberChange, also its redo: reads and checks the whole layout first (a part
    // missing, a count negative, an old-half locator that does not name the old half, a
    // constant of the new chronology that is no decimal text: fatal -1; the object's row gone:
    // fatal -3; nothing written), then replaces the number's items and their algorithms with the new chronology
    // (every algorithm under a new ID). The number frame's reload mark is reset when it holds
    // the number. Gives the object's ID.
    std::optional<int> Apply(TStep& step) const override;
    // UndoNumberChange: the same with the old chronology (a malformed constant of the new one
    // does not count, so that a change can mend one; its undo is then refused).
    std::optional<int> Undo(TStep& step) const override;
};
