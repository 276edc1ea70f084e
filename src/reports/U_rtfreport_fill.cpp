// The template fill engine: templates and row files copied into a report up to each label,
// the values written at the labels, the label groups stripped from the finished report, the
// header of a template read for the report window, and the width of its page's text.
#include <QFileInfo>
#include <QString>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Text.h"
#include "reports/ReportFiles.h"
#include "reports/U_rtfreport.h"

namespace {

constexpr size_t kGroupLength = 34;
constexpr int kHeaderLines = 6;

// Copies the file on into the report up to and including the next label group (or row marker,
// when they count) and fills the record's label fields; 0 found, 3 at the end of the file.
int SearchLabel(TRTFReportRow& reader, FILE* report, bool rowMarkers) {
    FILE* in = reader.InFile.get();
    char* window = reader.Window.data();
    int c = 0;
    while ((c = getc_unlocked(in)) != EOF) {
        putc_unlocked(c, report);
        ++reader.LabelEnd;
        std::memmove(window, window + 1, kGroupLength - 1);
        window[kGroupLength - 1] = static_cast<char>(c);
        // Every group ends in '}': the window needs a look only then.
        if (c != '}') continue;
        int kind = CheckTemplateLabel(reader.Window);
        if (kind < 0 && rowMarkers) kind = CheckRowMarker(reader.Window);
        if (kind <= 0) continue;
        reader.Kind = kind;
        reader.LabelStart = reader.LabelEnd - static_cast<std::int64_t>(kGroupLength);
        if (kind == 4) {
            reader.Ident = reader.Window.substr(30, 3);
        } else {
            reader.Letter1 = reader.Window[17];
            reader.Number = std::stoi(reader.Window.substr(19, 3));
            reader.Letter2 = reader.Window[23];
            reader.Ident = reader.Window.substr(25, 8);
        }
        return kLabelFound;
    }
    reader.Kind = CheckTemplateLabel(reader.Window);
    if (reader.Kind < 0 && rowMarkers) reader.Kind = CheckRowMarker(reader.Window);
    reader.LabelStart = reader.LabelEnd - static_cast<std::int64_t>(kGroupLength);
    return kTemplateEnd;
}

// Makes the record ready to search from the start of its open file's body, `skipped` bytes in.
void StartReading(TRTFReportRow& reader, std::int64_t skipped) {
    reader.Window.assign(kGroupLength, '*');
    reader.LabelEnd = skipped + 1;
}

void CopyRest(FILE* in, FILE* report) {
    char buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) std::fwrite(buffer, 1, n, report);
}

// A value's characters as RTF text: the first `number` of them when `number` is above 0.
std::string EscapedValue(std::string_view value, int number) {
    const QString text = ToQString(value);
    std::string rtf;
    rtf.reserve(text.size());
    int characters = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        // A surrogate pair is one character.
        const bool trailing = QChar::isLowSurrogate(unit) && i > 0 && text[i - 1].isHighSurrogate();
        if (!trailing && number > 0 && characters++ == number) break;
        if (unit < 0x80) {
            if (unit == '\\' || unit == '{' || unit == '}') rtf.push_back('\\');
            rtf.push_back(static_cast<char>(unit));
        } else {
            rtf += "\\u" + std::to_string(static_cast<std::int16_t>(unit)) + "?";
        }
    }
    return rtf;
}

// Copies a report without its "{\comment Rp...}" groups. A prefix of the marker is held back
// until it is clear whether it begins one; the marker has no border, so a mismatch restarts the
// match at the byte that broke it.
class TMarkerStripper {
public:
    explicit TMarkerStripper(FILE* out) : out_(out) {}

    void Take(int c) {
        if (skipping_) {
            skipping_ = c != '}';
            return;
        }
        if (matched_ > 0 && c != kMarker[matched_]) {
            std::fwrite(kMarker.data(), 1, matched_, out_);
            matched_ = 0;
        }
        if (c == kMarker[matched_]) {
            if (++matched_ == kMarker.size()) {
                matched_ = 0;
                skipping_ = true;
            }
            return;
        }
        putc_unlocked(c, out_);
    }

    // The end of the report: a held prefix is text; an unclosed marker group is dropped.
    void Finish() { std::fwrite(kMarker.data(), 1, skipping_ ? 0 : matched_, out_); }

private:
    static constexpr std::string_view kMarker = "{\\comment Rp";
    FILE* out_;
    size_t matched_ = 0;
    bool skipping_ = false;
};

// Reads a template's header lines; the number of bytes they take.
std::int64_t SkipHeader(FILE* in) {
    std::int64_t skipped = 0;
    std::string line;
    for (int i = 0; i < kHeaderLines && ReadRawLine(in, line); ++i)
        skipped += static_cast<std::int64_t>(line.size());
    return skipped;
}

// One control word of an RTF text: its letters and its numeric parameter (0 without one).
struct TControlWord {
    std::string Word;
    long long Parameter = 0;
};

// Reads on to the next control word (a backslash, letters, an optional "-" and digits, and the
// blank that may end it); false at the end of the file. Control symbols ("\\", "\{") are
// passed over, so an escaped backslash never starts a word, and the data of "\bin" is skipped.
bool NextControlWord(FILE* in, TControlWord& control) {
    int c = 0;
    while ((c = getc_unlocked(in)) != EOF) {
        if (c != '\\') continue;
        control = {};
        while ((c = getc_unlocked(in)) != EOF && std::isalpha(c) && control.Word.size() < 32)
            control.Word.push_back(static_cast<char>(c));
        if (control.Word.empty()) continue;
        const bool negative = c == '-';
        if (negative) c = getc_unlocked(in);
        for (int digits = 0; c != EOF && std::isdigit(c); c = getc_unlocked(in))
            if (++digits <= 10) control.Parameter = control.Parameter * 10 + (c - '0');
        if (negative) control.Parameter = -control.Parameter;
        if (c != ' ' && c != EOF) ungetc(c, in);
        if (control.Word == "bin" && control.Parameter > 0 &&
            std::fseek(in, static_cast<long>(control.Parameter), SEEK_CUR) != 0)
            return false;
        return true;
    }
    return false;
}

}  // namespace

