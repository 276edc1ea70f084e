// The values of an unpacked branch set's rows, each checked against what the program itself
// writes into that field.
#include "exchange/Uimportvalues.h"

#include <sqlite3.h>

#include <QUtf8StringView>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "algorithms/Uq519algorithm01.h"
#include "content/U_frimages_album.h"
#include "decimal/Large_fix.h"
#include "platform/Database.h"
#include "platform/Dates.h"
#include "platform/TableDef.h"
#include "shell/ObjectIndex.h"
#include "store/U_dm.h"

namespace fs = std::filesystem;

namespace {

// ---- The limits the program's own fields and writers keep

// IDs and every reference to one: the program counts them in 32-bit integers.
constexpr std::int64_t kMaxId = std::numeric_limits<std::int32_t>::max();
// An object's name and description (the create-object and rename dialogs).
constexpr int kObjectNameLength = 70, kObjectDescriptLength = 100;
// A picture's description (the load and change dialogs), a manual event's description and an
// auto charge's name and description (which its automatic charges carry as their description).
constexpr int kShortTextLength = 99;
// A number item's description.
constexpr int kItemDescriptLength = 50;
// A text of a line edit or grid cell without a limit of its own (Qt's limit of a line edit):
// table cells, an algorithm's name, description, data names and parameters.
constexpr int kLineLength = 32767;
// An amount, reading or constant typed into a value field.
constexpr int kTypedValueLength = 50;
// The largest whole number whose square is at most n.
constexpr std::int64_t WholeSquareRoot(std::int64_t n) {
    std::int64_t root = 0;
    for (std::int64_t step = std::int64_t{1} << 31; step > 0; step >>= 1)
        if ((root + step) <= n / (root + step)) root += step;
    return root;
}
// A computed value: a run ends (1040) once the squared lengths of the values it makes pass
// kMaxRunWork, so no algorithm's result is longer than its square root; a balance is the sum of
// such values, the point and a sign added.
constexpr int kComputedValueLength = static_cast<int>(2 * WholeSquareRoot(kMaxRunWork) + 2);
static_assert(kComputedValueLength > 2 * 400'000);
// An algorithm text is kept in pieces of 100 characters; the most pieces of one algorithm, far
// beyond any text written in the algorithm editor.
constexpr int kPieceLength = 100;
constexpr std::int64_t kMaxPieces = 1000;
// The largest icon number of the tree's image list (a folder's open icon).
constexpr std::int64_t kMaxIcon = 111;

// ---- The rules

enum class TKind {
    Whole,        // an integer from Min to Max
    WholeOf,      // one of the integers Numbers
    Date,         // a whole day of the years 1 to 9999
    Decimal,      // "" or a decimal text that large_fix reads, of at most Max characters
    Text,         // a text of at most Max characters, without control characters
    Lines,        // the same, line breaks and tabs allowed
    OneOf,        // one of the texts Texts
    Form,         // a text that Form accepts
    PictureName,  // a plain name of a file in the row's album folder
};

struct TRule {
    TKind Kind;
    std::int64_t Min = 0, Max = 0;
    std::vector<std::int64_t> Numbers = {};
    std::vector<std::string_view> Texts = {};
    bool (*Form)(std::string_view) = nullptr;
};

TRule Whole(std::int64_t min, std::int64_t max) {
    return {.Kind = TKind::Whole, .Min = min, .Max = max};
}
TRule Id() {
    return Whole(1, kMaxId);
}
TRule Ref() {  // a reference to an ID, 0 for none
    return Whole(0, kMaxId);
}
TRule WholeOf(std::vector<std::int64_t> numbers) {
    return {.Kind = TKind::WholeOf, .Numbers = std::move(numbers)};
}
TRule Day() {
    return {.Kind = TKind::Date};
}
TRule Decimal(int length) {
    return {.Kind = TKind::Decimal, .Max = length};
}
TRule Text(int length) {
    return {.Kind = TKind::Text, .Max = length};
}
TRule Lines(int length) {
    return {.Kind = TKind::Lines, .Max = length};
}
TRule OneOf(std::vector<std::string_view> texts) {
    return {.Kind = TKind::OneOf, .Texts = std::move(texts)};
}
TRule Form(bool (*form)(std::string_view)) {
    return {.Kind = TKind::Form, .Form = form};
}
TRule PictureName() {
    return {.Kind = TKind::PictureName, .Max = static_cast<std::int64_t>(kMaxPictureName)};
}

// Whether the text holds `length` characters, each one of `allowed`.
bool Made(std::string_view text, std::size_t length, std::string_view allowed) {
    return text.size() == length && text.find_first_not_of(allowed) == std::string_view::npos;
}
// A schedule's months as EncodeMonthesDays writes them: per month "Y" or "N" and the day as two
// digits from 01 to 31, or 32 for the month's last day.
bool MonthesDaysForm(std::string_view text) {
    if (text.size() != 36) return false;
    for (std::size_t month = 0; month < 36; month += 3) {
        const std::string_view group = text.substr(month, 3);
        if (!Made(group.substr(0, 1), 1, "YN") || !Made(group.substr(1), 2, "0123456789"))
            return false;
        const int day = (group[1] - '0') * 10 + (group[2] - '0');
        if (day < 1 || day > 32) return false;
    }
    return true;
}
// A schedule's weekdays as EncodeWeekDays writes them.
bool WeekDaysForm(std::string_view text) {
    return Made(text, 7, "YN");
}
// A pay's view settings as the main window stores them: 15 flags.
bool FilterModeForm(std::string_view text) {
    return Made(text, 15, "01");
}

struct TField {
    const char* Name;
    TRule Rule;
};
// The rules of one table of the set; `Owner` is the column that names the row's object,
// algorithm or schedule (`OwnerWord`) in a refusal.
struct TTableRules {
    const char* Table;
    const char* Owner;
    const char* OwnerWord;
    std::vector<TField> Fields;
};

const std::vector<TTableRules>& SetRules() {
    static const std::vector<TTableRules> rules = {
        {tbl::Objects,
         fld::ID,
         "object",
         {{fld::ID, Id()},
          {fld::IDParent, Ref()},
          {fld::Type, WholeOf({otFolder, otTable, otImages, otFiles, otNumber, otPay})},
          {fld::Image, Whole(0, kMaxIcon)},
          {fld::Expanded, OneOf({"Y", "N"})},
          {fld::Name, Text(kObjectNameLength)},
          {fld::Descript, Text(kObjectDescriptLength)}}},
        {tbl::Tables,
         fld::ID,
         "object",
         {{fld::ID, Id()},
          {fld::NRow, Whole(1, kMaxId)},
          {fld::NameRow, Text(kLineLength)},
          {fld::ValueRow, Text(kLineLength)}}},
        {tbl::Images,
         fld::ID,
         "object",
         {{fld::ID, Id()},
          {fld::Number, Whole(1, kMaxId)},
          {fld::FileName, PictureName()},
          {fld::Descript, Text(kShortTextLength)},
          {fld::Current, OneOf({"", "c"})}}},
        {tbl::Numbers,
         fld::ID,
         "object",
         {{fld::ID, Id()},
          {fld::DateBegin, Day()},
          {fld::ItemType, OneOf({"C", "A"})},
          {fld::ConstValue, Decimal(kComputedValueLength)},
          {fld::IDAlg, Ref()},
          {fld::Descript, Text(kItemDescriptLength)}}},
        {tbl::Algorithms,
         fld::ID,
         "algorithm",
         {{fld::ID, Id()},
          {fld::Valid, WholeOf({0, 1})},
          {fld::IDParent, Ref()},
          {fld::Name, Text(kLineLength)},
          {fld::Descript, Text(kLineLength)},
          {fld::VarOfResult, Whole(1, 100)}}},
        {tbl::AlgExtData,
         fld::IDAlg,
         "algorithm",
         {{fld::IDAlg, Id()},
          {fld::Name, Text(kLineLength)},
          {fld::Ni, Whole(0, 100)},
          {fld::IDObject, Whole(-1, kMaxId)},  // -1: no source chosen yet
          {fld::TypeObject, WholeOf({0, otNumber, otPay, otCalendar})},
          {fld::ParentObject, Ref()},
          {fld::SubSource, Whole(0, 26)},
          {fld::Param1, Text(kLineLength)},
          {fld::Param2, Text(kLineLength)},
          {fld::Param3, Text(kLineLength)}}},
        {tbl::AlgVarDescr,
         fld::IDAlg,
         "algorithm",
         {{fld::IDAlg, Id()}, {fld::NVar, Whole(0, 100)}, {fld::Descript, Text(kLineLength)}}},
        {tbl::AlgText,
         fld::IDAlg,
         "algorithm",
         {{fld::IDAlg, Id()},
          {fld::NPart, Whole(1, kMaxPieces)},
          {fld::PartText, Lines(kPieceLength)}}},
        {tbl::Pays,
         fld::ID,
         "object",
         {{fld::ID, Id()},
          {fld::Direction, OneOf({"O", "I", "N"})},
          {fld::FilterMode, Form(FilterModeForm)},
          {fld::FilterDateFrom, Day()},
          {fld::FilterDateTo, Day()}}},
        {tbl::PayHistory,
         fld::ID,
         "object",
         {{fld::ID, Id()},
          {fld::DateEvent, Day()},
          {fld::TypeEvent, OneOf({"CN", "CH", "PY"})},
          {fld::Counter, Decimal(kTypedValueLength)},
          {fld::IDCharge, Ref()},
          {fld::PrtyCharge, Whole(0, 10)},
          {fld::NManOper, Ref()},
          {fld::Charge, Decimal(kComputedValueLength)},
          {fld::ForPayment, Decimal(kComputedValueLength)},
          {fld::Payment, Decimal(kTypedValueLength)},
          {fld::CurBalance, Decimal(kComputedValueLength)},
          {fld::Descript, Text(kShortTextLength)}}},
        {tbl::PayAutoCharges,
         fld::ID,
         "object",
         {{fld::ID, Id()},
          {fld::Name, Text(kShortTextLength)},
          {fld::Descript, Text(kShortTextLength)},
          {fld::DateBegin, Day()},
          {fld::RestrictTime, OneOf({"L", "U"})},
          {fld::DateEnd, Day()},
          {fld::Activity, OneOf({"A", "P"})},
          {fld::ItemType, OneOf({"C", "A"})},
          {fld::ConstValue, Decimal(kTypedValueLength)},
          {fld::IDAlg, Ref()},
          {fld::IDSchedule, Ref()}}},
        {tbl::Schedules,
         fld::ID,
         "schedule",
         {{fld::ID, Id()},
          {fld::Periodicity, OneOf({"U", "M", "W"})},
          {fld::UnitaryDate, Day()},
          {fld::MonthesDays, Form(MonthesDaysForm)},
          {fld::WeekDays, Form(WeekDaysForm)},
          {fld::Priority, Whole(1, 10)}}},
    };
    return rules;
}

// ---- The check of one value

// A text of valid UTF-8 without control characters (with `lines`, tab, line feed and carriage
// return allowed) and of at most `length` characters.
bool PlainText(std::string_view text, std::int64_t length, bool lines) {
    std::int64_t characters = 0;
    bool ascii = true;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            if (!lines || (c != '\t' && c != '\n' && c != '\r')) return false;
        }
        ascii = ascii && byte < 0x80;
        if ((byte & 0xC0) != 0x80 && ++characters > length) return false;
    }
    return ascii || QUtf8StringView(text).isValidUtf8();
}

