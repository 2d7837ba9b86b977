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

// The folder may be missing or an empty folder; anything else is kept.
void CheckFree(const std::string& folder) {
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0) {
        if (errno == ENOENT) return;
        throw RecordingError(folder + ": " + WriteErrorText(errno));
    }
    std::error_code ignored;
    if (S_ISDIR(status.st_mode) && std::filesystem::is_empty(folder, ignored)) return;
    throw RecordingError(folder + ": already exists and is not an empty folder");
}

// A folder of its own beside `folder` ("RUN.new-PID-N"), where the recording
// is begun.
std::string CreateBeside(const std::string& folder) {
    for (int attempt = 0;; ++attempt) {
        std::string name =
            folder + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        if (::mkdir(name.c_str(), 0777) == 0) return name;
        if (errno != EEXIST || attempt == 99)
            throw RecordingError(folder + ": " + WriteErrorText(errno));
    }
}

std::string WithoutTrailingSlashes(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

// Puts the folder's new entry (a rename into it) on the disk, so that a power
// cut does not take the recording's name away again. A file system that
// refuses to flush a folder leaves it to the system's own time.
void FlushParentOf(const std::string& folder) {
    std::filesystem::path parent = std::filesystem::path(folder).parent_path();
    if (parent.empty()) parent = ".";
    const int fd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

void AppendCount(std::string& bytes, std::uint16_t count) {
    bytes += static_cast<char>(count & 0xFF);  // little-endian on every machine
    bytes += static_cast<char>(count >> 8);
}

}  // namespace

// The recording is begun beside the folder and takes its name only once its
// manifest and headers are there, so a folder by that name always opens,
// whenever the program is killed.
RecordingWriter::RecordingWriter(const std::string& folder, Manifest manifest)
    : manifest_(std::move(manifest)) {
    const std::string target = WithoutTrailingSlashes(folder);
    CheckFree(target);
    folder_ = CreateBeside(target);
    try {
        WriteManifest();
        Open(samples_, kSamplesFile, "");
        Open(cycles_, kCyclesFile, kCyclesHeader);
        Open(events_, kEventsFile, kEventsHeader);
        Flush();
        MoveInto(target);
    } catch (...) {
        CloseFiles();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        throw;
    }
}

RecordingWriter::~RecordingWriter() { CloseFiles(); }

void RecordingWriter::CloseFiles() {
    for (Output* output : {&samples_, &cycles_, &events_}) {
        if (output->fd >= 0) ::close(output->fd);
        output->fd = -1;
    }
}

// Takes the place of an empty folder of that name, never of anything else.
void RecordingWriter::MoveInto(const std::string& folder) {
    if (::rename(folder_.c_str(), folder.c_str()) != 0) {
        const int error = errno;
        if (error == ENOTEMPTY || error == EEXIST || error == ENOTDIR)
            throw RecordingError(folder + ": already exists and is not an empty folder");
        throw RecordingError(folder + ": " + WriteErrorText(error));
    }
    FlushParentOf(folder);
    folder_ = folder;
    for (Output* output : {&samples_, &cycles_, &events_})
        output->path = (std::filesystem::path(folder_) /
                        std::filesystem::path(output->path).filename())
                           .string();
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
