// The journal kinds that change a pay ("CHANG" of Type 60), one per PayChangeCode, with their
// layouts: the code is the first integer part (I1) and chooses the kind.
#include "store/TransKindPay.h"

#include "shell/ObjectIndex.h"

namespace {

// The word of each code in the detail text.
constexpr std::pair<PayChangeCode, std::string_view> kCodeWords[] = {
    {kPayReplaceAutoCharges, "ActPayChAutoCharge"}, {kPayAddCounter, "ActPayChAddCounter"},
    {kPayAddManualCharge, "ActPayChAddCharge"},     {kPayAddPayment, "ActPayChAddPay"},
    {kPayDeleteCounter, "ActPayChDelCounter"},      {kPayDeleteManualCharge, "ActPayChDelCharge"},
    {kPayDeletePayment, "ActPayChDelPay"},          {kPayChangeCounter, "ActPayChChCounter"},
    {kPayChangeManualCharge, "ActPayChChCharge"},   {kPayChangePayment, "ActPayChChPay"},
    {kPayChangeDirection, "ActPayChDirectPay"}};

// The pieces of an event: `lead` and the date D<date>, "  :  " and the value T<value>, "  :  "
// and the description T<value + 1>, each only when its part is there.
std::string EventPieces(TTransReader& parts, std::string_view lead, int date, int value) {
    std::string line;
    if (const std::optional<TDateTime> day = parts.Date(date))
        line += std::string(lead) + DateToStr(*day);
    for (const int text : {value, value + 1})
        if (const std::optional<std::string> piece = parts.Text(text)) line += "  :  " + *piece;
    return line;
}

// The word of a direction letter; another letter has none.
std::string DirectionWord(const TTransKind::TWords& word, char letter) {
    switch (letter) {
        case 'O':
            return word("DirectO");
        case 'I':
            return word("DirectI");
        case 'N':
            return word("DirectN");
        default:
            return {};
    }
}

}  // namespace

TPayChangeKind::TPayChangeKind(PayChangeCode code, TDerivedUpdate update)
    : TTransKind({std::string(kActChange), otPay, code}, {.UndoBy = TUndoBy::OwnUndo,
                                                          .UndoResult = TUndoResult::ObjectId,
                                                          .AfterApply = update,
                                                          .AfterUndo = update}) {}

void TPayChangeKind::Detail(const TTransRow&, const TWords& word,
                            std::vector<std::string>& lines) const {
    std::string_view codeWord;
    for (const auto& [code, key] : kCodeWords)
        if (code == Key().Code) codeWord = key;
    lines.push_back(word("ActPayChType") + " " + word(codeWord));
}

TAutoChargesChangeKind::TAutoChargesChangeKind()
    : TPayChangeKind(kPayReplaceAutoCharges, TDerivedUpdate::CalendarAndRecalcFromDate) {}

TPayEventAddKind::TPayEventAddKind(PayChangeCode code)
    : TPayEventKind(code, TDerivedUpdate::CalendarAndRecalcFromDate) {}

TPayEventDeleteKind::TPayEventDeleteKind(PayChangeCode code)
    : TPayEventKind(code, TDerivedUpdate::CalendarAndRecalcFromDate) {}

TPayEventChangeKind::TPayEventChangeKind(PayChangeCode code)
    : TPayChangeKind(code, TDerivedUpdate::CalendarAndRecalcFromDate) {}

TPayDirectionKind::TPayDirectionKind()
    : TPayChangeKind(kPayChangeDirection, TDerivedUpdate::None) {}

void TPayEventKind::Detail(const TTransRow& row, const TWords& word,
                           std::vector<std::string>& lines) const {
    TPayChangeKind::Detail(row, word, lines);
    TTransReader parts(row.NTrans);
    lines.push_back(EventPieces(parts, "   ", 1, 1));
}

void TPayEventChangeKind::Detail(const TTransRow& row, const TWords& word,
                                 std::vector<std::string>& lines) const {
    TPayChangeKind::Detail(row, word, lines);
    TTransReader parts(row.NTrans);
    lines.push_back(EventPieces(parts, "   ", 2, 3) + "   >>>   " + EventPieces(parts, "", 1, 1));
}

void TPayDirectionKind::Detail(const TTransRow& row, const TWords& word,
                               std::vector<std::string>& lines) const {
    TPayChangeKind::Detail(row, word, lines);
    const std::optional<std::string> letters = TTransReader(row.NTrans).Text(1);
    if (!letters) {
        lines.emplace_back();
        return;
    }
    const auto letter = [&letters](std::size_t at) {
        return at < letters->size() ? (*letters)[at] : '\0';
    };
    lines.push_back(DirectionWord(word, letter(1)) + "   >>>   " + DirectionWord(word, letter(0)));
}
