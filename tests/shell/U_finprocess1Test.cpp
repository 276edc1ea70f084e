// The busy window and the busy messages: their texts, their place, the hide on every way out
// of the work, and the timers that run meanwhile.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "MainWindowFixture.h"
#include "common/FakeShellServices.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "shell/U_finprocess1.h"
#include "shell/Umessages.h"

namespace fs = std::filesystem;

namespace {

using BusyWindowTest = MainWindowTest;

struct BusyPair {
    const char* name;
    void (*show)();
    void (*hide)();
    const char* text;         // the text of the installed English module
    const char* defaultText;  // without the key in Main.lng
};
constexpr BusyPair kPairs[] = {
    {"prepare", ShowPrepareMessage, HidePrepareMessage, "Preparing...", "Prepare ..."},
    {"load", ShowLoadMessage, HideLoadMessage, "Loading...", "Load ..."},
    {"processing", ShowProcessingMessage, HideProcessingMessage, "Processing...",
     "Processing ..."},
};

std::string BusyText(const TfMain& main) {
    return ToStdString(main.fInProcess1->LabelMessage->text());
}

// Each show puts the busy window up over the middle of the main window with its text, from the
// language module or else the default; its hide takes it down again.
TEST_F(BusyWindowTest, EachShowPutsItsTextUpUntilItsHide) {
    for (const bool withKeys : {true, false}) {
        SCOPED_TRACE(withKeys ? "texts of Main.lng" : "no keys in Main.lng");
        if (!withKeys) {
            window.reset();
            fs::create_directories(folders.DataPath() + "LangNone");
            WriteIni("Common", "VLLang", "LangNone");
        }
        const TfMain& main = Start();
        ASSERT_FALSE(main.fInProcess1->isVisible());
        for (const BusyPair& pair : kPairs) {
            SCOPED_TRACE(pair.name);
            pair.show();
            EXPECT_TRUE(main.fInProcess1->isVisible());
            EXPECT_EQ(BusyText(main), withKeys ? pair.text : pair.defaultText);
            EXPECT_TRUE(main.fInProcess1->isWindow());
            EXPECT_TRUE(main.fInProcess1->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            EXPECT_GE(main.fInProcess1->width(), 187);
            EXPECT_GE(main.fInProcess1->height(), 26);
            const QPoint offset =
                main.fInProcess1->frameGeometry().center() - main.frameGeometry().center();
            EXPECT_LE(std::abs(offset.x()), 2);
            EXPECT_LE(std::abs(offset.y()), 2);
            pair.hide();
            EXPECT_FALSE(main.fInProcess1->isVisible());
        }
    }
}

// A text longer than the window's usual size is shown whole.
TEST_F(BusyWindowTest, ALongTextWidensTheWindow) {
    TfMain& main = Start();
    main.State().MesLoad = std::string(30, 'W');
    ShowLoadMessage();
    EXPECT_GE(main.fInProcess1->LabelMessage->width(),
              main.fInProcess1->LabelMessage->sizeHint().width());
    HideLoadMessage();
}

// The scope guard takes the window down however the work ends.
TEST_F(BusyWindowTest, TheGuardHidesTheWindowOnEveryWayOut) {
    const TfMain& main = Start();
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"normal end", [] {}},
        {"exception", [] { throw std::runtime_error("the work failed"); }},
    };
    for (const auto& [name, work] : ways) {
        SCOPED_TRACE(name);
        try {
            const TBusyMessage busy(TBusyKind::Processing);
            EXPECT_TRUE(main.fInProcess1->isVisible());
            EXPECT_EQ(BusyText(main), "Processing...");
            work();
        } catch (const std::runtime_error&) {
        }
        EXPECT_FALSE(main.fInProcess1->isVisible());
    }
}

// Window-free code pairs a show with its hide through the services, also when it throws.
TEST(BusyMessages, GoThroughTheServices) {
    FakeShellServices shell("/nowhere/");
    for (const BusyPair& pair : kPairs) {
        pair.show();
        pair.hide();
    }
    try {
        const TBusyMessage busy(TBusyKind::Load);
        throw std::runtime_error("the work failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(shell.calls,
              (std::vector<std::string>{"ShowBusyMessage 0", "HideBusyMessage", "ShowBusyMessage 1",
                                        "HideBusyMessage", "ShowBusyMessage 2", "HideBusyMessage",
                                        "ShowBusyMessage 1", "HideBusyMessage"}));
}

// The busy window paints while the work goes on: show and hide let timers and paint events run
// (through LetMessagesRun, which holds user input back; tests/platform/EventLoopTest.cpp).
TEST_F(BusyWindowTest, TimersRunWhileTheWindowComesAndGoes) {
    Start();
    int ticks = 0;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start();
    int whileUp = 0;
    {
        const TBusyMessage busy(TBusyKind::Prepare);
        whileUp = ticks;
        EXPECT_GE(whileUp, 1);
    }
    EXPECT_GT(ticks, whileUp);
}

}  // namespace