int OpenReportTemplate(TRTFReportLbl& lbl) {
    lbl.InFile = OpenCFile(lbl.Path, "rb");
    if (!lbl.InFile) return kTemplateUnread;
    lbl.OutFile = OpenCFile(lbl.OutPath, "wb");
    if (!lbl.OutFile) {
        lbl.InFile.reset();
        return kReportUnwritten;
    }
    StartReading(lbl, SkipHeader(lbl.InFile.get()));
    return SearchLabel(lbl, lbl.OutFile.get(), true);
}

int NextReportLabel(TRTFReportLbl& lbl) {
    return SearchLabel(lbl, lbl.OutFile.get(), true);
}

int CloseReportTemplate(TRTFReportLbl& lbl) {
    if (!lbl.OutFile) return kLabelFound;
    CopyRest(lbl.InFile.get(), lbl.OutFile.get());
    const bool readFailed = std::ferror(lbl.InFile.get()) != 0;
    lbl.InFile.reset();
    if (CloseWritten(lbl.OutFile) && !readFailed) return kLabelFound;
    // No half-written report stays under the report's name (a device is left alone).
    if (QFileInfo(ToQString(lbl.OutPath)).isFile()) RemoveFileIfAny(lbl.OutPath);
    return kReportUnwritten;
}

int OpenRowTemplate(TRTFReportRow& row, FILE* report) {
    row.InFile = OpenCFile(row.Path, "rb");
    if (!row.InFile) return kTemplateUnread;
    StartReading(row, 0);
    return SearchLabel(row, report, false);
}

int NextRowLabel(TRTFReportRow& row, FILE* report) {
    return SearchLabel(row, report, false);
}

void CloseRowTemplate(TRTFReportRow& row, FILE* report) {
    if (!row.InFile) return;
    CopyRest(row.InFile.get(), report);
    row.InFile.reset();
}

void WriteReportText(FILE* report, std::string_view value, int number, char letter2) {
    const std::string rtf = EscapedValue(value, number);
    std::fwrite(rtf.data(), 1, rtf.size(), report);
    if (letter2 == 'E') std::fputs("\n\\par\n", report);
}

int StripReportMarkers(const std::string& reportPath, TReportProgress* progress) {
    const TCFile in = OpenCFile(reportPath, "rb");
    if (!in) return kStripReportUnread;
    std::fseek(in.get(), 0, SEEK_END);
    const long length = std::ftell(in.get());
    std::fseek(in.get(), 0, SEEK_SET);
    if (length < 0) return kStripReportUnread;
    const std::string tmpPath = TmpPathOf(reportPath);
    TCFile out = OpenCFile(tmpPath, "wb");
    if (!out) return kStripTmpFailed;

    const long step = length / 100;
    int position = 0;
    if (progress != nullptr) {
        progress->SetRange(0, 100);
        progress->SetPosition(0);
    }
    TMarkerStripper stripper(out.get());
    long read = 0;
    int c = 0;
    while ((c = getc_unlocked(in.get())) != EOF) {
        stripper.Take(c);
        ++read;
        if (progress != nullptr && position < 100 && (step == 0 || read % step == 0))
            progress->SetPosition(++position);
    }
    stripper.Finish();

    const bool readFailed = std::ferror(in.get()) != 0;
    if (!CloseWritten(out) || readFailed) {
        RemoveFileIfAny(tmpPath);
        return readFailed ? kStripReportUnread : kStripTmpFailed;
    }
    if (!RenameOver(tmpPath, reportPath)) {
        RemoveFileIfAny(tmpPath);
        return kStripRenameFailed;
    }
    return kStripDone;
}

int ReadTemplateHeader(TRTFReportInfo& info) {
    const TCFile file = OpenCFile(info.Path, "rb");
    if (!file) return 1;
    std::string* const lines[kHeaderLines] = {&info.Banner,     &info.Name,   &info.Descript,
                                              &info.SourceFile, &info.Params, &info.Created};
    std::string line;
    for (std::string* field : lines)
        *field = ReadRawLine(file.get(), line) ? Trimmed(line) : std::string();
    return 0;
}

int ReportTextWidth(const std::string& templatePath) {
    const TCFile file = OpenCFile(templatePath, "rb");
    if (!file) return 0;
    SkipHeader(file.get());
    // An A4 page and RTF's margins until the document says otherwise.
    long long page[] = {11906, 1800, 1800};
    bool found[] = {false, false, false};
    static constexpr const char* kWords[] = {"paperw", "margl", "margr"};
    TControlWord control;
    while (!(found[0] && found[1] && found[2]) && NextControlWord(file.get(), control)) {
        for (int i = 0; i < 3; ++i) {
            if (found[i] || control.Word != kWords[i]) continue;
            page[i] = control.Parameter;
            found[i] = true;
        }
    }
    const long long width = page[0] - page[1] - page[2];
    return width > 0 && width <= 0x7FFFFFFF ? static_cast<int>(width) : 0;
}
