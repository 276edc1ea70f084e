// The report generators without a window.
#include "reports/U_reportmake.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "reports/ReportFiles.h"
#include "store/U_dm.h"

namespace {

using TNamedValue = std::pair<std::string_view, const std::string*>;

// The value of `ident` among named values; empty when none has its name.
template <std::size_t N>
std::string Named(const TNamedValue (&values)[N], std::string_view ident) {
    for (const auto& [name, text] : values)
        if (ident == name) return *text;
    return {};
}

// The value of a text label in the main template (row 0) or in data row `row`: a common value
// ("All_NRow" in row files only), an object's value, or in a row file a data row's value.
std::string LabelValue(const TReportCommon& common, const TReportData& data, std::string_view ident,
                       int row) {
    if (ident == "All_NRow") return row > 0 ? std::to_string(row) : std::string();
    if (ident.starts_with("All")) {
        const TNamedValue values[] = {
            {"All_Date", &common.Date},          {"All_Time", &common.Time},
            {"AllBName", &common.BudgetName},    {"AllBDscr", &common.BudgetDescript},
            {"AllBBlns", &common.BudgetBalance},
        };
        return Named(values, ident);
    }
    if (row > 0) {
        std::string value = data.RowValue(ident, row);
        if (!value.empty()) return value;
    }
    return data.ObjectValue(ident);
}

// What a report writes at its labels: the values, and the text width its pictures must fit.
struct TReportValues {
    const TReportCommon& Common;
    TReportData& Data;
    int TextWidth;
};

// Writes what a label asks for at the reader's position.
void WriteLabel(FILE* report, const TRTFReportRow& label, const TReportValues& values, int row) {
    if (label.Kind == 1) {
        WriteReportText(report, LabelValue(values.Common, values.Data, label.Ident, row),
                        label.Number, label.Letter2);
    } else if (label.Kind == 3) {
        TLabelPictureSize size = LabelPictureSize(label.Ident);
        size.TextWidth = values.TextWidth;
        values.Data.WritePicture(report, label.Number, size, row);
    }
}

// Writes the row file of a marker once per data row.
void WriteRows(const TRTFReportLbl& marker, const TReportValues& values,
               TReportProgress* progress) {
    TReportData& data = values.Data;
    const int count = data.RowCount();
    if (progress != nullptr) {
        progress->SetRange(0, count);
        progress->SetPosition(0);
    }
    for (int row = 1; row <= count; ++row) {
        if (progress != nullptr) progress->SetPosition(row);
        TRTFReportRow reader;
        reader.Path = marker.Path + "." + marker.Ident;
        if (OpenRowTemplate(reader, marker.OutFile.get()) != kLabelFound) {
            CloseRowTemplate(reader, marker.OutFile.get());
            continue;
        }
        do WriteLabel(marker.OutFile.get(), reader, values, row);
        while (NextRowLabel(reader, marker.OutFile.get()) == kLabelFound);
        CloseRowTemplate(reader, marker.OutFile.get());
    }
}

}  // namespace

int MakeReport(const std::string& templatePath, const std::string& reportPath,
               const TReportCommon& common, TReportData& data, TReportProgress* progress,
               std::string* why) {
    // The system's text of the error that stopped the report, for the user.
    const auto failed = [why](int code) {
        if (why != nullptr) *why = std::strerror(errno);
        return code;
    };
    if (progress != nullptr) {
        progress->SetRange(0, 100);
        progress->SetPosition(0);
    }
    // The report is written beside its target and renamed over it only once it is whole, so
    // that a report of the name from before stays until then (also through a crash).
    const std::string filled = TmpPathOf(reportPath);
    TRTFReportLbl lbl;
    lbl.Path = templatePath;
    lbl.OutPath = filled;
    errno = 0;
    int result = OpenReportTemplate(lbl);
    if (result == kTemplateUnread) return failed(kReportTemplateUnread);
    if (result == kReportUnwritten) return failed(kReportNotWritten);
    const TReportValues values{common, data, ReportTextWidth(templatePath)};
    while (result == kLabelFound) {
        if (lbl.Kind == 4)
            WriteRows(lbl, values, progress);
        else
            WriteLabel(lbl.OutFile.get(), lbl, values, 0);
        result = NextReportLabel(lbl);
    }
    if (CloseReportTemplate(lbl) != 0) return failed(kReportNotWritten);
    if (StripReportMarkers(filled, progress) != kStripDone || !RenameOver(filled, reportPath)) {
        const int code = failed(kReportNotWritten);
        RemoveFileIfAny(filled);
        return code;
    }
    return kReportMade;
}

