// A file that not even the super-user can delete while it lives (the file system's immutable
// flag), for the tests of a folder that cannot be deleted.
#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

class UndeletableFile {
public:
    // Writes the file (and its folders) and makes it immutable; Made() is false when the file
    // system or the process's rights do not allow that (the test should then be skipped).
    explicit UndeletableFile(std::string path) : path_(std::move(path)) {
        std::filesystem::create_directories(std::filesystem::path(path_).parent_path());
        std::ofstream(path_) << "kept";
        made_ = SetImmutable(true);
    }
    ~UndeletableFile() {
        if (made_) SetImmutable(false);
    }
    UndeletableFile(const UndeletableFile&) = delete;
    UndeletableFile& operator=(const UndeletableFile&) = delete;

    bool Made() const { return made_; }

private:
    bool SetImmutable(bool on) const {
        const int fd = open(path_.c_str(), O_RDONLY);
        if (fd < 0) return false;
        int flags = 0;
        bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        close(fd);
        return done;
    }

    std::string path_;
    bool made_ = false;
};
