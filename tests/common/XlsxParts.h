// A part of a workbook written by the exports (an .xlsx is a zip of XML parts), read with unzip.
#pragma once

#include <QProcess>
#include <regex>
#include <set>
#include <string>

inline std::string XlsxPart(const std::string& workbook, const char* part) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), QString::fromStdString(workbook),
                                          QString::fromLatin1(part)});
    unzip.waitForFinished();
    return unzip.readAllStandardOutput().toStdString();
}

// The XML of the cell at `ref` ("A1") of a sheet part, empty when there is none. A text cell
// carries t="s" (its <v> is the index of a shared string); a number cell holds its <v>value</v>.
inline std::string XlsxCell(const std::string& sheet, const std::string& ref) {
    const std::size_t from = sheet.find("<c r=\"" + ref + "\"");
    if (from == std::string::npos) return "";
    const std::size_t to = sheet.find("</c>", from);
    return sheet.substr(from, to == std::string::npos ? std::string::npos : to + 4 - from);
}

// The values of the sheet's number cells (every cell without t="s"), as written.
inline std::multiset<std::string> XlsxNumbers(const std::string& sheet) {
    static const std::regex cell(R"(<c r="[A-Z]+[0-9]+"([^>]*)><v>([^<]*)</v></c>)");
    std::multiset<std::string> numbers;
    for (std::sregex_iterator it(sheet.begin(), sheet.end(), cell), end; it != end; ++it)
        if ((*it)[1].str().find("t=\"s\"") == std::string::npos) numbers.insert((*it)[2].str());
    return numbers;
}
