// The RTF report engine: report labels, the template compiler, the fill engine, the pictures of
// a report and the charset configuration of the templates.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Report labels.
//
// A label as the user types it into a source document is 23 characters,
// "RptStr.B.040.E.PaySName": the kind ("RptStr." text 1, "RptTxt." 2, "RptImg." picture 3),
// 'B' or 'A', '.', three digits (the Number), '.', 'E' (a paragraph mark after the value) or
// 'S', '.', and an 8-character identifier. In a template a label stands as the 34-character
// label group "{\comment " + label + "}", and a table row moved into a row file as the row
// marker "{\comment RptRow.00000.000000.NNN}" (kind 4, NNN the row file's number).
// The checks return the kind, or the code of the first failing test; they never read beyond
// the text given, so a text too short for a position fails at that position's test.

// A typed label: the kind, or -1 characters 1-7 are no kind, -2 character 8 is neither 'B' nor
// 'A', -3 character 9 is no '.', -4 one of characters 10-12 is no digit, -5 character 13 is no
// '.', -6 character 14 is neither 'E' nor 'S', -7 character 15 is no '.', -8 the text is not 23
// characters long.
int CheckSourceLabel(std::string_view text);

// A label group: the kind, or -1 characters 1-17 are none of "{\comment RptStr.",
// "{\comment RptTxt.", "{\comment RptImg."; -2 to -7 as CheckSourceLabel for characters 18-25;
// -9 character 34 is no '}'; -8 the text is not 34 characters long.
int CheckTemplateLabel(std::string_view text);

// A row marker: 4, or -1 characters 1-17 are not "{\comment RptRow.", -2 one of characters
// 31-33 is no digit, -3 character 34 is no '}', -4 the text is not 34 characters long.
int CheckRowMarker(std::string_view text);

// The picture size a picture label's identifier asks for: its characters 1-4 are the width and
// 5-8 the height in pixels, each read as a decimal number (leading blanks skipped, an optional
// sign, digits up to the first other character; none gives 0). 0 means not given; a negative
// size means nothing either and gives 0. TextWidth is the width of the report page's text in
// twips (ReportTextWidth), which the report sets: a picture given no size that is wider is
// fitted into it; 0 fits nothing.
struct TLabelPictureSize {
    int Width = 0;
    int Height = 0;
    int TextWidth = 0;
};
TLabelPictureSize LabelPictureSize(std::string_view ident);

// ---------------------------------------------------------------------------------------------
// Template files.
//
// A template (".tlt") is six header lines, each ended by a line feed: the banner
// "RTF_Report v1.0 Template", the template's name, its description, the file name of its source
// document, the params ("RowsInFile=0;ObjectType=60;") and the date and time it was made. Then
// the body: the source document with its labels replaced by label groups and, after a label
// with the identifier "StartTbl", every table row holding a label replaced by a row marker. A
// row file (the template's path, ".", the three digits NNN) holds such a row's bytes.

// The banner of a template; readers test its first 12 characters.
inline constexpr std::string_view kTemplateBanner = "RTF_Report v1.0 Template";
inline constexpr std::string_view kTemplateBannerStart = "RTF_Report v";

// A template's header as the report window lists it; the caller sets Path.
struct TRTFReportInfo {
    std::string Path;
    std::string Banner;
    std::string Name;
    std::string Descript;
    std::string SourceFile;
    std::string Params;
    std::string Created;
};

// Reads the six header lines of info.Path, each trimmed of blanks and control characters at
// both ends (a CR before the line feed goes with them), whatever their length; a line missing
// at the end of a short file reads as empty. 0, or 1 when the file cannot be opened.
int ReadTemplateHeader(TRTFReportInfo& info);

// The result codes of the compiler.
enum TCompileResult {
    kCompileDone = 0,          // the template and its row files were written
    kCompileNoSource = 1,      // the source document does not exist
    kCompileNoFolder = 2,      // the template's folder does not exist
    kCompileSourceUnread = 3,  // the source document cannot be opened or read
    kCompileTmpFailed = 4,     // the intermediate file (template path + ".tmp") failed
    kCompileOutputFailed = 5,  // the template or a row file cannot be created or written
};

