// The language module's texts in windows: description texts shown in memos.
#pragma once

#include <string>

class QPlainTextEdit;

// A window's description text (TfMain::LangPath + "CreateBudgetTxt01.lng"): when the file
// exists the memo shows it whole, unchanged (an empty file empties the memo); a missing file
// leaves the memo as it is. Nothing is reported.
void LoadDescription(const std::string& path, QPlainTextEdit& memo);
