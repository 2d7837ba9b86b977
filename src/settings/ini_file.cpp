#include "settings/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The file's text, or false when it is missing, unreadable or not a plain file.
bool ReadRegularFile(const std::string& path, std::string& text) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    char buffer[16384];
    while (ok) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ok = false;
        if (got <= 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return ok;
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

IniFile::IniFile(std::string path) : path_(std::move(path)), impl_(std::make_unique<Impl>()) {
    impl_->ini.SetSpaces(false);
    impl_->ini.SetMultiKey(false);
    impl_->ini.SetMultiLine(false);
    // Like the profile functions: surrounding quotes are dropped on reading, so a
    // value can keep outer blanks or be a single tab.
    impl_->ini.SetQuotes(true);
    // A missing or unreadable file reads as empty: every key takes its default.
    std::string text;
    if (ReadRegularFile(path_, text) && impl_->ini.LoadData(text) < 0) impl_->ini.Reset();
}

IniFile::~IniFile() = default;

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

void IniFile::Save() {
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
    crlf.reserve(text.size() + text.size() / 16);
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
    ReplaceFile(path_, crlf);
}

}  // namespace corvane::settings