// Compile a source RTF document into the template `templatePath` and its row files. The two
// dialects differ only in a table row's end: the Word one ends a row at the first "}" after
// "\row ", the Writer one just before the backslash that closes "\row\".
//
// Pass 1 turns every label typed in the source into its label group (a line feed before and
// after), dropping what stood between its first and last character but keeping the nesting:
// the dropped span's unmatched "}" and then its unmatched "{" follow the group. While scanning,
// a backslash stops the collection of label characters until the next blank, brace, CR, LF or
// NUL; braces, CR, LF and NUL are never collected. Pass 2 writes the header (name cut to 100
// characters, description and source file name to 150, params to 250; line breaks in them
// become blanks) and, after a StartTbl label, moves each table row holding a label into the
// next row file (at most 999) and writes its row marker in its place.
//
// Every byte is data; the compiler's own line ends are line feeds. A failed compile removes
// every file it wrote; a successful one leaves no intermediate file.
int CompileTemplateWord(const std::string& sourcePath, const std::string& templatePath,
                        const std::string& name, const std::string& descript,
                        const std::string& sourceFileName, const std::string& params);
int CompileTemplateWriter(const std::string& sourcePath, const std::string& templatePath,
                          const std::string& name, const std::string& descript,
                          const std::string& sourceFileName, const std::string& params);

// ---------------------------------------------------------------------------------------------
// The fill engine.
//
// A generator fills a template like this: OpenReportTemplate; while the result is 0 it writes
// the value of the label found (straight into the record's OutFile, so the value lands right
// after the label's group), or, at a row marker, for each data row OpenRowTemplate on the row
// file, the values of its labels with NextRowLabel, CloseRowTemplate; then NextReportLabel.
// Then CloseReportTemplate and StripReportMarkers, which takes every label group and row
// marker out of the report.

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using TCFile = std::unique_ptr<FILE, FileCloser>;

// The reader of a row file; the caller sets Path, the engine the rest.
struct TRTFReportRow {
    std::string Path;
    TCFile InFile;
    // 1-based positions in the file of the current group's first byte and of the byte after it;
    // at the end of the file LabelEnd is the file's length + 1.
    std::int64_t LabelStart = 0;
    std::int64_t LabelEnd = 0;
    // The last 34 bytes read (34 '*' before the first).
    std::string Window;
    // 1 RptStr, 2 RptTxt, 3 RptImg, 4 RptRow; negative when nothing was found.
    int Kind = -1;
    char Letter1 = 0;
    int Number = 0;
    char Letter2 = 0;
    // The label's identifier; for a row marker the row file's number NNN (the other label
    // fields then keep their values).
    std::string Ident;
};

// The reader of a main template: the caller sets Path and OutPath (the report).
struct TRTFReportLbl : TRTFReportRow {
    std::string OutPath;
    TCFile OutFile;
};

// The results of the readers.
enum TFillResult {
    kLabelFound = 0,
    kTemplateUnread = 1,   // the template or row file cannot be opened
    kReportUnwritten = 2,  // the report cannot be created (or, on closing, was not written whole)
    kTemplateEnd = 3,      // no further label: everything up to the end was copied
};

// Opens the template and creates the report, skips the header and copies the body up to and
// including the first label group or row marker: 0, 3, or 1 / 2 (then nothing stays open).
int OpenReportTemplate(TRTFReportLbl& lbl);
// Copies on up to and including the next label group or row marker: 0 or 3.
int NextReportLabel(TRTFReportLbl& lbl);
// Copies the rest of the template and closes both files: 0, or 2 when the report could not be
// written whole (then the report file is removed). Does nothing (0) on a record that is not
// open.
int CloseReportTemplate(TRTFReportLbl& lbl);

// The same for a row file, writing into the report's open file; a row file holds label groups
// only, so row markers in it are copied like any text.
int OpenRowTemplate(TRTFReportRow& row, FILE* report);
int NextRowLabel(TRTFReportRow& row, FILE* report);
void CloseRowTemplate(TRTFReportRow& row, FILE* report);

// Writes a text label's value: its first `number` characters when `number` is above 0, RTF
// escaped ("\" "{" "}" with a backslash, every non-ASCII character as "\uN?" of its signed
// UTF-16 units); then, when `letter2` is 'E', a line feed, "\par" and a line feed.
void WriteReportText(FILE* report, std::string_view value, int number, char letter2);

// A progress bar that the long steps move.
class TReportProgress {
public:
    virtual ~TReportProgress() = default;
    virtual void SetRange(int minimum, int maximum) = 0;
    virtual void SetPosition(int position) = 0;
};

// The results of StripReportMarkers; after any failure the report is as it was and no
// "<report>.tmp" is left.
enum TStripResult {
    kStripDone = 0,
    kStripReportUnread = 1,  // the report cannot be opened or read
    kStripTmpFailed = 2,     // "<report>.tmp" cannot be created or written
    kStripRenameFailed = 3,  // "<report>.tmp" cannot be renamed over the report
};