// The form in which the program writes a decimal: digits after an optional "-", and a point
// ("," or ".") with more digits.
bool WrittenDecimal(std::string_view text) {
    std::size_t at = text.starts_with('-') ? 1 : 0;
    const auto digits = [&] {
        const std::size_t from = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
        return at > from;
    };
    if (!digits()) return false;
    if (at < text.size() && (text[at] == ',' || text[at] == '.')) {
        ++at;
        if (!digits()) return false;
    }
    return at == text.size();
}

// "" or a decimal text that large_fix reads, of at most `length` characters. The written form
// is taken at once; any other (blanks inside, a point first) is read by large_fix.
bool DecimalText(std::string_view text, std::int64_t length) {
    if (text.empty()) return true;
    if (static_cast<std::int64_t>(text.size()) > length) return false;
    if (WrittenDecimal(text)) return true;
    if (!PlainText(text, length, false)) return false;
    try {
        large_fix(std::string(text).c_str());
    } catch (const LargeError&) {
        return false;
    }
    return true;
}

// The first and last day the date functions accept.
bool InDateRange(double day) {
    static const double first = EncodeDate(1, 1, 1), last = EncodeDate(9999, 12, 31);
    return std::isfinite(day) && day == std::floor(day) && day >= first && day <= last;
}

