// INI files: the Windows reading rules, and writes that keep the rest of the file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "platform/IniFile.h"
#include "platform/Text.h"

namespace {

class IniFile : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const {
        return ToStdString(folder_.path()) + "/" + name;
    }

    std::string Create(const std::string& name, const std::string& bytes) const {
        const std::string path = PathOf(name);
        QFile file(ToQString(path));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }

    static std::string Contents(const std::string& path) {
        QFile file(ToQString(path));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll().toStdString();
    }

private:
    QTemporaryDir folder_;
};

const char kSample[] =
    "; a comment line\n"
    "orphan=an entry before any section\n"
    "[Common]\n"
    "  VLSMode = 1  \n"
    "BACKUP=/home/u/Back up/\"x\"\n"
    "Quoted=\"  spaced  \"\n"
    "Single='it'\n"
    "HalfQuoted=\"open\n"
    "Empty=\n"
    "Mixed=a=b\n"
    "\n"
    "[ common ]\n"
    "Late=in the second section of the same name\n"
    "[Lang]\n"
    "ID=Vemly language module\n"
    "id=a second entry of the same key\n"
    "a damaged line without an equals sign\n"
    "[a damaged section line\n"
    "=a value without a key\n"
    "Name=Küche – Ёлка\n"
    "[Küche]\n"
    "Äpfel=7\n";

TEST_F(IniFile, ReadsByTheWindowsRules) {
    const TIniFile ini(Create("sample.ini", kSample));
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Common", "VLSMode", "1"},
        {"COMMON", "vlsmode", "1"},
        {" Common ", "VLSMode", "1"},
        {"Common", "BACKUP", "/home/u/Back up/\"x\""},
        {"Common", "Quoted", "  spaced  "},
        {"Common", "Single", "it"},
        {"Common", "HalfQuoted", "\"open"},
        {"Common", "Empty", ""},
        {"Common", "Mixed", "a=b"},
        {"Common", "Late", "default"},  // only the first [Common] counts
        {"Lang", "ID", "Vemly language module"},
        {"lang", "Id", "Vemly language module"},
        {"Lang", "Name", "Küche – Ёлка"},
        {"Lang", "a damaged line without an equals sign", "default"},
        {"Lang", "", "default"},
        {"KÜCHE", "äPFEL", "7"},
        {"", "orphan", "default"},
        {"Missing", "ID", "default"},
        {"Common", "Missing", "default"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.key, "default"), c.expected)
            << "[" << c.section << "] " << c.key;
}

TEST_F(IniFile, ReadsWindowsLineEndsAndAByteOrderMark) {
    const TIniFile ini(Create("crlf.ini", "\xEF\xBB\xBF[Main]\r\nKey=Value\r\nNext = Two \r\n"));
    EXPECT_EQ(ini.ReadString("Main", "Key", ""), "Value");
    EXPECT_EQ(ini.ReadString("Main", "Next", ""), "Two");
}

TEST_F(IniFile, MissingFileGivesDefaultsAndIsCreatedByAWrite) {
    const std::string path = PathOf("new.ini");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("VLBudget", "Name", "none"), "none");
    EXPECT_FALSE(QFile::exists(ToQString(path)));
    ini.WriteString("VLBudget", "Name", "Haushalt");
    EXPECT_EQ(ini.ReadString("VLBudget", "Name", "none"), "Haushalt");
    EXPECT_EQ(Contents(path), "[VLBudget]\nName=Haushalt\n");
}

