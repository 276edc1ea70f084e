// The main window's commands and keys: the menus, the tree popup's enabling rules and its F2
// placement, and the key table, acting only while the main window is the active window.
#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <fstream>

#include "MainFramesFixture.h"
#include "shell/ShellOpen.h"
#include "shell/TreePopup.h"
#include "shell/U_fclose.h"

namespace {

using Strings = std::vector<std::string>;

TEST(TreePopupRules, EnableTheCommandsEachNodeTypeAllows) {
    struct Case {
        int type;
        TTreePopupItems items;  // CreateObject, Rename, Move, Delete, Export, Import
    };
    const Case cases[] = {
        {-1, {false, false, false, false, false, false}},
        {otBudget, {true, true, false, true, false, true}},
        {otFolder, {true, true, true, true, true, true}},
        {otTable, {false, true, true, true, true, false}},
        {otImages, {false, true, true, true, true, false}},
        {otFiles, {false, true, true, true, true, false}},
        {otNumber, {false, true, true, true, true, false}},
        {otPay, {false, true, true, true, true, false}},
        {otCalendar, {false, false, false, false, false, false}},
        {otLog, {false, false, false, false, false, false}},
    };
    for (const Case& c : cases) EXPECT_EQ(TreePopupItems(c.type), c.items) << c.type;
}

// Records the keys that reach a widget after the main window's filter (the modifier keys
// themselves left out).
class TKeysSeen : public QObject {
public:
    explicit TKeysSeen(QObject* target) { target->installEventFilter(this); }
    std::vector<int> Keys;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const int key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event)->key()
                                                          : Qt::Key_unknown;
        if (key != Qt::Key_unknown && key != Qt::Key_Alt && key != Qt::Key_Control)
            Keys.push_back(key);
        return false;
    }
};

class KeysTest : public MainFramesFixture {
protected:
    KeysTest() {
        std::ofstream(folders.DataPath() + "LangEN/VemlyHelp.html") << "<html></html>";
        SetUrlOpener([this](const QUrl& url) {
            opened.push_back(url.fragment().toStdString());
            return true;
        });
    }
    ~KeysTest() override { SetUrlOpener({}); }

    TfMain& StartFrames() {
        return StartWith(
            {{otFolder, "folder"}, {otTable, "table"}, {otImages, "images"}, {otPay, "pay"}});
    }
    // Puts the focus into the tree or into the shown frame's main control.
    void FocusTree(bool inTree) {
        TfrProbe* frame = probes.count(window->State().TypeObject)
                              ? probes.at(window->State().TypeObject)
                              : nullptr;
        QWidget* target =
            inTree || frame == nullptr ? static_cast<QWidget*>(window->TreeViewMain) : frame->List;
        target->setFocus();
        QCoreApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), target);
    }

    std::vector<std::string> opened;  // the help's anchors
};

// Each row: the node selected, the focus, the key, which button of the shown frame the key
// clicks (none: ""), and whether the focus widget still sees the key.
TEST_F(KeysTest, TheKeyTableClicksTheShownFramesButtons) {
    struct Case {
        int node;
        bool inTree;
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* clicked;
        bool seen;
    };
    constexpr int kPhotos = -1;  // the album added below
    const Case cases[] = {
        {4, false, Qt::Key_F3, Qt::NoModifier, "table click BitBtnEdit", true},
        {4, true, Qt::Key_F3, Qt::NoModifier, "", true},
        {4, false, Qt::Key_F4, Qt::NoModifier, "table click BitBtnApply", true},
        {3, false, Qt::Key_F4, Qt::NoModifier, "", true},  // a folder has no Apply
        {4, false, Qt::Key_F6, Qt::NoModifier, "table click BitBtnReport", false},
        {4, true, Qt::Key_F6, Qt::NoModifier, "", false},
        {3, false, Qt::Key_F6, Qt::NoModifier, "", false},
        {6, false, Qt::Key_F6, Qt::NoModifier, "pay click BitBtnReport", false},
        {6, true, Qt::Key_F, Qt::AltModifier, "pay click SpeedButtonFilter", false},
        {4, false, Qt::Key_F, Qt::AltModifier, "", true},
        {6, false, Qt::Key_S, Qt::AltModifier, "pay click ButtonFilterSetting", true},
        {6, false, Qt::Key_S, Qt::NoModifier, "", true},
        {kPhotos, false, Qt::Key_PageUp, Qt::ControlModifier, "images click BitBtnPictureUp", true},
        {kPhotos, false, Qt::Key_PageDown, Qt::ControlModifier, "images click BitBtnPictureDown",
         true},
        {kPhotos, true, Qt::Key_F4, Qt::NoModifier, "", true},
        {kPhotos, false, Qt::Key_PageDown, Qt::NoModifier, "", true},
        {4, false, Qt::Key_F1, Qt::NoModifier, "table click ButtonHelp", true},
        {4, true, Qt::Key_F1, Qt::NoModifier, "", true},
    };
    AddObject(home, 19, 0, otImages, 18, "Photos");
    TfMain& main = StartFrames();
    const int photos = main.Index().IndexOf(19, home);
    ASSERT_GE(photos, 0);
    for (Case c : cases) {
        if (c.node == kPhotos) c.node = photos;
        SCOPED_TRACE(std::to_string(c.node) + (c.inTree ? " tree " : " frame ") +
                     QKeySequence(c.key | c.modifiers).toString().toStdString());
        main.TreeViewMain->setCurrentItem(main.Nodes()[c.node]);
        FocusTree(c.inTree);
        TKeysSeen seen(QApplication::focusWidget());
        log.clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(c.key), c.modifiers);
        EXPECT_EQ(log, std::string(c.clicked).empty() ? Strings{} : Strings{c.clicked});
        EXPECT_EQ(seen.Keys.size(), c.seen ? 1u : 0u);
    }
    // A disabled button is not clicked, and Alt+F then is not consumed; a hidden picture button
    // is not clicked.
    Probe(otPay).SpeedButtonFilter->setEnabled(false);
    main.TreeViewMain->setCurrentItem(main.Nodes()[6]);
    FocusTree(false);
    TKeysSeen seen(QApplication::focusWidget());
    log.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(seen.Keys.size(), 1u);
    Probe(otImages).Button("BitBtnPictureUp")->hide();
    main.TreeViewMain->setCurrentItem(main.Nodes()[photos]);
    FocusTree(false);
    log.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_TRUE(log.empty());
    // F1 shows the help at its start from the tree, at the frame's topic from the frame.
    EXPECT_EQ(opened, (Strings{"2100", ""}));
}

