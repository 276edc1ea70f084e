// Files for the report engine's tests: a temporary folder, whole files written and read back
// as bytes, and the label groups and row markers as the compiler writes them.
#pragma once

#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "platform/Text.h"
#include "reports/U_rtfreport.h"

class RtfFolder {
public:
    std::string Path(const std::string& name) const {
        return ToStdString(folder_.path()) + "/" + name;
    }

    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string path = Path(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::string Read(const std::string& name) const { return ReadFile(Path(name)); }

    bool Exists(const std::string& name) const { return std::filesystem::exists(Path(name)); }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    QTemporaryDir folder_;
};

// A label group as the compiler writes it, with its line feeds.
inline std::string Group(const std::string& label) {
    return "\n{\\comment " + label + "}\n";
}

// A row marker as the compiler writes it, with its line feeds.
inline std::string Marker(const std::string& number) {
    return "\n{\\comment RptRow.00000.000000." + number + "}\n";
}

// A template's header lines followed by its body.
inline std::string TemplateText(const std::string& body) {
    return "RTF_Report v1.0 Template\nName\nDescription\nsource.rtf\n"
           "RowsInFile=0;ObjectType=60;\n01.02.2024 10:00:00\n" +
           body;
}

// Writes a label's value into the report: the label's reader, and the data row (from 1; 0 in
// the main template).
using LabelWriter = std::function<void(FILE* report, const TRTFReportRow& label, int row)>;

// Fills a template the way a report does: at every label of the main template and of its row
// files (each written once for each of `rows` data rows) `write` writes the value; then the
// template is closed and the markers stripped. Gives the results of the close and the strip.
inline std::pair<int, int> FillTemplate(const std::string& templatePath,
                                        const std::string& reportPath, int rows,
                                        const LabelWriter& write) {
    TRTFReportLbl lbl;
    lbl.Path = templatePath;
    lbl.OutPath = reportPath;
    for (int result = OpenReportTemplate(lbl); result == kLabelFound;
         result = NextReportLabel(lbl)) {
        if (lbl.Kind != 4) write(lbl.OutFile.get(), lbl, 0);
        for (int r = 1; lbl.Kind == 4 && r <= rows; ++r) {
            TRTFReportRow row;
            row.Path = lbl.Path + "." + lbl.Ident;
            for (int found = OpenRowTemplate(row, lbl.OutFile.get()); found == kLabelFound;
                 found = NextRowLabel(row, lbl.OutFile.get()))
                write(lbl.OutFile.get(), row, r);
            CloseRowTemplate(row, lbl.OutFile.get());
        }
    }
    const int closed = CloseReportTemplate(lbl);
    return {closed, StripReportMarkers(reportPath, nullptr)};
}
