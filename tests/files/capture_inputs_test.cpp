// The capture files a batch is given by folder and by list.

#include "files/capture_inputs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "as_ordinary_user.h"
#include "temp_dir.h"

namespace corvane::files {
namespace {

namespace fs = std::filesystem;

class CaptureFolder : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name :
             {"b.csv", "a.CSV", "B.Csv", "run10.csv", "run2.csv", "notes.txt", ".hidden.csv",
              "a/x.csv", "a/deeper/y.CSV", "a.b/z.csv", ".git/w.csv", "results.csv"}) {
            fs::create_directories((dir.path() / name).parent_path());
            testing::WriteText(dir.File(name), "grab\r\n");
        }
        fs::create_directory(dir.File("folder.csv"));  // a folder is not a capture file
        fs::create_directory_symlink(dir.File("a"), dir.File("linked"));
        fs::create_symlink(dir.File("b.csv"), dir.File("c.csv"));  // a link to a file counts
    }
    std::vector<std::string> Names(const std::vector<std::string>& paths) const {
        std::vector<std::string> names;
        for (const std::string& path : paths) {
            names.push_back(fs::path(path).lexically_relative(dir.path()).string());
        }
        return names;
    }
    testing::TempDir dir;
};

TEST_F(CaptureFolder, ItsCaptureFilesInNameOrder) {
    EXPECT_EQ(Names(CaptureFilesInFolder(dir.path().string(), false)),
              (std::vector<std::string>{"B.Csv", "a.CSV", "b.csv", "c.csv", "results.csv",
                                        "run10.csv", "run2.csv"}));
}

TEST_F(CaptureFolder, SubFoldersInPlaceOfTheirNamesWhenRecursive) {
    EXPECT_EQ(Names(CaptureFilesInFolder(dir.path().string(), true)),
              (std::vector<std::string>{"B.Csv", "a/deeper/y.CSV", "a/x.csv", "a.CSV", "a.b/z.csv",
                                        "b.csv", "c.csv", "results.csv", "run10.csv", "run2.csv"}));
}

// A batch over a folder does not read its own results file, however it is named.
TEST_F(CaptureFolder, TheResultsFileIsLeftOut) {
    fs::create_symlink(dir.File("results.csv"), dir.File("out-link"));
    for (const std::string& results :
         {dir.File("results.csv"), dir.File("a/../results.csv"), dir.File("out-link")}) {
        const auto names = Names(CaptureFilesInFolder(dir.path().string(), false, {results}));
        EXPECT_EQ(std::count(names.begin(), names.end(), "results.csv"), 0) << results;
        EXPECT_EQ(names.size(), 6u);
    }
    // The details file beside it too.
    EXPECT_EQ(Names(CaptureFilesInFolder(dir.path().string(), false,
                                         {dir.File("results.csv"), dir.File("run2.csv")})),
              (std::vector<std::string>{"B.Csv", "a.CSV", "b.csv", "c.csv", "run10.csv"}));
}

TEST_F(CaptureFolder, NamesAndFoldersTogetherInTheirOrder) {
    const std::vector<std::string> files =
        CaptureFilesOf({dir.File("run2.csv"), dir.File("a"), dir.File("missing.csv")}, false);
    EXPECT_EQ(Names(files), (std::vector<std::string>{"run2.csv", "a/x.csv", "missing.csv"}));
}

TEST(CaptureFolderErrors, AFolderThatCannotBeReadIsNamed) {
    testing::TempDir dir;
    try {
        CaptureFilesInFolder(dir.File("gone"), false);
        ADD_FAILURE();
    } catch (const InputReadError& error) {
        EXPECT_EQ(error.path(), dir.File("gone"));
        EXPECT_STREQ(error.what(), "File not found");
    }
}

