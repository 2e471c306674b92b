// TempDir.h with the standard library alone, for platforms without the Linux extras
// (immutable flags). Paths are UTF-8 strings as everywhere in the program; std::filesystem
// takes them as char8_t so that no code page gets in between.
#include "TempDir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tarvolin::test {

namespace {

fs::path Utf8Path(const std::string& path) {
    return fs::path(std::u8string(path.begin(), path.end()));
}

std::string Utf8String(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace

TempDir::TempDir() {
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

// Windows refuses to delete a read-only file; giving back the owner's write permission
// clears that attribute.
void RemoveTree(const std::string& path) {
    std::error_code error;
    const fs::path root = Utf8Path(path);
    if (!fs::exists(fs::symlink_status(root, error)))
        return;
    fs::permissions(root, fs::perms::owner_write, fs::perm_options::add, error);
    if (fs::is_directory(fs::symlink_status(root, error))) {
        for (const auto& entry : fs::directory_iterator(root, error))
            RemoveTree(Utf8String(entry.path()));
    }
    fs::remove(root, error);
}

} // namespace tarvolin::test
