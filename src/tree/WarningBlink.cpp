// The warning label of the tree dialogs and its blink: a warning that appears on an empty label
// blinks between the button face colour and red, then stays red.
#include "tree/WarningBlink.h"

#include <QLabel>
#include <QPalette>
#include <QTimer>

namespace {

const QColor kRed(255, 0, 0);

void SetColour(QLabel& label, const QColor& colour) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, colour);
    label.setPalette(palette);
}

}  // namespace

TWarningBlink::TWarningBlink(QLabel& label, TKind kind) : label_(label) {
    if (kind == TKind::Warning) SetColour(label_, kRed);
    Timer1 = new QTimer(label.window());
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    QObject::connect(Timer1, &QTimer::timeout, Timer1, [this] { Timer1Timer(); });
}

void TWarningBlink::Show(const QString& text) {
    const bool wasEmpty = label_.text().isEmpty();
    label_.setText(text);
    if (text.isEmpty() || !wasEmpty) return;
    Start();
}

void TWarningBlink::Start() {
    SetColour(label_, kRed);
    countdown_ = 7;
    Timer1->start();
}

void TWarningBlink::Timer1Timer() {
    const QColor face = label_.palette().color(QPalette::Button);
    const QColor now = label_.palette().color(QPalette::WindowText);
    SetColour(label_, now == face ? kRed : face);
    if (--countdown_ > 0) return;
    SetColour(label_, kRed);
    Timer1->stop();
}