TEST_F(IniFile, WritingChangesOnlyTheEntryConcerned) {
    // Comments, spacing, damaged lines, a Latin-1 byte and non-ASCII text must survive.
    const std::string before =
        "; K\xFC"
        "che budget\n"
        "[VLBudget]\n"
        "  Name = Old name  \n"
        "Descript=Ёлка \"x\"\n"
        "damaged line\n"
        "\n"
        "[Other]\n"
        "Name=stays\n";
    const std::string path = Create("VLBudget.ini", before);
    {
        TIniFile ini(path);
        ini.WriteString("vlbudget", "NAME", "Küche & Co");
        ini.WriteString("VLBudget", "lr", "45351");
        ini.WriteString("New", "Key", "value");
    }
    EXPECT_EQ(Contents(path),
              "; K\xFC"
              "che budget\n"
              "[VLBudget]\n"
              "  Name = Küche & Co\n"
              "Descript=Ёлка \"x\"\n"
              "lr=45351\n"
              "damaged line\n"
              "\n"
              "[Other]\n"
              "Name=stays\n"
              "\n"
              "[New]\n"
              "Key=value\n");
    const TIniFile reread(path);
    EXPECT_EQ(reread.ReadString("VLBudget", "Name", ""), "Küche & Co");
    EXPECT_EQ(reread.ReadString("Other", "Name", ""), "stays");
}

TEST_F(IniFile, WritingKeepsWindowsLineEndsAndAMissingLastLineEnd) {
    const std::string crlf = Create("crlf.ini", "[A]\r\nk=1\r\n");
    TIniFile(crlf).WriteString("A", "k2", "2");
    EXPECT_EQ(Contents(crlf), "[A]\r\nk=1\r\nk2=2\r\n");

    const std::string open = Create("open.ini", "[A]\nk=1");
    TIniFile(open).WriteString("A", "k", "3");
    EXPECT_EQ(Contents(open), "[A]\nk=3");
    TIniFile(open).WriteString("A", "k2", "2");
    EXPECT_EQ(Contents(open), "[A]\nk=3\nk2=2\n");
}

TEST_F(IniFile, ValuesReadBackAsWritten) {
    const std::string path = PathOf("values.ini");
    const std::string values[] = {"",
                                  " leading",
                                  "trailing ",
                                  "\"quoted\"",
                                  "'single'",
                                  "a=b;c",
                                  "\"",
                                  "x\"",
                                  "  ",
                                  "\"a' ",
                                  "Küche \"Ёлка\" 'x'",
                                  "/home/u/Bud get/\"q\"/"};
    {
        TIniFile ini(path);
        for (size_t i = 0; i < std::size(values); ++i)
            ini.WriteString("Values", "Key" + std::to_string(i), values[i]);
    }
    const TIniFile ini(path);
    for (size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(ini.ReadString("Values", "Key" + std::to_string(i), "default"), values[i]);
}

TEST_F(IniFile, WhatTheFormatCannotHoldIsRefusedAndNothingChanges) {
    const std::string path = Create("refuse.ini", "[A]\nk=1\n");
    TIniFile ini(path);
    EXPECT_THROW(ini.WriteString("A", "k", "two\nlines"), EIniFileException);
    EXPECT_THROW(ini.WriteString("A", "k=x", "1"), EIniFileException);
    EXPECT_THROW(ini.WriteString("A", "", "1"), EIniFileException);
    EXPECT_THROW(ini.WriteString("A", ";k", "1"), EIniFileException);
    EXPECT_THROW(ini.WriteString("A]", "k", "1"), EIniFileException);
    EXPECT_THROW(ini.WriteString(" A", "k", "1"), EIniFileException);
    EXPECT_EQ(Contents(path), "[A]\nk=1\n");
    EXPECT_EQ(ini.ReadString("A", "k", ""), "1");
}

TEST_F(IniFile, UnwritablePlacesFailClearly) {
    TIniFile noFolder(PathOf("missing folder/x.ini"));
    EXPECT_THROW(noFolder.WriteString("A", "k", "1"), EIniFileException);
    EXPECT_EQ(noFolder.ReadString("A", "k", "default"), "default");

    const std::string folder = PathOf("a folder.ini");
    ASSERT_TRUE(QDir().mkpath(ToQString(folder)));
    TIniFile notAFile(folder);
    EXPECT_EQ(notAFile.ReadString("A", "k", "default"), "default");
    EXPECT_THROW(notAFile.WriteString("A", "k", "1"), EIniFileException);
    EXPECT_TRUE(QDir(ToQString(folder)).exists());
}

}  // namespace
