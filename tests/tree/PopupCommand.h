// The tree popup's commands as the tree dialogs' tests drive them: which nodes enable a command,
// and the help pages a dialog opens.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QString>
#include <QTreeWidget>
#include <QUrl>
#include <fstream>
#include <initializer_list>
#include <vector>

#include "shell/ShellOpen.h"
#include "shell/U_formmain.h"

// A node of the main tree by its index (in the order Nodes() gives) and whether the command is
// enabled while it is selected.
struct TPopupCase {
    int index;
    bool enabled;
};

// The popup's command `name`, checked to be enabled exactly as the cases say; null (and a
// failure) when the popup has no such command.
inline QAction* PopupCommand(TfMain& window, const char* name,
                             std::initializer_list<TPopupCase> cases) {
    QAction* item = window.PMenuTree->findChild<QAction*>(QString::fromLatin1(name));
    EXPECT_NE(item, nullptr) << name;
    if (!item) return nullptr;
    for (const TPopupCase& c : cases) {
        window.TreeViewMain->setCurrentItem(window.Nodes().at(c.index));
        window.PMenuTreePopup();
        EXPECT_EQ(item->isEnabled(), c.enabled) << name << " on node " << c.index;
    }
    return item;
}

// While it lives, the help file exists in the language folder and every URL opened is recorded
// instead of opened.
class RecordedHelp {
public:
    explicit RecordedHelp(TfMain& window) {
        std::ofstream(window.State().LangPath + "VemlyHelp.html") << "<html></html>";
        SetUrlOpener([this](const QUrl& url) {
            opened_.push_back(url);
            return true;
        });
    }
    ~RecordedHelp() { SetUrlOpener({}); }
    RecordedHelp(const RecordedHelp&) = delete;
    RecordedHelp& operator=(const RecordedHelp&) = delete;

    // The help topics opened, in order.
    std::vector<QString> Topics() const {
        std::vector<QString> topics;
        for (const QUrl& url : opened_) topics.push_back(url.fragment());
        return topics;
    }

private:
    std::vector<QUrl> opened_;
};
