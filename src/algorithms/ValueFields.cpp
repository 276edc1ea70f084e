// The value fields of the dialogs that take a constant or an algorithm: a field that takes a
// decimal number (the keys it lets through, the check of every change, the calculator that
// fills it) and the button that shows an algorithm.
#include "algorithms/ValueFields.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include "algorithms/Formq519calc.h"
#include "algorithms/Uq519arithmeticslf.h"
#include "platform/Locale.h"
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

// Set on a field while its typing is being finished: a grouped number begun is then no longer
// let through unfinished.
constexpr const char* kFinishing = "vemlyFinishing";

// The separator of the thousands: the one of "," and "." that is not the user's decimal one.
QChar GroupSeparator() {
    return DecimalSeparator() == ',' ? u'.' : u',';
}

// A number written with its thousands grouped, the separators more than one: "-", one to three
// digits, groups of three each after the group separator, then the decimal separator and its
// decimals ("1.234,56", "1.234.567"); while `typing`, one whose last group is still being typed
// ("1.234.5", "1.234.").
bool IsGrouped(const QString& text, bool typing) {
    const QString group = QRegularExpression::escape(GroupSeparator());
    const QString decimals = QRegularExpression::escape(QChar::fromLatin1(DecimalSeparator()));
    const QString pattern =
        typing ? QStringLiteral("-?\\d{1,3}(%1\\d{3})*%1\\d{0,3}").arg(group)
               : QStringLiteral("-?\\d{1,3}(%1\\d{3})+(%2\\d*)?").arg(group, decimals);
    // A single separator is the decimal one, as the field has always read it ("1.234" is 1,234).
    const qsizetype separators = text.count(u',') + text.count(u'.');
    return separators > 1 &&
           QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(text).hasMatch();
}

// Ends the typing of a grouped number: a whole one loses its group separators, so that the
// field holds the number typed; one left unfinished ("1.234.5") goes to the dialog's check
// once more, which refuses it now. False when the text was refused.
bool FinishGrouped(QLineEdit& field) {
    QString text = field.text();
    if (IsGrouped(text, false)) {
        field.setText(text.remove(GroupSeparator()));
        return true;
    }
    if (!IsGrouped(text, true)) return true;
    field.setProperty(kFinishing, true);
    emit field.textChanged(text);
    field.setProperty(kFinishing, false);
    return field.text() == text;
}

// The key filter of one field, owned by the field.
class TNumberKeyFilter : public QObject {
public:
    explicit TNumberKeyFilter(QLineEdit& field) : QObject(&field), field_(field) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &field_) return false;
        if (event->type() == QEvent::FocusOut) {
            FinishGrouped(field_);
            return false;
        }
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        // Enter on a number left unfinished stays in the field: the dialog's OK waits.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            return !FinishGrouped(field_);
        const QString typed = key->text();
        if (typed.size() != 1 || !typed[0].isPrint()) return false;  // keys that type nothing
        const QChar c = typed[0];
        if (!QStringLiteral("-,.0123456789").contains(c)) return true;
        // A second separator passes: it groups the thousands, or the check refuses the text.
        return c == u'-' && (field_.text().contains(u'-') || field_.cursorPosition() != 0);
    }

private:
    QLineEdit& field_;
};

}  // namespace

void FilterNumberKeys(QLineEdit& field) {
    field.installEventFilter(new TNumberKeyFilter(field));
}

bool CheckNumberField(QLineEdit& field, const std::string& message, QWidget* parent) {
    QString typed = field.text();
    if (IsNumberText(ToStdString(typed.trimmed()))) return true;
    // The decimal separator after grouped thousands: the field takes the number without them.
    if (IsGrouped(typed, false) && typed.contains(QChar::fromLatin1(DecimalSeparator()))) {
        field.setText(typed.remove(GroupSeparator()));
        return true;
    }
    if (IsGrouped(typed, true) && !field.property(kFinishing).toBool()) return true;
    MessageDlg(message, TMsgDlgType::mtError, mbOK, parent);
    field.clear();
    return false;
}

bool CalculateIntoField(QLineEdit& field, const std::string& message, QWidget* parent) {
    if (!FinishGrouped(field)) return false;
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
