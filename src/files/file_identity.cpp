#include "files/file_identity.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

namespace corvane::files {

namespace {

// One stat per name; what is compared depends on whether the files exist.
class Identity {
public:
    explicit Identity(const std::string& name) : name_(name) {
        struct stat info {};
        exists_ = ::stat(name.c_str(), &info) == 0;
        if (exists_) {
            device_ = info.st_dev;
            inode_ = info.st_ino;
        }
    }

    bool operator==(const Identity& other) const {
        if (exists_ && other.exists_) return device_ == other.device_ && inode_ == other.inode_;
        // A name that leads nowhere yet: the same spelling, normalised, is
        // the same file (or will be, once one of them is written).
        return Normalised() == other.Normalised();
    }

private:
    std::filesystem::path Normalised() const {
        std::error_code error;
        const std::filesystem::path path = std::filesystem::weakly_canonical(name_, error);
        return error ? std::filesystem::absolute(name_, error).lexically_normal() : path;
    }

    std::string name_;
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
