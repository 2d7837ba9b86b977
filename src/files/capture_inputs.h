#pragma once
// The capture files a batch is given: names of files, folders whose capture
// files it takes, and lists of names (a list holds any number of them, where
// a command line holds a few thousand).

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_error.h"

namespace corvane::files {

// A folder or a list of names that cannot be read; what() is the plain
// message ("File access denied"), path() the folder or list it concerns.
class InputReadError : public FileError {
public:
    InputReadError(std::string path, const std::string& message)
        : FileError(message), path_(std::move(path)) {}
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The capture files of a folder: what "FOLDER/*.csv" matches in a shell, the
// extension in any case (.CSV, .csv, ...), so neither hidden files (a name
// starting with a point) nor sub-folders; with `recursive`, also those of its
// sub-folders and theirs (not hidden ones, and not through links to folders),
// each sub-folder's in place of its name. In name order, byte by byte. The
// files `leaveOut` names (the results and details files; compared by name,
// links followed, so that a batch over a folder never reads its own results)
// are left out.
// Throws InputReadError for a folder (or sub-folder) that cannot be read.
std::vector<std::string> CaptureFilesInFolder(const std::string& folder, bool recursive,
                                              const std::vector<std::string>& leaveOut = {});

// Each name as it is, except that a folder gives CaptureFilesInFolder.
std::vector<std::string> CaptureFilesOf(const std::vector<std::string>& names, bool recursive,
                                        const std::vector<std::string>& leaveOut = {});

// How the names of a list end: at a line end, or at a NUL (find -print0, xargs -0).
enum class NameSeparator { Line, Nul };

// The names of a list, one a line (LF or CR LF); empty lines are skipped, and
// nothing else is changed (blanks belong to the name). A line holding a NUL
// is an error naming its line (a NUL-separated list read as lines). With
// NameSeparator::Nul each name ends at a NUL instead. `name` names the list
// in the InputReadError thrown when it cannot be read.
std::vector<std::string> ReadNameList(std::istream& list, const std::string& name,
                                      NameSeparator separator = NameSeparator::Line);
// The same from a file. Throws InputReadError ("File not found", ...).
std::vector<std::string> ReadNameListFile(const std::string& path,
                                          NameSeparator separator = NameSeparator::Line);

// Whether a file a batch is to write may be left out of its folders' capture
// files: it does not exist yet, or it begins with `header` (the results of an
// earlier run). Any other file, a capture above all, stays in, so that the
// batch refuses to replace it.
bool EarlierOutput(const std::string& path, std::string_view header);

}  // namespace corvane::files
