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

    // Clicks the node of tree index i, as the user does.
    void Click(int i) {
        QTreeWidget* tree = window->TreeViewMain;
        QTreeWidgetItem* node = window->Nodes().at(i);
        tree->scrollToItem(node);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                          tree->visualItemRect(node).center());
    }

    std::vector<std::string> log;
    std::map<int, TfrProbe*> probes;
};
