// What the image album frame does without a window: the edit list of an album's pictures and
// its operations, the album's "CHANG" transaction with its files, and the mark of the picture
// shown last.
#pragma once

#include <string>
#include <vector>

#include "store/U_dm.h"

// One picture of the edit list: its file name inside the album folder (inside "tmpload/" while
// staged), its description, its 1-based position (-1 for a stored picture removed in this edit)
// and its state: 'l' loaded, 'i' added in this edit and staged, 'd' a stored picture removed.
struct ImageInform {
    std::string FileName;
    std::string Descript;
    int Number = 0;
    char Status = 'l';
    bool IsLive() const { return Number > 0 && Status != 'd'; }
    bool operator==(const ImageInform&) const = default;
};

// The edit list, sorted by Number: the removed stored pictures (-1) first, then the live ones
// numbered 1, 2, ... without gaps.
using TPictureList = std::vector<ImageInform>;

// The most characters of a picture's file name.
inline constexpr size_t kMaxPictureName = 100;
// The size of a thumbnail's box.
inline constexpr int kThumbnailWidth = 117, kThumbnailHeight = 88;

// The album's rows of Images.db in index order as the edit list, each numbered by its place;
// `lastShown` the place of the row marked "c" (0 for none).
TPictureList LoadAlbum(int id, int& lastShown);

// The number of live pictures; the index of the live entry of that number, -1 when none.
int CountLive(const TPictureList& pictures);
int IndexOfNumber(const TPictureList& pictures, int number);

// Removes the live picture `number`: a staged one leaves the list with its staged files, a
// stored one becomes 'd' at -1; the pictures after it move up by one. False (nothing changed)
// when there is no such picture.
bool RemovePicture(TPictureList& pictures, int number, const std::string& album);
// Swaps the picture `number` with the one before it (by -1) or after it (by +1). False when
// there is none there.
bool MovePicture(TPictureList& pictures, int number, int by);
// Every staged picture leaves the list with its files, every stored one becomes 'd' at -1.
void ClearPictures(TPictureList& pictures, const std::string& album);
// Puts the added pictures ('i') in at position `at` (1-based; the count of live pictures + 1
// appends), the pictures from there on moving down.
void InsertPictures(TPictureList& pictures, int at, const std::vector<ImageInform>& added);
// Deletes every file of the staging folders (what an edit added and did not apply).
void DeleteStagedFiles(const std::string& album);

// Writes the album's change, the new list against the rows that Images.db holds, in the layout
// that the journal's album applier reads, with its files: every removed picture with its
// thumbnail is linked (or, where the file system has no links, copied) from the album into
// "out/" and "out/mini/", the album keeping it until the application's commit, so that no
// failure nor kill before it takes a picture that the rows name from the album; once the row is
// ready, every staged picture with its thumbnail is moved into "in/" and "in/mini/" (a kill
// then leaves a "READY" row whose preparation the next opening takes back). Each is checked:
// when one fails, nothing is made ready (a link that fails) or the moves done are taken back
// and the ready row settled as never applied (a move that fails), the staged files stay, and
// `error` names the file and the system's reason (0 returned). A missing thumbnail is not a
// failure. Otherwise the journal applies it: the applier's result. When the preparation cannot
// be made ready or the application fails (or throws: the exception goes on to the caller), the
// moves are taken back as well, so that nothing staged is lost.
int JournalImagesChange(int id, const std::string& nameObject, const TPictureList& pictures,
                        std::string& error);

// Marks the picture at place `number` (in index order) of the album as the one shown last ("c"
// in Current, outside the journal): every other mark goes. Number 0 only takes the marks away.
void MarkShownPicture(int id, int number);
