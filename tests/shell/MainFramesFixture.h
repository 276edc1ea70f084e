// The main window on the budgets of BudgetsFixture with probe frames registered for some node
// types, shown and active, with helpers that click tree nodes and press keys.
#pragma once

#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

#include "BudgetsFixture.h"
#include "ProbeFrame.h"
#include "shell/MainFrames.h"

class MainFramesFixture : public BudgetsFixture {
protected:
    // Creates the window, registers a probe frame for each type (named after it), starts it
    // and makes it the active window.
    TfMain& StartWith(const std::vector<std::pair<int, const char*>>& frames) {
        Create();
        for (const auto& [type, name] : frames) {
            auto* frame = new TfrProbe(name, log, window->PanelFrames);
            probes[type] = frame;
            window->Frames().RegisterFrame(type, *frame);
        }
        window->show();
        QCoreApplication::processEvents();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        log.clear();
        return *window;
    }
    TfrProbe& Probe(int type) { return *probes.at(type); }

    // Creates the window with the program's frames, their texts read, and shows it.
    TfMain& StartWithProgramFrames(QSize size = {1100, 700}) {
        Create();
        RegisterMainFrames(*window);
        for (TFrameBase* frame : window->Frames().Frames()) frame->LoadTexts();
        window->resize(size);
        window->show();
        QCoreApplication::processEvents();
        return *window;
    }
    // The program's frame of the type, as its class.
    template <class TFrame>
    TFrame& FrameOf(int type) const {
        auto* frame = dynamic_cast<TFrame*>(window->Frames().FrameFor(type));
        EXPECT_NE(frame, nullptr);
        return *frame;
    }

    // Clicks the node of tree index i, as the user does.
    void Click(int i) {
        QTreeWidget* tree = window->TreeViewMain;
        QTreeWidgetItem* node = window->Nodes().at(i);
        tree->scrollToItem(node);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                          tree->visualItemRect(node).center());
    }

    // Clicks the first node with that name; the tree index of that node (-1: none).
    void ClickNamed(const std::string& name) {
        const int index = NodeNamed(name);
        ASSERT_GE(index, 0) << name;
        Click(index);
    }
    int NodeNamed(const std::string& name) const {
        for (const TTreeNode* node : window->Nodes())
            if (node->Info().Name == name) return node->Index;
        return -1;
    }

    std::vector<std::string> log;
    std::map<int, TfrProbe*> probes;
};
