// The language module's texts in windows: captions and hints of named controls, description
// texts shown in memos.
#include "shell/Ulanguage_widgets.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVariant>
#include <optional>

#include "platform/Text.h"
#include "shell/Ulanguage.h"

namespace {

// The dynamic properties that hold keys other than the control's name.
constexpr char kTextKey[] = "vemlyTextKey";
constexpr char kHintKey[] = "vemlyHintKey";

// The caption key: the one SetTextKey gave, else the control's name.
QString TextKey(const QWidget& control) {
    const QVariant key = control.property(kTextKey);
    return key.isValid() ? key.toString() : control.objectName();
}

// The text of `key` when it differs from the control's current text; nothing when the key is
// empty or the section holds the current text or lacks the key. Setting only what differs keeps
// the picture of a label whose file has no text for it.
std::optional<QString> NewText(const TLangFile& texts, std::string_view section, const QString& key,
                               const QString& current) {
    if (key.isEmpty()) return std::nullopt;
    QString text = ToQString(texts.Read(section, ToStdString(key), ToStdString(current)));
    if (text == current) return std::nullopt;
    return text;
}

}  // namespace

QLabel* NewHeaderLabel(QWidget* parent, const QString& text) {
    auto* header = Named<QLabel>(parent, "LabelHeader", text);
    QFont font = header->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    header->setFont(font);
    return header;
}

QHBoxLayout* NewHeaderRow(QLabel& header, QWidget& help) {
    auto* row = new QHBoxLayout;
    row->addWidget(&header, 1);
    row->addWidget(&help, 0, Qt::AlignTop);
    return row;
}

void SetTextKey(QWidget& control, const char* key) {
    control.setProperty(kTextKey, QString::fromLatin1(key));
}

void SetHintKey(QWidget& control, const char* key) {
    control.setProperty(kHintKey, QString::fromLatin1(key));
}

void ReadCaptions(QWidget& window, const TLangFile& texts, std::string_view section) {
    for (QWidget* control : window.findChildren<QWidget*>()) {
        // Qt names the inner parts of its own controls "qt_...": they are not ours.
        if (control->objectName().isEmpty() ||
            control->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const QString key = TextKey(*control);
        if (auto* label = qobject_cast<QLabel*>(control)) {
            if (auto text = NewText(texts, section, key, label->text())) label->setText(*text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            if (auto text = NewText(texts, section, key, button->text())) button->setText(*text);
        } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
            if (auto text = NewText(texts, section, key, group->title())) group->setTitle(*text);
        }
        const QString hintKey = control->property(kHintKey).toString();
        if (auto hint = NewText(texts, section, hintKey, control->toolTip()))
            control->setToolTip(*hint);
    }
}

void LoadDescription(const std::string& path, QPlainTextEdit& memo) {
    if (const std::optional<std::string> text = ReadDescription(path))
        memo.setPlainText(ToQString(*text));
}
