// What the journal's content blocks become in the open budget's tables: an applier that brings
// a number's items, a pay's auto charges or its history back from a transaction stores each
// block with these, and checks the amounts the blocks carry before it writes anything.
#pragma once

#include "algorithms/Uq519algorithm01.h"
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

// Whether every amount the block carries reads as a decimal number (the empty text reads as 0):
// a constant item's or charge's ConstValue, an event's Counter, Charge, ForPayment, Payment and
// CurBalance. An applier refuses a transaction with a malformed amount before it writes.
bool HasValidAmounts(const TNumberItemBlock& item);
bool HasValidAmounts(const TAutoChargeBlock& charge);
bool HasValidAmounts(const THistoryEventBlock& event);
