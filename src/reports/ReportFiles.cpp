// The C-stream helpers that the report engine's units share.
#include "reports/ReportFiles.h"

#include <QFile>
#include <cstdio>

#include "platform/Text.h"

namespace {

QByteArray LocalPath(const std::string& path) {
    return QFile::encodeName(ToQString(path));
}

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

TCFile OpenCFile(const std::string& path, const char* mode) {
    return TCFile(std::fopen(LocalPath(path).constData(), mode));
}

bool ReadRawLine(FILE* file, std::string& line) {
    line.clear();
    int c = 0;
    while ((c = getc_unlocked(file)) != EOF) {
        line.push_back(static_cast<char>(c));
        if (c == '\n') return true;
    }
    return !line.empty();
}

std::string Trimmed(std::string_view text) {
    while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
    return std::string(text);
}

bool CloseWritten(TCFile& file) {
    const bool failed = std::ferror(file.get()) != 0;
    return std::fclose(file.release()) == 0 && !failed;
}

std::string TmpPathOf(const std::string& target) {
    return target + ".tmp";
}

bool RenameOver(const std::string& tmp, const std::string& target) {
    return std::rename(LocalPath(tmp).constData(), LocalPath(target).constData()) == 0;
}

void RemoveFileIfAny(const std::string& path) {
    std::remove(LocalPath(path).constData());
}
