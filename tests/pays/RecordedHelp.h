// The help topics a window opens, recorded instead of opened, for the tests of the pay dialogs.
#pragma once

#include <QUrl>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "shell/ShellOpen.h"

// While it lives, the help file exists in the language folder and every URL opened is recorded.
class RecordedHelp {
public:
    explicit RecordedHelp(const std::string& langPath) {
        std::ofstream(langPath + "VemlyHelp.html") << "<html></html>";
        SetUrlOpener([this](const QUrl& url) {
            topics_.push_back(ToStdString(url.fragment()));
            return true;
        });
    }
    ~RecordedHelp() { SetUrlOpener({}); }
    RecordedHelp(const RecordedHelp&) = delete;
    RecordedHelp& operator=(const RecordedHelp&) = delete;

    // The topics opened ("2512"), in order.
    const std::vector<std::string>& Topics() const { return topics_; }

private:
    std::vector<std::string> topics_;
};
