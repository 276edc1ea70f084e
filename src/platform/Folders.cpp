// The user's special folders and the recycle bin (the freedesktop trash).
#include "platform/Folders.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
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

namespace {

// Makes the folders of the user's data folder (XDG_DATA_HOME, else ~/.local/share) that are
// missing, each with mode 0700, as the base directory rules ask: the home trash lies in it,
// and Qt makes the trash itself only where that folder exists.
void MakeDataHome() {
    const std::string data =
        ToStdString(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    if (data.empty() || data.front() != '/') return;
    std::string folder;
    for (std::size_t from = 1; from <= data.size();) {
        const std::size_t slash = std::min(data.find('/', from), data.size());
        folder = data.substr(0, slash);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return;
        from = slash + 1;
    }
}

}  // namespace

bool MoveToTrash(const std::string& path) {
    MakeDataHome();
    QString inTrash;
    if (!QFile::moveToTrash(ToQString(path), &inTrash)) return false;
    if (QFileInfo(inTrash).isAbsolute()) return true;
    // Qt that cannot make the trash moves the entry into "files/" of the working folder and
    // writes its note into "info/" there: that is no trash. The entry goes back where it was,
    // and the folders Qt made go when they are empty.
    const QFileInfo moved(inTrash);
    QDir files = moved.dir();
    QFile::rename(inTrash, ToQString(path));
    const QString info = files.filePath(QStringLiteral("../info"));
    QFile::remove(info + QStringLiteral("/") + moved.fileName() + QStringLiteral(".trashinfo"));
    QDir().rmdir(info);
    QDir().rmdir(files.path());
    return false;
}
