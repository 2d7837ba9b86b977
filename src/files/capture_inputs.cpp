#include "files/capture_inputs.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "files/file_error.h"

namespace corvane::files {

namespace {

namespace fs = std::filesystem;

bool IsHidden(const fs::path& path) {
    const std::string name = path.filename().string();
    return !name.empty() && name[0] == '.';
}

bool HasCaptureExtension(const fs::path& path) {
    const std::string extension = path.extension().string();
    return extension.size() == 4 && extension[0] == '.' &&
           (extension[1] == 'c' || extension[1] == 'C') &&
           (extension[2] == 's' || extension[2] == 'S') &&
           (extension[3] == 'v' || extension[3] == 'V');
}

// Byte order with the folder separator below every other character: a
// folder's files and sub-folders in the order of their names, each
// sub-folder's files where its name stands.
bool InNameOrder(const std::string& a, const std::string& b) {
    const auto key = [](char c) { return c == '/' ? 0 : static_cast<unsigned char>(c) + 1; };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return key(x) < key(y); });
}

[[noreturn]] void Unreadable(const fs::filesystem_error& error, const std::string& folder) {
    const std::string path = error.path1().empty() ? folder : error.path1().string();
    throw InputReadError(path, FileErrorText(error.code().value(), FileAccess::Read));
}

fs::path Normalised(const std::string& name) {
    std::error_code error;
    fs::path path = fs::weakly_canonical(name, error);
    return error ? fs::absolute(name, error).lexically_normal() : path;
}

}  // namespace

std::vector<std::string> CaptureFilesInFolder(const std::string& folder, bool recursive,
                                              const std::vector<std::string>& leaveOut) {
    const fs::path root(folder);
    const fs::path realRoot = Normalised(folder);
    std::vector<fs::path> skip;
    for (const std::string& name : leaveOut) {
        if (!name.empty()) skip.push_back(Normalised(name));
    }
    std::vector<std::string> found;
    // Regular files are known from the folder's own listing; only links and
    // file systems that do not say cost a look of their own.
    const auto take = [&](const fs::directory_entry& entry) {
        std::error_code ignored;
        if (IsHidden(entry.path()) || !HasCaptureExtension(entry.path()) ||
            !entry.is_regular_file(ignored)) {
            return;
        }
        if (!skip.empty() &&
            std::find(skip.begin(), skip.end(), realRoot / entry.path().lexically_relative(root)) !=
                skip.end()) {
            return;
        }
        found.push_back(entry.path().string());
    };
    try {
        if (!recursive) {
            for (const fs::directory_entry& entry : fs::directory_iterator(root)) take(entry);
        } else {
            for (auto it = fs::recursive_directory_iterator(root);
                 it != fs::recursive_directory_iterator(); ++it) {
                std::error_code ignored;
                if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
                    if (IsHidden(it->path())) it.disable_recursion_pending();
                    continue;
                }
                take(*it);
            }
        }
    } catch (const fs::filesystem_error& error) {
        Unreadable(error, folder);
    }
    std::sort(found.begin(), found.end(), InNameOrder);
    return found;
}

std::vector<std::string> CaptureFilesOf(const std::vector<std::string>& names, bool recursive,
                                        const std::vector<std::string>& leaveOut) {
    std::vector<std::string> files;
    files.reserve(names.size());
    for (const std::string& name : names) {
        std::error_code error;
        if (fs::is_directory(name, error)) {
            std::vector<std::string> inFolder = CaptureFilesInFolder(name, recursive, leaveOut);
            files.insert(files.end(), std::make_move_iterator(inFolder.begin()),
                         std::make_move_iterator(inFolder.end()));
        } else {
            files.push_back(name);  // a file, or a name the batch will report
        }
    }
    return files;
}

namespace {

// The names from a source of pieces, split as they come: a long list is
// never held twice.
template <typename Source>
std::vector<std::string> SplitNames(Source&& source) {
    std::vector<std::string> names;
    std::string line;
    const auto end = [&] {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) names.push_back(line);
        line.clear();
    };
    char piece[16 * 1024];
    while (const std::size_t got = source(piece, sizeof piece)) {
        const std::string_view text(piece, got);
        std::size_t start = 0;
        for (std::size_t lf = text.find('\n'); lf != std::string_view::npos;
             lf = text.find('\n', start)) {
            line.append(text.substr(start, lf - start));
            end();
            start = lf + 1;
        }
        line.append(text.substr(start));
    }
    end();
    return names;
}

}  // namespace

std::vector<std::string> ReadNameList(std::istream& list, const std::string& name) {
    std::vector<std::string> names = SplitNames([&list](char* into, std::size_t room) {
        list.read(into, static_cast<std::streamsize>(room));
        return static_cast<std::size_t>(list.gcount());
    });
    if (list.bad()) throw InputReadError(name, FileErrorText(EIO, FileAccess::Read));
    return names;
}

std::vector<std::string> ReadNameListFile(const std::string& path) {
    try {
        return SplitNames(ReadInPieces(path));
    } catch (const FileError& error) {
        throw InputReadError(path, error.what());
    }
}

}  // namespace corvane::files
