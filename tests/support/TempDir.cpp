// TempDir.h for every platform. Paths are UTF-8 strings as everywhere in the program; the
// platform's part (how a path reaches std::filesystem, what blocks a removal) is in
// Platform.h.
#include "TempDir.h"

#include "Platform.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tarvolin::test {

TempDir::TempDir() : path_(CreateScratchDirectory()) {}

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

std::vector<std::string> MakeFiles(const std::string& dir,
                                   std::initializer_list<const char*> names) {
    std::vector<std::string> paths;
    for (const char* name : names) {
        paths.push_back(dir + static_cast<char>(fs::path::preferred_separator) + name);
        WriteFile(paths.back(), name);
    }
    return paths;
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
