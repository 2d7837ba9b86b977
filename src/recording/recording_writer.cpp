#include "recording/recording_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "files/atomic_file.h"
#include "files/file_error.h"
#include "recording/recording_error.h"

namespace corvane::recording {

namespace {

constexpr std::uint16_t kLostCount = 0xFFFF;

std::string WriteErrorText(int error) {
    return files::FileErrorText(error, files::FileAccess::Write);
}

void CreateFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0777) == 0) return;
    const int error = errno;
    std::error_code ignored;
    if (error == EEXIST && std::filesystem::is_directory(folder, ignored) &&
        std::filesystem::is_empty(folder, ignored)) {
        return;
    }
    if (error == EEXIST) {
        throw RecordingError(folder + ": already exists and is not an empty folder");
    }
    throw RecordingError(folder + ": " + WriteErrorText(error));
}

void AppendCount(std::string& bytes, std::uint16_t count) {
    bytes += static_cast<char>(count & 0xFF);  // little-endian on every machine
    bytes += static_cast<char>(count >> 8);
}

}  // namespace

RecordingWriter::RecordingWriter(const std::string& folder, Manifest manifest)
    : folder_(folder), manifest_(std::move(manifest)) {
    CreateFolder(folder_);
    WriteManifest();
    Open(samples_, kSamplesFile, "");
    Open(cycles_, kCyclesFile, kCyclesHeader);
    Open(events_, kEventsFile, kEventsHeader);
    Flush();
}

RecordingWriter::~RecordingWriter() {
    for (Output* output : {&samples_, &cycles_, &events_}) {
        if (output->fd >= 0) ::close(output->fd);
    }
}

void RecordingWriter::Open(Output& output, const char* name, std::string_view header) {
    output.path = (std::filesystem::path(folder_) / name).string();
    output.fd = ::open(output.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC,
                       0666);
    if (output.fd < 0) throw RecordingError(output.path + ": " + WriteErrorText(errno));
    output.buffer = header;
}

void RecordingWriter::AddScans(std::span<const std::uint16_t> counts) {
    samples_.buffer.reserve(samples_.buffer.size() + 2 * counts.size());
    for (const std::uint16_t count : counts) AppendCount(samples_.buffer, count);
    scans_ += counts.size() / static_cast<std::size_t>(manifest_.format.Channels());
}

void RecordingWriter::AddLostScans(std::uint64_t scans) {
    const std::uint64_t channels = static_cast<std::uint64_t>(manifest_.format.Channels());
    for (std::uint64_t i = 0; i < scans * channels; ++i) {
        AppendCount(samples_.buffer, kLostCount);
        // A long gap goes out in pieces rather than as one huge buffer.
        if (samples_.buffer.size() >= (1u << 20)) Write(samples_);
    }
    scans_ += scans;
}

void RecordingWriter::AddCycle(const CycleRow& row) { cycles_.buffer += CycleLine(row); }

void RecordingWriter::AddEvent(const Event& event) { events_.buffer += EventLine(event); }

void RecordingWriter::Write(Output& output) {
    std::string_view rest = output.buffer;
    while (!rest.empty() && !output.failed) {
        const ssize_t written = ::write(output.fd, rest.data(), rest.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) {
            output.failed = true;
            const int error = errno;
            output.buffer.clear();
            throw RecordingError(output.path + ": " + WriteErrorText(error));
        }
        bytes_ += static_cast<std::uint64_t>(written);
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    output.buffer.clear();
}

void RecordingWriter::Flush() {
    // Events first: a full disk still has the best chance to take its note.
    for (Output* output : {&events_, &cycles_, &samples_}) Write(*output);
}

void RecordingWriter::Sync() {
    Flush();
    for (Output* output : {&samples_, &cycles_, &events_}) {
        if (::fsync(output->fd) != 0) {
            throw RecordingError(output->path + ": " + WriteErrorText(errno));
        }
    }
    WriteManifest();
}

void RecordingWriter::WriteManifest() {
    manifest_.scans = scans_;
    const std::string path = (std::filesystem::path(folder_) / kManifestFile).string();
    try {
        files::ReplaceFileContents(path, ManifestText(manifest_));
    } catch (const files::FileError& error) {
        throw RecordingError(path + ": " + error.what());
    }
}

}  // namespace corvane::recording
