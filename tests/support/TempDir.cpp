// TempDir.h for every platform. Paths are UTF-8 strings as everywhere in the program; on
// Windows std::filesystem takes them as char8_t so that no code page gets in between, on
// Linux as the bytes they are, so that names which are no UTF-8 stay usable.
#include "TempDir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <random>
#else
#include <cstdlib>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace tarvolin::test {

namespace {

fs::path Utf8Path(const std::string& path) {
#ifdef _WIN32
    return fs::path(std::u8string(path.begin(), path.end()));
#else
    return fs::path(path);
#endif
}

std::string Utf8String(const fs::path& path) {
#ifdef _WIN32
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
#else
    return path.string();
#endif
}

#ifdef _WIN32
// Windows refuses to delete a read-only file; giving back the owner's write permission
// clears that attribute.
void MakeRemovable(const fs::path& path) {
    std::error_code error;
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
}
#else
void ClearImmutable(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    int flags = 0;
    if (ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL))) {
        flags &= ~(FS_IMMUTABLE_FL | FS_APPEND_FL);
        ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    close(fd);
}

// Immutable and append-only flags stop any removal; a directory without write permission
// keeps its entries.
void MakeRemovable(const fs::path& path) {
    ClearImmutable(path.string());
    std::error_code error;
    if (fs::is_directory(fs::symlink_status(path, error)))
        chmod(path.c_str(), 0700);
}
#endif

} // namespace

TempDir::TempDir() {
#ifdef _WIN32
    std::random_device seed;
    std::mt19937_64 random(seed());
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = base / ("tarvolin-" + std::to_string(random() % 1'000'000'000));
        if (fs::create_directory(candidate)) {
            path_ = Utf8String(candidate);
            return;
        }
    }
    throw std::runtime_error("cannot create a directory in " + Utf8String(base));
#else
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tarvolin-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed for " + pattern);
    path_ = pattern;
#endif
}

TempDir::~TempDir() {
    RemoveTree(path_);
}

std::string TempDir::operator/(const std::string& name) const {
    return path_ + static_cast<char>(fs::path::preferred_separator) + name;
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(Utf8Path(path), std::ios::binary | std::ios::trunc);
    out << content;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(Utf8Path(path), std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(Utf8Path(path), error));
}

std::vector<std::string> ListDir(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Utf8Path(dir)))
        names.push_back(Utf8String(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::string& path) {
    std::error_code error;
    const fs::path root = Utf8Path(path);
    if (!fs::exists(fs::symlink_status(root, error)))
        return;
    MakeRemovable(root);
    if (fs::is_directory(fs::symlink_status(root, error))) {
        for (const auto& entry : fs::directory_iterator(root, error))
            RemoveTree(Utf8String(entry.path()));
    }
    fs::remove(root, error);
}

} // namespace tarvolin::test
