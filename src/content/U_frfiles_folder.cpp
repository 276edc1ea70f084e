// What the file collection frame does with a collection's folder, without a window: its files,
// their extensions, and the checked copy and rename of a file.
#include "content/U_frfiles_folder.h"

#include <filesystem>

#include "store/U_fileoperation.h"

namespace fs = std::filesystem;

namespace {

// The hidden name under which CopyIntoCollection writes a copy before it takes its own name.
std::string CopyName(const std::string& name) {
    return ".~" + name + ".part";
}

bool IsCopyName(std::string_view name) {
    return name.size() > 7 && name.starts_with(".~") && name.ends_with(".part");
}

}  // namespace

std::string FileExtension(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::vector<std::string> CollectionFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        std::error_code kind;
        const std::string name = it->path().filename().string();
        if (it->is_directory(kind) || IsCopyName(name)) continue;
        names.push_back(name);
    }
    return names;
}

TNameCheck CheckNewName(const std::string& folder, const std::string& name) {
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of(std::string_view("/\0", 2)) != std::string::npos)
        return TNameCheck::Invalid;
    std::error_code error;
    return fs::exists(fs::symlink_status(fs::path(folder) / name, error)) ? TNameCheck::Exists
                                                                          : TNameCheck::Valid;
}

std::error_code RenameInCollection(const std::string& folder, const std::string& from,
                                   const std::string& to) {
    return MoveWithoutReplacing((fs::path(folder) / from).string(),
                                (fs::path(folder) / to).string());
}

std::error_code CopyIntoCollection(const std::string& source, const std::string& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) return error;
    const fs::path name = fs::path(source).filename();
    const fs::path target = fs::path(folder) / name;
    const fs::path part = fs::path(folder) / CopyName(name.string());
    error = CopyFileWhole(source, part.string());
    if (!error) fs::rename(part, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(part, ignored);
    }
    return error;
}

void RemoveCopyLeftovers(const std::string& folder) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        std::error_code ignored;
        if (IsCopyName(it->path().filename().string()) && it->is_regular_file(ignored))
            fs::remove(it->path(), ignored);
    }
}
