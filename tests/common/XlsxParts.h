// A part of a workbook written by the exports (an .xlsx is a zip of XML parts), read with unzip.
#pragma once

#include <QProcess>
#include <string>

inline std::string XlsxPart(const std::string& workbook, const char* part) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), QString::fromStdString(workbook),
                                          QString::fromLatin1(part)});
    unzip.waitForFinished();
    return unzip.readAllStandardOutput().toStdString();
}
