// The value fields of the dialogs that take a constant or an algorithm: a field that takes a
// decimal number (the keys it lets through, the check of every change, the calculator that
// fills it) and the button that shows an algorithm.
#include "algorithms/ValueFields.h"

#include <QEvent>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "algorithms/Formq519calc.h"
#include "algorithms/Uq519arithmeticslf.h"
#include "platform/Text.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage_widgets.h"

namespace {

constexpr size_t kAlgCaptionLength = 35;
constexpr int kValueLength = 50;

size_t CharCount(std::string_view text) {
    size_t count = 0;
    for (const char byte : text) count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    return count;
}

// The first `count` characters of a UTF-8 text.
std::string FirstChars(std::string_view text, size_t count) {
    size_t characters = 0;
    for (size_t at = 0; at < text.size(); ++at)
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && characters++ == count)
            return std::string(text.substr(0, at));
    return std::string(text);
}

// The key filter of one field, owned by the field.
class TNumberKeyFilter : public QObject {
public:
    explicit TNumberKeyFilter(QLineEdit& field) : QObject(&field), field_(field) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &field_ || event->type() != QEvent::KeyPress) return false;
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() != 1 || !typed[0].isPrint()) return false;  // keys that type nothing
        const QChar c = typed[0];
        const QString text = field_.text();
        if (!QStringLiteral("-,.0123456789").contains(c)) return true;
        if ((c == u',' || c == u'.') && (text.contains(u',') || text.contains(u'.'))) return true;
        return c == u'-' && (text.contains(u'-') || field_.cursorPosition() != 0);
    }

private:
    QLineEdit& field_;
};

}  // namespace

void FilterNumberKeys(QLineEdit& field) {
    field.installEventFilter(new TNumberKeyFilter(field));
}

bool CheckNumberField(QLineEdit& field, const std::string& message, QWidget* parent) {
    const std::string text = ToStdString(field.text());
    if (text.empty() || IsNumberText(NormalizeNumberText(text))) return true;
    MessageDlg(message, TMsgDlgType::mtError, mbOK, parent);
    field.clear();
    return false;
}

bool CalculateIntoField(QLineEdit& field, const std::string& message, QWidget* parent) {
    const std::string start = NormalizeNumberText(ToStdString(field.text()));
    const QPoint below = field.mapToGlobal(QPoint(7, field.height()));
    const QString result = ToQString(ShowCalculator(start, below.x(), below.y()));
    if (result.size() > field.maxLength()) {
        MessageDlg(message, TMsgDlgType::mtError, mbOK, parent);
        return false;
    }
    field.setText(result);
    return true;
}

std::string CutCaption(const std::string& text, size_t limit) {
    if (CharCount(text) <= limit) return text;
    return FirstChars(text, limit - 4) + " ...";
}

void ShowAlgorithmButton(QPushButton& button, const std::string& name, bool valid) {
    button.setText(ToQString(CutCaption(name, kAlgCaptionLength)));
    const std::string data = ShellServices().State().DataPath;
    button.setIcon(QIcon(ToQString(data + (valid ? "formula01.bmp" : "formula01inv.bmp"))));
}

TValueControls NewValueControls(QWidget& parent, const char* fieldName, TValueKinds kinds) {
    TValueControls controls;
    controls.Field = Named<QLineEdit>(&parent, fieldName, QStringLiteral("0"));
    controls.Field->setMaxLength(kValueLength);
    FilterNumberKeys(*controls.Field);
    controls.Calc = Named<QPushButton>(&parent, "BitBtnCalc", QStringLiteral("="));
    SetTextKey(*controls.Calc, "");
    controls.Calc->setToolTip(QStringLiteral("Calculator"));
    controls.Calc->setFixedSize(20, 21);
    // Out of the Tab order and never focused by a click: Tab from the field goes on to the next
    // input and Enter there is the dialog's OK, never the calculator.
    controls.Calc->setFocusPolicy(Qt::NoFocus);
    controls.Row = new QHBoxLayout;
    controls.Row->setSpacing(0);
    controls.Row->addWidget(controls.Field);
    controls.Row->addWidget(controls.Calc);
    if (kinds == TValueKinds::ConstantOnly) return controls;
    controls.LabelChoiceType = Named<QLabel>(&parent, "LabelChoiceType");
    SetTextKey(*controls.LabelChoiceType, "ChoiceType");
    controls.TypeConst = Named<QRadioButton>(&parent, "RadioButtonTypeConst");
    SetTextKey(*controls.TypeConst, "TypeConst");
    controls.TypeAlg = Named<QRadioButton>(&parent, "RadioButtonTypeAlg");
    SetTextKey(*controls.TypeAlg, "TypeAlg");
    controls.Alg = Named<QPushButton>(&parent, "BitBtnAlg");
    SetTextKey(*controls.Alg, "");
    controls.Row->addWidget(controls.Alg, 1);
    return controls;
}
