// The journal's content blocks and the open budget's tables, both ways: an applier that brings
// a number's items, a pay's auto charges or its history back from a transaction stores each
// block with these, and checks the amounts the blocks carry before it writes anything; a writer
// that records the rows as they stand (a deletion's snapshot, the old half of a content change)
// makes its blocks with these.
#pragma once

#include <optional>
#include <vector>

#include "algorithms/Uq519algorithm01.h"
#include "platform/Table.h"
#include "store/TransBlocks.h"

// The algorithm the block describes, with ID 0 (storing it gives it a new ID), its initial data
// and variable descriptions in the block's order and the text its pieces join to.
Algorithm01 AlgorithmOf(const TAlgorithmBlock& block);

// Appends the item as a Numbers.db row of the number: ItemType its first character, and for an
// "A" item the block's algorithm stored under a new ID in IDAlg.
void StoreNumberItem(int numberId, const TNumberItemBlock& item);

// Appends the charge as a PayAutoCharges.DB row of the pay with its algorithm (an "A" charge,
// under a new ID) and its schedule. The schedule keeps the block's ID when no schedule has it,
// else it takes a new one: a schedule ID never names two schedules, and another pay's schedule
// is never touched. IDSchedule is the ID it was stored under.
void StoreAutoCharge(int payId, const TAutoChargeBlock& charge);

// Appends the event as a PayHistory.db row of the pay.
void StoreHistoryEvent(int payId, const THistoryEventBlock& event);

// Replace the content rows of a table object, an image album or a number with the blocks': every
// row the object has goes, then one row per block in order. A table's NRow and an album's Number
// count from 1 (an album's Current stays empty); a number's items go with their algorithms
// (TDM::DeleteNumberItems) and come as StoreNumberItem stores them.
void ReplaceTableRows(int tableId, const std::vector<TTableRowBlock>& rows);
void ReplacePictureRows(int albumId, const std::vector<TImageBlock>& pictures);
void ReplaceNumberItems(int numberId, const std::vector<TNumberItemBlock>& items);

// Whether every amount the block carries reads as a decimal number (the empty text reads as 0):
// a constant item's or charge's ConstValue, an event's Counter, Charge, ForPayment, Payment and
// CurBalance. An applier refuses a transaction with a malformed amount before it writes.
bool HasValidAmounts(const TNumberItemBlock& item);
bool HasValidAmounts(const TAutoChargeBlock& charge);
bool HasValidAmounts(const THistoryEventBlock& event);

// ---- Rows into blocks

// The rows of a table object (Tables.db) and the pictures of an image album (Images.db) as they
// stand, in the order of Index01: the old half of a content change, a deletion's snapshot.
std::vector<TTableRowBlock> TableRowBlocks(int tableId);
std::vector<TImageBlock> PictureBlocks(int albumId);

// The algorithm's block: OldId its ID, Name, Descript and the initial data's texts whole, each
// variable description cut to its first 100 characters, the text in pieces of 100.
TAlgorithmBlock AlgorithmBlockOf(const Algorithm01& algorithm);
// The block of the stored algorithm with that ID (TDM::LoadAlgorithm); nothing when
// Algorithms.db has no such algorithm, which LoadAlgorithm has reported as the journal's fatal
// error -3: the writer gives up.
std::optional<TAlgorithmBlock> StoredAlgorithmBlock(int idAlg);

// The blocks of the row a table of Numbers.db, PayAutoCharges.DB or PayHistory.db stands on.
// ItemType, RestrictTime and Activity go as their first character; an "A" item or charge
// carries the block of its stored algorithm (nothing when that is missing, as above).
std::optional<TNumberItemBlock> NumberItemBlockOf(TTable& row);
// The charge's schedule is the one Schedules.db holds under its IDSchedule. When there is none,
// the block says so: the charge's own IDSchedule, no periodicity (the schedule falls due on no
// date), every month and weekday off, UnitaryDate 0, priority 0; never another charge's schedule.
std::optional<TAutoChargeBlock> AutoChargeBlockOf(TTable& row);
THistoryEventBlock HistoryEventBlockOf(TTable& row);
