// A home folder of the test's own for the life of a test: documents, data and trash lie below.
#pragma once

#include <QDir>
#include <string>

#include "common/ScopedEnv.h"

// Points HOME, XDG_CONFIG_HOME and XDG_DATA_HOME into `root` + "/home" and creates that folder,
// so that the trash of the test lies on the same file system as the files it takes and never
// in the real user's trash.
class ScopedHome {
public:
    explicit ScopedHome(const std::string& root)
        : home_(root + "/home"),
          homeVariable_("HOME", home_),
          config_("XDG_CONFIG_HOME", home_ + "/.config"),
          data_("XDG_DATA_HOME", home_ + "/.local/share") {
        QDir().mkpath(QString::fromStdString(home_ + "/.local/share"));
    }

    const std::string& Path() const { return home_; }
    std::string TrashFiles() const { return home_ + "/.local/share/Trash/files"; }

private:
    std::string home_;
    ScopedEnv homeVariable_;
    ScopedEnv config_;
    ScopedEnv data_;
};
