// The mouse-wheel rule: vertical wheel turns reach the focus widget as Up and Down key presses.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QTest>
#include <QWheelEvent>
#include <string>
#include <utility>
#include <vector>

#include "shell/Hookmousewheel.h"

namespace {

using TKeyEvents = std::vector<std::pair<QEvent::Type, int>>;

// A focusable widget that records the key presses and releases and the wheel events it gets.
class TRecorder : public QWidget {
public:
    explicit TRecorder(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }

    TKeyEvents Keys;
    int Wheels = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        Keys.emplace_back(event->type(), event->key());
    }
    void keyReleaseEvent(QKeyEvent* event) override {
        Keys.emplace_back(event->type(), event->key());
    }
    void wheelEvent(QWheelEvent* event) override {
        ++Wheels;
        event->accept();
    }
};

// Delivers a wheel event with the angle delta to the widget under the cursor.
void Wheel(QWidget* target, QPoint angleDelta) {
    const QPointF position(5, 5);
    QWheelEvent event(position, target->mapToGlobal(position), QPoint(), angleDelta, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

// A shown, active window whose recorder has the focus; the filter is removed at the end.
class MouseWheelHookTest : public ::testing::Test {
protected:
    MouseWheelHookTest() {
        window.resize(200, 200);
        recorder = new TRecorder(&window);
        recorder->resize(100, 100);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        recorder->setFocus();
    }
    ~MouseWheelHookTest() override { RemoveMouseWheelHook(); }

    void SetUp() override { ASSERT_EQ(QApplication::focusWidget(), recorder); }

    QWidget window;
    TRecorder* recorder;
};

TEST_F(MouseWheelHookTest, VerticalWheelGivesOneArrowKeyPerNotch) {
    const QPoint up(0, 120);
    const QPoint down(0, -120);
    const QPoint none(0, 0);
    struct Case {
        std::string name;
        std::vector<QPoint> deltas;
        std::vector<int> keys;  // pressed and released, in this order
        int passedOn;           // wheel events that reach the widget
    };
    const std::vector<Case> cases = {
        {"one notch away from the user", {up}, {Qt::Key_Up}, 0},
        {"one notch towards the user", {down}, {Qt::Key_Down}, 0},
        {"two notches in one event", {QPoint(0, 240)}, {Qt::Key_Up}, 0},
        {"two events of one notch", {down, down}, {Qt::Key_Down, Qt::Key_Down}, 0},
        {"zero delta at scroll start and end", {none, none}, {}, 2},
        {"horizontal wheel", {QPoint(120, 0), QPoint(-15, 0)}, {}, 2},
        {"touchpad: seven 15s stay short of a notch", std::vector<QPoint>(7, QPoint(0, 15)), {}, 0},
        {"touchpad: sixteen 15s",
         std::vector<QPoint>(16, QPoint(0, 15)),
         {Qt::Key_Up, Qt::Key_Up},
         0},
        {"touchpad: fifteen -8s", std::vector<QPoint>(15, QPoint(0, -8)), {Qt::Key_Down}, 0},
        {"zero deltas between small ones", {QPoint(0, 60), none, QPoint(0, 60)}, {Qt::Key_Up}, 1},
        {"half a notch there and back", {QPoint(0, 60), QPoint(0, -60)}, {}, 0},
        {"turning back drops what was gathered",
         {QPoint(0, 60), QPoint(0, -60), QPoint(0, -60)},
         {Qt::Key_Down},
         0},
        {"turning back drops what was gathered, upwards",
         {QPoint(0, -90), QPoint(0, 60), QPoint(0, 60)},
         {Qt::Key_Up},
         0},
        {"the part beyond a notch stays gathered",
         {QPoint(0, 100), QPoint(0, 100), QPoint(0, 40)},
         {Qt::Key_Up, Qt::Key_Up},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        recorder->Keys.clear();
        recorder->Wheels = 0;
        InstallMouseWheelHook();
        for (const QPoint& delta : c.deltas) Wheel(recorder, delta);
        RemoveMouseWheelHook();
        TKeyEvents expected;
        for (int key : c.keys) {
            expected.emplace_back(QEvent::KeyPress, key);
            expected.emplace_back(QEvent::KeyRelease, key);
        }
        EXPECT_EQ(recorder->Keys, expected);
        EXPECT_EQ(recorder->Wheels, c.passedOn);
    }
}

TEST_F(MouseWheelHookTest, WithoutAFocusWidgetTheWheelPassesOn) {
    recorder->clearFocus();
    ASSERT_EQ(QApplication::focusWidget(), nullptr);
    InstallMouseWheelHook();
    Wheel(recorder, QPoint(0, 120));
    EXPECT_TRUE(recorder->Keys.empty());
    EXPECT_EQ(recorder->Wheels, 1);
}

TEST_F(MouseWheelHookTest, InstalledOnceAndRemovalRestoresTheOrdinaryWheel) {
    EXPECT_EQ(MouseWheelHookHandle(), nullptr);
    InstallMouseWheelHook();
    MouseWheelHook* installed = MouseWheelHookHandle();
    ASSERT_NE(installed, nullptr);
    InstallMouseWheelHook();
    EXPECT_EQ(MouseWheelHookHandle(), installed);

    RemoveMouseWheelHook();
    EXPECT_EQ(MouseWheelHookHandle(), nullptr);
    Wheel(recorder, QPoint(0, 120));
    EXPECT_TRUE(recorder->Keys.empty());
    EXPECT_EQ(recorder->Wheels, 1);
}

TEST_F(MouseWheelHookTest, AListMovesOneRowPerWheelEventAsWithTheArrowKeys) {
    auto* list = new QListWidget(&window);
    list->addItems({"a", "b", "c", "d", "e"});
    list->resize(100, 60);
    list->show();
    list->setFocus();
    list->setCurrentRow(2);
    InstallMouseWheelHook();

    Wheel(list->viewport(), QPoint(0, -120));
    EXPECT_EQ(list->currentRow(), 3);
    Wheel(list->viewport(), QPoint(0, 240));
    EXPECT_EQ(list->currentRow(), 2);
}

}  // namespace
