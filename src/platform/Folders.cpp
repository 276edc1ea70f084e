// The user's special folders and the recycle bin (the freedesktop trash).
#include "platform/Folders.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <cstdlib>
#include <optional>

#include "platform/Text.h"

namespace {

// The value of an environment variable that is set and not empty.
std::optional<std::string> Variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

std::string DocumentsFolder() {
    return WithoutTrailingSlash(Variable("VEMLY_USERS_DIR")
                                    .value_or(ToStdString(QStandardPaths::writableLocation(
                                        QStandardPaths::DocumentsLocation))));
}

std::string CommonAppDataFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return WithoutTrailingSlash(
        Variable("VEMLY_DATA_DIR")
            .value_or(data.isEmpty() ? std::string() : ToStdString(data) + "/vemly"));
}

std::string TempFolder() {
    return WithoutTrailingSlash(
        Variable("VEMLY_TMP_DIR").value_or(Variable("TMPDIR").value_or("/tmp")));
}

std::string ProgramFolder() {
    return WithoutTrailingSlash(Variable("VEMLY_PROGRAM_DIR")
                                    .value_or(ToStdString(QCoreApplication::applicationDirPath())));
}

bool MoveToTrash(const std::string& path) {
    return QFile::moveToTrash(ToQString(path));
}
