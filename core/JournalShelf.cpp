#include "JournalShelf.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace tarvolin {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::system_clock;

constexpr std::string_view kPrefix = "run-";
constexpr std::string_view kSuffix = ".journal";

// Paths are UTF-8 everywhere in the program, which std::filesystem is told explicitly.
fs::path FsPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool IsJournalName(const std::string& name) {
    return name.size() > kPrefix.size() + kSuffix.size() && name.starts_with(kPrefix) &&
           name.ends_with(kSuffix);
}

// When the run started, read from its name.
std::optional<Clock::time_point> StartOf(const std::string& name) {
    long long nanoseconds = 0;
    if (std::sscanf(name.c_str() + kPrefix.size(), "%20lld", &nanoseconds) != 1)
        return std::nullopt;
    return Clock::time_point(
        std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(nanoseconds)));
}

} // namespace

std::string NewJournalPath(const std::string& directory) {
    const auto now =
        std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch());
    std::random_device random;
    char name[80];
    std::snprintf(name, sizeof name, "run-%020lld-%08x.journal",
                  static_cast<long long>(now.count()), static_cast<unsigned>(random()));
    return Utf8(FsPath(directory) / name);
}

std::vector<std::string> JournalsNewestFirst(const std::string& directory) {
    std::vector<std::string> paths;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(FsPath(directory), error))
        if (IsJournalName(Utf8(entry.path().filename())))
            paths.push_back(Utf8(entry.path()));
    std::sort(paths.begin(), paths.end(), std::greater<>());
    return paths;
}

std::string JournalName(const std::string& path) {
    return Utf8(FsPath(path).filename());
}

JournalReading ReadJournal(const std::string& path) {
    std::ifstream stream(FsPath(path), std::ios::binary);
    if (!stream)
        return {std::nullopt, "The run journal " + path + " cannot be read."};
    const std::string text{std::istreambuf_iterator<char>(stream),
                           std::istreambuf_iterator<char>()};
    return ParseJournal(text);
}

void RemoveJournal(const std::string& path) {
    std::error_code error;
    fs::remove(FsPath(path), error);
}

// Only the tail is read: the end record is among the last lines, and a path in a record
// never holds a line break.
bool JournalHasEnded(const std::string& path) {
    std::ifstream stream(FsPath(path), std::ios::binary | std::ios::ate);
    const std::streamoff size = stream ? static_cast<std::streamoff>(stream.tellg()) : 0;
    stream.seekg(std::max<std::streamoff>(0, size - 4096));
    const std::string tail{std::istreambuf_iterator<char>(stream),
                           std::istreambuf_iterator<char>()};
    return tail.find("\nend ") != std::string::npos || tail.find("\nundone\n") != std::string::npos;
}

void PruneJournals(const std::string& directory) {
    const Clock::time_point oldestKept = Clock::now() - std::chrono::days(kJournalDaysKept);
    const std::vector<std::string> paths = JournalsNewestFirst(directory);
    for (std::size_t i = kJournalsAlwaysKept; i < paths.size(); ++i) {
        const std::optional<Clock::time_point> start = StartOf(JournalName(paths[i]));
        std::error_code error;
        if (start && *start < oldestKept && JournalHasEnded(paths[i]))
            fs::remove(FsPath(paths[i]), error);
    }
}

} // namespace tarvolin
