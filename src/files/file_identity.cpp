#include "files/file_identity.h"

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <system_error>

namespace corvane::files {

namespace {

// One stat per name that leads to a file; what is compared depends on whether
// the files exist.
class Identity {
public:
    explicit Identity(const std::string& name) : name_(name) {
        exists_ = Look(name.c_str());
        // A name that leads nowhere as spelt may still mean a file once
        // normalised ("sub/../run1.CSV" without a folder "sub").
        if (!exists_) exists_ = Look(Normalised().c_str());
    }

    bool operator==(const Identity& other) const {
        if (exists_ && other.exists_) return device_ == other.device_ && inode_ == other.inode_;
        // A name that means a file and one that means none name two files.
        if (exists_ != other.exists_) return false;
        // Two names that mean no file yet: the same spelling, normalised, is
        // the same file (or will be, once one of them is written).
        return Normalised() == other.Normalised();
    }

private:
    bool Look(const char* path) {
        struct stat info {};
        if (::stat(path, &info) != 0) return false;
        device_ = info.st_dev;
        inode_ = info.st_ino;
        return true;
    }

    // Worked out once, and only for a name that leads nowhere as spelt: it
    // costs a system call or more for every part of the name.
    const std::filesystem::path& Normalised() const {
        if (!normalised_) {
            std::error_code error;
            std::filesystem::path path = std::filesystem::weakly_canonical(name_, error);
            normalised_ = error ? std::filesystem::absolute(name_, error).lexically_normal() : path;
        }
        return *normalised_;
    }

    std::string name_;
    mutable std::optional<std::filesystem::path> normalised_;
    bool exists_ = false;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

}  // namespace

bool SameFile(const std::string& a, const std::string& b) { return Identity(a) == Identity(b); }

std::optional<std::size_t> FindSameFile(const std::string& name,
                                        const std::vector<std::string>& names) {
    const Identity identity(name);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (identity == Identity(names[i])) return i;
    }
    return std::nullopt;
}

}  // namespace corvane::files
