// A workbook of one sheet written as an .xlsx file: cells with their fonts, number formats and
// borders, and column widths. The spreadsheet exports of numbers and pays write through it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Dates.h"

// How a cell looks. Borders: none, thin (continuous) or medium.
enum class TXlsxBorder { None, Thin, Medium };
struct TXlsxCellFormat {
    std::string FontName;  // empty: the sheet's default font
    double FontSize = 0;   // 0: the default size
    bool Bold = false;
    bool Text = false;    // the number format "@": the cell keeps its text as typed
    bool Centre = false;  // centred horizontally
    TXlsxBorder Left = TXlsxBorder::None, Right = TXlsxBorder::None, Top = TXlsxBorder::None,
                Bottom = TXlsxBorder::None;
    std::string NumberFormat;  // a date cell's format ("dd.mm.yyyy"); empty: general
    int FontColor = -1;        // 0xRRGGBB; -1: the default colour
    int Fill = -1;             // the cell's background 0xRRGGBB; -1: none
};

// The sheet of a new workbook at `path`; rows and columns count from 1. Nothing is on disk
// until Close.
class TXlsxSheet {
public:
    explicit TXlsxSheet(const std::string& path);
    ~TXlsxSheet();
    TXlsxSheet(const TXlsxSheet&) = delete;
    TXlsxSheet& operator=(const TXlsxSheet&) = delete;

    void SetColumnWidth(int column, double width);
    void WriteText(int row, int column, const std::string& text, const TXlsxCellFormat& format);
    // The cell's value given as a text, taken as a spreadsheet takes a typed text: in a cell of
    // the text format ("@") it stays text; in any other cell a number as the decimal type reads
    // it (an optional minus, digits and at most one decimal point, "," or ".", whichever the
    // locale) becomes a number cell, so that it can be summed and charted, and anything else a
    // text cell.
    void WriteValue(int row, int column, const std::string& text, const TXlsxCellFormat& format);
    void WriteNumber(int row, int column, double value, const TXlsxCellFormat& format);
    // The day as a date value of the sheet.
    void WriteDate(int row, int column, TDateTime date, const TXlsxCellFormat& format);
    // Writes the workbook; false when the file could not be written (the folder is missing or
    // not writable), and then no file is left.
    bool Close();

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};

// The heading that the history exports share: row 1 the object's name (Arial 10 bold), row 2 its
// description (Arial 8), row 4 the history's caption (Tahoma 8 bold), all three as text; row 5
// the header, bold and centred, "N" then the titles, each cell framed thin, the row's top and
// bottom edges, its first cell's left and its last cell's right medium.
void WriteSheetHeading(TXlsxSheet& sheet, const std::string& name, const std::string& descript,
                       const std::string& history, const std::vector<std::string>& titles);
// The row of the heading's header.
inline constexpr int kSheetHeaderRow = 5;

// The sheet's date format for the user's short date format ("dd.MM.yyyy" becomes
// "dd.mm.yyyy").
std::string XlsxDateFormat();
