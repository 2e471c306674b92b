#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace tarvolin::test {

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it when the
// object goes; files made read-only or immutable by a test are freed first.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name; on Windows with "\\" instead of "/"
    std::string operator/(const std::string& name) const;

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& content);
// Creates each of `names` in `dir` with the name itself as content, so that a file can be
// traced after a run. The paths come back in the order of `names`.
std::vector<std::string> MakeFiles(const std::string& dir,
                                   std::initializer_list<const char*> names);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path); // lstat succeeds
// The names in `dir`, sorted, without "." and "..".
std::vector<std::string> ListDir(const std::string& dir);
// Removes `path` and everything below it, clearing immutable flags and read-only modes.
void RemoveTree(const std::string& path);

} // namespace tarvolin::test