// Ctrl+Tab moves the focus from the tree into the shown frame's main control and back; it is
// never seen by a control. With a type that has no frame it does nothing.
TEST_F(KeysTest, CtrlTabMovesBetweenTreeAndFrame) {
    TfMain& main = StartFrames();
    main.TreeViewMain->setCurrentItem(main.Nodes()[4]);
    FocusTree(true);
    QTest::keyClick(main.TreeViewMain, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), Probe(otTable).List);
    TKeysSeen seen(Probe(otTable).List);
    QTest::keyClick(Probe(otTable).List, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), main.TreeViewMain);
    EXPECT_TRUE(seen.Keys.empty());

    main.TreeViewMain->setCurrentItem(main.Nodes()[5]);  // Meter: no number frame
    FocusTree(true);
    QTest::keyClick(main.TreeViewMain, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), main.TreeViewMain);
}

// F2 in the tree opens the popup near the tree's right edge below the selected node, with the
// items its node allows and whose commands exist; with nothing selected it does nothing.
TEST_F(KeysTest, F2OpensTheTreePopupAtTheSelectedNode) {
    TfMain& main = StartFrames();
    FocusTree(true);
    QTest::keyClick(main.TreeViewMain, Qt::Key_F2);
    EXPECT_FALSE(main.PMenuTree->isVisible());

    main.TreeViewMain->setCurrentItem(main.Nodes()[3]);
    FocusTree(true);
    QTest::keyClick(main.TreeViewMain, Qt::Key_F2);
    ASSERT_TRUE(main.PMenuTree->isVisible());
    const QRect node = main.TreeViewMain->visualItemRect(main.Nodes()[3]);
    EXPECT_EQ(main.PMenuTree->pos(), main.TreeViewMain->viewport()->mapToGlobal(
                                         QPoint(main.TreeViewMain->width() - 50, node.bottom())));
    // A folder allows every item of the popup.
    Strings enabled;
    for (const QAction* item : main.PMenuTree->actions())
        if (item->isEnabled()) enabled.push_back(item->objectName().toStdString());
    EXPECT_EQ(enabled, (Strings{"CreateObject", "Rename", "Move", "Delete", "Export", "Import"}));
    main.PMenuTree->close();
}

// The menu commands that exist act; the others stay disabled until their dialogs exist.
TEST_F(KeysTest, MenuCommands) {
    TfMain& main = StartFrames();
    Strings enabled;
    for (const char* name :
         {"CreateBudget", "Exit", "Backup", "Recovery", "Language", "Settings", "Help1", "About"})
        if (main.menuBar()->findChild<QAction*>(QString::fromLatin1(name))->isEnabled())
            enabled.push_back(name);
    EXPECT_EQ(enabled, (Strings{"CreateBudget", "Exit", "Backup", "Recovery", "Language", "Settings",
                                "Help1", "About"}));
    main.menuBar()->findChild<QAction*>(QStringLiteral("Help1"))->trigger();
    EXPECT_EQ(opened, Strings{""});
    WhenOpen<TfClose>([](TfClose& dialog) { dialog.BitBtnOK->click(); });
    main.menuBar()->findChild<QAction*>(QStringLiteral("Exit"))->trigger();
    EXPECT_FALSE(main.isVisible());
}

// The keys act only while the main window is the active window: in another window they are
// that window's own.
TEST_F(KeysTest, KeysActOnlyInTheActiveMainWindow) {
    TfMain& main = StartFrames();
    main.TreeViewMain->setCurrentItem(main.Nodes()[4]);
    QWidget other;
    auto* field = new QWidget(&other);
    field->setFocusPolicy(Qt::StrongFocus);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    field->setFocus();
    TKeysSeen seen(field);
    log.clear();
    QTest::keyClick(field, Qt::Key_F6);
    QTest::keyClick(field, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(seen.Keys.size(), 2u);
}

}  // namespace
