// Checks of a finished report: its structure, and its text as LibreOffice reads it.
#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <string>

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

// Runs a program; its standard output, or nothing when it failed.
inline std::string RunProgram(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(180000) || process.exitCode() != 0) return {};
    return process.readAllStandardOutput().toStdString();
}

// The text of an RTF report of the folder as LibreOffice shows it, converted to PDF with a
// profile folder of its own and read by pdftotext; nothing when either program is missing
// or the conversion failed.
inline std::string ReportTextInLibreOffice(const RtfFolder& folder, const std::string& report) {
    const QString soffice = QStandardPaths::findExecutable("soffice");
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (soffice.isEmpty() || pdftotext.isEmpty()) return {};
    const QString profile = "file://" + ToQString(folder.Path("profile"));
    RunProgram(soffice, {"-env:UserInstallation=" + profile, "--headless", "--convert-to", "pdf",
                         "--outdir", ToQString(folder.Path("")), ToQString(folder.Path(report))});
    std::string pdf = report.substr(0, report.rfind('.')) + ".pdf";
    if (!folder.Exists(pdf)) return {};
    return RunProgram(pdftotext, {ToQString(folder.Path(pdf)), "-"});
}
