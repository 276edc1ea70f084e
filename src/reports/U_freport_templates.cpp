// The templates of the report window without a window.
#include "reports/U_freport_templates.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string GetTemplateParam(std::string_view params, std::string_view key) {
    const std::string needle = std::string(key) + "=";
    const std::size_t at = params.find(needle);
    if (at == std::string_view::npos) return {};
    const std::size_t start = at + needle.size();
    const std::size_t end = params.find(';', start);
    return std::string(params.substr(start, end == std::string_view::npos ? end : end - start));
}

int GetTemplateObjectType(std::string_view params) {
    const std::string value = GetTemplateParam(params, "ObjectType");
    if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) return -1;
    int type = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), type);
    if (error != std::errc() || end != value.data() + value.size()) return -1;
    return type;
}

std::string TemplatesFolderOf(const std::string& templatesRoot, int objectType) {
    switch (objectType) {
        case 20:
            return templatesRoot + "ForTable/";
        case 30:
            return templatesRoot + "ForImages/";
        case 50:
            return templatesRoot + "ForNumber/";
        case 60:
            return templatesRoot + "ForPay/";
        case 9500:
            return templatesRoot + "ForCalendar/";
        case 10000:
            return templatesRoot + "ForLog/";
        default:
            return templatesRoot;
    }
}

std::vector<TTemplateEntry> ListTemplates(const std::string& folder, int objectType) {
    std::vector<TTemplateEntry> list;
    std::error_code error;
    for (fs::directory_iterator it(fs::path(folder), error), end; !error && it != end;
         it.increment(error)) {
        const fs::path path = it->path();
        if (path.extension() != ".tlt") continue;
        TTemplateEntry entry;
        entry.FileName = path.filename().string();
        entry.Info.Path = folder + entry.FileName;
        if (ReadTemplateHeader(entry.Info) != 0) continue;
        if (!entry.Info.Banner.starts_with(kTemplateBannerStart)) continue;
        if (GetTemplateObjectType(entry.Info.Params) != objectType) continue;
        list.push_back(std::move(entry));
    }
    std::sort(list.begin(), list.end(), [](const TTemplateEntry& a, const TTemplateEntry& b) {
        return a.FileName < b.FileName;
    });
    return list;
}

int DeleteTemplateFiles(const std::string& folder, const std::string& fileName) {
    if (fileName.empty()) return 0;
    std::vector<fs::path> doomed;
    std::error_code error;
    for (fs::directory_iterator it(fs::path(folder), error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name == fileName || name.starts_with(fileName + ".")) doomed.push_back(it->path());
    }
    int deleted = 0;
    for (const fs::path& path : doomed)
        if (fs::remove(path, error)) ++deleted;
    return deleted;
}

bool SourceStillUsed(const std::vector<TTemplateEntry>& templates, std::size_t except,
                     const std::string& sourceFile) {
    for (std::size_t i = 0; i < templates.size(); ++i)
        if (i != except && templates[i].Info.SourceFile == sourceFile) return true;
    return false;
}

std::string SourceSaveName(const std::string& path) {
    fs::path name = fs::path(path);
    if (name.extension() != ".rtf") name.replace_extension(".rtf");
    return name.string();
}

std::string FreeTemplateName(const std::string& folder, int objectType) {
    for (int i = 1; i <= 5000; ++i) {
        const std::string path = folder + "Report" + std::to_string(objectType) + "_" +
                                 std::to_string(i) + ".tlt";
        std::error_code error;
        if (!fs::exists(fs::path(path), error) && !error) return path;
    }
    return {};
}

int MakeTemplate(const std::string& folder, int objectType, const std::string& tempFolder,
                 const TNewTemplate& source, std::string& templatePath) {
    templatePath = FreeTemplateName(folder, objectType);
    if (templatePath.empty()) return kTemplateNoFreeName;
    const fs::path sourcePath = fs::path(source.Source);
    const std::string fileName = sourcePath.filename().string();
    const std::string working = tempFolder + "TmpSourc.rtf";
    std::error_code error;
    fs::copy_file(sourcePath, fs::path(working), fs::copy_options::overwrite_existing, error);
    if (error) return kCompileNoSource;
    const std::string params = "RowsInFile=0;ObjectType=" + std::to_string(objectType) + ";";
    const int compiled =
        source.Writer
            ? CompileTemplateWriter(working, templatePath, source.Name, source.Descript, fileName, params)
            : CompileTemplateWord(working, templatePath, source.Name, source.Descript, fileName, params);
    fs::remove(fs::path(working), error);
    if (compiled != kCompileDone) return compiled;
    if (!source.Charset.empty()) ReplaceFontCharsets(templatePath, "*", source.Charset);
    const fs::path sources = fs::path(folder + "Sources");
    fs::create_directories(sources, error);
    fs::copy_file(sourcePath, sources / fs::path(fileName), fs::copy_options::overwrite_existing,
                  error);
    if (error) {
        DeleteTemplateFiles(folder, fs::path(templatePath).filename().string());
        return kTemplateSourceNotCopied;
    }
    return kCompileDone;
}

const char* ObjectTypeWord(int objectType) {
    switch (objectType) {
        case 20: return "Table";
        case 30: return "Images";
        case 50: return "Number";
        case 60: return "Pay";
        case 9500: return "Calendar";
        case 10000: return "Log";
        default: return "Default";
    }
}