// Removes every group from "{\comment Rp" through the first "}" after it and keeps every other
// byte, writing "<report>.tmp" and renaming it over the report. The progress bar, when given,
// runs from 0 to 100 over the report's bytes.
int StripReportMarkers(const std::string& reportPath, TReportProgress* progress);

// ---------------------------------------------------------------------------------------------
// Pictures.
//
// A picture is written as an RTF picture group: a line feed, "{\pict\jpegblip\picscalex",
// ScaleX, "\picscaley", ScaleY, a line feed, the file's bytes as lowercase hexadecimal digits in
// lines of 130, a line feed, "}" and a line feed. When a size is given, width alone scales both
// to width x 100 / the picture's own width, height alone likewise, both scale each side on its
// own (integer division; a picture of no width or height keeps 100). Without a size a picture
// keeps its own size (100), unless it is wider than `textWidth` (twips, 0: no bound) at the
// density its file gives (96 pixels an inch when it gives none): then both scales are the
// percentage that makes it as wide as the text, rounded down, so the page never cuts it off.
// The result is the number of picture bytes written, or -1 when the file cannot be opened or is
// no picture of its kind (then nothing is written).

int WriteJpegBlip(const std::string& jpegPath, int width, int height, FILE* report,
                  int textWidth = 0);
// The same for a PNG picture ("\pngblip"); its own size is its pixel size.
int WritePngBlip(const std::string& pngPath, int width, int height, FILE* report,
                 int textWidth = 0);

// The width of the text on a template's page in twips: the paper width less the left and right
// margins, from the first "\paperw", "\margl" and "\margr" of the template's body; where it
// sets none, an A4 page's 11906 and RTF's margins of 1800. 0 when the template cannot be read
// or its margins leave no text.
int ReportTextWidth(const std::string& templatePath);

// Whether a picture file is written into a report, by its extension in any letter case: ".jpg",
// ".jpeg" and ".bmp" are (by their content, WriteReportPicture); any other is not written.
enum class TReportPicture { None, Jpeg, Bitmap };
TReportPicture ReportPictureKind(std::string_view path);

// ---------------------------------------------------------------------------------------------
// The charset configuration: the character set of the user's language and the character sets
// that report templates can be given.

// What ReadCharsetConfig finds in a charset configuration file (fcharset.cfg).
struct strFCharsetInfo {
    // The RTF character set number of the user's language ("204"); left as the caller set it
    // when the identifiers table has no line for the language.
    std::string Charset;
    // The user's language identifier as "0x" and four lowercase hexadecimal digits when a line
    // matched, else "0x0000".
    std::string LangID;
    // The third field of the matched line and the rest of the line after it.
    std::string Field3;
    std::string Tail;
    // Receives every line of the font table when not null.
    std::vector<std::string>* Fonts = nullptr;
    // The index among the font table lines of the last one whose character set (the text before
    // its first ":") equals Charset; 0 when none.
    int FontIndex = 0;
    // The file to read, set by the caller.
    std::string Path;
};

// Reads the charset configuration named by info.Path. The file is text in lines (LF or CR LF),
// each trimmed of blanks and control characters at both ends. The marker lines
// "IdentifiersTableStart:", "IdentifiersTableEnd:", "FontTableStart:" and "FontTableEnd:" enclose
// two tables; lines outside them are ignored.
// - Identifiers table: "0x0419:204:third field:rest". A line whose first six characters equal
//   the user's language identifier (GetUserDefaultLangID, letter case ignored) sets LangID,
//   Charset, Field3 and Tail; a later matching line overrides an earlier one, and a field the
//   line lacks reads as empty.
// - Font table: "204:Cyrillic"; every line is added to Fonts and counted for FontIndex. A line
//   without ":" names no character set: it stands for the empty one.
// A line is read in pieces of at most 253 characters, each piece counting as a line.
// Returns 0, or -1 when the file cannot be opened (then nothing in info changes).
int ReadCharsetConfig(strFCharsetInfo& info);

// Rewrites the character set of every font of a template's body: each "\fcharset" followed by
// the digits D becomes "\fcharset" + `to` when D equals `from` or `from` is "*", and stays
// otherwise; the header and every other byte are unchanged. Writes "<template>.tmp" and renames
// it over the template, so the template is never missing. Returns the number of replacements,
// or -1 the template does not exist, -2 it cannot be opened or read, -3 "<template>.tmp"
// cannot be created or written, -5 it cannot be renamed over the template; after a failure
// the template is as it was and no "<template>.tmp" is left.
int ReplaceFontCharsets(const std::string& templatePath, std::string_view from,
                        std::string_view to);
