// File and folder utilities: special folders, folder paths, copying, moving and deleting lists.
#include "store/U_fileoperation.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/Folders.h"
#include "platform/Text.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> SplitList(const std::string& list) {
    std::vector<std::string> entries;
    size_t start = 0;
    for (size_t end; (end = list.find(';', start)) != list.npos; start = end + 1)
        entries.push_back(list.substr(start, end - start));
    entries.push_back(list.substr(start));
    return entries;
}

// The path without trailing "/" (the root stays "/").
fs::path CleanPath(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return fs::path(path);
}

bool EndsWithSlash(const std::string& path) {
    return !path.empty() && path.back() == '/';
}

bool HasWildcard(const fs::path& path) {
    return path.filename().native().find_first_of("*?") != std::string::npos;
}

fs::path FolderOf(const fs::path& path) {
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// An empty path or one that names the root of the file system: never deleted from.
bool IsForbiddenToDelete(const fs::path& path) {
    if (path.empty()) return true;
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec).lexically_normal();
    return ec || absolute == absolute.root_path();
}

bool Exists(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// A folder, a link to a folder counting as one (IsFolder) or not (IsRealFolder).
bool IsFolder(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool IsRealFolder(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(fs::symlink_status(path, ec));
}

// "*" any run of characters, "?" one character, the rest compared exactly (both sides are
// already case-folded).
bool MatchesPattern(QStringView name, QStringView pattern) {
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == QLatin1Char('?') || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*')) ++p;
    return p == pattern.size();
}

// Wild-card match without regard to case; a pattern ending in ".*" also matches the name
// without any extension, so "*.*" matches every name.
bool MatchesWildcard(const std::string& name, const std::string& pattern) {
    const QString foldedName = ToQString(name).toCaseFolded();
    const QString foldedPattern = ToQString(pattern).toCaseFolded();
    return MatchesPattern(foldedName, foldedPattern) ||
           (foldedPattern.endsWith(QLatin1String(".*")) &&
            MatchesPattern(foldedName, QStringView(foldedPattern).chopped(2)));
}

// The items that a path names: itself, or the matching entries of its folder when its last
// part holds a wild card (sorted by name). ENOENT when the path or the folder is missing.
int Expand(const fs::path& path, std::vector<fs::path>& items) {
    if (!HasWildcard(path)) {
        if (!Exists(path)) return ENOENT;
        items.push_back(path);
        return kShellOk;
    }
    const fs::path folder = FolderOf(path);
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return ec.value();
    std::vector<fs::path> matches;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (MatchesWildcard(it->path().filename().native(), path.filename().native()))
            matches.push_back(it->path());
    }
    if (ec) return ec.value();
    std::sort(matches.begin(), matches.end());
    items.insert(items.end(), matches.begin(), matches.end());
    return kShellOk;
}

// Where a path lies, its last part not followed when it is a link.
fs::path Located(const fs::path& path) {
    std::error_code ec;
    return (fs::weakly_canonical(fs::absolute(FolderOf(path), ec), ec) / path.filename())
        .lexically_normal();
}

bool IsSameOrInside(const fs::path& inner, const fs::path& outer) {
    const fs::path a = Located(outer), b = Located(inner);
    return std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first == a.end();
}

// Creates the folders that a copy's or a move's target needs.
int MakeParentFolders(const fs::path& to) {
    std::error_code ec;
    if (to.has_parent_path()) fs::create_directories(to.parent_path(), ec);
    return ec.value();
}

int CopyItem(const fs::path& from, const fs::path& to) {
    if (const int code = MakeParentFolders(to); code != kShellOk) return code;
    std::error_code ec;
    auto options = fs::copy_options::overwrite_existing | fs::copy_options::copy_symlinks;
    if (IsRealFolder(from)) options |= fs::copy_options::recursive;
    fs::copy(from, to, options, ec);
    return ec.value();
}

int MoveItem(const fs::path& from, const fs::path& to) {
    if (const int code = MakeParentFolders(to); code != kShellOk) return code;
    std::error_code ec;
    // A rename is enough unless the target is a folder already (then the contents merge) or
    // lies on another file system.
    if (!IsRealFolder(to)) {
        fs::rename(from, to, ec);
        if (!ec) return kShellOk;
    }
    if (const int code = CopyItem(from, to); code != kShellOk) return code;
    fs::remove_all(from, ec);
    return ec.value();
}

int DeleteItem(const fs::path& path, bool recycle) {
    if (recycle) return MoveToTrash(path.native()) ? kShellOk : EIO;
    std::error_code ec;
    fs::remove_all(path, ec);
    return ec.value();
}

// Deletes every item, going on after a failure; returns the first failure.
int DeleteItems(const std::vector<fs::path>& items, bool recycle) {
    int result = kShellOk;
    for (const fs::path& item : items) {
        const int code = DeleteItem(item, recycle);
        if (result == kShellOk) result = code;
    }
    return result;
}

struct CopyStep {
    fs::path from;
    fs::path to;
};

// The single copies that a source and a target entry stand for, or an error code.
int PlanCopies(const std::string& source, const std::string& target, std::vector<CopyStep>& steps) {
    if (source.empty() || target.empty()) return EINVAL;
    const fs::path from = CleanPath(source), to = CleanPath(target);
    std::vector<fs::path> items;
    if (const int code = Expand(from, items); code != kShellOk) return code;
    for (const fs::path& item : items) {
        const bool intoTarget =
            HasWildcard(from) || EndsWithSlash(target) || (IsFolder(to) && !IsFolder(item));
        const fs::path destination = intoTarget ? to / item.filename() : to;
        if (IsSameOrInside(destination, item)) return EINVAL;
        steps.push_back({item, destination});
    }
    return kShellOk;
}

std::error_code SystemError() {
    return {errno, std::generic_category()};
}

// Writes the bytes to the open file, the whole of them: the system's error when it stops short.
std::error_code WriteAll(int file, const char* bytes, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(file, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return SystemError();
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return {};
}

// Makes or empties the file, lets `fill` write into it and closes it; a failure of any step
// removes the file. The system's error, none when written whole.
template <class TFill>
std::error_code WriteNewFile(const std::string& target, mode_t mode, TFill fill) {
    const int file = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (file < 0) return SystemError();
    std::error_code error = fill(file);
    // A file system that keeps writes back reports a full disk when the file is closed.
    if (::close(file) != 0 && !error) error = SystemError();
    if (error) ::unlink(target.c_str());
    return error;
}

}  // namespace

std::error_code CopyFileWhole(const std::string& source, const std::string& target) {
    const int from = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0) return SystemError();
    // The copy gets the source's permissions, as the standard library's copy does.
    struct stat status {};
    const mode_t mode = ::fstat(from, &status) == 0 ? status.st_mode & 0777 : 0644;
    const std::error_code error = WriteNewFile(target, mode, [from](int to) -> std::error_code {
        std::vector<char> buffer(1 << 20);
        for (;;) {
            const ssize_t read = ::read(from, buffer.data(), buffer.size());
            if (read < 0) {
                if (errno == EINTR) continue;
                return SystemError();
            }
            if (read == 0) return {};
            if (const std::error_code failed =
                    WriteAll(to, buffer.data(), static_cast<size_t>(read)))
                return failed;
        }
    });
    ::close(from);
    return error;
}

