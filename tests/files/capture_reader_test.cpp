#include "files/capture_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "files/capture_import.h"
#include "files/file_error.h"
#include "temp_dir.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/number_format.h"

namespace corvane::files {
namespace {

using analysis::CaptureRecord;
using analysis::DiskTable;
using testing::TempDir;
using testing::WriteText;

const std::string kGrabHead =
    "grab\r\nPressure, Tachometer, Low Temp, High Temp, Resistor Power\r\n";
const std::string kDynaHead =
    "dyna\r\nPressure, Tachometer, Low Temp, High Temp, Resistor Power, Flywheel Mass, "
    "Flywheel Diameter\r\n";
const std::string kGrabLine1 =
    " 1.00000000000000E-0003, 1.23046875000000E+0000, 4.49707031250000E+0000,295.3,352.8,3.6";
const std::string kGrabLine2 =
    " 2.00000000000000E-0003, 1.25976562500000E+0000, 4.49218750000000E+0000";
const std::string kGrabLine3 =
    " 3.00000000000000E-0003,-4.88281250000000E-0003, 4.49218750000000E+0000";

// A record as the preparation leaves it, with recognisable earlier contents.
std::unique_ptr<CaptureRecord> PreparedRecord() {
    auto record = std::make_unique<CaptureRecord>();
    record->RawSamples.fill(7);
    record->SampleCount = 1234;
    record->SamplePeriod = 0.5;
    record->LoTemp = 1.0;
    record->HiTemp = 2.0;
    record->ResistorPower = 3.0;
    return record;
}

DiskTable FiveRows(const std::string& fill = "") { return DiskTable(5, {fill, fill, fill}); }

struct Imported {
    std::unique_ptr<CaptureRecord> record = PreparedRecord();
    DiskTable disks = FiveRows("old");
};

Imported ReadCapture(const std::string& text) {
    Imported result;
    ReadCaptureData(CheckCaptureKind(text), *result.record, result.disks);
    return result;
}

std::string MessageOf(const std::string& text) {
    try {
        ReadCapture(text);
    } catch (const std::exception& error) {
        return error.what();
    }
    return "(no error)";
}

// With standard input closed (as some schedulers start a batch), a file is
// opened as descriptor 0: it is read like any other.
TEST(ReadInPieces, AFileOpenedAsDescriptorZeroIsRead) {
    testing::TempDir dir;
    testing::WriteText(dir.File("a.csv"), "Grab\r\n");
    const int savedInput = ::dup(0);
    ASSERT_GE(savedInput, 0);
    ::close(0);
    std::string text(16, '\0'), error;
    std::size_t got = 0;
    try {
        got = ReadInPieces(dir.File("a.csv"), Kinds::Files)(text.data(), text.size());
    } catch (const FileError& e) {
        error = e.what();
    }
    ::dup2(savedInput, 0);
    ::close(savedInput);
    EXPECT_EQ(error, "");
    EXPECT_EQ(text.substr(0, got), "Grab\r\n");
}

TEST(CaptureReader, GrabExampleLines) {
    const auto got =
        ReadCapture(kGrabHead + kGrabLine1 + "\r\n" + kGrabLine2 + "\r\n" + kGrabLine3 + "\r\n");
    const CaptureRecord& r = *got.record;
    EXPECT_FALSE(r.IsDyna);
    EXPECT_EQ(r.SampleCount, 6);
    const std::uint16_t expected[] = {2300, 2969, 2306, 2968, 2047, 2968};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(r.RawSamples[i], expected[i]) << i;
    EXPECT_EQ(r.RawSamples[6], 7) << "entries beyond the file keep earlier values";
    EXPECT_DOUBLE_EQ(r.LoTemp, 295.3);
    EXPECT_DOUBLE_EQ(r.HiTemp, 352.8);
    EXPECT_DOUBLE_EQ(r.ResistorPower, 3.6);
    EXPECT_EQ(r.SamplePeriod, 0.001);
    EXPECT_EQ(got.disks, FiveRows("old")) << "a grab file leaves the disk table alone";
}

TEST(CaptureReader, LineEndVariantsReadTheSame) {
    const std::string crlf = kGrabHead + kGrabLine1 + "\r\n" + kGrabLine2 + "\r\n";
    const auto reference = ReadCapture(crlf);
    const std::string variants[] = {
        "grab\nPressure\n" + kGrabLine1 + "\n" + kGrabLine2 + "\n",  // LF only
        kGrabHead + kGrabLine1 + "\r\n" + kGrabLine2,                // no final line end
        kGrabHead + kGrabLine1 + "\r\n" + kGrabLine2 +
            "\r\n\x1A"
            "junk\r\n",                                                                 // Ctrl+Z
        kGrabHead + kGrabLine1 + "\r\n 2.0E-0003, 1.2597\r65625E+0000, 4.4921875\r\n",  // lone CRs
    };
    for (const auto& text : variants) {
        const auto got = ReadCapture(text);
        EXPECT_EQ(got.record->SampleCount, 4);
        EXPECT_EQ(got.record->RawSamples, reference.record->RawSamples);
    }
}

TEST(CaptureReader, FieldsMayCarryLeadingCommasAndBlanks) {
    const auto got = ReadCapture(kGrabHead + ",, 1.0E-3 ,,  1.25 , -0.5E0,295.3,352.8,0\r\n");
    EXPECT_EQ(got.record->SampleCount, 2);
    EXPECT_EQ(got.record->RawSamples[0], 2304);
    EXPECT_EQ(got.record->RawSamples[1], 1946);
    EXPECT_EQ(got.record->ResistorPower, 0.0);
}

TEST(CaptureReader, HeaderOnlyFilesKeepThePreparedMonitorValues) {
    for (const std::string& text :
         {std::string("grab"), std::string("grab\r\n"), kGrabHead, kDynaHead}) {
        const auto got = ReadCapture(text);
        EXPECT_EQ(got.record->SampleCount, 0) << text;
        EXPECT_EQ(got.record->LoTemp, 1.0);
        EXPECT_EQ(got.record->HiTemp, 2.0);
        EXPECT_EQ(got.record->ResistorPower, 3.0);
        EXPECT_EQ(got.record->SamplePeriod, text.rfind("dyna", 0) == 0 ? 0.00125 : 0.001);
    }
}

TEST(CaptureReader, KindLineMustBeExact) {
    for (const std::string text :
         {"Grab\r\n", "grab \r\n", " grab\r\n", "GRAB\r\n", "dynamo\r\n", "", "\r\n",
          "\x1A"
          "grab\r\n",
          "grab,\r\n"}) {
        EXPECT_EQ(MessageOf(text), "Input file is neither \"grab\" nor \"dyna\"!") << text;
    }
    EXPECT_EQ(CheckCaptureKind("grab\r\n").kind, CaptureKind::Grab);
    EXPECT_EQ(CheckCaptureKind("dyna\n").kind, CaptureKind::Dyna);
    EXPECT_EQ(CheckCaptureKind("dyna").kind, CaptureKind::Dyna);
}

// Spreadsheet programs put a UTF-8 byte-order mark before "grab"; UTF-16
// looks like "grab" on screen too, but is named as what it is.
TEST(CaptureReader, ByteOrderMarksAndUtf16) {
    const std::string body = kGrabLine1 + "\r\n" + kGrabLine2 + "\r\n";
    const auto plain = ReadCapture(kGrabHead + body);
    const auto marked = ReadCapture("\xEF\xBB\xBF" + kGrabHead + body);
    EXPECT_EQ(marked.record->SampleCount, 4);
    EXPECT_EQ(marked.record->RawSamples, plain.record->RawSamples);
    EXPECT_EQ(CheckCaptureKind("\xEF\xBB\xBF" "dyna\r\n").kind, CaptureKind::Dyna);
    const std::string utf16 =
        "Input file is neither \"grab\" nor \"dyna\"! It is UTF-16 text: save it as UTF-8 or "
        "ANSI text.";
    for (const std::string& text : {std::string("\xFF\xFEg\0r\0a\0b\0\r\0\n\0", 14),
                                   std::string("\xFE\xFF\0d\0y\0n\0a\0\r\0\n", 14),
                                   std::string("g\0r\0a\0b\0\r\0\n\0", 12)}) {
        EXPECT_EQ(MessageOf(text), utf16);
    }
    EXPECT_EQ(MessageOf(std::string("gr\0ab-\r\n", 8)),
              "Input file is neither \"grab\" nor \"dyna\"!");
}

TEST(CaptureReader, BadFieldsNameTheirText) {
    struct Case {
        const char* name;
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"letters", kGrabHead + " 1E-3,abc, 1.0,1,2,3\r\n",
         "'abc' is not a valid floating point value"},
        {"missing tachometer", kGrabHead + " 1E-3, 1.0\r\n",
         "'' is not a valid floating point value"},
        {"missing monitor value", kGrabHead + " 1E-3, 1.0, 2.0,295.3,352.8\r\n",
         "'' is not a valid floating point value"},
        {"grouped temperature", kGrabHead + " 1E-3, 1.0, 2.0,1 234.5,352.8,3.6\r\n",
         "'1 234.5' is not a valid floating point value"},
        {"stray character", kGrabHead + " 1E-3, 1.0, 2.0,295.3,352.8,3.6\r\n 2E-3, 1.0, 2;5\r\n",
         "' 2;5' is not a valid floating point value"},
        {"empty line", kGrabHead + kGrabLine1 + "\r\n\r\n" + kGrabLine2 + "\r\n",
         "'' is not a valid floating point value"},
        {"trailing empty line", kGrabHead + kGrabLine1 + "\r\n\r\n",
         "'' is not a valid floating point value"},
        {"dyna monitor", kDynaHead + " 1E-3, 1.0,x,2,3\r\n",
         "'x' is not a valid floating point value"},
        {"NUL inside",
         kGrabHead + std::string(" 1E-3, 4.5\0"
                                 "06, 1.0,1,2,3\r\n",
                                 26),
         "' 4.5\\006' is not a valid floating point value"},
        {"tab and escape", kGrabHead + " 1E-3,\t4.5\x1B, 1.0,1,2,3\r\n",
         "'\\t4.5\\x1B' is not a valid floating point value"},
        {"count above 65535", kGrabHead + " 1E-3, 310.0, 1.0,1,2,3\r\n", "Range check error"},
        {"count below 0", kGrabHead + " 1E-3,-10.01, 1.0,1,2,3\r\n", "Range check error"},
    };
    for (const auto& c : cases) EXPECT_EQ(MessageOf(c.text), c.message) << c.name;
}

std::string GrabLines(int lines) {
    std::string text = kGrabHead + kGrabLine1 + "\r\n";
    for (int i = 1; i < lines; ++i) text += kGrabLine2 + "\r\n";
    return text;
}

std::string DynaLines(int lines) {
    std::string text = kDynaHead + " 1E-3, 4.5,296.1,360.4,3.6,250, 100\r\n";
    for (int i = 1; i < lines; ++i) text += " 2E-3, 4.4921875\r\n";
    return text;
}

TEST(CaptureReader, SampleTableHolds4097Values) {
    EXPECT_EQ(ReadCapture(GrabLines(2048)).record->SampleCount, 4096);
    EXPECT_EQ(MessageOf(GrabLines(2049)), "Range check error");
    EXPECT_EQ(ReadCapture(DynaLines(4001)).record->SampleCount, 4001);
    EXPECT_EQ(ReadCapture(DynaLines(4097)).record->SampleCount, 4097);
    EXPECT_EQ(MessageOf(DynaLines(4098)), "Range check error");
}

TEST(CaptureReader, DynaRestoresDiskRowsFromTheFirstFiveLines) {
    const std::string text = kDynaHead +
                             " 1E-3, 4.5,296.1,360.4,3.6,250, 100\r\n"
                             " 2E-3, 4.5, , , , 120, 50\r\n"
                             " 3E-3, 4.5, , , , , \r\n"
                             " 4E-3, 4.5, , , , , \r\n"
                             " 5E-3, 4.5, , , , 7, 8\r\n"
                             " 6E-3, 4.5, , , , 9, 10\r\n"
                             " 7E-3, 0.3\r\n";
    const auto got = ReadCapture(text);
    EXPECT_TRUE(got.record->IsDyna);
    EXPECT_EQ(got.record->SampleCount, 7);
    EXPECT_EQ(got.record->RawSamples[6], 2109);
    EXPECT_DOUBLE_EQ(got.record->LoTemp, 296.1);
    EXPECT_DOUBLE_EQ(got.record->HiTemp, 360.4);
    EXPECT_DOUBLE_EQ(got.record->ResistorPower, 3.6);
    const DiskTable expected = {
        {"250", " 100", "old"}, {" 120", " 50", "old"}, {" ", " ", "old"},
        {" ", " ", "old"},      {" 7", " 8", "old"},
    };
    EXPECT_EQ(got.disks, expected) << "column 2 is not recomputed; line 6 adds a sample only";
}

TEST(CaptureReader, DynaShorterThanTheTableLeavesLaterRows) {
    const auto got = ReadCapture(kDynaHead + " 1E-3, 4.5,1,2,3,5, 6\r\n 2E-3, 4.5\r\n");
    const DiskTable expected = {
        {"5", " 6", "old"},    {"", "", "old"},       {"old", "old", "old"},
        {"old", "old", "old"}, {"old", "old", "old"},
    };
    EXPECT_EQ(got.disks, expected);
}

TEST(CaptureReader, PeriodComesFromTheTimeColumn) {
    struct Case {
        std::string time;
        double period;
    };
    const Case cases[] = {
        {" 1.00000000000000E-0003", 0.001},
        {" 1.25000000000000E-0003", 0.00125},
        {" 2.0E-0003", 0.002},
        {" 0.00000000000000E+0000", 0.00125},
        {"-1.0E-0003", 0.00125},
        {"junk", 0.00125},
        {" 1E99999", 0.00125},
    };
    for (const auto& c : cases) {
        const auto got = ReadCapture(kDynaHead + c.time + ", 4.5,1,2,3,,\r\n");
        EXPECT_EQ(got.record->SamplePeriod, c.period) << c.time;
    }
    EXPECT_EQ(ReadCapture(kGrabHead + "x, 1.0, 2.0,1,2,3\r\n").record->SamplePeriod, 0.001);
}

// Whatever a file holds, reading it takes little memory: it is refused once it
// is longer than any capture the record can hold. The files are sparse (no
// disk space) and 512 MB long; a reader that read them whole would need that
// much memory, and /dev/zero never ends.
TEST(ImportCaptureFile, MemoryStaysBoundedWhateverTheFileHolds) {
    TempDir dir;
    constexpr off_t kHuge = off_t{512} << 20;
    constexpr long kBoundKiB = 128 * 1024;
    const std::string wrongKind = "Input file is neither \"grab\" nor \"dyna\"!";
    struct Case {
        const char* name;
        std::string path;
        std::string head;  // written before the NULs
        std::string message;
    };
    const std::vector<Case> cases = {
        {"nothing but NULs", dir.File("nuls.csv"), "", wrongKind},
        {"a kind line without end", dir.File("kind.csv"), "dyna", wrongKind},
        {"an endless caption line", dir.File("caption.csv"), "grab\r\n", "Range check error"},
        {"an endless data line", dir.File("data.csv"), kGrabHead + kGrabLine1 + "\r\n",
         "Range check error"},
        // A device is refused before anything is read from it.
        {"/dev/zero", "/dev/zero", "", kNotAFile},
    };
    for (const Case& c : cases) {
        if (c.path != "/dev/zero") {
            WriteText(c.path, c.head);
            ASSERT_EQ(::truncate(c.path.c_str(), kHuge), 0);
        }
        // 0: refused with the message; 1: another outcome; 2: out of memory.
        const testing::ChildRun run = testing::RunInChild(
            [&] {
                try {
                    auto record = PreparedRecord();
                    DiskTable disks = FiveRows();
                    ImportCaptureFile(c.path, *record, disks, {});
                } catch (const std::bad_alloc&) {
                    return 2;
                } catch (const std::exception& error) {
                    return error.what() == c.message ? 0 : 1;
                }
                return 1;
            },
            std::size_t{1} << 30);
        EXPECT_EQ(run.exitCode, 0) << c.name;
        EXPECT_LT(run.peakKiB, kBoundKiB) << c.name;
    }
}

TEST(ImportCaptureFile, FailuresLeaveTheCaptureAsItWas) {
    TempDir dir;
    const std::string bad = dir.File("bad.csv");
    WriteText(bad, kGrabHead + kGrabLine1 + "\r\n" + kGrabLine2 + "\r\n 3E-3,oops, 1.0\r\n");
    auto record = PreparedRecord();
    const CaptureRecord before = *record;
    DiskTable disks = FiveRows("old");
    bool prepared = false;
    EXPECT_THROW(ImportCaptureFile(bad, *record, disks,
                                   [&](CaptureKind, CaptureRecord& working) {
                                       prepared = true;
                                       working.LoTemp = 99.0;
                                   }),
                 ConvertError);
    EXPECT_TRUE(prepared);
    EXPECT_EQ(record->RawSamples, before.RawSamples);
    EXPECT_EQ(record->SampleCount, before.SampleCount);
    EXPECT_EQ(record->LoTemp, before.LoTemp);
    EXPECT_EQ(record->SamplePeriod, before.SamplePeriod);
    EXPECT_EQ(disks, FiveRows("old"));
}

TEST(ImportCaptureFile, KindAndOpenErrorsComeBeforeThePreparation) {
    TempDir dir;
    WriteText(dir.File("wrong.csv"), "Grab\r\n");
    auto record = PreparedRecord();
    DiskTable disks = FiveRows();
    int prepared = 0;
    auto prepare = [&](CaptureKind, CaptureRecord&) { ++prepared; };
    try {
        ImportCaptureFile(dir.File("missing.csv"), *record, disks, prepare);
        ADD_FAILURE() << "a missing file imported";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "File not found");
    }
    EXPECT_THROW(ImportCaptureFile(dir.File("wrong.csv"), *record, disks, prepare), WrongKindError);
    EXPECT_THROW(ImportCaptureFile(dir.path().string(), *record, disks, prepare), FileError);
    EXPECT_EQ(prepared, 0);
}

