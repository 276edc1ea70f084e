// Files for the report engine's tests: a temporary folder, whole files written and read back
// as bytes, and the label groups and row markers as the compiler writes them.
#pragma once

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/Text.h"

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
