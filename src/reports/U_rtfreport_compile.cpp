// The report labels' checks and the template compiler: a source RTF document with typed labels
// made into a template and its row files.
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Dates.h"
#include "platform/Text.h"
#include "reports/ReportFiles.h"
#include "reports/U_rtfreport.h"

namespace {

constexpr size_t kSourceLabelLength = 23;
constexpr size_t kGroupLength = 34;
constexpr std::string_view kGroupStart = "{\\comment ";
constexpr std::string_view kRowMarkerStart = "{\\comment RptRow.";
constexpr std::string_view kStartTbl = "StartTbl";
constexpr int kMaxRowFiles = 999;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The character at the 1-based position, or NUL when the text is shorter.
char At(std::string_view text, size_t position) {
    return position <= text.size() ? text[position - 1] : '\0';
}

// The label's tests from its kind on, `offset` characters into the text (0 for a typed label,
// 10 for a label group).
int CheckLabelFields(std::string_view text, size_t offset) {
    static constexpr std::array<std::string_view, 3> kKinds = {"RptStr.", "RptTxt.", "RptImg."};
    const std::string_view kind = text.substr(offset, 7);
    int result = -1;
    for (size_t i = 0; i < kKinds.size(); ++i)
        if (kind == kKinds[i]) result = static_cast<int>(i) + 1;
    if (result < 0) return -1;
    const char letter1 = At(text, offset + 8);
    if (letter1 != 'B' && letter1 != 'A') return -2;
    if (At(text, offset + 9) != '.') return -3;
    for (size_t p = offset + 10; p <= offset + 12; ++p)
        if (!IsDigit(At(text, p))) return -4;
    if (At(text, offset + 13) != '.') return -5;
    const char letter2 = At(text, offset + 14);
    if (letter2 != 'E' && letter2 != 'S') return -6;
    if (At(text, offset + 15) != '.') return -7;
    return result;
}

int ReadPictureSide(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) value = value * 10 + (text[i] - '0');
    return negative ? 0 : value;
}

// ----- Pass 1 -----

bool EndsCollecting(char c) {
    return c == '{' || c == '}' || c == '\\' || c == '\n' || c == '\r' || c == '\0';
}
bool StartsCollecting(char c) {
    return c == ' ' || c == '{' || c == '}' || c == '\n' || c == '\r' || c == '\0';
}

// The braces of a span that no brace within it matches: its unmatched "}" and then its
// unmatched "{", so that dropping the span keeps the document's groups balanced. A backslash
// makes the character after it plain ("\{", "\}", "\\").
std::string UnmatchedBraces(std::string_view span) {
    int open = 0;
    int unmatchedClose = 0;
    for (size_t i = 0; i < span.size(); ++i) {
        if (span[i] == '\\') {
            ++i;
        } else if (span[i] == '{') {
            ++open;
        } else if (span[i] == '}') {
            if (open > 0)
                --open;
            else
                ++unmatchedClose;
        }
    }
    return std::string(unmatchedClose, '}') + std::string(open, '{');
}

bool WriteBytes(FILE* out, std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
}

// Writes the source with every typed label made into its label group.
void LabelsIntoGroups(std::string_view source, FILE* out) {
    std::string window(kSourceLabelLength, '*');
    std::array<size_t, kSourceLabelLength> positions{};
    bool collecting = false;
    size_t mark = 0;
    for (size_t i = 0; i < source.size(); ++i) {
        const char c = source[i];
        if (EndsCollecting(c)) collecting = false;
        if (collecting) {
            window.erase(0, 1);
            window.push_back(c);
            std::move(positions.begin() + 1, positions.end(), positions.begin());
            positions.back() = i;
            // A match that begins before the mark reuses characters of the label before it.
            if (CheckSourceLabel(window) > 0 && positions.front() >= mark) {
                const size_t first = positions.front();
                WriteBytes(out, source.substr(mark, first - mark));
                WriteBytes(out, "\n");
                WriteBytes(out, kGroupStart);
                WriteBytes(out, window);
                WriteBytes(out, "}\n");
                WriteBytes(out, UnmatchedBraces(source.substr(first, i + 1 - first)));
                mark = i + 1;
            }
        }
        if (StartsCollecting(c)) collecting = true;
    }
    WriteBytes(out, source.substr(mark));
}

// ----- Pass 2 -----

enum class TDialect { Word, Writer };