TEST(ImportCaptureFile, SuccessCommitsRecordAndDisks) {
    TempDir dir;
    WriteText(dir.File("d.csv"), kDynaHead + " 1E-3, 4.5,296.1,360.4,3.6,250, 100\r\n");
    auto record = PreparedRecord();
    DiskTable disks = FiveRows();
    CaptureKind seen = CaptureKind::Grab;
    const CaptureKind kind = ImportCaptureFile(
        dir.File("d.csv"), *record, disks, [&](CaptureKind k, CaptureRecord& working) {
            seen = k;
            EXPECT_TRUE(working.IsDyna) << "the kind is set before the preparation";
        });
    EXPECT_EQ(kind, CaptureKind::Dyna);
    EXPECT_EQ(seen, CaptureKind::Dyna);
    EXPECT_TRUE(record->IsDyna);
    EXPECT_EQ(record->SampleCount, 1);
    EXPECT_EQ(record->SamplePeriod, 0.001);
    EXPECT_EQ(disks[0][0], "250");
    EXPECT_EQ(disks[0][1], " 100");
}

// Lines laid out as the writer writes them are read at fixed places; every
// other layout must still give what the fields, counted as ExtractField
// counts them, give (or fail as they fail).
TEST(CaptureReader, LinesOfAnyLayoutReadAsTheirFieldsSay) {
    const std::string t = " 2.00000000000000E-0003";
    const std::string p = " 1.25976562500000E+0000";
    const std::string k = "-4.88281250000000E-0003";
    const std::string lines[] = {
        t + "," + p + "," + k,                          // as written
        t + "," + p + "," + k + ",",                    // a comma after the last field
        t + "," + p + "," + k + ",extra,9",             // further fields
        "," + t + "," + p + "," + k,                    // a leading comma
        t + ",," + p + "," + k,                         // a run of commas
        " 2.000000000,0000E-0003," + p + "," + k,       // a comma inside the time
        t + "," + p + "," + k.substr(0, 22),            // a shorter last field
        t + "," + p + "," + k + "0",                    // a longer one
        t + "," + " 1.25976562500000e+0000" + "," + k,  // a lower-case exponent
        t + "," + p + "," + "1.5,2.5",                  // short fields
        t + ", 1.2597656250000,E+0000," + k,            // a comma inside a sample
        t + "," + p,                                    // too few fields
        t + "," + p + "," + " 9.99999999999999E+0022",  // out of range
    };
    for (const std::string& line : lines) {
        for (const bool dyna : {false, true}) {
            const std::string head = dyna ? kDynaHead : kGrabHead;
            const std::string first =
                dyna ? " 1.00000000000000E-0003, 1.23046875000000E+0000,1,2,3" : kGrabLine1;
            // The plain rule: field 2 (and 3 for a grab) of the line by TextToCount.
            std::vector<std::uint16_t> expected;
            std::string expectedError;
            try {
                for (int field = 2; field <= (dyna ? 2 : 3); ++field) {
                    expected.push_back(
                        text::TextToCount(ExtractField(line, field), text::PointOnly()));
                }
            } catch (const std::exception& error) {
                expectedError = error.what();
            }
            std::string error;
            Imported read;
            try {
                read = ReadCapture(head + first + "\r\n" + line + "\r\n" + line + "\r\n");
            } catch (const std::exception& e) {
                error = e.what();
            }
            EXPECT_EQ(error, expectedError) << line;
            if (!expectedError.empty()) continue;
            const std::size_t perLine = expected.size();
            ASSERT_EQ(read.record->SampleCount, static_cast<int>(3 * perLine)) << line;
            for (std::size_t i = 0; i < perLine; ++i) {
                EXPECT_EQ(read.record->RawSamples[perLine + i], expected[i]) << line;
                EXPECT_EQ(read.record->RawSamples[2 * perLine + i], expected[i]) << line;
            }
        }
    }
}

}  // namespace
}  // namespace corvane::files
