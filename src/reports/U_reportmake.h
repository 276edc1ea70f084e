// The report generators without a window: the procedure every report shares (text labels, row
// markers, the common identifiers, the strip) and the values of the table and number reports.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "reports/U_rtfreport.h"

// The values every report offers: "All_Date", "All_Time", "AllBName", "AllBDscr", "AllBBlns"
// (and "All_NRow", the running row number, in row files).
struct TReportCommon {
    std::string Date;
    std::string Time;
    std::string BudgetName;
    std::string BudgetDescript;
    std::string BudgetBalance;
};

// What one report writes beyond the common values. Row numbers count from 1.
class TReportData {
public:
    virtual ~TReportData() = default;
    // The value of an identifier of the object or its selected item ("...S..."), offered in the
    // main template and in row files; empty for an identifier the report does not know.
    virtual std::string ObjectValue(std::string_view ident) const = 0;
    // The value of a data row's identifier ("...D...", and an object's identifier whose value
    // follows the row), offered in row files only; asked before ObjectValue there.
    virtual std::string RowValue(std::string_view ident, int row) const = 0;
    // The number of data rows a row marker writes.
    virtual int RowCount() const = 0;
    // Writes picture `number` of the main template (row 0) or of data row `row`; a number the
    // report does not know writes nothing.
    virtual void WritePicture(FILE* report, int number, TLabelPictureSize size, int row) {
        (void)report, (void)number, (void)size, (void)row;
    }
};

// The results of MakeReport.
enum TMakeReportResult {
    kReportMade = 0,
    kReportTemplateUnread = 1,  // the template cannot be opened
    kReportNotWritten = 2,      // the report cannot be created, written whole or stripped
};

// Fills the template into the report: every text label with its value (the common ones, then
// the report's), every row marker with its row file once per data row, every picture label
// through the report's WritePicture; then strips the label groups and row markers. The report
// is written as "<report>.tmp" beside it and renamed over it at the end: on any failure (or a
// crash) a report of the name from before stays as it was and no "<report>.tmp" is kept. The
// progress bar, when given, follows the rows of each marker and then the strip. Only
// kReportMade gives a report to open; otherwise `why`, when given, receives the system's text
// of the error.
int MakeReport(const std::string& templatePath, const std::string& reportPath,
               const TReportCommon& common, TReportData& data, TReportProgress* progress,
               std::string* why = nullptr);

// The table report: the table's name and description ("TblSName", "TblSDscr") and its rows
// ("TblDC001" the name, "TblDC002" the value); no pictures.
struct TTableReportData : TReportData {
    std::string Name;
    std::string Descript;
    std::vector<std::array<std::string, 2>> Rows;

    std::string ObjectValue(std::string_view ident) const override;
    std::string RowValue(std::string_view ident, int row) const override;
    int RowCount() const override { return static_cast<int>(Rows.size()); }
};

// The number report: the number's name and description ("NumSName", "NumSDscr"), the item in
// force today ("NumSTDat", "NumSTVal", "NumSTDsc"), the selected grid row ("NumS_Dat",
// "NumS_Val", "NumS_Dsc") and the grid's rows ("NumD_Dat", "NumD_Val", "NumD_Dsc"), each a
// date, a value and a description as the grid shows them.
struct TNumberReportData : TReportData {
    using TCells = std::array<std::string, 3>;
    std::string Name;
    std::string Descript;
    TCells InForce;
    TCells Selected;
    std::vector<TCells> Rows;

    std::string ObjectValue(std::string_view ident) const override;
    std::string RowValue(std::string_view ident, int row) const override;
    int RowCount() const override { return static_cast<int>(Rows.size()); }
};

// The image album report: the album's name and description ("ImgSName", "ImgSDscr"), the
// picture shown in the viewer ("ImgS_Nam" its file name, "ImgS_Dsc" its description) and the
// live pictures in list order ("ImgD_Nam", "ImgD_Dsc").
struct TImagesReportData : TReportData {
    struct TEntry {
        std::string FileName;
        std::string Descript;
    };
    std::string Name;
    std::string Descript;
    std::string Album;  // the album's folder, without a trailing "/"
    std::string ShownFileName;
    std::string ShownDescript;
    std::vector<TEntry> Entries;

    std::string ObjectValue(std::string_view ident) const override;
    std::string RowValue(std::string_view ident, int row) const override;
    int RowCount() const override { return static_cast<int>(Entries.size()); }
    // The file a picture label chooses: in the main template (row 0) 1 the shown picture's
    // thumbnail ("mini/" + its name with the extension ".bmp") and 2 the shown picture; in row
    // `row` 101 and 102 the same of that entry. Empty for any other number or place, and for
    // the main template's pictures when no picture is shown.
    std::string PicturePath(int number, int row) const;
};

// The pay report: the pay's name, description, balance today, filter period and the totals of
// the rows shown ("PaySName", "PaySDscr", "PaySBaln", "PaySAPer", "PaySAChr", "PaySAPay",
// "PaySABal"), the selected row ("PayS_Dat" ... "PayS_Add"; "PayS_Dat" in a row file is the
// row's date) and the rows shown ("PayD_Dat" ... "PayD_Add"). Amounts are the stored texts.
struct TPayReportData : TReportData {
    struct TEvent {
        std::string Date, Word, Counter, Charge, ForPayment, Payment, Balance, Descript;
    };
    std::string Name;
    std::string Descript;
    std::string Balance;
    std::string Period;
    std::string TotalCharge, TotalPay, TotalBalance;
    TEvent Selected;
    std::vector<TEvent> Rows;

    std::string ObjectValue(std::string_view ident) const override;
    std::string RowValue(std::string_view ident, int row) const override;
    int RowCount() const override { return static_cast<int>(Rows.size()); }
};
