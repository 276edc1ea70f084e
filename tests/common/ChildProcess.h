// Killing a child process in the middle of its work, for the tests of what a crash leaves in
// the tables, and the integrity check of a tables file afterwards.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "platform/Table.h"

// Runs `work` in a child process that reports through `ready` (Ready) and is then killed with
// SIGKILL after `delay`. The parent must hold no connection to the child's folders meanwhile.
template <class TWork>
void KillDuring(TWork work, std::chrono::milliseconds delay) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        try {
            work(ready[1]);
        } catch (...) {
        }
        _exit(1);  // never reached while the parent kills in time
    }
    close(ready[1]);
    char signal = 0;
    ASSERT_EQ(read(ready[0], &signal, 1), 1) << "the child ended before it was ready";
    std::this_thread::sleep_for(delay);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(ready[0]);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
}

// Tells the parent of KillDuring that the child is where it is to be killed.
inline void Ready(int pipe) {
    const char signal = 'r';
    if (write(pipe, &signal, 1) != 1) _exit(2);
}

// Stops the child of KillDuring (which is then killed) at the `at`-th change of the table's data,
// the journal view's refresh for the journal; 0 never stops it.
inline void PauseAtDataChange(TTable& table, int at, int ready) {
    const auto changes = std::make_shared<int>(0);
    table.AddDataChangeHandler([=](TTable&, const TField*) {
        if (++*changes != at) return;
        Ready(ready);
        pause();
    });
}

// SQLite's integrity check of a folder's tables file: "ok" when it is sound.
inline std::string IntegrityOf(const std::string& folder) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((folder + "/tables.sqlite").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* stmt = nullptr;
    std::string result = "cannot check";
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        result = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return result;
}
