// Records, for its life, the URLs that OpenDocumentOrTell and ShowHelp would open, instead of opening
// them.
#pragma once

#include <QUrl>
#include <vector>

#include "shell/ShellOpen.h"

class RecordedUrls {
public:
    RecordedUrls() {
        SetUrlOpener([this](const QUrl& url) {
            urls.push_back(url);
            return true;
        });
    }
    ~RecordedUrls() { SetUrlOpener({}); }
    RecordedUrls(const RecordedUrls&) = delete;
    RecordedUrls& operator=(const RecordedUrls&) = delete;

    std::vector<QUrl> urls;
};
