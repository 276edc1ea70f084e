// The archiver runner: output in pieces, codes, messages in both languages, the stop, and
// commands made of templates whose placeholders hold hostile text.
#include "exchange/U_dosprocesstomemo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

TCommand Shell(const std::string& script) { return {"/bin/sh", {"-c", script}}; }

// Records each piece and line as it comes.
struct RecordingMemo : TTextMemo {
    void Append(std::string_view text) override {
        pieces.emplace_back(text);
        TTextMemo::Append(text);
    }
    std::vector<std::string> pieces;
};

// The output is appended to the memo's text as it is: standard error merged in, and the output
// of processes the command started (an archiver's compressor may write after the archiver has
// ended: the run ends with the output, not with the first process).
TEST(RunProcessToMemo, OutputIsAppendedAsItIs) {
    struct Case {
        const char* script;
        const char* text;
    } cases[] = {
        {"printf abc", "before:abc"},
        {"printf out; printf err >&2", "before:outerr"},
        {"(sleep 0.3; printf late) & printf early", "before:earlylate"},
    };
    for (const Case& c : cases) {
        TTextMemo memo;
        memo.Text = "before:";
        const bool stop = false;
        EXPECT_EQ(RunProcessToMemo(Shell(c.script), &memo, stop, "EN"), kProcessDone) << c.script;
        EXPECT_EQ(memo.Text, c.text) << c.script;
    }
}

TEST(RunProcessToMemo, LongOutputComesInPiecesOfAtMost255BytesInOrder) {
    RecordingMemo memo;
    const bool stop = false;
    EXPECT_EQ(RunProcessToMemo(Shell("seq 1 2000"), &memo, stop, "EN"), kProcessDone);
    std::string expected;
    for (int i = 1; i <= 2000; ++i) expected += std::to_string(i) + "\n";
    EXPECT_EQ(memo.Text, expected);
    ASSERT_GT(memo.pieces.size(), 1u);
    for (const std::string& piece : memo.pieces) EXPECT_LE(piece.size(), 255u);
}

TEST(RunProcessToMemo, EndCodes) {
    struct Case {
        const char* script;
        int code;
    } cases[] = {
        {"true", kProcessDone},
        {"exit 2", kProcessFailed},
        {"echo partial; exit 1", kProcessFailed},
        {"kill -9 $$", kProcessFailed},
    };
    for (const Case& c : cases) {
        const bool stop = false;
        EXPECT_EQ(RunProcessToMemo(Shell(c.script), nullptr, stop, "EN"), c.code) << c.script;
    }
}

TEST(RunProcessToMemo, MissingProgramSaysSoInTheChosenLanguage) {
    struct Case {
        const char* language;
        const char* first;
    } cases[] = {
        {"EN", "Error of start of process "},
        {"ru", "Error of start of process "},
        {"", "Error of start of process "},
        {"RU", "Ошибка запуска процесса "},
    };
    const TCommand missing{"/nonexistent/archiver", {"-x", "a b"}};
    for (const Case& c : cases) {
        TTextMemo memo;
        const bool stop = false;
        EXPECT_EQ(RunProcessToMemo(missing, &memo, stop, c.language), kProcessNotStarted);
        const std::string firstLine = memo.Text.substr(0, memo.Text.find('\n'));
        EXPECT_EQ(firstLine, std::string(c.first) + "/nonexistent/archiver -x \"a b\"")
            << c.language;
        const std::string rest = memo.Text.substr(firstLine.size() + 1);
        EXPECT_FALSE(rest.empty() || rest == "\n") << "the system's reason follows";
    }
    const bool stop = false;
    EXPECT_EQ(RunProcessToMemo(missing, nullptr, stop, "EN"), kProcessNotStarted);
}

// A memo that asks for the stop once the first piece has come, as a Stop button would.
struct StoppingMemo : TTextMemo {
    explicit StoppingMemo(bool& stop) : stop(stop) {}
    void Append(std::string_view text) override {
        TTextMemo::Append(text);
        stop = true;
    }
    bool& stop;
};

TEST(RunProcessToMemo, StopKillsAChattyChildAndSaysSoLast) {
    for (const char* language : {"EN", "RU"}) {
        bool stop = false;
        StoppingMemo memo(stop);
        EXPECT_EQ(RunProcessToMemo({"yes", {}}, &memo, stop, language), kProcessStopped);
        const std::string expected = std::string(language) == "RU"
                                         ? "Процесс остановлен пользователем !\n"
                                         : "The process is stopped by the user !\n";
        ASSERT_GE(memo.Text.size(), expected.size());
        EXPECT_EQ(memo.Text.substr(memo.Text.size() - expected.size()), expected);
    }
}

TEST(RunProcessToMemo, StopReachesASilentChild) {
    bool stop = true;
    EXPECT_EQ(RunProcessToMemo({"sleep", {"600"}}, nullptr, stop, "EN"), kProcessStopped);
}

TEST(ExpandCommand, PlaceholdersStayInsideTheirArgument) {
    const std::string hostile[] = {
        "/tmp/with blank/a.vlexport", "/tmp/q\"uote/a", "/tmp/$HOME/a",  "/tmp/a;rm -rf x",
        "-leading",                   "/tmp/back\\\\slash", "/tmp/'single'", "/tmp/ünï",
    };
    for (const std::string& path : hostile) {
        const auto command = ExpandCommand(R"(tar -czf "[ArcName]" -C "[SouscePath]" .)",
                                           {{"[ArcName]", path}, {"[SouscePath]", "/t mp/"}});
        ASSERT_TRUE(command) << path;
        EXPECT_EQ(command->Program, "tar");
        const std::vector<std::string> expected{"-czf", path, "-C", "/t mp/", "."};
        EXPECT_EQ(command->Arguments, expected) << path;
    }
}

TEST(ExpandCommand, EveryOccurrenceIsReplacedAndEmptyTemplatesGiveNothing) {
    const auto command = ExpandCommand("cp [A] [A].bak x[A]y", {{"[A]", "f"}});
    ASSERT_TRUE(command);
    EXPECT_EQ(command->Arguments, (std::vector<std::string>{"f", "f.bak", "xfy"}));
    EXPECT_FALSE(ExpandCommand("", {}));
    EXPECT_FALSE(ExpandCommand("   ", {}));
}

TEST(RunProcessToMemo, HostileArgumentsReachTheProgramUnchanged) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "vemly runner $x;y";
    std::filesystem::create_directories(folder);
    const std::string target = (folder / "-out \"q\" $HOME;.txt").string();
    const auto command = ExpandCommand(R"(cp "[From]" "[To]")",
                                       {{"[From]", "/etc/hostname"}, {"[To]", target}});
    ASSERT_TRUE(command);
    const bool stop = false;
    EXPECT_EQ(RunProcessToMemo(*command, nullptr, stop, "EN"), kProcessDone);
    EXPECT_TRUE(std::filesystem::exists(target));
    std::filesystem::remove_all(folder);
}

}  // namespace
