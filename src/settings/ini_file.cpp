#include "settings/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#ifndef SI_CONVERT_ICU
#define SI_CONVERT_ICU  // the plain include wants a missing ConvertUTF.h
#endif
#include <SimpleIni.h>

#include "files/atomic_file.h"
#include "files/file_error.h"

namespace corvane::settings {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The profile functions hand back at most this many characters of a value.
constexpr std::size_t kMaxValueLength = 2047;

std::string Cut(std::string text) {
    if (text.size() > kMaxValueLength) text.resize(kMaxValueLength);
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decimal, or hexadecimal after $, 0x or 0X (up to 32 bits, read as two's
// complement like the toolkit); an optional sign before either.
bool ParseInteger(const std::string& text, int& result) {
    std::size_t p = 0;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
    bool hex = false;
    if (p < text.size() && text[p] == '$') {
        hex = true;
        p += 1;
    } else if (p + 1 < text.size() && text[p] == '0' &&
               (text[p + 1] == 'x' || text[p + 1] == 'X')) {
        hex = true;
        p += 2;
    }
    if (p >= text.size()) return false;
    std::uint64_t value = 0;
    for (; p < text.size(); ++p) {
        int digit =
            hex ? HexDigit(text[p]) : (text[p] >= '0' && text[p] <= '9' ? text[p] - '0' : -1);
        if (digit < 0) return false;
        value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFull) return false;
    }
    std::int64_t signedValue;
    if (hex) {
        signedValue = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    } else {
        if (value > (negative ? 2147483648ull : 2147483647ull)) return false;
        signedValue = static_cast<std::int64_t>(value);
    }
    if (negative) signedValue = -signedValue;
    if (signedValue < INT32_MIN || signedValue > INT32_MAX) return false;
    result = static_cast<int>(signedValue);
    return true;
}

// Reads the file's text; returns 0, or the errno value of what failed (a
// folder in the file's place is refused like a file that may not be read).
int ReadRegularFile(const std::string& path, std::string& text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    struct stat info {};
    int error = ::fstat(fd, &info) != 0 ? errno : (S_ISREG(info.st_mode) ? 0 : EACCES);
    char buffer[16384];
    while (error == 0) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) error = errno;
        if (got <= 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return error;
}

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view line) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    return line;
}

bool IsComment(std::string_view trimmed) {
    return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

// A line the parser takes in as a section or a key (with a name before "=").
bool IsEntry(std::string_view trimmed) {
    if (trimmed.empty() || IsComment(trimmed)) return false;
    if (trimmed.front() == '[') return trimmed.find(']') != std::string_view::npos;
    const auto equals = trimmed.find('=');
    return equals != std::string_view::npos && !Trimmed(trimmed.substr(0, equals)).empty();
}

// Calls visit(line, number) for every line as the parser splits them: at LF,
// CR LF or a lone CR (numbered by LF, as an editor shows them), up to the
// first NUL.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
    text = text.substr(0, text.find('\0'));
    if (text.substr(0, 3) == kUtf8Mark) text.remove_prefix(3);
    int number = 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !IsLineEnd(text[i])) continue;
        visit(text.substr(start, i - start), number);
        if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
        if (i < text.size() && text[i] == '\n') ++number;
        start = i + 1;
    }
}

std::string FindDamage(std::string_view text) {
    const auto nul = text.find('\0');
    // UTF-16 starts with its byte order mark and, for the ASCII of an INI
    // file, has a NUL in every other byte.
    const bool utf16 = text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF";
    if (utf16 && nul != std::string_view::npos) return "it is UTF-16 text, not 8-bit text";
    if (nul != std::string_view::npos) {
        const auto lines = std::count(text.begin(), text.begin() + static_cast<long>(nul), '\n');
        return "line " + std::to_string(lines + 1) + " holds a NUL byte";
    }
    std::string damage;
    ForEachLine(text, [&damage](std::string_view line, int number) {
        const std::string_view trimmed = Trimmed(line);
        if (!damage.empty() || trimmed.empty() || IsComment(trimmed) || IsEntry(trimmed)) return;
        damage = "line " + std::to_string(number) + " is neither a section, a key nor a comment";
    });
    return damage;
}

// The text with every line the parser cannot take in made empty. The parser
// would drop such lines anyway, but a section line without its "]" before a
// key makes it invent a section whose name runs over the line end.
std::string WithoutDamagedLines(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    ForEachLine(text, [&kept](std::string_view line, int) {
        const std::string_view trimmed = Trimmed(line);
        if (trimmed.empty() || IsComment(trimmed) || IsEntry(trimmed)) kept += line;
        kept += '\n';
    });
    return kept;
}

