// The journal view's texts without a window: its words from Log.lng, the action and status
// captions of a journal row, and the detail text of the selected transaction.
#include "store/JournalTexts.h"

#include <utility>

#include "schema/SchemaNames.h"
#include "shell/ObjectIndex.h"
#include "shell/Ulanguage.h"
#include "store/TransKind.h"

namespace {

// The words in the order of reading, with their compiled-in defaults.
constexpr std::pair<std::string_view, std::string_view> kWords[] = {
    {"LabelHeader", ""},
    {"StatusPREP", ""},
    {"StatusACT", ""},
    {"StatusAPPLY", ""},
    {"StatusTOBACK", ""},
    {"StatusACTBACK", ""},
    {"StatusBACK", ""},
    {"StatusTOACTB", ""},
    {"StatusACTB", ""},
    {"ActAddFolder", "Create folder"},
    {"ActRenFolder", "Rename folder"},
    {"ActDelFolder", "Delete folder"},
    {"ActMoveFolder", "Move folder"},
    {"ActAddTable", "Create table"},
    {"ActRenTable", "Rename table"},
    {"ActDelTable", "Delete table"},
    {"ActMoveTable", "Move table"},
    {"ActChangeTable", "Change table"},
    {"ActAddImages", "Create images"},
    {"ActRenImages", "Rename images"},
    {"ActDelImages", "Delete images"},
    {"ActMoveImages", "Move images"},
    {"ActChangeImages", "Change images"},
    {"ActAddFiles", "Create files"},
    {"ActRenFiles", "Rename files"},
    {"ActDelFiles", "Delete files"},
    {"ActMoveFiles", "Move files"},
    {"ActChangeFiles", "Change files"},
    {"ActAddNumber", "Create number"},
    {"ActRenNumber", "Rename number"},
    {"ActDelNumber", "Delete number"},
    {"ActMoveNumber", "Move number"},
    {"ActChangeNumber", "Change number"},
    {"ActAddPay", "Create pay"},
    {"ActRenPay", "Rename pay"},
    {"ActDelPay", "Delete pay"},
    {"ActMovePay", "Move pay"},
    {"ActChangePay", "Change pay"},
    {"ActPayChType", "Type of change pay:"},
    {"ActPayChAutoCharge", "change auto charge list"},
    {"ActPayChAddCounter", ""},
    {"ActPayChAddCharge", ""},
    {"ActPayChAddPay", ""},
    {"ActPayChDelCounter", ""},
    {"ActPayChDelCharge", ""},
    {"ActPayChDelPay", ""},
    {"ActPayChChCounter", ""},
    {"ActPayChChCharge", ""},
    {"ActPayChChPay", ""},
    {"ActPayChDirectPay", ""},
    {"DirectO", ""},
    {"DirectI", ""},
    {"DirectN", ""},
    {"ActImport", ""},
    {"DetailName", ""},
    {"DetailDescript", ""},
    {"DetailBadge", ""},
    {"DetailOldName", ""},
    {"DetailOldDescript", ""},
    {"DetailHasChanged", ""},
    {"DetailFromFolder", ""},
    {"DetailToFolder", ""},
    {"DetailNewImages", ""},
    {"DetailOldImages", ""},
    {"DetailDeletedFiles", ""},
    {"DetailImport", ""},
};

// The statuses that have a caption of their own (StatusPREP ...).
constexpr std::string_view kCaptionedStatuses[] = {"PREP",    "ACT",  "APPLY",  "TOBACK",
                                                   "ACTBACK", "BACK", "TOACTB", "ACTB"};

// The action keys by object type and Act; the object types' words follow "Act" + the verb.
constexpr std::pair<int, std::string_view> kObjectWords[] = {
    {otFolder, "Folder"}, {otTable, "Table"},   {otImages, "Images"},
    {otFiles, "Files"},   {otNumber, "Number"}, {otPay, "Pay"}};
constexpr std::pair<std::string_view, std::string_view> kVerbs[] = {{kActAdd, "Add"},
                                                                    {kActRename, "Ren"},
                                                                    {kActDelete, "Del"},
                                                                    {kActMove, "Move"},
                                                                    {kActChange, "Change"}};

}  // namespace

TLogWords::TLogWords() {
    for (const auto& [key, defaultText] : kWords) words_.emplace(key, defaultText);
}

void TLogWords::Read(const TLangFile& texts, std::string_view section) {
    for (const auto& [key, defaultText] : kWords)
        words_[std::string(key)] = texts.Read(section, key, defaultText);
}

std::string TLogWords::Word(std::string_view key) const {
    const auto found = words_.find(key);
    return found == words_.end() ? std::string() : found->second;
}

std::string TLogWords::ActionCaption(int type, std::string_view act) const {
    const std::string key = ActionKey(type, act);
    return key == "***" ? "???" : Word(key);
}

std::string TLogWords::StatusCaption(std::string_view status) const {
    for (const std::string_view captioned : kCaptionedStatuses)
        if (status == captioned) return Word("Status" + std::string(status));
    return std::string(status);
}

std::vector<std::string_view> TLogWords::Keys() {
    std::vector<std::string_view> keys;
    for (const auto& word : kWords) keys.push_back(word.first);
    return keys;
}

std::string ActionKey(int type, std::string_view act) {
    if (act == kActImport) return type == otBudget || type == otFolder ? "ActImport" : "***";
    for (const auto& [objectType, object] : kObjectWords) {
        if (objectType != type) continue;
        for (const auto& [verb, word] : kVerbs) {
            if (act != verb) continue;
            // A folder has no content of its own to change.
            if (verb == kActChange && type == otFolder) return "***";
            return "Act" + std::string(word) + std::string(object);
        }
    }
    return "***";
}

TJournalEntry CurrentJournalEntry(TTable& jTrans) {
    if (!jTrans.Active() || jTrans.IsEmpty()) return {};
    TJournalEntry entry;
    entry.Row = {
        jTrans.FieldByName(fld::NTrans).AsInteger(), jTrans.FieldByName(fld::Act).AsString(),
        jTrans.FieldByName(fld::IDObject).AsInteger(), jTrans.FieldByName(fld::Type).AsInteger(),
        jTrans.FieldByName(fld::NameObject).AsString()};
    entry.Status = jTrans.FieldByName(fld::Status).AsString();
    entry.DateText = DateToStr(jTrans.FieldByName(fld::Date).AsDateTime());
    entry.TimeText = TimeToStr(jTrans.FieldByName(fld::Time).AsDateTime());
    return entry;
}

std::vector<std::string> DetailText(const TJournalEntry& entry, const TLogWords& words) {
    const TTransRow& row = entry.Row;
    std::vector<std::string> lines = {entry.DateText + " " + entry.TimeText + " " +
                                          words.ActionCaption(row.Type, row.Act) + "  (" +
                                          words.StatusCaption(entry.Status) + ")",
                                      words.Word("DetailName") + ": " + row.NameObject};
    if (row.NTrans == 0) return lines;
    if (const TTransKind* kind = TransKinds().KindOf(row))
        kind->Detail(
            row, [&words](std::string_view key) { return words.Word(key); }, lines);
    return lines;
}
