// The templates of the report window without a window: the params of a template's header, the
// folder of an object type's templates, the list of a folder's templates of one type, the
// deletion of a template's files and the name a template's source is saved under.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reports/U_rtfreport.h"

// The value of `key` in a template's params ("RowsInFile=0;ObjectType=60;"): the text after the
// first "key=" up to the next ';' or the end; empty when the key is missing or has no value.
std::string GetTemplateParam(std::string_view params, std::string_view key);

// The ObjectType param read as a decimal number; -1 when it is empty or holds anything but the
// digits 0-9 (or is too large for a number).
int GetTemplateObjectType(std::string_view params);

// The folder of an object type's templates under the templates root (which ends in "/"):
// "ForTable/", "ForImages/", "ForNumber/", "ForPay/", "ForCalendar/", "ForLog/"; for any other
// type the root itself.
std::string TemplatesFolderOf(const std::string& templatesRoot, int objectType);

// The word that names the object type in the language keys of the report windows ("Table" of
// "TemplatesTable" and "ForTable"): Table, Images, Number, Pay, Calendar, Log, else Default.
const char* ObjectTypeWord(int objectType);

// A template of the report window's list: its header and its file name without the folder.
struct TTemplateEntry {
    TRTFReportInfo Info;
    std::string FileName;
};

// The ".tlt" files of `folder` (ending in "/") whose header reads, begins with the banner and
// names `objectType`, sorted by file name so that the list does not depend on the folder's
// order. A missing folder gives none.
std::vector<TTemplateEntry> ListTemplates(const std::string& folder, int objectType);

// Deletes every file of `folder` whose name begins with `fileName` followed by nothing or by
// "." (the template, its row files ".001" on and a left-over ".tmp"), so that deleting
// "Report60_2.tlt" keeps "Report60_20.tlt". An empty name deletes nothing. The number of files
// deleted.
int DeleteTemplateFiles(const std::string& folder, const std::string& fileName);

// Whether another listed template than the one at `except` names `sourceFile` as its source,
// so that the source copy must stay.
bool SourceStillUsed(const std::vector<TTemplateEntry>& templates, std::size_t except,
                     const std::string& sourceFile);

// The name a template's source is saved under: `path` with its extension made ".rtf" unless it
// is ".rtf" exactly ("copy.RTF" becomes "copy.rtf", "notes" "notes.rtf").
std::string SourceSaveName(const std::string& path);

// The first free template name of the object type in `folder` (ending in "/"): folder +
// "Report" + type + "_" + i + ".tlt" for i = 1 ... 5000 that does not exist; empty when every
// one exists, so that no template is written over.
std::string FreeTemplateName(const std::string& folder, int objectType);

// A template to make from a source document of the user's.
struct TNewTemplate {
    std::string Source;    // the source RTF document
    std::string Name;      // the template's name and description in its header
    std::string Descript;
    bool Writer = false;   // saved by the Writer word processor, else by Word
    std::string Charset;   // the RTF character set its fonts take; empty keeps theirs
};

// Results of MakeTemplate besides the compiler's codes (0 made, 1-5 the compile failed).
constexpr int kTemplateNoFreeName = -1;     // every template name of the type is taken
constexpr int kTemplateSourceNotCopied = -2; // the source's copy in "Sources/" failed

// Makes the template in `folder` (the object type's templates folder, ending in "/"): compiles
// a working copy of the source ("TmpSourc.rtf" in `tempFolder`) into the first free name with
// the params "RowsInFile=0;ObjectType=<type>;", sets every font of its body to the character
// set when one is given, and copies the source into "Sources/" under its own file name
// (replacing a copy of that name). A failed compile leaves no template and no copy; a failed
// copy removes the template it made. `templatePath` receives the template's path when made.
int MakeTemplate(const std::string& folder, int objectType, const std::string& tempFolder,
                 const TNewTemplate& source, std::string& templatePath);
