// The value fields of the dialogs that take a constant or an algorithm: a field that takes a
// decimal number (the keys it lets through, the check of every change, the calculator that
// fills it) and the button that shows an algorithm.
#pragma once

#include <cstddef>
#include <string>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

// The value controls of a dialog, named after their language keys: the number field with the
// calculator button `BitBtnCalc` beside it ("=", hint "Calculator") in one row, and in a dialog
// that chooses between a constant and an algorithm the caption `LabelChoiceType` (key
// "ChoiceType"), the kinds `RadioButtonTypeConst` ("TypeConst") and `RadioButtonTypeAlg`
// ("TypeAlg") and the algorithm button `BitBtnAlg` (no key: it shows the algorithm's name) at
// the end of the row. The dialog connects the buttons.
struct TValueControls {
    QLineEdit* Field = nullptr;
    QPushButton* Calc = nullptr;
    QLabel* LabelChoiceType = nullptr;
    QRadioButton* TypeConst = nullptr;
    QRadioButton* TypeAlg = nullptr;
    QPushButton* Alg = nullptr;
    QHBoxLayout* Row = nullptr;
};
enum class TValueKinds { ConstantOnly, ConstantOrAlgorithm };
// The field is named `fieldName`, shows "0", takes at most 50 characters and only the number
// keys (FilterNumberKeys).
TValueControls NewValueControls(QWidget& parent, const char* fieldName, TValueKinds kinds);

// Lets only "-,.0123456789" and the keys that type nothing (backspace, arrows) reach the field:
// a ',' or '.' is dropped when the text holds one of them, a '-' when the text holds one or the
// caret is not at the first position. Pasted text passes: CheckNumberField catches it.
void FilterNumberKeys(QLineEdit& field);

// The check after a change of the field's text: when the text is not empty and its
// NormalizeNumberText is no number, shows the message (error icon, OK) over the parent and
// empties the field. False when it emptied the field.
bool CheckNumberField(QLineEdit& field, const std::string& message, QWidget* parent);

// Opens the calculator just under the field, started with the field's normalised text; its
// result (the start text when the user cancelled) replaces the text. A result longer than the
// field takes is refused with the message, never cut: false, the field unchanged.
bool CalculateIntoField(QLineEdit& field, const std::string& message, QWidget* parent);

// A text of more than `limit` characters: its first limit - 4 characters and " ...".
std::string CutCaption(const std::string& text, size_t limit);

// The algorithm button: its caption the name, cut to 35 characters (CutCaption), its glyph
// "formula01.bmp" of the data folder for a valid algorithm, "formula01inv.bmp" otherwise.
void ShowAlgorithmButton(QPushButton& button, const std::string& name, bool valid);
