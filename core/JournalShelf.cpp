#include "JournalShelf.h"

#include "FileOps.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace tarvolin {

namespace {

using Clock = std::chrono::system_clock;

constexpr std::string_view kPrefix = "run-";
constexpr std::string_view kSequencePrefix = "run-seq-";
constexpr std::string_view kSuffix = ".journal";
constexpr int kTimeDigits = 20; // the older names: nanoseconds since 1970

// A journal is read in pieces of this size; a line longer than the longest record can be
// (two escaped paths of the longest kind) is no record, and ends the reading.
constexpr std::size_t kPieceBytes = 64 * 1024;
constexpr std::size_t kLongestLine = 1024 * 1024;
constexpr std::size_t kTailBytes = 4096;

std::string_view FolderSeparators() {
    return NativePathSyntax() == PathSyntax::Windows ? "\\/:" : "/";
}

// `name` in `folder`, with the platform's own separator where the folder has none at its end.
std::string PathInFolder(const std::string& folder, const std::string& name) {
    if (folder.empty() || FolderSeparators().find(folder.back()) != std::string_view::npos)
        return folder + name;
    return folder + (NativePathSyntax() == PathSyntax::Windows ? '\\' : '/') + name;
}

std::optional<unsigned long long> ParseDigits(std::string_view digits) {
    unsigned long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

// Where a journal stands among the others: numbered ones after the older time-named ones,
// and a name of neither kind first of all.
enum class Naming { Other, ByClock, BySequence };

struct JournalOrder {
    Naming naming = Naming::Other;
    unsigned long long number = 0;
    std::string name;
    auto operator<=>(const JournalOrder&) const = default;
};

JournalOrder OrderOf(const std::string& name) {
    const std::string_view middle = std::string_view(name).substr(
        kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    if (name.starts_with(kSequencePrefix)) {
        if (const auto number = ParseDigits(middle.substr(kSequencePrefix.size() - kPrefix.size())))
            return {Naming::BySequence, *number, name};
    }
    if (middle.size() > kTimeDigits && middle[kTimeDigits] == '-') {
        if (const auto time = ParseDigits(middle.substr(0, kTimeDigits)))
            return {Naming::ByClock, *time, name};
    }
    return {Naming::Other, 0, name};
}

std::vector<std::pair<JournalOrder, std::string>> JournalsInOrder(const std::string& directory) {
    std::vector<std::pair<JournalOrder, std::string>> journals;
    for (const std::string& name : ListJournalFolder(directory))
        if (IsJournalFileName(name))
            journals.emplace_back(OrderOf(name), PathInFolder(directory, name));
    std::sort(journals.begin(), journals.end(), std::greater<>());
    return journals;
}

JournalReading Unreadable(const std::string& why) {
    return {std::nullopt, "It cannot be read: " + why + ".", false};
}

bool ChangedBefore(const std::string& path, Clock::time_point time) {
    const std::optional<FileStamp> stamp = ReadFileStamp(path);
    if (!stamp)
        return false;
    const ExactTime changed = stamp->fingerprint.modify;
    return Clock::time_point(std::chrono::duration_cast<Clock::duration>(
               std::chrono::seconds(changed.seconds) +
               std::chrono::nanoseconds(changed.nanoseconds))) < time;
}

bool IsEmptyFile(const std::string& path) {
    std::string why;
    const std::unique_ptr<JournalSource> source = JournalSource::Open(path, why);
    return source && source->size() == 0;
}

// The last lines alone, where the end records are; a path in a record never holds a line
// break, so a record found there is one.
std::string TailOf(const std::string& path) {
    std::string why;
    const std::unique_ptr<JournalSource> source = JournalSource::Open(path, why);
    if (!source)
        return {};
    const unsigned long long size = source->size();
    std::string tail(static_cast<std::size_t>(std::min<unsigned long long>(size, kTailBytes)),
                     '\0');
    const long long got = source->ReadAt(size - tail.size(), tail);
    tail.resize(static_cast<std::size_t>(std::max(got, 0LL)));
    return tail;
}

} // namespace

bool IsJournalFileName(std::string_view name) {
    return name.size() > kPrefix.size() + kSuffix.size() && name.starts_with(kPrefix) &&
           name.ends_with(kSuffix) &&
           name.find_first_of(std::string_view("/\\:\0", 4)) == std::string_view::npos;
}

std::string NewJournalPath(const std::string& directory) {
    unsigned long long next = 1;
    for (const auto& [order, path] : JournalsInOrder(directory))
        if (order.naming == Naming::BySequence) {
            next = order.number + 1;
            break;
        }
    char name[64];
    std::snprintf(name, sizeof name, "run-seq-%020llu.journal", next);
    return PathInFolder(directory, name);
}

std::vector<std::string> JournalsNewestFirst(const std::string& directory) {
    std::vector<std::string> paths;
    for (auto& [order, path] : JournalsInOrder(directory))
        paths.push_back(std::move(path));
    return paths;
}

std::string JournalName(const std::string& path) {
    return path.substr(path.find_last_of(FolderSeparators()) + 1);
}

// How many whole lines begin as a change record does, counted in a first pass so that the
// parsed changes take one allocation of the right size: grown by doubling, those of a run of
// 100 000 files need up to half as much again, and more while they move. A line shorter than
// any change record can be is not counted, so that a damaged file asks for no more room than
// its records could fill.
std::size_t CountChangeLines(JournalSource& source, std::string& piece) {
    constexpr std::string_view kLead = "change ";
    constexpr std::size_t kShortestChange = 20;
    std::size_t count = 0;
    std::size_t length = 0; // of the line so far
    bool lead = true;       // the line so far is the start of kLead, or begins with it
    unsigned long long offset = 0;
    for (long long got; (got = source.ReadAt(offset, piece)) > 0;) {
        offset += static_cast<unsigned long long>(got);
        for (const char c : std::string_view(piece.data(), static_cast<std::size_t>(got))) {
            if (c == '\n') {
                count += lead && length >= kShortestChange ? 1 : 0;
                length = 0;
                lead = true;
                continue;
            }
            lead = lead && (length >= kLead.size() || c == kLead[length]);
            ++length;
        }
    }
    return count;
}

JournalReading ReadJournal(const std::string& path) {
    std::string why;
    const std::unique_ptr<JournalSource> source = JournalSource::Open(path, why);
    if (!source)
        return Unreadable(why);
    JournalParser parser;
    std::string line; // the start of a line whose end is still to come
    std::string piece(kPieceBytes, '\0');
    parser.ExpectChanges(CountChangeLines(*source, piece));
    unsigned long long offset = 0;
    for (bool reading = true; reading && line.size() <= kLongestLine;) {
        const long long got = source->ReadAt(offset, piece);
        if (got < 0)
            return Unreadable("the system could not read it");
        offset += static_cast<unsigned long long>(got);
        std::string_view rest(piece.data(), static_cast<std::size_t>(got));
        reading = got > 0;
        for (std::size_t end = rest.find('\n'); reading && end != std::string_view::npos;
             end = rest.find('\n')) {
            line.append(rest.substr(0, end));
            reading = parser.TakeLine(line);
            line.clear();
            rest.remove_prefix(end + 1);
        }
        line.append(rest);
    }
    JournalReading reading = parser.Finish();
    reading.empty = offset == 0;
    reading.stoppedEarly = reading.stoppedEarly || line.size() > kLongestLine;
    return reading;
}

bool JournalHasEnded(const std::string& path) {
    const std::string tail = TailOf(path);
    return tail.find("\nend ") != std::string::npos || tail.find("\nundone\n") != std::string::npos;
}

bool JournalWasUndone(const std::string& path) {
    return TailOf(path).find("\nundone\n") != std::string::npos;
}

void PruneJournals(const std::string& directory, Clock::time_point now) {
    const Clock::time_point oldestKept = now - std::chrono::days(kJournalDaysKept);
    const std::vector<std::string> paths = JournalsNewestFirst(directory);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (IsEmptyFile(paths[i]))
            RemoveEmptyJournal(paths[i]);
        else if (i >= kJournalsAlwaysKept && ChangedBefore(paths[i], oldestKept) &&
                 JournalHasEnded(paths[i]))
            RemoveJournal(paths[i]);
    }
}

} // namespace tarvolin
