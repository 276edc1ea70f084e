// INI files (configuration, budget descriptions, language files): reading and writing values.
#include "platform/IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>

#include "platform/Text.h"

namespace {

constexpr std::string_view kBlanks = " \t\r";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

QString Folded(std::string_view name) {
    return ToQString(Trim(name)).toCaseFolded();
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

bool IsEnclosedInQuotes(std::string_view value) {
    return value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back();
}

// The value of an entry line: the text after the first "=", without blanks around it and
// without one pair of enclosing quotes.
std::string EntryValue(std::string_view line) {
    std::string_view value = Trim(line.substr(line.find('=') + 1));
    if (IsEnclosedInQuotes(value)) value = value.substr(1, value.size() - 2);
    return std::string(value);
}

// The value as written into the file, so that reading gives it back unchanged.
std::string EncodedValue(std::string_view value) {
    const bool needsQuotes =
        !value.empty() && (Trim(value).size() != value.size() || IsEnclosedInQuotes(value));
    return needsQuotes ? "\"" + std::string(value) + "\"" : std::string(value);
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != text.npos;
}

void CheckName(std::string_view name, std::string_view what, std::string_view forbidden) {
    if (name.empty() || Trim(name).size() != name.size() || HasLineBreak(name) ||
        name.find_first_of(forbidden) != name.npos)
        throw EIniFileException("Invalid INI " + std::string(what) + " name: '" +
                                std::string(name) + "'");
}

}  // namespace

TIniFile::TIniFile(std::string path) : path_(std::move(path)) {
    QFile file(ToQString(path_));
    if (!file.exists()) return;
    if (!file.open(QIODevice::ReadOnly)) {
        unreadable_ = true;
        return;
    }
    const QByteArray bytes = file.readAll();
    const std::string_view data(bytes.constData(), static_cast<size_t>(bytes.size()));
    const size_t firstBreak = data.find('\n');
    if (firstBreak != data.npos && firstBreak > 0 && data[firstBreak - 1] == '\r')
        lineEnd_ = "\r\n";
    endsWithLineEnd_ = data.empty() || data.back() == '\n';
    for (size_t start = 0; start < data.size();) {
        const size_t end = std::min(data.find('\n', start), data.size());
        lines_.push_back(ParseLine(std::string(data.substr(start, end - start)), start == 0));
        start = end + 1;
    }
}

TIniFile::Line TIniFile::ParseLine(std::string text, bool first) {
    std::string_view content = text;
    if (first && content.starts_with(kByteOrderMark)) content.remove_prefix(kByteOrderMark.size());
    content = Trim(content);
    LineKind kind = LineKind::kOther;
    QString name;
    if (content.starts_with('[')) {
        const size_t close = content.find(']');
        if (close != content.npos) {
            kind = LineKind::kSection;
            name = Folded(content.substr(1, close - 1));
        }
    } else if (!content.starts_with(';')) {
        const size_t equals = content.find('=');
        if (equals != content.npos && !Trim(content.substr(0, equals)).empty()) {
            kind = LineKind::kEntry;
            name = Folded(content.substr(0, equals));
        }
    }
    return {std::move(text), kind, std::move(name)};
}

size_t TIniFile::FindSection(const QString& name) const {
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == LineKind::kSection && lines_[i].name == name) return i;
    return lines_.size();
}

TIniFile::Place TIniFile::FindEntry(size_t section, const QString& key) const {
    Place place{std::string::npos, section + 1};
    for (size_t i = section + 1; i < lines_.size() && lines_[i].kind != LineKind::kSection; ++i) {
        if (lines_[i].kind != LineKind::kEntry) continue;
        place.end = i + 1;
        if (place.entry == std::string::npos && lines_[i].name == key) place.entry = i;
    }
    return place;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
    const size_t sectionLine = FindSection(Folded(section));
    if (sectionLine == lines_.size()) return std::string(defaultValue);
    const Place place = FindEntry(sectionLine, Folded(key));
    if (place.entry == std::string::npos) return std::string(defaultValue);
    return EntryValue(lines_[place.entry].text);
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    CheckName(section, "section", "]");
    CheckName(key, "key", "=");
    if (key.starts_with('[') || key.starts_with(';'))
        throw EIniFileException("Invalid INI key name: '" + std::string(key) + "'");
    if (HasLineBreak(value))
        throw EIniFileException("An INI value cannot hold a line break (key '" + std::string(key) +
                                "')");
    if (unreadable_) throw EIniFileException("Unable to read " + path_ + " before writing it");

    const std::string cr = lineEnd_ == "\r\n" ? "\r" : "";
    const std::string entry = std::string(key) + "=" + EncodedValue(value) + cr;
    std::vector<Line> lines = lines_;
    bool endsWithLineEnd = endsWithLineEnd_;
    const size_t sectionLine = FindSection(Folded(section));
    if (sectionLine == lines.size()) {
        if (!lines.empty() && !Trim(lines.back().text).empty())
            lines.push_back(ParseLine(cr, false));
        lines.push_back(ParseLine("[" + std::string(section) + "]" + cr, false));
        lines.push_back(ParseLine(entry, false));
        endsWithLineEnd = true;
    } else if (const Place place = FindEntry(sectionLine, Folded(key));
               place.entry != std::string::npos) {
        // Everything up to the old value (key, "=", blanks) and the line's own end stay.
        std::string& text = lines[place.entry].text;
        const std::string lineCr = text.ends_with('\r') ? "\r" : "";
        size_t valueStart = text.find('=') + 1;
        while (valueStart < text.size() && (text[valueStart] == ' ' || text[valueStart] == '\t'))
            ++valueStart;
        text = text.substr(0, valueStart) + EncodedValue(value) + lineCr;
    } else {
        if (place.end == lines.size()) endsWithLineEnd = true;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.end),
                     ParseLine(entry, false));
    }
    Save(lines, endsWithLineEnd);
    lines_ = std::move(lines);
    endsWithLineEnd_ = endsWithLineEnd;
}

void TIniFile::Save(const std::vector<Line>& lines, bool endsWithLineEnd) const {
    std::string data;
    for (size_t i = 0; i < lines.size(); ++i) {
        data += lines[i].text;
        if (i + 1 < lines.size() || endsWithLineEnd) data += '\n';
    }
    QSaveFile file(ToQString(path_));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(data.data(), static_cast<qint64>(data.size())) !=
            static_cast<qint64>(data.size()) ||
        !file.commit())
        throw EIniFileException("Unable to write " + path_ + ": " +
                                ToStdString(file.errorString()));
}