// A plain name (no folder part, not "." or "..") of a file in the album's unpacked folder.
bool PictureInAlbum(std::string_view name, std::int64_t album, const fs::path& unpacked) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos)
        return false;
    std::error_code error;
    const fs::path file = unpacked / "Images" / ("IMG" + std::to_string(album)) / name;
    return fs::is_regular_file(fs::symlink_status(file, error));
}

// Whether the value in the statement's column fits the rule; `owner` is the row's owner ID
// when it is a whole number.
bool Fits(const TRule& rule, sqlite3_stmt* row, int column, std::optional<std::int64_t> owner,
          const fs::path& unpacked) {
    const int type = sqlite3_column_type(row, column);
    switch (rule.Kind) {
        case TKind::Whole:
            return type == SQLITE_INTEGER && sqlite3_column_int64(row, column) >= rule.Min &&
                   sqlite3_column_int64(row, column) <= rule.Max;
        case TKind::WholeOf:
            return type == SQLITE_INTEGER &&
                   std::ranges::find(rule.Numbers, sqlite3_column_int64(row, column)) !=
                       rule.Numbers.end();
        case TKind::Date:
            return (type == SQLITE_INTEGER || type == SQLITE_FLOAT) &&
                   InDateRange(sqlite3_column_double(row, column));
        default:
            break;
    }
    if (type != SQLITE_TEXT) return false;
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
    const std::string_view text(bytes ? bytes : "",
                                static_cast<std::size_t>(sqlite3_column_bytes(row, column)));
    switch (rule.Kind) {
        case TKind::Decimal:
            return DecimalText(text, rule.Max);
        case TKind::Text:
        case TKind::Lines:
            return PlainText(text, rule.Max, rule.Kind == TKind::Lines);
        case TKind::OneOf:
            return std::ranges::find(rule.Texts, text) != rule.Texts.end();
        case TKind::Form:
            return rule.Form(text);
        case TKind::PictureName:
            return owner && PlainText(text, rule.Max, false) &&
                   PictureInAlbum(text, *owner, unpacked);
        default:
            return false;
    }
}

