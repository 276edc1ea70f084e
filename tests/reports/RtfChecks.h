// Checks of a finished report: its structure, and the report as LibreOffice shows it with fonts
// of the test's choosing.
#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "tests/reports/RtfFiles.h"

// What every report must be: an RTF document of balanced groups without markers, whose values
// went in as ASCII (escaped) text.
inline void ExpectSoundRtf(const std::string& rtf) {
    EXPECT_EQ(rtf.substr(0, 5), "{\\rtf");
    int depth = 0;
    for (size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;
        } else if (rtf[i] == '{') {
            ++depth;
        } else if (rtf[i] == '}') {
            EXPECT_GT(depth--, 0) << "at " << i;
        }
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(rtf.find("{\\comment Rp"), std::string::npos);
    for (const char c : rtf) EXPECT_LT(static_cast<unsigned char>(c), 128);
}

// Runs a program, with `environment` when given; its standard output, or nothing when it failed.
inline std::string RunProgram(const QString& program, const QStringList& arguments,
                              const QProcessEnvironment& environment = {}) {
    QProcess process;
    if (!environment.isEmpty()) process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(180000) || process.exitCode() != 0) return {};
    return process.readAllStandardOutput().toStdString();
}

// The fonts a report is read with: LibreOffice sees only this family's folder, and every font
// the report names (Arial, Times New Roman, ...) resolves to it.
struct TReportFonts {
    const char* Family;
    const char* Folder;
};
// Both families come with the test command; Liberation has Arial's measures, DejaVu is wider.
inline const TReportFonts kLiberationSans{"Liberation Sans",
                                          "/usr/share/fonts/truetype/liberation2"};
inline const TReportFonts kDejaVuSans{"DejaVu Sans", "/usr/share/fonts/truetype/dejavu"};

// Whether LibreOffice, poppler's tools and the fonts are here to read reports back. The test
// command installs them and says so in VEMLY_TEST_TOOLS: there a missing one is a failure;
// a build tested without the script lets the caller skip.
inline bool ReportReadersHere() {
    QStringList missing;
    for (const char* program : {"soffice", "pdftotext", "pdffonts", "pdfimages"})
        if (QStandardPaths::findExecutable(program).isEmpty()) missing << program;
    for (const TReportFonts& fonts : {kLiberationSans, kDejaVuSans})
        if (!std::filesystem::is_directory(fonts.Folder)) missing << fonts.Folder;
    if (!missing.isEmpty() && qEnvironmentVariableIsSet("VEMLY_TEST_TOOLS"))
        ADD_FAILURE() << "missing, though the test command installs them: "
                      << missing.join(", ").toStdString();
    return missing.isEmpty();
}

// A fontconfig file of the folder that offers `fonts` only, cached in the folder.
inline std::string WriteFontConfig(const RtfFolder& folder, const TReportFonts& fonts) {
    const std::string name = std::string("fonts-") + fonts.Family + ".conf";
    return folder.Write(name,
                        std::string("<?xml version=\"1.0\"?>\n"
                                    "<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
                                    "<fontconfig>\n  <dir>") +
                            fonts.Folder + "</dir>\n  <cachedir>" + folder.Path("fontcache") +
                            "</cachedir>\n"
                            "  <match target=\"pattern\"><edit name=\"family\" "
                            "mode=\"prepend\" binding=\"strong\"><string>" +
                            fonts.Family + "</string></edit></match>\n</fontconfig>\n");
}

// Converts RTF reports of the folder to PDF through LibreOffice, in one run with a profile
// folder of its own and only `fonts` to choose from. The PDFs go to the sub-folder named after
// the family; gives their paths in the order of `reports`.
inline std::vector<std::string> ReportsInLibreOffice(const RtfFolder& folder,
                                                     const std::vector<std::string>& reports,
                                                     const TReportFonts& fonts) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("FONTCONFIG_FILE", ToQString(WriteFontConfig(folder, fonts)));
    const std::string out = folder.Path(fonts.Family);
    QStringList arguments{"-env:UserInstallation=file://" + ToQString(folder.Path("profile")),
                          "--headless",
                          "--convert-to",
                          "pdf",
                          "--outdir",
                          ToQString(out)};
    std::vector<std::string> pdfs;
    for (const std::string& report : reports) {
        arguments << ToQString(folder.Path(report));
        pdfs.push_back(out + "/" + report.substr(0, report.rfind('.')) + ".pdf");
    }
    RunProgram(QStandardPaths::findExecutable("soffice"), arguments, environment);
    return pdfs;
}

// The output of one of poppler's tools on a PDF, with `options` before the PDF: "pdftotext"
// its text ("-bbox": each word with its box), "pdffonts" its fonts, "pdfimages" ("-list") its
// pictures; nothing when the PDF is missing.
inline std::string PdfTool(const char* tool, const std::string& pdf, QStringList options = {}) {
    if (!std::filesystem::exists(pdf)) return {};
    options << ToQString(pdf);
    if (std::string(tool) == "pdftotext") options << "-";
    return RunProgram(QStandardPaths::findExecutable(tool), options);
}
