#pragma once
// The settings file: INI text read and written like the Windows profile
// functions (case-insensitive names, key=value, values cut at 2047 characters).

#include <memory>
#include <string>

namespace corvane::settings {

class IniFile {
public:
    // Loads the file; a missing or unreadable file reads as empty.
    explicit IniFile(std::string path);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const std::string& path() const { return path_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    // Decimal, or hexadecimal with $, 0x or 0X; anything else gives fallback.
    int ReadInteger(const std::string& section, const std::string& key, int fallback) const;
    // True only for exactly "Yes"; a missing key gives fallback.
    bool ReadYesNo(const std::string& section, const std::string& key, bool fallback) const;

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteYesNo(const std::string& section, const std::string& key, bool value);

    // Writes a temporary file beside the target and renames it over the target.
    // Throws std::runtime_error("Unable to write to <path>") on failure.
    void Save();

private:
    struct Impl;
    std::string path_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace corvane::settings