TEST(NameList, OneNameALine) {
    std::istringstream list("a.csv\r\nwith blank .csv\n\n  \nlast.csv");
    EXPECT_EQ(ReadNameList(list, "-"),
              (std::vector<std::string>{"a.csv", "with blank .csv", "  ", "last.csv"}));
    testing::TempDir dir;
    std::string many;
    for (int i = 0; i < 50000; ++i) many += "folder/capture" + std::to_string(i) + ".csv\n";
    testing::WriteText(dir.File("list.txt"), many);
    const std::vector<std::string> names = ReadNameListFile(dir.File("list.txt"));
    ASSERT_EQ(names.size(), 50000u);
    EXPECT_EQ(names[12345], "folder/capture12345.csv");
    try {
        ReadNameListFile(dir.File("none.txt"));
        ADD_FAILURE();
    } catch (const InputReadError& error) {
        EXPECT_EQ(error.path(), dir.File("none.txt"));
        EXPECT_STREQ(error.what(), "File not found");
    }
}

// A list from find -print0 read as lines would cut each name at its NUL.
TEST(NameList, NulSeparatedNamesNeedTheirSeparator) {
    // As find -print0 writes it: the last name ends in a NUL too.
    constexpr char kList[] = "a b.csv\0line\nbreak.csv\0\0last.csv";
    const std::string text(kList, sizeof kList);
    std::istringstream nul(text);
    EXPECT_EQ(ReadNameList(nul, "-", NameSeparator::Nul),
              (std::vector<std::string>{"a b.csv", "line\nbreak.csv", "last.csv"}));
    std::istringstream lines("first.csv\n" + text);
    try {
        ReadNameList(lines, "standard input");
        ADD_FAILURE() << "a NUL inside a line was taken";
    } catch (const InputReadError& error) {
        EXPECT_EQ(error.path(), "standard input");
        EXPECT_STREQ(error.what(),
                     "line 2 holds a NUL character; a list of names ending in NUL (find -print0) "
                     "needs -0");
    }
}

// Left out of a folder's captures: only a results file of an earlier run.
TEST(NameList, OnlyEarlierOutputsAreLeftOut) {
    testing::TempDir dir;
    testing::WriteText(dir.File("results.csv"), "File, Lo Temp\r\nrun1.csv, 1\r\n");
    testing::WriteText(dir.File("capture.csv"), "grab\r\n");
    EXPECT_TRUE(EarlierOutput(dir.File("results.csv"), "File, Lo Temp\r\n"));
    EXPECT_TRUE(EarlierOutput(dir.File("new.csv"), "File, Lo Temp"));
    EXPECT_FALSE(EarlierOutput(dir.File("capture.csv"), "File, Lo Temp"));
    EXPECT_FALSE(EarlierOutput(dir.File("results.csv"), "File, Lo Temp, Hi Temp, RPM"));
    testing::WriteText(dir.File("near.csv"), "File, Lo Tem?\r\n");
    EXPECT_FALSE(EarlierOutput(dir.File("near.csv"), "File, Lo Temp\r\n"));
}

// A link that leads nowhere is listed (the batch then says "File not found");
// a sub-folder that cannot be read is named itself, not the folder given.
TEST_F(CaptureFolder, DanglingLinksAndUnreadableSubFolders) {
    fs::create_symlink(dir.File("gone.csv"), dir.File("dangling.csv"));
    const std::vector<std::string> found = CaptureFilesInFolder(dir.path().string(), false);
    EXPECT_NE(std::find(found.begin(), found.end(), dir.File("dangling.csv")), found.end());
    fs::create_directories(dir.File("locked/inner"));
    fs::permissions(dir.File("locked"), fs::perms::owner_write | fs::perms::owner_exec);
    fs::permissions(dir.path(), fs::perms::all);
    const int outcome = testing::OutcomeAsOrdinaryUser([&] {
        try {
            CaptureFilesInFolder(dir.path().string(), true);
        } catch (const InputReadError& error) {
            return error.path() == dir.File("locked") ? 0 : 2;
        }
        return 1;
    });
    fs::permissions(dir.File("locked"), fs::perms::owner_all);
    EXPECT_EQ(outcome, 0) << "1: read, 2: another folder named, 3: no user switch";
}

}  // namespace
}  // namespace corvane::files