std::error_code WriteFileWhole(const std::string& target, std::string_view bytes) {
    return WriteNewFile(target, 0644,
                        [bytes](int to) { return WriteAll(to, bytes.data(), bytes.size()); });
}

std::string GetMyDocumentsFolder() {
    return DocumentsFolder();
}

std::string GetCommonAppDataFolder() {
    return CommonAppDataFolder();
}

std::string GetTempFolder() {
    const std::string folder = TempFolder();
    return EndsWithSlash(folder) ? folder : folder + "/";
}

bool ForceFolderPath(const std::string& path, std::error_code* error) {
    std::error_code ec = std::make_error_code(std::errc::invalid_argument);
    if (!path.empty()) {
        fs::create_directories(fs::path(path), ec);
        if (IsFolder(fs::path(path))) return true;
        // create_directories reports no error when a file stands where the folder should be.
        if (!ec) ec = std::make_error_code(std::errc::not_a_directory);
    }
    if (error != nullptr) *error = ec;
    return false;
}

bool CopyFileBytes(const fs::path& from, const fs::path& to, std::error_code& error) {
    error.clear();
    const auto failed = [&error] {
        error = std::error_code(errno, std::generic_category());
        return false;
    };
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return failed();
    struct stat info {};
    if (fstat(in, &info) != 0) {
        failed();
        close(in);
        return false;
    }
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 07777);
    if (out < 0) {
        failed();
        close(in);
        return false;
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t got = read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            if (got < 0) failed();
            break;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put =
                write(out, buffer.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put < 0) {
                failed();
                break;
            }
            done += put;
        }
        if (error) break;
    }
    if (close(out) != 0 && !error) failed();
    close(in);
    if (error) {
        std::error_code ignored;
        fs::remove(to, ignored);
        return false;
    }
    return true;
}

