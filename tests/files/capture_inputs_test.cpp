// The capture files a batch is given by folder and by list.

#include "files/capture_inputs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

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

}  // namespace
}  // namespace corvane::files
