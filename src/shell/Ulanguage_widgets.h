// The language module's texts in windows: captions and hints of named controls, description
// texts shown in memos.
#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <utility>

class QHBoxLayout;
class QLabel;
class QPlainTextEdit;
class QWidget;
class TLangFile;

// A new control of `parent` named `name`, made with W's constructor from `args` followed by the
// parent. The name is the control's objectName and, unless SetTextKey gives another, the key of
// its caption in its window's language section: so a control's name is written once.
template <class W, class... Args>
W* Named(QWidget* parent, const char* name, Args&&... args) {
    auto* control = new W(std::forward<Args>(args)..., parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

// The window's header `LabelHeader`, its caption in bold and a fifth larger than the window's
// text; `text` is its caption before the language file is read.
QLabel* NewHeaderLabel(QWidget* parent, const QString& text = {});

// The row atop a window: its header, stretching, and its help button at the top right.
QHBoxLayout* NewHeaderRow(QLabel& header, QWidget& help);

// The key of the control's caption when it is not the control's name ("BtnOK" for `BitBtnOK`);
// an empty key: the caption is not read from the language file (a picture, a warning label).
void SetTextKey(QWidget& control, const char* key);
// The key of the control's hint ("HelpH" for `ButtonHelp`); a control has none unless given one.
void SetHintKey(QWidget& control, const char* key);

// Sets the texts of the window's named controls (the window's children at any depth) from the
// section of its language file: the text of every label and button (check and radio buttons
// included) and the title of every group box from its caption key, and the hint of every
// control that has a hint key. A missing key leaves the text the control has, its compiled-in
// default. Controls of other kinds (edits, grids, memos) and unnamed controls are passed over.
void ReadCaptions(QWidget& window, const TLangFile& texts, std::string_view section);

// A window's description text (TfMain::LangPath + "CreateBudgetTxt01.lng"): when the file
// exists the memo shows it whole, unchanged (an empty file empties the memo); a missing file
// leaves the memo as it is. Nothing is reported.
void LoadDescription(const std::string& path, QPlainTextEdit& memo);