// A sliding window over the last bytes read.
class TWindow {
public:
    explicit TWindow(size_t size) : text_(size, '*') {}
    void Take(char c) {
        text_.erase(0, 1);
        text_.push_back(c);
    }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// Cuts a header field to its first `limit` characters (UTF-8) and keeps it on one line.
std::string HeaderField(std::string_view text, size_t limit) {
    std::string field;
    size_t characters = 0;
    for (const char c : text) {
        const bool starts = (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (starts && characters++ == limit) break;
        field.push_back(c == '\n' || c == '\r' ? ' ' : c);
    }
    return field;
}

std::string TemplateHeader(const std::string& name, const std::string& descript,
                           const std::string& sourceFileName, const std::string& params) {
    return std::string(kTemplateBanner) + "\n" + HeaderField(name, 100) + "\n" +
           HeaderField(descript, 150) + "\n" + HeaderField(sourceFileName, 150) + "\n" +
           HeaderField(params, 250) + "\n" + DateTimeToStr(Now()) + "\n";
}

// The second pass over the intermediate text: the rows after a StartTbl label that hold a
// label go into row files. Files it made are added to `written`.
class TRowMover {
public:
    TRowMover(std::string_view input, TDialect dialect, FILE* out, std::string templatePath,
              std::vector<std::string>& written)
        : in_(input),
          rowEnd_(dialect == TDialect::Word ? "\\row " : "\\row\\"),
          dialect_(dialect),
          out_(out),
          templatePath_(std::move(templatePath)),
          written_(written) {}

    // False when a row file could not be written.
    bool Run() {
        size_t pos = 0;
        while (pos < in_.size()) {
            const char b = in_[pos++];
            w_.Take(b);
            if (IsLabelGroup(b) && IdentOf(w_) == kStartTbl) {
                WriteBytes(out_, in_.substr(a_, pos - a_));
                if (!RowMode(pos, pos)) return false;
            }
        }
        WriteBytes(out_, in_.substr(a_));
        return true;
    }

private:
    // Whether W, which has just taken the byte `b`, holds a label group (which ends in '}').
    bool IsLabelGroup(char b) const { return b == '}' && CheckTemplateLabel(w_.Text()) > 0; }

    static std::string_view IdentOf(const TWindow& w) {
        return std::string_view(w.Text()).substr(25, 8);
    }

    // Rows from `s` on; leaves `pos` where the main loop reads on.
    bool RowMode(size_t& pos, size_t s) {
        for (;;) {
            pos = s;
            bool labelled = false;
            for (;;) {
                if (pos >= in_.size()) {
                    a_ = s;
                    return true;
                }
                const char b = in_[pos++];
                w_.Take(b);
                r5_.Take(b);
                if (IsLabelGroup(b)) {
                    labelled = true;
                    if (IdentOf(w_) == kStartTbl) {
                        // A second StartTbl ends the row unmoved; the main loop meets it
                        // again from the row's start and starts row mode anew after it.
                        a_ = s;
                        pos = s;
                        return true;
                    }
                }
                if (r5_.Text() != rowEnd_) continue;
                if (labelled && rowFiles_ >= kMaxRowFiles) continue;
                const size_t e = RowEnd(pos);
                const std::string_view row = in_.substr(s, e + 1 - s);
                if (labelled) {
                    if (!WriteRowFile(row)) return false;
                } else {
                    WriteBytes(out_, row);
                }
                s = e + 1;
                break;
            }
        }
    }

    // The row's last byte, `pos` being just after its "\row " or "\row\".
    size_t RowEnd(size_t pos) const {
        if (dialect_ == TDialect::Writer) return pos - 2;  // the 'w' of "\row\"
        const size_t brace = in_.find('}', pos);
        return brace == std::string_view::npos ? in_.size() - 1 : brace;
    }

    bool WriteRowFile(std::string_view row) {
        char number[12];
        std::snprintf(number, sizeof number, "%3.3d", ++rowFiles_);
        WriteBytes(out_, "\n{\\comment RptRow.00000.000000.");
        WriteBytes(out_, number);
        WriteBytes(out_, "}\n");
        const std::string path = templatePath_ + "." + number;
        TCFile file = OpenCFile(path, "wb");
        if (!file) return false;
        written_.push_back(path);
        WriteBytes(file.get(), row);
        return CloseWritten(file);
    }

    std::string_view in_;
    std::string_view rowEnd_;
    TDialect dialect_;
    FILE* out_;
    std::string templatePath_;
    std::vector<std::string>& written_;
    TWindow w_{kGroupLength};
    TWindow r5_{5};
    size_t a_ = 0;
    int rowFiles_ = 0;
};

bool ReadWholeFile(FILE* file, std::string& content) {
    content.clear();
    char buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, n);
    return std::ferror(file) == 0;
}

// The folder that holds the template: its path's folder, taken against the current directory
// when the path is relative ("." when it has none).
bool TemplateFolderExists(const std::string& templatePath) {
    return QFileInfo(QFileInfo(ToQString(templatePath)).path()).isDir();
}

int CompileSteps(TDialect dialect, const std::string& sourcePath, const std::string& templatePath,
                 const std::string& header, std::vector<std::string>& written) {
    // Pass 1: labels into label groups, into the intermediate file.
    const std::string tmpPath = TmpPathOf(templatePath);
    std::string text;
    {
        const TCFile source = OpenCFile(sourcePath, "rb");
        if (!source || !ReadWholeFile(source.get(), text)) return kCompileSourceUnread;
        TCFile tmp = OpenCFile(tmpPath, "wb");
        if (!tmp) return kCompileTmpFailed;
        written.push_back(tmpPath);
        LabelsIntoGroups(text, tmp.get());
        if (!CloseWritten(tmp)) return kCompileTmpFailed;
    }
    // Pass 2: the header, and the rows after a StartTbl label into row files.
    const TCFile tmp = OpenCFile(tmpPath, "rb");
    if (!tmp || !ReadWholeFile(tmp.get(), text)) return kCompileTmpFailed;
    TCFile out = OpenCFile(templatePath, "wb");
    if (!out) return kCompileOutputFailed;
    written.push_back(templatePath);
    WriteBytes(out.get(), header);
    TRowMover mover(text, dialect, out.get(), templatePath, written);
    if (!mover.Run() || !CloseWritten(out)) return kCompileOutputFailed;
    return kCompileDone;
}

int CompileTemplate(TDialect dialect, const std::string& sourcePath,
                    const std::string& templatePath, const std::string& name,
                    const std::string& descript, const std::string& sourceFileName,
                    const std::string& params) {
    if (!QFileInfo::exists(ToQString(sourcePath))) return kCompileNoSource;
    if (!TemplateFolderExists(templatePath)) return kCompileNoFolder;
    std::vector<std::string> written;
    const int result =
        CompileSteps(dialect, sourcePath, templatePath,
                     TemplateHeader(name, descript, sourceFileName, params), written);
    // The intermediate file goes in any case; after a failure, everything written goes.
    if (result == kCompileDone) {
        RemoveFileIfAny(TmpPathOf(templatePath));
    } else {
        for (const std::string& path : written) RemoveFileIfAny(path);
    }
    return result;
}

}  // namespace

