// A small file system mounted on a folder for the life of a test, to run a disk full: a tmpfs
// of the size given, which only its owner may enter. Mounting needs the right to (root); where
// it is refused the test skips.
#pragma once

#include <sys/mount.h>

#include <filesystem>
#include <string>

class ScopedSmallDisk {
public:
    ScopedSmallDisk(std::string folder, const std::string& size) : folder_(std::move(folder)) {
        std::filesystem::create_directories(folder_);
        const std::string options = "size=" + size + ",mode=0700";
        mounted_ = mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~ScopedSmallDisk() {
        if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
    }
    ScopedSmallDisk(const ScopedSmallDisk&) = delete;
    ScopedSmallDisk& operator=(const ScopedSmallDisk&) = delete;
    bool Mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_ = false;
};
