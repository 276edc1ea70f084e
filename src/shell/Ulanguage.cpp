// The language module's texts: reading language files, placeholders, the "\n" escape and the
// description texts of windows.
#include "shell/Ulanguage.h"

#include <QFile>
#include <algorithm>
#include <filesystem>

#include "algorithms/Uq519algtextformat.h"
#include "platform/Text.h"

namespace {

// The longest text a language file gives, in characters.
constexpr size_t kMaxTextLength = 2047;

// The text cut after its first kMaxTextLength characters (UTF-8 sequences are kept whole).
std::string CutToMaxLength(std::string text) {
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool startsCharacter = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (startsCharacter && ++characters > kMaxTextLength) {
            text.resize(i);
            break;
        }
    }
    return text;
}

}  // namespace

TLangFile::TLangFile(std::string path) : ini_(std::move(path)) {}

std::string TLangFile::Read(std::string_view section, std::string_view key,
                            std::string_view defaultValue) const {
    return CutToMaxLength(ini_.ReadString(section, key, defaultValue));
}

std::string ExpandLineBreaks(std::string text) {
    return ReplaceAllText(text, "\\n", "\n");
}

std::optional<std::string> ReadDescription(const std::string& path) {
    QFile file(ToQString(path));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    std::string text = ReplaceAllText(file.readAll().toStdString(), "\r\n", "\n");
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

std::vector<TLanguageModule> ListLanguageModules(const std::string& dataPath) {
    namespace fs = std::filesystem;
    std::vector<TLanguageModule> modules;
    std::error_code error;
    for (fs::directory_iterator it(fs::path(dataPath), error), end; !error && it != end;
         it.increment(error)) {
        const std::string folder = it->path().filename().string();
        if (folder.rfind("Lang", 0) != 0 || !it->is_directory(error)) continue;
        const TIniFile ini((it->path() / "VLLangModule.ini").string());
        if (ini.ReadString("Lang", "ID", "") != "Vemly language module") continue;
        modules.push_back({folder, ini.ReadString("Lang", "Name", ""),
                           ini.ReadString("Lang", "Lang", ""), ini.ReadString("Lang", "Author", ""),
                           ini.ReadString("Lang", "AuthorMail", ""),
                           ini.ReadString("Lang", "AuthorSite", "")});
    }
    std::sort(
        modules.begin(), modules.end(),
        [](const TLanguageModule& a, const TLanguageModule& b) { return a.Folder < b.Folder; });
    return modules;
}
