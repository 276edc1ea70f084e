// The "DEL" transaction of an object of the open budget with the complete snapshot of its
// content, which the delete-object dialog writes and the journal's undo brings back.
// (Window-free, apart from the dialog's unit U_fdelobject, so that it builds into the engine.)
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <system_error>

#include "store/Utransactions.h"

// A file of the object (a picture, a thumbnail, a file of a collection) that exists but cannot
// be saved into the transaction's folder: the deletion is given up, nothing of it is written and
// the object stays whole.
class ESnapshotFile : public std::runtime_error {
public:
    ESnapshotFile(std::filesystem::path file, std::error_code error);
    const std::filesystem::path& File() const { return file_; }
    const std::error_code& Error() const { return error_; }

private:
    std::filesystem::path file_;
    std::error_code error_;
};

// Writes the "DEL" transaction of the object with that ID in the open budget, in the layout of
// the "DEL" kind of its type (TObjectParts<...Content>), and gives its writer, to be made ready
// and applied (TTransWriter::Apply):
//   - the jTrans row names the object (IDObject, Type, NameObject from its Objects.db row);
//   - I1 its IDParent, I2 its stored icon (Image, never the expanded one), T1 its Descript;
//   - its content as it stands: a table's rows; an album's pictures, with its files copied into
//     jTrFiles/<n> and each one's thumbnail ("mini/" + ThumbnailName) into its "mini/" (both
//     folders made even for an empty album; a thumbnail that is missing is passed over); a
//     collection's files, sub-folders and links (as links) copied into jTrFiles/<n>, I3 the
//     number of entries copied (the copies that the deletion's first application keeps); a
//     number's items with their algorithms; a pay's settings, its auto charges with algorithms
//     and schedules, its history and the earliest DateBegin of its active charges, starting at
//     tomorrow.
// The whole preparation is one store transaction: when it does not get to "READY" nothing of it
// stays, neither rows nor folder. Gives null when a fatal error was reported meanwhile (the
// object's row or one of its algorithms missing, a folder that cannot be made): the program is
// ending and nothing is to be applied (a writer whose jTrans row is lost is not made ready
// either). Throws ESnapshotFile as above, EJournalBusy while another journal operation runs;
// database errors reach the caller.
std::unique_ptr<TTransWriter> WriteDelTransaction(int id);
