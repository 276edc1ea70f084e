// The mouse-wheel rule: a vertical wheel turn acts as the Up or Down arrow key in the focus widget.
#include "shell/Hookmousewheel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>

namespace {

// Angle delta of one wheel notch.
constexpr int kNotch = 120;

QPointer<MouseWheelHook>& Handle() {
    // A QPointer, because the filter is a child of the application and dies with it.
    static QPointer<MouseWheelHook> handle;
    return handle;
}

// Sends a press and a release of the key, as the keyboard would, with the modifiers held.
void SendArrowKey(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(target, &release);
}

}  // namespace

bool MouseWheelHook::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel) return QObject::eventFilter(watched, event);
    const auto* wheel = static_cast<QWheelEvent*>(event);
    const int delta = wheel->angleDelta().y();
    QWidget* focus = QApplication::focusWidget();
    if (delta == 0 || focus == nullptr) return false;

    if ((Gathered > 0) != (delta > 0)) Gathered = 0;
    Gathered += delta;
    if (Gathered >= kNotch || Gathered <= -kNotch) {
        Gathered %= kNotch;
        SendArrowKey(focus, delta > 0 ? Qt::Key_Up : Qt::Key_Down, wheel->modifiers());
    }
    return true;
}

MouseWheelHook* MouseWheelHookHandle() {
    return Handle();
}

void InstallMouseWheelHook() {
    if (Handle() != nullptr || qApp == nullptr) return;
    Handle() = new MouseWheelHook(qApp);
    qApp->installEventFilter(Handle());
}

void RemoveMouseWheelHook() {
    if (Handle() == nullptr) return;
    qApp->removeEventFilter(Handle());
    delete Handle();
}
