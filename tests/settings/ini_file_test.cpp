#include "settings/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "as_ordinary_user.h"
#include "files/file_error.h"

namespace corvane::settings {
namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("corvane-ini-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "CorvaneLogger.INI").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
    std::string Read() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path dir_;
    std::string path_;
};

TEST_F(IniFileTest, MissingFileReadsAsEmpty) {
    IniFile ini(path_);
    EXPECT_EQ(ini.ReadString("Form", "Left", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadInteger("Form", "Left", 360), 360);
    EXPECT_TRUE(ini.ReadYesNo("Graphs", "PV", true));
    EXPECT_FALSE(ini.ReadYesNo("Graphs", "RPM", false));
}

TEST_F(IniFileTest, IntegersDecimalOrHex) {
    const std::pair<const char*, int> cases[] = {
        {"360", 360},
        {"-12", -12},
        {"$1F", 31},
        {"0x1f", 31},
        {"0X1F", 31},
        {"$FFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"abc", 7},
        {"", 7},
        {"12abc", 7},
        {"0x", 7},
        {"$", 7},
        {"1.5", 7},
        {"2147483648", 7},
        {"$100000000", 7},
        {"0x1G", 7},
        {"+", 7},
    };
    std::string text = "[Form]\n";
    int i = 0;
    for (const auto& c : cases) text += "K" + std::to_string(i++) + "=" + c.first + "\n";
    Write(text);
    IniFile ini(path_);
    i = 0;
    for (const auto& c : cases) {
        EXPECT_EQ(ini.ReadInteger("Form", "K" + std::to_string(i++), 7), c.second) << c.first;
    }
}

TEST_F(IniFileTest, YesNoIsExactlyYes) {
    Write("[Graphs]\nPressure=Yes\nTach=yes\nPV=YES\nRPM=\nPower=No\n");
    IniFile ini(path_);
    EXPECT_TRUE(ini.ReadYesNo("Graphs", "Pressure", false));
    EXPECT_FALSE(ini.ReadYesNo("Graphs", "Tach", true));
    EXPECT_FALSE(ini.ReadYesNo("Graphs", "PV", true));
    EXPECT_FALSE(ini.ReadYesNo("Graphs", "RPM", true)) << "present but empty is not missing";
    EXPECT_FALSE(ini.ReadYesNo("Graphs", "Power", true));
    EXPECT_TRUE(ini.ReadYesNo("Graphs", "Missing", true));
}

TEST_F(IniFileTest, NamesAreCaseInsensitiveAndValuesCutAt2047) {
    Write("[flywheel1]\nmass=250\nLong=" + std::string(3000, 'x') + "\r\n");
    IniFile ini(path_);
    EXPECT_EQ(ini.ReadString("Flywheel1", "Mass", ""), "250");
    EXPECT_EQ(ini.ReadString("FLYWHEEL1", "long", "").size(), 2047u);
}

TEST_F(IniFileTest, SaveWritesKeysInOrderWithCrLf) {
    Write("; kept comment\r\n[Other]\r\nUnknown=kept\r\n");
    {
        IniFile ini(path_);
        ini.WriteInteger("Form", "Left", 360);
        ini.WriteInteger("Form", "Top", -5);
        ini.WriteYesNo("Graphs", "Pressure", true);
        ini.WriteYesNo("Graphs", "RPM", false);
        ini.WriteString("Flywheel1", "Mass", "");
        ini.Save();
    }
    const std::string text = Read();
    EXPECT_NE(text.find("[Form]\r\nLeft=360\r\nTop=-5\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Graphs]\r\nPressure=Yes\r\nRPM=No\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Flywheel1]\r\nMass=\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Unknown=kept"), std::string::npos);
    EXPECT_NE(text.find("; kept comment"), std::string::npos);
    EXPECT_LT(text.find("[Form]"), text.find("[Graphs]"));
    EXPECT_EQ(text.find("\n\n"), std::string::npos) << "every LF has its CR";
    for (std::size_t p = text.find('\n'); p != std::string::npos; p = text.find('\n', p + 1)) {
        EXPECT_EQ(text[p - 1], '\r');
    }
    IniFile again(path_);
    EXPECT_EQ(again.ReadInteger("Form", "Top", 0), -5);
    EXPECT_TRUE(again.ReadYesNo("Graphs", "Pressure", false));
    EXPECT_EQ(again.ReadString("Flywheel1", "Mass", "missing"), "");
}

// The profile functions write each key as it comes: a file begun from nothing
// lists the sections in the order written, one after the other, without blank
// lines between them.
TEST_F(IniFileTest, FileBegunFromNothingByteForByte) {
    {
        IniFile ini(path_);
        ini.WriteInteger("Form", "Left", 360);
        ini.WriteInteger("Form", "Top", 245);
        ini.WriteYesNo("Graphs", "Pressure", true);
        ini.WriteYesNo("Graphs", "RPM", false);
        ini.WriteString("Flywheel1", "Mass", "250");
        ini.WriteString("Flywheel1", "Diam", "");
        ini.WriteString("Flywheel2", "MI", "");
        ini.Save();
    }
    EXPECT_EQ(Read(),
              "[Form]\r\nLeft=360\r\nTop=245\r\n"
              "[Graphs]\r\nPressure=Yes\r\nRPM=No\r\n"
              "[Flywheel1]\r\nMass=250\r\nDiam=\r\n"
              "[Flywheel2]\r\nMI=\r\n");
}

// Values are plain text without quotes: a disk cell that came back from a dyna
// file with a leading blank is written as it is.
TEST_F(IniFileTest, ValuesAreWrittenWithoutQuotes) {
    {
        IniFile ini(path_);
        ini.WriteString("Flywheel2", "Mass", " 120");
        ini.WriteString("Flywheel2", "Diam", " 50 ");
        ini.Save();
    }
    EXPECT_EQ(Read(), "[Flywheel2]\r\nMass= 120\r\nDiam= 50 \r\n");
    IniFile again(path_);
    EXPECT_EQ(again.ReadString("Flywheel2", "Mass", "?"), "120") << "outer blanks are not kept";
}

TEST_F(IniFileTest, FailedSaveNamesTheFileAndKeepsTheOldOne) {
    const std::string nowhere = (dir_ / "no" / "such" / "CorvaneLogger.INI").string();
    IniFile lost(nowhere);
    lost.WriteInteger("Form", "Left", 1);
    try {
        lost.Save();
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + nowhere);
    }
    // A directory in the file's place: the rename fails, nothing is destroyed.
    std::filesystem::create_directory(path_);
    IniFile blocked(path_);
    blocked.WriteInteger("Form", "Left", 1);
    EXPECT_THROW(blocked.Save(), std::runtime_error);
    EXPECT_TRUE(std::filesystem::is_directory(path_));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file left behind";
}

TEST_F(IniFileTest, ReadOnlyFileIsNotWritten) {
    Write("[Form]\r\nLeft=1\r\n");
    ::chmod(path_.c_str(), 0444);
    ::chmod(dir_.c_str(), 0777);
    const int outcome = testing::OutcomeAsOrdinaryUser([&] {
        IniFile ini(path_);
        ini.WriteInteger("Form", "Left", 2);
        try {
            ini.Save();
        } catch (const std::runtime_error& error) {
            return std::string(error.what()) == "Unable to write to " + path_ ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(outcome, 0) << "1: written, 2: another error, 3: no user switch";
    EXPECT_EQ(Read(), "[Form]\r\nLeft=1\r\n");
}

// What the parser cannot take in would be lost by the next save: such a file
// says why, so that the program can keep it before saving. Text it reads whole
// survives a save byte for byte, whatever its 8-bit characters.
TEST_F(IniFileTest, DamageIsFoundWhereASaveWouldLoseText) {
    struct Case {
        const char* name;
        std::string text;
        std::string damage;
        std::string mass;  // Flywheel1 Mass as read
    };
    const std::string head = "[Flywheel1]\r\nMass=200\r\n";
    const Case cases[] = {
        {"NUL bytes of a power cut", head + std::string("Diam=1\0\0\0\0[Form]\r\nLeft=1\r\n", 25),
         "line 3 holds a NUL byte", "200"},
        {"UTF-16 with its byte order mark", std::string("\xFF\xFE[\0F\0]\0\r\0\n\0", 12),
         "it is UTF-16 text, not 8-bit text", ""},
        {"UTF-16 big-endian", std::string("\xFE\xFF\0[\0F\0]", 8),
         "it is UTF-16 text, not 8-bit text", ""},
        {"a section line cut short", head + "[Flywh",
         "line 3 is neither a section, a key nor a comment", "200"},
        {"a key without a value", head + "Diam\r\nMI=\r\n",
         "line 3 is neither a section, a key nor a comment", "200"},
        {"a key without a name", head + "=100\r\n",
         "line 3 is neither a section, a key nor a comment", "200"},
        {"a key cut short after its =", "[Flywheel1]\r\nMass=20", "", "20"},
        {"Latin-1 letters (not UTF-8)",
         "; Schwungr\xE4"
         "der\r\n[Flywheel1]\r\nMass=2\xB5\r\n",
         "", "2\xB5"},
        {"a UTF-8 byte order mark", "\xEF\xBB\xBF[Flywheel1]\r\nMass=200\r\n", "", "200"},
        {"comments, blanks and lone CRs", "  ; c\r\n# c\r\n\r\n [Flywheel1] \rMass = 200 \r\n", "",
         "200"},
    };
    for (const Case& c : cases) {
        Write(c.text);
        IniFile ini(path_);
        EXPECT_EQ(ini.Damage(), c.damage) << c.name;
        EXPECT_EQ(ini.ReadString("Flywheel1", "Mass", ""), c.mass) << c.name;
        ini.SaveOriginalAs(path_ + ".bak");
        std::ifstream in(path_ + ".bak", std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), c.text) << c.name;
    }
    // Read whole, a file's 8-bit text survives a save as it was.
    Write(
        "; Schwungr\xE4"
        "der\r\n[Flywheel1]\r\nMass=2\xB5\r\n");
    IniFile(path_).Save();
    EXPECT_EQ(Read(),
              "; Schwungr\xE4"
              "der\r\n[Flywheel1]\r\nMass=2\xB5\r\n");
}

// Found by fuzzing: the parser made "[DAQ" and the next key line one section
// whose name ran over the line end, and the saved file then read otherwise.
// A first key whose name starts with the bytes of a UTF-8 mark lost them.
TEST_F(IniFileTest, WhatASaveWritesReadsBackAsItWasRead) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<IniEntry> entries;
    };
    const Case cases[] = {
        {"a section line without its bracket",
         "[Flywheel1]\r\nMass=200\r\n[DAQ\r\nBoard=uldaq\r\n",
         {{"Flywheel1", "Mass", "200"}, {"Flywheel1", "Board", "uldaq"}}},
        {"a key behind a UTF-8 mark's bytes",
         "x\r\n\xEF\xBB\xBFkey=1\r\n",
         {{"", "\xEF\xBB\xBFkey", "1"}}},
        {"8-bit text that starts like a UTF-16 mark",
         "\xFE\xFFkey=1\r\n",
         {{"", "\xFE\xFFkey", "1"}}},
    };
    for (const Case& c : cases) {
        Write(c.text);
        IniFile(path_).Save();
        const IniFile again(path_);
        EXPECT_EQ(again.Entries(), c.entries) << c.name;
        EXPECT_EQ(again.Damage(), "") << c.name;
    }
}

TEST_F(IniFileTest, CommentsAfterTheLastKeySurviveASave) {
    Write("[Form]\r\nLeft=1\r\n; last words\r\n\r\n# and more\r\n");
    {
        IniFile ini(path_);
        ini.WriteInteger("Graphs", "RPM", 1);
        ini.Save();
    }
    EXPECT_EQ(Read(), "[Form]\r\nLeft=1\r\n[Graphs]\r\nRPM=1\r\n; last words\r\n# and more\r\n");
    IniFile(path_).Save();
    EXPECT_EQ(Read(), "[Form]\r\nLeft=1\r\n[Graphs]\r\nRPM=1\r\n; last words\r\n# and more\r\n")
        << "a second save adds nothing";
    Write("; only a comment\r\n");
    IniFile(path_).Save();
    EXPECT_EQ(Read(), "; only a comment\r\n");
}

TEST_F(IniFileTest, AMissingFileIsAnErrorWhenAsked) {
    try {
        IniFile ini(path_, IniFile::Missing::IsAnError);
        ADD_FAILURE() << "a missing file read";
    } catch (const files::FileError& error) {
        EXPECT_STREQ(error.what(), "File not found");
    }
    std::filesystem::create_directory(path_);
    EXPECT_THROW(IniFile(path_, IniFile::Missing::IsAnError), files::FileError);
    EXPECT_NO_THROW(IniFile(path_, IniFile::Missing::ReadsAsEmpty));
}

// A settings file kept private stays private, and one that is a link to a
// shared file stays a link: the save writes through it.
TEST_F(IniFileTest, SaveKeepsPermissionsAndLinks) {
    Write("[Form]\r\nLeft=1\r\n");
    ::chmod(path_.c_str(), 0600);
    IniFile ini(path_);
    ini.WriteInteger("Form", "Left", 2);
    ini.Save();
    struct stat info {};
    ::stat(path_.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    const std::string link = (dir_ / "link.INI").string();
    std::filesystem::create_symlink("CorvaneLogger.INI", link);
    IniFile linked(link);
    linked.WriteInteger("Form", "Left", 3);
    linked.Save();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(IniFile(path_).ReadInteger("Form", "Left", 0), 3);
}

TEST_F(IniFileTest, SaveAsWritesAnotherFileAndLeavesThisOne) {
    Write("[DAQ]\r\nBoard=simulated\r\n");
    const std::string other = (dir_ / "other.INI").string();
    IniFile ini(path_);
    ini.WriteInteger("Form", "Left", 5);
    ini.SaveAs(other);
    EXPECT_EQ(Read(), "[DAQ]\r\nBoard=simulated\r\n");
    EXPECT_EQ(IniFile(other).Entries(),
              (std::vector<IniEntry>{{"DAQ", "Board", "simulated"}, {"Form", "Left", "5"}}));
}

}  // namespace
}  // namespace corvane::settings