std::error_code MoveWithoutReplacing(const std::string& from, const std::string& to) {
    // RENAME_NOREPLACE: the check and the rename are one step for the file system.
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0)
        return {errno, std::generic_category()};
    return {};
}

bool CopyEntry(const fs::path& from, const fs::path& to, std::error_code& error) {
    error.clear();
    if (fs::symlink_status(to, error).type() != fs::file_type::not_found) return !error;
    error.clear();
    switch (fs::symlink_status(from, error).type()) {
        case fs::file_type::regular:
            CopyFileBytes(from, to, error);
            break;
        case fs::file_type::symlink:
            fs::copy_symlink(from, to, error);
            break;
        case fs::file_type::directory:
            fs::create_directory(to, error);
            break;
        default:
            if (!error) error = std::make_error_code(std::errc::not_supported);
    }
    return !error;
}

TTreeCopy CopyFolderTree(const fs::path& from, const fs::path& to, TCopyFailure failure) {
    TTreeCopy copy;
    const auto failed = [&](const fs::path& path, std::error_code error) {
        if (copy.Failed.empty()) {
            copy.Failed = path;
            copy.Error = error;
        }
        return failure == TCopyFailure::Stops;
    };
    std::error_code walking;
    auto it = fs::recursive_directory_iterator(from, walking);
    if (walking && failed(from, walking)) return copy;
    for (; !walking && it != fs::recursive_directory_iterator(); it.increment(walking)) {
        std::error_code error;
        if (CopyEntry(it->path(), to / it->path().lexically_relative(from), error))
            ++copy.Copied;
        else if (failed(it->path(), error))
            return copy;
    }
    if (walking) failed(from, walking);
    return copy;
}

int ShellCopyFiles(const std::string& sources, const std::string& targets, bool move) {
    const std::vector<std::string> from = SplitList(sources), to = SplitList(targets);
    if (from.size() != to.size()) return kShellListLengthsDiffer;
    std::vector<CopyStep> steps;
    for (size_t i = 0; i < from.size(); ++i)
        if (const int code = PlanCopies(from[i], to[i], steps); code != kShellOk) return code;
    for (const CopyStep& step : steps) {
        const int code = move ? MoveItem(step.from, step.to) : CopyItem(step.from, step.to);
        if (code != kShellOk) return code;
    }
    return kShellOk;
}

int ShellDeleteFolder(const std::string& path, bool whole, bool recycle) {
    const fs::path folder = CleanPath(path);
    if (IsForbiddenToDelete(folder)) return EINVAL;
    if (whole) return IsFolder(folder) ? DeleteItem(folder, recycle) : kShellNoFolder;
    std::vector<fs::path> items;
    if (const int code = Expand(folder / "*", items); code != kShellOk) return code;
    return DeleteItems(items, recycle);
}

int ShellDeletePath(const std::string& target, bool recycle) {
    const fs::path path = CleanPath(target);
    if (IsForbiddenToDelete(HasWildcard(path) ? FolderOf(path) : path)) return EINVAL;
    std::vector<fs::path> items;
    if (const int code = Expand(path, items); code != kShellOk) return code;
    return DeleteItems(items, recycle);
}

std::string CollapseBackslashes(const std::string& path) {
    std::string result;
    for (const char c : path)
        if (c != '/' || result.empty() || result.back() != '/') result += c;
    return result;
}

std::string IntToText(int32_t value) {
    return std::to_string(value);
}