int CheckSourceLabel(std::string_view text) {
    const int kind = CheckLabelFields(text, 0);
    if (kind < 0) return kind;
    return text.size() == kSourceLabelLength ? kind : -8;
}

int CheckTemplateLabel(std::string_view text) {
    if (text.substr(0, kGroupStart.size()) != kGroupStart) return -1;
    const int kind = CheckLabelFields(text, kGroupStart.size());
    if (kind < 0) return kind;
    if (At(text, kGroupLength) != '}') return -9;
    return text.size() == kGroupLength ? kind : -8;
}

int CheckRowMarker(std::string_view text) {
    if (text.substr(0, kRowMarkerStart.size()) != kRowMarkerStart) return -1;
    for (size_t p = 31; p <= 33; ++p)
        if (!IsDigit(At(text, p))) return -2;
    if (At(text, kGroupLength) != '}') return -3;
    return text.size() == kGroupLength ? 4 : -4;
}

TLabelPictureSize LabelPictureSize(std::string_view ident) {
    return {ReadPictureSide(ident.substr(0, 4)),
            ReadPictureSide(ident.substr(std::min<size_t>(4, ident.size()), 4))};
}

int CompileTemplateWord(const std::string& sourcePath, const std::string& templatePath,
                        const std::string& name, const std::string& descript,
                        const std::string& sourceFileName, const std::string& params) {
    return CompileTemplate(TDialect::Word, sourcePath, templatePath, name, descript, sourceFileName,
                           params);
}

int CompileTemplateWriter(const std::string& sourcePath, const std::string& templatePath,
                          const std::string& name, const std::string& descript,
                          const std::string& sourceFileName, const std::string& params) {
    return CompileTemplate(TDialect::Writer, sourcePath, templatePath, name, descript,
                           sourceFileName, params);
}
