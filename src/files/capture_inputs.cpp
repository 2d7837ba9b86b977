#include "files/capture_inputs.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
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

// Each entry under root that is no folder, not entering hidden sub-folders
// nor links to folders. A sub-folder that cannot be read is named itself.
template <typename Take>
void TakeRecursively(const fs::path& root, const Take& take) {
    auto it = fs::recursive_directory_iterator(root);
    while (it != fs::recursive_directory_iterator()) {
        std::error_code error;
        const fs::path entered = it->path();
        if (it->is_directory(error) && !it->is_symlink(error)) {
            if (IsHidden(entered)) it.disable_recursion_pending();
        } else {
            take(*it);
        }
        it.increment(error);
        if (error) {
            throw InputReadError(entered.string(),
                                 FileErrorText(error.value(), FileAccess::Read));
        }
    }
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
    // file systems that do not say cost a look of their own. A link that
    // leads nowhere stays in, as the shell's FOLDER/*.csv keeps it: the batch
    // then says "File not found" instead of leaving its line out unsaid.
    const auto take = [&](const fs::directory_entry& entry) {
        std::error_code ignored;
        if (IsHidden(entry.path()) || !HasCaptureExtension(entry.path())) return;
        if (!entry.is_regular_file(ignored) &&
            !(entry.is_symlink(ignored) && !entry.exists(ignored))) {
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
            TakeRecursively(root, take);
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
// never held twice. Lines end at LF (a CR before it goes); with
// NameSeparator::Nul names end at a NUL and are taken exactly as they are.
template <typename Source>
std::vector<std::string> SplitNames(Source&& source, NameSeparator separator,
                                    const std::string& listName) {
    const char end = separator == NameSeparator::Nul ? '\0' : '\n';
    std::vector<std::string> names;
    std::string line;
    std::size_t lineNumber = 0;
    const auto finish = [&] {
        ++lineNumber;
        if (end == '\n' && !line.empty() && line.back() == '\r') line.pop_back();
        // A name cut short at its NUL would be another file's name, or none.
        if (end == '\n' && line.find('\0') != std::string::npos) {
            throw InputReadError(listName, "line " + std::to_string(lineNumber) +
                                               " holds a NUL character; a list of names "
                                               "ending in NUL (find -print0) needs -0");
        }
        if (!line.empty()) names.push_back(line);
        line.clear();
    };
    char piece[16 * 1024];
    while (const std::size_t got = source(piece, sizeof piece)) {
        const std::string_view text(piece, got);
        std::size_t start = 0;
        for (std::size_t at = text.find(end); at != std::string_view::npos;
             at = text.find(end, start)) {
            line.append(text.substr(start, at - start));
            finish();
            start = at + 1;
        }
        line.append(text.substr(start));
    }
    finish();
    return names;
}

}  // namespace

std::vector<std::string> ReadNameList(std::istream& list, const std::string& name,
                                      NameSeparator separator) {
    std::vector<std::string> names = SplitNames(
        [&list](char* into, std::size_t room) {
            list.read(into, static_cast<std::streamsize>(room));
            return static_cast<std::size_t>(list.gcount());
        },
        separator, name);
    if (list.bad()) throw InputReadError(name, FileErrorText(EIO, FileAccess::Read));
    return names;
}

std::vector<std::string> ReadNameListFile(const std::string& path, NameSeparator separator) {
    std::function<std::size_t(char*, std::size_t)> source;
    try {
        source = ReadInPieces(path);
    } catch (const FileError& error) {
        throw InputReadError(path, error.what());
    }
    try {
        return SplitNames(source, separator, path);
    } catch (const InputReadError&) {
        throw;
    } catch (const FileError& error) {
        throw InputReadError(path, error.what());
    }
}

bool EarlierOutput(const std::string& path, std::string_view header) {
    while (!header.empty() && (header.back() == '\n' || header.back() == '\r')) {
        header.remove_suffix(1);
    }
    std::error_code error;
    if (!fs::exists(path, error)) return true;
    try {
        const auto source = ReadInPieces(path, Kinds::Files);
        std::string start(header.size(), '\0');
        std::size_t got = 0;
        while (got < start.size()) {
            const std::size_t more = source(start.data() + got, start.size() - got);
            if (more == 0) break;
            got += more;
        }
        return got == header.size() && start == header;
    } catch (const FileError&) {
        return false;
    }
}

}  // namespace corvane::files