using TStatementPtr = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

// Checks every row of one table by its rules.
TArchiveCheck CheckTableValues(sqlite3* db, const std::string& file, const TTableRules& rules,
                               const fs::path& unpacked) {
    std::string sql = "SELECT \"N\", " + QuotedName(rules.Owner);
    for (const TField& field : rules.Fields) sql += ", " + QuotedName(field.Name);
    sql += " FROM main." + QuotedName(rules.Table);
    sqlite3_stmt* prepared = nullptr;
    const int status = sqlite3_prepare_v2(db, sql.c_str(), -1, &prepared, nullptr);
    TStatementPtr statement(prepared, &sqlite3_finalize);
    if (status != SQLITE_OK) throw EDatabaseError(file, sqlite3_errmsg(db));
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
        std::optional<std::int64_t> owner;
        if (sqlite3_column_type(statement.get(), 1) == SQLITE_INTEGER)
            owner = sqlite3_column_int64(statement.get(), 1);
        for (std::size_t f = 0; f < rules.Fields.size(); ++f) {
            if (Fits(rules.Fields[f].Rule, statement.get(), static_cast<int>(f) + 2, owner,
                     unpacked))
                continue;
            const std::string who =
                owner ? std::string(rules.OwnerWord) + " " + std::to_string(*owner)
                      : "row " + std::to_string(sqlite3_column_int64(statement.get(), 0));
            return {TArchiveProblem::BadValue,
                    std::string(rules.Table) + ", " + who + ", field " + rules.Fields[f].Name};
        }
    }
    if (step != SQLITE_DONE) throw EDatabaseError(file, sqlite3_errmsg(db));
    return {};
}

}  // namespace

TArchiveCheck CheckSetValues(sqlite3* db, const std::string& file, const fs::path& unpacked) {
    for (const TTableRules& rules : SetRules())
        if (TArchiveCheck check = CheckTableValues(db, file, rules, unpacked); !check) return check;
    return {};
}
