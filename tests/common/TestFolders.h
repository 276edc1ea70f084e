// Temporary program folders for a test: data, users-data and temp folders and budget folders,
// made from the tables that the build generates, and removed afterwards.
#pragma once

#include <string>

// Makes a new folder of its own (its name holds blanks, quotes and a non-ASCII letter, so that
// every test also tries such paths) with the folders the program finds through the variables
// VEMLY_DATA_DIR, VEMLY_USERS_DIR and VEMLY_TMP_DIR, and points the variables at them. The
// destructor removes it all and puts the variables back. Throws std::runtime_error when the
// folders cannot be made.
class TestFolders {
public:
    TestFolders();
    ~TestFolders();
    TestFolders(const TestFolders&) = delete;
    TestFolders& operator=(const TestFolders&) = delete;

    // The folder that holds everything below (no trailing "/").
    const std::string& Root() const { return root_; }
    // The main window's folders for these variables, each ending with "/":
    // the data folder, holding EmptyBases and whatever the source tree's data/ holds;
    std::string DataPath() const;
    // the users-data folder, holding the empty budget list and settings tables;
    std::string UsersDataPath() const;
    // the temp folder "VemlyTEMP-<uid>" (made empty, for its user alone).
    std::string TempPath() const;

    // A new budget folder copied from EmptyBases, in the users-data folder (no trailing "/").
    std::string MakeBudget(const std::string& name = "Budget") const;

    // The generated EmptyBases and users-data tables of the build tree (never to be written).
    static std::string GeneratedEmptyBases();
    static std::string GeneratedUsersData();

private:
    std::string root_;
    struct TSaved {
        const char* name;
        bool set;
        std::string value;
    };
    TSaved saved_[3];
};
