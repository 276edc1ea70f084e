// The date field of every dialog: a date typed whole in the user's short date format, or picked
// from its drop-down calendar.
#include "shell/DateField.h"

#include <QAction>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/Dates.h"
#include "platform/Text.h"
#include "shell/MessageDlg.h"
#include "shell/ShellServices.h"
#include "shell/Ulanguage.h"

namespace {

// Room beside the text for the frame and the calendar button.
constexpr int kButtonRoom = 34;

// The refusal of a text that names no date, with the user's own form of a date beside it.
std::string NoDateMessage(const QString& typed) {
    const TLangFile texts(ShellServices().LangPath() + "Main.lng");
    return ToStdString(
        ToQString(texts.Read("Main", "StrDateIncorrect",
                             "\"[Text]\" is not a date. Type the day, the month and the year as "
                             "in [Example]; the field keeps the date it had."))
            .replace(QStringLiteral("[Text]"), typed)
            .replace(QStringLiteral("[Example]"), ToQString(DateToStr(Today()))));
}

}  // namespace

TDateField::TDateField(QWidget* parent)
    : QLineEdit(parent),
      date_(QDate::currentDate()),
      startDate_(date_),
      popup_(new QFrame(this, Qt::Popup)),
      calendar_(new QCalendarWidget(popup_)) {
    popup_->setFrameShape(QFrame::StyledPanel);
    auto* popupLayout = new QVBoxLayout(popup_);
    popupLayout->setContentsMargins(0, 0, 0, 0);
    popupLayout->addWidget(calendar_);
    const auto pick = [this](const QDate& date) {
        popup_->hide();
        setFocus(Qt::PopupFocusReason);
        setDate(date);
    };
    connect(calendar_, &QCalendarWidget::clicked, this, pick);
    connect(calendar_, &QCalendarWidget::activated, this, pick);
    QAction* open = addAction(style()->standardIcon(QStyle::SP_ArrowDown), TrailingPosition);
    connect(open, &QAction::triggered, this, &TDateField::ShowCalendar);
    connect(this, &QLineEdit::textEdited, this, &TDateField::ReadTyped);
    ShowText();
}

void TDateField::setDate(const QDate& date) {
    if (!date.isValid()) return;
    startDate_ = date;
    Take(date);
    ShowText();
}

void TDateField::ShowCalendar() {
    calendar_->setSelectedDate(date_);
    popup_->adjustSize();
    popup_->move(mapToGlobal(QPoint(0, height())));
    popup_->show();
    calendar_->setFocus(Qt::PopupFocusReason);
}

QSize TDateField::sizeHint() const {
    const QString widest = ToQString(DateToStr(EncodeDate(2088, 12, 28)));
    return {fontMetrics().horizontalAdvance(widest) + kButtonRoom, QLineEdit::sizeHint().height()};
}

QSize TDateField::minimumSizeHint() const {
    return sizeHint();
}

void TDateField::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // A refused text keeps the dialog open: the Enter goes no further than the field.
        if (!FinishTyping()) return;
    } else if (key == Qt::Key_F4 ||
               (key == Qt::Key_Down && (event->modifiers() & Qt::AltModifier))) {
        ShowCalendar();
        return;
    } else if (key == Qt::Key_Up || key == Qt::Key_Down) {
        if (FinishTyping()) setDate(date_.addDays(key == Qt::Key_Up ? 1 : -1));
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TDateField::focusInEvent(QFocusEvent* event) {
    startDate_ = date_;
    QLineEdit::focusInEvent(event);
}

void TDateField::focusOutEvent(QFocusEvent* event) {
    // The user went on to another control; the calendar opening, another window coming up (a
    // message box) or the dialog closing leave the typing as it is.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) FinishTyping();
    QLineEdit::focusOutEvent(event);
}

void TDateField::ReadTyped(const QString& text) {
    const std::optional<TDateTime> typed = TryStrToDate(ToStdString(text));
    MarkNoDate(!typed.has_value());
    Take(typed ? ToQDate(*typed) : startDate_);
}

bool TDateField::FinishTyping() {
    if (finishing_) return true;
    const QString typed = text();
    const std::optional<TDateTime> date = TryStrToDate(ToStdString(typed));
    if (!date) {
        finishing_ = true;
        MessageDlg(NoDateMessage(typed), TMsgDlgType::mtError, mbOK, this);
        finishing_ = false;
    }
    setDate(date ? ToQDate(*date) : startDate_);
    return date.has_value();
}

void TDateField::Take(const QDate& date) {
    if (date == date_) return;
    date_ = date;
    emit dateChanged(date_);
}

void TDateField::ShowText() {
    MarkNoDate(false);
    setText(ToQString(DateToStr(FromQDate(date_))));
}

void TDateField::MarkNoDate(bool noDate) {
    QPalette colours = palette();
    colours.setColor(QPalette::Text, noDate ? QColor(Qt::red) : QPalette().color(QPalette::Text));
    setPalette(colours);
}