std::string TTableReportData::ObjectValue(std::string_view ident) const {
    const TNamedValue values[] = {{"TblSName", &Name}, {"TblSDscr", &Descript}};
    return Named(values, ident);
}

std::string TTableReportData::RowValue(std::string_view ident, int row) const {
    const auto& cells = Rows.at(static_cast<std::size_t>(row - 1));
    const TNamedValue values[] = {{"TblDC001", &cells[0]}, {"TblDC002", &cells[1]}};
    return Named(values, ident);
}

std::string TNumberReportData::ObjectValue(std::string_view ident) const {
    const TNamedValue values[] = {
        {"NumSName", &Name},        {"NumSDscr", &Descript},    {"NumSTDat", &InForce[0]},
        {"NumSTVal", &InForce[1]},  {"NumSTDsc", &InForce[2]},  {"NumS_Dat", &Selected[0]},
        {"NumS_Val", &Selected[1]}, {"NumS_Dsc", &Selected[2]},
    };
    return Named(values, ident);
}

std::string TNumberReportData::RowValue(std::string_view ident, int row) const {
    const TCells& cells = Rows.at(static_cast<std::size_t>(row - 1));
    const TNamedValue values[] = {
        {"NumD_Dat", &cells[0]}, {"NumD_Val", &cells[1]}, {"NumD_Dsc", &cells[2]}};
    return Named(values, ident);
}

std::string TImagesReportData::ObjectValue(std::string_view ident) const {
    const TNamedValue values[] = {{"ImgSName", &Name},
                                  {"ImgSDscr", &Descript},
                                  {"ImgS_Nam", &ShownFileName},
                                  {"ImgS_Dsc", &ShownDescript}};
    return Named(values, ident);
}

std::string TImagesReportData::RowValue(std::string_view ident, int row) const {
    const TEntry& entry = Entries.at(static_cast<std::size_t>(row - 1));
    const TNamedValue values[] = {{"ImgD_Nam", &entry.FileName}, {"ImgD_Dsc", &entry.Descript}};
    return Named(values, ident);
}

std::string TImagesReportData::PicturePath(int number, int row) const {
    const bool main = row == 0 && (number == 1 || number == 2);
    const bool entry = row > 0 && (number == 101 || number == 102);
    if (!main && !entry) return {};
    const std::string& file =
        main ? ShownFileName : Entries.at(static_cast<std::size_t>(row - 1)).FileName;
    if (file.empty()) return {};
    if (number == 2 || number == 102) return Album + "/" + file;
    return Album + "/mini/" + ThumbnailName(file);
}

namespace {

// The values of an event under the identifiers "<prefix>Dat" ... "<prefix>Add".
std::string EventValue(const TPayReportData::TEvent& event, std::string_view prefix,
                       std::string_view ident) {
    if (!ident.starts_with(prefix)) return {};
    const TNamedValue values[] = {{"Dat", &event.Date},       {"Nam", &event.Word},
                                  {"Cnt", &event.Counter},    {"Chr", &event.Charge},
                                  {"TPy", &event.ForPayment}, {"Pay", &event.Payment},
                                  {"Bal", &event.Balance},    {"Add", &event.Descript}};
    return Named(values, ident.substr(prefix.size()));
}

}  // namespace

std::string TPayReportData::ObjectValue(std::string_view ident) const {
    const TNamedValue values[] = {{"PaySName", &Name},        {"PaySDscr", &Descript},
                                  {"PaySBaln", &Balance},     {"PaySAPer", &Period},
                                  {"PaySAChr", &TotalCharge}, {"PaySAPay", &TotalPay},
                                  {"PaySABal", &TotalBalance}};
    std::string value = Named(values, ident);
    return value.empty() ? EventValue(Selected, "PayS_", ident) : value;
}

std::string TPayReportData::RowValue(std::string_view ident, int row) const {
    const TEvent& event = Rows.at(static_cast<std::size_t>(row - 1));
    if (ident == "PayS_Dat") return event.Date;
    return EventValue(event, "PayD_", ident);
}
