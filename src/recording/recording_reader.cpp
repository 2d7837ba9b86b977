#include "recording/recording_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "files/file_error.h"
#include "recording/recording_error.h"

namespace corvane::recording {

namespace {

std::string PathOf(const std::string& folder, const char* name) {
    return (std::filesystem::path(folder) / name).string();
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw RecordingError(path + ": " + files::FileErrorText(errno, files::FileAccess::Read));
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw RecordingError(path + ": Disk read error");
    return text;
}

// Every whole line after the header as `parse` takes it; a line it refuses
// names the file and line.
template <typename Row, typename Parse>
std::vector<Row> ReadRows(const std::string& path, std::string_view header, Parse parse,
                          std::string_view olderHeader = {}) {
    const std::string text = ReadWhole(path);
    auto lines = WholeLines(text, header);
    // Recordings made before a column was added still open.
    if (!lines && !olderHeader.empty()) lines = WholeLines(text, olderHeader);
    if (!lines) {
        // A crash right after the file was made may have left its header torn.
        if (header.starts_with(text)) return {};
        throw RecordingError(path + ": line 1 is not the header " +
                             std::string(header.substr(0, header.size() - 1)));
    }
    std::vector<Row> rows;
    rows.reserve(lines->size());
    for (std::size_t i = 0; i < lines->size(); ++i) {
        auto row = parse((*lines)[i]);
        if (!row) {
            throw RecordingError(path + ": line " + std::to_string(i + 2) + " cannot be read");
        }
        rows.push_back(std::move(*row));
    }
    return rows;
}

}  // namespace

RecordingContents ReadRecording(const std::string& folder) {
    RecordingContents contents;
    contents.manifest = ParseManifest(ReadWhole(PathOf(folder, kManifestFile)));
    contents.scans = SampleFile(folder, contents.manifest.format).Scans();
    contents.cycles = ReadRows<CycleRow>(PathOf(folder, kCyclesFile), kCyclesHeader,
                                         [](std::string_view line) { return ParseCycleLine(line); },
                                         kCyclesHeaderWithoutSteady);
    contents.events = ReadRows<Event>(PathOf(folder, kEventsFile), kEventsHeader,
                                      [](std::string_view line) { return ParseEventLine(line); });
    contents.chosen = ReadChosenStretches(folder);
    return contents;
}

SampleFile::SampleFile(const std::string& folder, const daq::StreamFormat& format)
    : path_(PathOf(folder, kSamplesFile)), channels_(format.Channels()) {
    fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        throw RecordingError(path_ + ": " + files::FileErrorText(errno, files::FileAccess::Read));
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        const int error = errno;
        ::close(fd_);
        throw RecordingError(path_ + ": " + files::FileErrorText(error, files::FileAccess::Read));
    }
    // A scan torn by a crash is not a scan.
    scans_ = static_cast<std::uint64_t>(info.st_size) / (2 * static_cast<std::uint64_t>(channels_));
}

SampleFile::~SampleFile() { ::close(fd_); }

std::vector<std::uint16_t> SampleFile::Read(std::uint64_t first, std::uint64_t count) const {
    if (first >= scans_) return {};
    count = std::min(count, scans_ - first);
    const std::size_t values = static_cast<std::size_t>(count) * static_cast<std::size_t>(channels_);
    std::vector<unsigned char> bytes(2 * values);
    std::size_t done = 0;
    const auto offset = static_cast<off_t>(2 * first * static_cast<std::uint64_t>(channels_));
    while (done < bytes.size()) {
        const ssize_t got = ::pread(fd_, bytes.data() + done, bytes.size() - done,
                                    offset + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) throw RecordingError(path_ + ": Disk read error");
        done += static_cast<std::size_t>(got);
    }
    std::vector<std::uint16_t> counts(values);
    for (std::size_t i = 0; i < values; ++i) {
        counts[i] = static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return counts;
}

bool IsLostScan(std::span<const std::uint16_t> scan) {
    return std::all_of(scan.begin(), scan.end(),
                       [](std::uint16_t count) { return count == kLostScanCount; });
}

}  // namespace corvane::recording
