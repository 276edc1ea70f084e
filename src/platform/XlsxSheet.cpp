// A workbook of one sheet written as an .xlsx file: cells with their fonts, number formats and
// borders, and column widths. The spreadsheet exports of numbers and pays write through it.
#include "platform/XlsxSheet.h"

#include <xlsxwriter.h>

#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>


namespace {

uint8_t BorderStyle(TXlsxBorder border) {
    switch (border) {
        case TXlsxBorder::Thin:
            return LXW_BORDER_THIN;
        case TXlsxBorder::Medium:
            return LXW_BORDER_MEDIUM;
        case TXlsxBorder::None:
            break;
    }
    return LXW_BORDER_NONE;
}

// The value of a number as the program's decimal type reads it: an optional minus, digits, and
// at most one decimal point, "," or "." whichever the user typed (a reading keeps the separator
// it was typed with), with at least one digit in all; nothing else. Empty for every other text.
std::optional<double> UserNumber(std::string_view text) {
    std::string plain(text);
    std::size_t at = plain.starts_with('-') ? 1 : 0;
    const auto digits = [&] {
        const std::size_t from = at;
        while (at < plain.size() && std::isdigit(static_cast<unsigned char>(plain[at]))) ++at;
        return at - from;
    };
    std::size_t count = digits();
    if (at < plain.size() && (plain[at] == ',' || plain[at] == '.')) {
        plain[at++] = '.';
        count += digits();
    }
    if (count == 0 || at != plain.size()) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size()) return std::nullopt;
    return value;
}

auto Key(const TXlsxCellFormat& f) {
    return std::tuple(f.FontName, f.FontSize, f.Bold, f.Text, f.Centre, f.Left, f.Right, f.Top,
                      f.Bottom, f.NumberFormat, f.FontColor, f.Fill);
}

}  // namespace

struct TXlsxSheet::TImpl {
    std::string Path;
    lxw_workbook* Workbook = nullptr;
    lxw_worksheet* Sheet = nullptr;
    std::map<decltype(Key(TXlsxCellFormat())), lxw_format*> Formats;

    lxw_format* Format(const TXlsxCellFormat& f) {
        auto [at, added] = Formats.try_emplace(Key(f), nullptr);
        if (!added) return at->second;
        lxw_format* format = workbook_add_format(Workbook);
        if (!f.FontName.empty()) format_set_font_name(format, f.FontName.c_str());
        if (f.FontSize > 0) format_set_font_size(format, f.FontSize);
        if (f.Bold) format_set_bold(format);
        if (f.Text) format_set_num_format(format, "@");
        if (!f.NumberFormat.empty()) format_set_num_format(format, f.NumberFormat.c_str());
        if (f.Centre) format_set_align(format, LXW_ALIGN_CENTER);
        if (f.FontColor >= 0) format_set_font_color(format, static_cast<lxw_color_t>(f.FontColor));
        if (f.Fill >= 0) {
            format_set_pattern(format, LXW_PATTERN_SOLID);
            format_set_bg_color(format, static_cast<lxw_color_t>(f.Fill));
        }
        format_set_left(format, BorderStyle(f.Left));
        format_set_right(format, BorderStyle(f.Right));
        format_set_top(format, BorderStyle(f.Top));
        format_set_bottom(format, BorderStyle(f.Bottom));
        at->second = format;
        return format;
    }
};

TXlsxSheet::TXlsxSheet(const std::string& path) : impl_(std::make_unique<TImpl>()) {
    impl_->Path = path;
    impl_->Workbook = workbook_new(path.c_str());
    if (impl_->Workbook != nullptr) impl_->Sheet = workbook_add_worksheet(impl_->Workbook, nullptr);
}

TXlsxSheet::~TXlsxSheet() {
    if (impl_->Workbook != nullptr) Close();
}

void TXlsxSheet::SetColumnWidth(int column, double width) {
    if (impl_->Sheet == nullptr) return;
    const auto at = static_cast<lxw_col_t>(column - 1);
    worksheet_set_column(impl_->Sheet, at, at, width, nullptr);
}

void TXlsxSheet::WriteText(int row, int column, const std::string& text,
                           const TXlsxCellFormat& format) {
    if (impl_->Sheet == nullptr) return;
    worksheet_write_string(impl_->Sheet, static_cast<lxw_row_t>(row - 1),
                           static_cast<lxw_col_t>(column - 1), text.c_str(), impl_->Format(format));
}

void TXlsxSheet::WriteValue(int row, int column, const std::string& text,
                            const TXlsxCellFormat& format) {
    const std::optional<double> number = format.Text ? std::nullopt : UserNumber(text);
    if (number)
        WriteNumber(row, column, *number, format);
    else
        WriteText(row, column, text, format);
}

void TXlsxSheet::WriteNumber(int row, int column, double value, const TXlsxCellFormat& format) {
    if (impl_->Sheet == nullptr) return;
    worksheet_write_number(impl_->Sheet, static_cast<lxw_row_t>(row - 1),
                           static_cast<lxw_col_t>(column - 1), value, impl_->Format(format));
}

void TXlsxSheet::WriteDate(int row, int column, TDateTime date, const TXlsxCellFormat& format) {
    // The sheet counts days as our day numbers do (day 0 is 30 December 1899).
    WriteNumber(row, column, std::trunc(date), format);
}

bool TXlsxSheet::Close() {
    lxw_workbook* workbook = std::exchange(impl_->Workbook, nullptr);
    impl_->Sheet = nullptr;
    if (workbook == nullptr) return false;
    if (workbook_close(workbook) == LXW_NO_ERROR) return true;
    std::error_code ignored;
    std::filesystem::remove(impl_->Path, ignored);
    return false;
}

namespace {

// A text cell of the sheet's heading.
TXlsxCellFormat HeadingFormat(const char* font, double size, bool bold) {
    TXlsxCellFormat format;
    format.FontName = font;
    format.FontSize = size;
    format.Bold = bold;
    format.Text = true;
    return format;
}

}  // namespace

void WriteSheetHeading(TXlsxSheet& sheet, const std::string& name, const std::string& descript,
                       const std::string& history, const std::vector<std::string>& titles) {
    sheet.WriteText(1, 1, name, HeadingFormat("Arial", 10, true));
    sheet.WriteText(2, 1, descript, HeadingFormat("Arial", 8, false));
    sheet.WriteText(4, 1, history, HeadingFormat("Tahoma", 8, true));
    const int columns = static_cast<int>(titles.size()) + 1;
    for (int column = 1; column <= columns; ++column) {
        TXlsxCellFormat header;
        header.Bold = true;
        header.Centre = true;
        header.Left = column == 1 ? TXlsxBorder::Medium : TXlsxBorder::Thin;
        header.Right = column == columns ? TXlsxBorder::Medium : TXlsxBorder::Thin;
        header.Top = header.Bottom = TXlsxBorder::Medium;
        sheet.WriteText(kSheetHeaderRow, column,
                        column == 1 ? std::string("N") : titles[static_cast<size_t>(column - 2)],
                        header);
    }
}

std::string XlsxDateFormat() {
    std::string format = ShortDateFormat();
    for (char& c : format) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return format;
}
