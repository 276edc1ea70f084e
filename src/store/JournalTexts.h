// The journal view's texts without a window: its words from Log.lng, the action and status
// captions of a journal row, and the detail text of the selected transaction.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Table.h"
#include "store/Utransactions.h"

class TLangFile;

// The journal view's words: the header's start, the status and action captions and the words
// of the detail texts, read once from the section [Log] of Log.lng (a missing key keeps its
// compiled-in default: the action captions of the tree operations and of the pay's change
// type have English defaults, every other word is empty).
class TLogWords {
public:
    // The compiled-in defaults.
    TLogWords();
    // Every word from the section, or its default.
    void Read(const TLangFile& texts, std::string_view section);

    // The word of the key ("" for a key that is not a word of the view).
    std::string Word(std::string_view key) const;
    // The caption of the row's action: the word of its action key, "???" without one.
    std::string ActionCaption(int type, std::string_view act) const;
    // The caption of a status: the word StatusPREP ... StatusACTB of the eight statuses that
    // have one; any other status (READY among them) is its own caption.
    std::string StatusCaption(std::string_view status) const;

    // The keys of the words in the order in which they are read.
    static std::vector<std::string_view> Keys();

private:
    std::map<std::string, std::string, std::less<>> words_;
};

// The action key of a row's Type and Act (ActAddFolder ... ActChangePay, ActImport), or "***"
// for a combination without one (a "CHANG" of a folder, an "IMP" of an object, any other Type
// or Act). Act compares exactly.
std::string ActionKey(int type, std::string_view act);

// One row of the journal as the view shows it; every field empty (and NTrans 0) when there is
// no row.
struct TJournalEntry {
    TTransRow Row;
    std::string Status;
    std::string DateText;  // the day in the short date format
    std::string TimeText;  // the time of day in the long time format
};

// The current row of a journal table; the empty entry when the table is closed or shows no row.
TJournalEntry CurrentJournalEntry(TTable& jTrans);

// The detail text of the row, one string a line: its date, time, action and status, the object's
// name, then the lines that the row's kind adds (TTransKind::Detail) from the transaction's
// parts, read through views of their own. A row without a kind adds nothing.
std::vector<std::string> DetailText(const TJournalEntry& entry, const TLogWords& words);
