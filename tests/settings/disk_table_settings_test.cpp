#include "settings/disk_table_settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "text/number_format.h"

namespace corvane::settings {
namespace {

using analysis::DiskTable;

class DiskTableSettings : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = (std::filesystem::temp_directory_path() /
                 ("corvane-disks-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".INI"))
                    .string();
        std::filesystem::remove(path_);
    }
    void TearDown() override { std::filesystem::remove(path_); }

    DiskTable Load(const std::string& text) {
        std::ofstream(path_, std::ios::binary) << text;
        IniFile ini(path_);
        return LoadDiskTable(ini, text::PointComma());
    }

    std::string path_;
};

const DiskTable::value_type kBlank = {"", "", ""};

TEST_F(DiskTableSettings, StoredRowsFillFromTheTop) {
    struct Case {
        const char* name;
        std::string ini;
        DiskTable table;
    };
    const Case cases[] = {
        {"nothing stored", "", DiskTable(5)},
        {"Flywheel2 moves up",
         "[Flywheel2]\nMass=200\nDiam=100\nMI=99\n",
         {{"200", "100", "0.25"}, kBlank, kBlank, kBlank, kBlank}},
        {"MI-only row",
         "[Flywheel1]\nMass=200\nDiam=\nMI=1.5\n",
         {{"", "", "1.5"}, kBlank, kBlank, kBlank, kBlank}},
        {"nothing usable", "[Flywheel1]\nMass=200\nDiam=\nMI=\n", DiskTable(5)},
        {"spaces are blank", "[Flywheel1]\nMass=   \nDiam=100\nMI=\n", DiskTable(5)},
        {"a tab is not blank",
         "[Flywheel1]\nMass=\"\t\"\nDiam=100\nMI=\n",
         {{"\t", "100", "0"}, kBlank, kBlank, kBlank, kBlank}},
        {"large moment grouped",
         "[Flywheel3]\nMass=100000\nDiam=1000\n",
         {{"100000", "1000", "12,500"}, kBlank, kBlank, kBlank, kBlank}},
    };
    for (const auto& c : cases) EXPECT_EQ(Load(c.ini), c.table) << c.name;
}

TEST_F(DiskTableSettings, OnlyFiveRowsAreKept) {
    std::string ini;
    for (int i = 1; i <= 10; ++i) {
        ini += "[Flywheel" + std::to_string(i) + "]\nMass=" + std::to_string(i) +
               "\nDiam=" + (i % 2 ? "1000\n" : "\nMI=" + std::to_string(i) + "\n");
    }
    const DiskTable table = Load(ini);
    ASSERT_EQ(table.size(), 5u);
    EXPECT_EQ(table[0], (DiskTable::value_type{"1", "1000", "0.125"}));
    EXPECT_EQ(table[1], (DiskTable::value_type{"", "", "2"}));
    EXPECT_EQ(table[4], (DiskTable::value_type{"5", "1000", "0.625"}));
}

TEST_F(DiskTableSettings, SaveCompactsNothingAndBlanksTheRest) {
    std::ofstream(path_, std::ios::binary) << "[Flywheel7]\nMass=1\nDiam=2\nMI=3\n";
    {
        IniFile ini(path_);
        const DiskTable table = {
            {"200", "100", "0.25"}, kBlank, {"", "", "1.5"}, {" ", "", ""}, kBlank};
        SaveDiskTable(ini, table);
        ini.Save();
    }
    IniFile ini(path_);
    EXPECT_EQ(ini.ReadString("Flywheel1", "MI", "?"), "0.25");
    EXPECT_EQ(ini.ReadString("Flywheel2", "Mass", "?"), "") << "a blank row keeps its gap";
    EXPECT_EQ(ini.ReadString("Flywheel3", "MI", "?"), "1.5");
    EXPECT_EQ(ini.ReadString("Flywheel4", "Mass", "?"), "");
    for (int i = 6; i <= 10; ++i) {
        const std::string section = "Flywheel" + std::to_string(i);
        EXPECT_EQ(ini.ReadString(section, "Mass", "?"), "") << section;
        EXPECT_EQ(ini.ReadString(section, "MI", "?"), "") << section;
    }
    // Loading again closes the gap.
    const DiskTable reloaded = LoadDiskTable(ini, text::PointComma());
    EXPECT_EQ(reloaded[0], (DiskTable::value_type{"200", "100", "0.25"}));
    EXPECT_EQ(reloaded[1], (DiskTable::value_type{"", "", "1.5"}));
    EXPECT_EQ(reloaded[2], kBlank);
}

// A settings file the user names must give its table whole, or an error and
// no table: a dyna must never be computed quietly without its disks.
TEST_F(DiskTableSettings, ANamedFileGivesItsTableOrWhyNot) {
    const auto load = [this] { return LoadDiskTableFile(path_, text::PointComma()); };
    EXPECT_EQ(load().error, "File not found");
    std::filesystem::create_directory(path_);
    EXPECT_EQ(load().error, "File access denied");
    std::filesystem::remove(path_);
    std::ofstream(path_, std::ios::binary) << std::string("[Flywheel1]\r\nMI=0.2\0\r\n", 20);
    EXPECT_EQ(load().error, "could not be read whole: line 2 holds a NUL byte");
    std::ofstream(path_, std::ios::binary) << "[Flywheel1]\r\nMass=200\r\nDiam=100\r\n";
    const DiskTableFile good = load();
    EXPECT_EQ(good.error, "");
    ASSERT_EQ(good.disks.size(), 5u);
    EXPECT_EQ(good.disks[0], (DiskTable::value_type{"200", "100", "0.25"}));
}

}  // namespace
}  // namespace corvane::settings
