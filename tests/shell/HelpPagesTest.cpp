// The help file: a section for every topic the program's windows open, and for every window
// that is to come.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::set<std::string> Matches(const std::string& text, const std::regex& pattern) {
    std::set<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        found.insert((*it)[1].str());
    return found;
}

// The topic numbers the sources pass to a help button or a frame.
std::set<std::string> TopicsInSources() {
    const std::regex patterns[] = {
        std::regex(R"(kHelpTopic\s*=\s*(\d{4}))"),
        std::regex(R"(NewHelpButton\(\s*(\d{4}))"),
        std::regex(R"(ShowHelp\(\s*(\d{4}))"),
        std::regex(R"(TFrameBase\(\s*"\w+",[^;]*?,\s*(\d{4}),)"),
    };
    std::set<std::string> topics;
    for (const fs::directory_entry& entry :
         fs::recursive_directory_iterator(fs::path(VEMLY_SOURCE_DIR) / "src")) {
        if (entry.path().extension() != ".cpp") continue;
        const std::string text = ReadFile(entry.path());
        for (const std::regex& pattern : patterns) topics.merge(Matches(text, pattern));
    }
    return topics;
}

TEST(HelpPages, EveryTopicHasItsSection) {
    const std::string help =
        ReadFile(fs::path(VEMLY_SOURCE_DIR) / "data" / "LangEN" / "VemlyHelp.html");
    const std::set<std::string> sections = Matches(help, std::regex(R"re(<h2 id="(\d{4})">)re"));
    const std::set<std::string> used = TopicsInSources();
    // The windows built so far use at least these.
    for (const char* topic :
         {"1100", "2010", "2020", "2030", "2040", "2400", "2410", "5000", "6000", "7400", "7500"})
        EXPECT_EQ(used.count(topic), 1u) << topic;
    for (const std::string& topic : used) EXPECT_EQ(sections.count(topic), 1u) << topic;
    // The windows still to come have theirs already.
    for (const char* topic :
         {"1200", "2050", "2060", "2100", "2200", "2300", "2500", "2510", "2511", "2512", "2520",
          "2530", "2540", "2550", "2560", "3000", "3200", "4000", "4100", "4110", "7100", "7200"})
        EXPECT_EQ(sections.count(topic), 1u) << topic;
    // Every link of the contents leads to a section.
    for (const std::string& link : Matches(help, std::regex(R"re(href="#(\d{4})")re")))
        EXPECT_EQ(sections.count(link), 1u) << link;
}

}  // namespace
