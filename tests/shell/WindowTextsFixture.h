// A language folder of the test's own for windows that read their texts and open the help, with
// the help's URLs recorded instead of opened.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QUrl>
#include <fstream>
#include <string>
#include <vector>

#include "common/FakeShellServices.h"
#include "platform/Text.h"
#include "shell/ShellOpen.h"

class WindowTexts : public ::testing::Test {
protected:
    WindowTexts() {
        shell.state.LangPath = ToStdString(folder.path()) + "/";
        WriteLangFile("VemlyHelp.html", "<html></html>");
        SetUrlOpener([this](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
    }
    ~WindowTexts() override { SetUrlOpener({}); }

    // Writes (or replaces) a file of the language folder.
    void WriteLangFile(const std::string& name, const std::string& text) {
        std::ofstream(shell.state.LangPath + name, std::ios::trunc) << text;
    }

    QTemporaryDir folder;
    FakeShellServices shell{ToStdString(folder.path()) + "/"};
    std::vector<QUrl> opened;  // the help's URLs, in order
};
