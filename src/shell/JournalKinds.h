// The composition point of the journal: registers every kind of transaction that the program
// knows with the journal.
#pragma once

// Registers the program's journal kinds in TransKinds(), each replacing one registered under
// the same key. The program calls it once before its main window is made; tests that need the
// real kinds call it too.
void RegisterJournalKinds();
