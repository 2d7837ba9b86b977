#pragma once
// The settings file: INI text read and written like the Windows profile
// functions (case-insensitive names, key=value, values cut at 2047 characters).

#include <memory>
#include <string>
#include <vector>

namespace corvane::settings {

struct IniEntry {
    std::string section;
    std::string key;
    std::string value;
    friend bool operator==(const IniEntry&, const IniEntry&) = default;
};

class IniFile {
public:
    enum class Missing { ReadsAsEmpty, IsAnError };

    // Loads the file. A missing or unreadable file reads as empty, or, when
    // asked, throws files::FileError ("File not found", "File access denied").
    explicit IniFile(std::string path, Missing missing = Missing::ReadsAsEmpty);
    // Loads text that did not come from a file; path is where Save writes.
    static IniFile FromText(std::string path, std::string text);
    ~IniFile();
    IniFile(IniFile&&) noexcept;
    IniFile& operator=(IniFile&&) noexcept;
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const std::string& path() const { return path_; }

    // Why the text could not be read whole, or empty when it could (or there
    // was none): a NUL byte (a power cut often leaves them), UTF-16 text, or a
    // line that is neither a section, a key nor a comment. What the parser
    // could not take in would be lost by the next save.
    const std::string& Damage() const { return damage_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    // Decimal, or hexadecimal with $, 0x or 0X; anything else gives fallback.
    int ReadInteger(const std::string& section, const std::string& key, int fallback) const;
    // True only for exactly "Yes"; a missing key gives fallback.
    bool ReadYesNo(const std::string& section, const std::string& key, bool fallback) const;
    // Every key with its value as read, section by section in file order.
    std::vector<IniEntry> Entries() const;

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteYesNo(const std::string& section, const std::string& key, bool value);

    // The text Save writes: key=value lines with CR LF, comments kept.
    std::string Text() const;
    // Writes Text() to path() (SaveAs: to another file) through a temporary
    // file that replaces the target only when complete. Throws
    // std::runtime_error("Unable to write to <path>") on failure.
    void Save();
    void SaveAs(const std::string& path);
    // Writes the bytes as they were read, e.g. as a backup before a save
    // replaces a file that could not be read whole. Throws like Save.
    void SaveOriginalAs(const std::string& path) const;

private:
    struct Impl;
    IniFile(std::string path, std::string text, bool fromFile);
    void Load(std::string text);

    std::string path_;
    std::unique_ptr<Impl> impl_;
    std::string original_;          // the bytes as read
    std::string damage_;            // see Damage()
    std::string trailingComments_;  // comment lines after the last key, CR LF each
};

}  // namespace corvane::settings