// The parser keeps the comment lines that open the file, and a comment above
// a section or key; the comment lines after the last of them are kept here,
// CR LF each, to be written back.
std::string TrailingComments(std::string_view text) {
    std::string comments;
    bool opening = true;  // still in the comment lines that open the file
    ForEachLine(text, [&](std::string_view line, int) {
        opening = opening && !line.empty() && IsComment(line);
        if (opening) return;
        const std::string_view trimmed = Trimmed(line);
        if (IsEntry(trimmed)) comments.clear();
        if (!IsComment(trimmed)) return;
        comments += line.substr(line.find_first_not_of(" \t"));
        comments += "\r\n";
    });
    return comments;
}

// Temporary file beside the target, renamed over it when complete; a file we
// may not write stays as it is.
void ReplaceFile(const std::string& path, const std::string& text) {
    try {
        files::ReplaceFileContents(path, text);
    } catch (const files::FileError&) {
        throw std::runtime_error("Unable to write to " + path);
    }
}

}  // namespace

struct IniFile::Impl {
    CSimpleIniA ini;  // case-insensitive names, like the profile functions
};

IniFile::IniFile(std::string path, Missing missing)
    : path_(std::move(path)), impl_(std::make_unique<Impl>()) {
    std::string text;
    const int error = ReadRegularFile(path_, text);
    if (error != 0) {
        if (missing == Missing::IsAnError) {
            throw files::FileError(files::FileErrorText(error, files::FileAccess::Read));
        }
        text.clear();  // every key takes its default
    }
    Load(std::move(text));
}

IniFile::IniFile(std::string path, std::string text, bool)
    : path_(std::move(path)), impl_(std::make_unique<Impl>()) {
    Load(std::move(text));
}

IniFile IniFile::FromText(std::string path, std::string text) {
    return IniFile(std::move(path), std::move(text), false);
}

void IniFile::Load(std::string text) {
    impl_->ini.SetSpaces(false);
    impl_->ini.SetMultiKey(false);
    impl_->ini.SetMultiLine(false);
    // Like the profile functions: surrounding quotes are dropped on reading, so a
    // value can keep outer blanks or be a single tab.
    impl_->ini.SetQuotes(true);
    damage_ = FindDamage(text);
    trailingComments_ = TrailingComments(text);
    const SI_Error loaded =
        damage_.empty() ? impl_->ini.LoadData(text) : impl_->ini.LoadData(WithoutDamagedLines(text));
    if (loaded < 0) impl_->ini.Reset();
    original_ = std::move(text);
}

IniFile::~IniFile() = default;
IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& fallback) const {
    const char* value = impl_->ini.GetValue(section.c_str(), key.c_str(), nullptr);
    return Cut(value ? std::string(value) : fallback);
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int fallback) const {
    int value = 0;
    return ParseInteger(ReadString(section, key, ""), value) ? value : fallback;
}

bool IniFile::ReadYesNo(const std::string& section, const std::string& key, bool fallback) const {
    return ReadString(section, key, fallback ? "Yes" : "No") == "Yes";
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
    impl_->ini.SetValue(section.c_str(), key.c_str(), value.c_str(), nullptr, true);
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteYesNo(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "Yes" : "No");
}

std::vector<IniEntry> IniFile::Entries() const {
    std::vector<IniEntry> entries;
    CSimpleIniA::TNamesDepend sections;
    impl_->ini.GetAllSections(sections);
    sections.sort(CSimpleIniA::Entry::LoadOrder());
    for (const auto& section : sections) {
        CSimpleIniA::TNamesDepend keys;
        impl_->ini.GetAllKeys(section.pItem, keys);
        keys.sort(CSimpleIniA::Entry::LoadOrder());
        for (const auto& key : keys) {
            const char* value = impl_->ini.GetValue(section.pItem, key.pItem, "");
            entries.push_back({section.pItem, key.pItem, value ? value : ""});
        }
    }
    return entries;
}

std::string IniFile::Text() const {
    std::string text;
    // Values are written as plain text: quotes are only taken off when reading.
    impl_->ini.SetQuotes(false);
    const bool saved = impl_->ini.Save(text) >= 0;
    impl_->ini.SetQuotes(true);
    if (!saved) throw std::runtime_error("Unable to write to " + path_);
    // Text files carry CR LF line ends. The library separates sections with
    // empty lines, which the profile functions never write: a file begun from
    // nothing holds its sections one after the other.
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 16 + trailingComments_.size());
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) {
            crlf += line;
            crlf += "\r\n";
        }
        start = end + 1;
    }
    crlf += trailingComments_;
    // Reading takes a UTF-8 mark off the start of a file: a first key whose
    // name begins with those bytes keeps them behind a mark of its own.
    if (crlf.rfind(kUtf8Mark, 0) == 0) crlf.insert(0, kUtf8Mark);
    return crlf;
}

void IniFile::Save() { SaveAs(path_); }

void IniFile::SaveAs(const std::string& path) { ReplaceFile(path, Text()); }

void IniFile::SaveOriginalAs(const std::string& path) const { ReplaceFile(path, original_); }

}  // namespace corvane::settings
