#include "JournalRecords.h"

#include "NameRules.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace tarvolin {

namespace {

constexpr std::string_view kMagic = "ctarvolin-journal";
constexpr std::string_view kNone = "-";
constexpr std::string_view kInFolder = "./"; // every listed path is absolute

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    while (!line.empty()) {
        const std::size_t space = line.find(' ');
        fields.push_back(line.substr(0, space));
        line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    }
    return fields;
}

template <typename Number>
std::optional<Number> ParseNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::string FormatTime(const std::optional<LocalDateTime>& time) {
    if (!time)
        return std::string(kNone);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", time->year, time->month,
                  time->day, time->hour, time->minute, time->second, time->millisecond);
    return text;
}

// Some value (itself empty for "-") or none when the field does not parse.
std::optional<std::optional<LocalDateTime>> ParseTime(std::string_view field) {
    if (field == kNone)
        return std::optional<LocalDateTime>{};
    LocalDateTime time;
    char tail = '\0';
    const std::string text(field);
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3d%c", &time.year, &time.month,
                    &time.day, &time.hour, &time.minute, &time.second, &time.millisecond,
                    &tail) != 7)
        return std::nullopt;
    return std::optional<LocalDateTime>{time};
}

void AppendNumber(std::string& out, unsigned long long number) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(digits, end);
}

// Written for every file of a run, so straight into the record.
void AppendIdentity(std::string& out, const std::optional<FileIdentity>& identity) {
    if (!identity) {
        out += kNone;
        return;
    }
    AppendNumber(out, identity->volume);
    out += ':';
    AppendNumber(out, identity->file);
}

std::optional<std::optional<FileIdentity>> ParseIdentity(std::string_view field) {
    if (field == kNone)
        return std::optional<FileIdentity>{};
    const std::size_t colon = field.find(':');
    const auto volume = ParseNumber<unsigned long long>(field.substr(0, colon));
    const auto file = colon == std::string_view::npos
                          ? std::nullopt
                          : ParseNumber<unsigned long long>(field.substr(colon + 1));
    if (!volume || !file)
        return std::nullopt;
    return std::optional<FileIdentity>{FileIdentity{*volume, *file}};
}

std::optional<JournalChange> ParseChange(const std::vector<std::string_view>& fields) {
    if (fields.size() != 7)
        return std::nullopt;
    JournalChange change;
    std::optional<std::string> oldPath = UnescapeJournalField(fields[1]);
    const bool inFolder = fields[2].starts_with(kInFolder);
    std::optional<std::string> newPath =
        UnescapeJournalField(inFolder ? fields[2].substr(kInFolder.size()) : fields[2]);
    if (oldPath && newPath && inFolder)
        newPath = ExtractDirectory(*oldPath) + *newPath;
    const auto identity = ParseIdentity(fields[3]);
    const auto attributes = ParseNumber<int>(fields[4]);
    const auto created = ParseTime(fields[5]);
    const auto modified = ParseTime(fields[6]);
    if (!oldPath || !newPath || !identity || (!attributes && fields[4] != kNone) || !created ||
        !modified)
        return std::nullopt;
    return JournalChange{
        std::move(*oldPath), std::move(*newPath), *identity, attributes, *created, *modified};
}

bool ValidIndex(const JournalContents& contents, std::optional<int> index) {
    return index && *index >= 0 && static_cast<std::size_t>(*index) < contents.changes.size();
}

// A reservation that was dropped again leaves nothing to look for.
bool ApplyReservationRecord(JournalContents& contents,
                            const std::vector<std::string_view>& fields) {
    const bool reserve = fields[0] == "reserve";
    if (fields.size() != (reserve ? 4u : 3u))
        return false;
    const std::optional<int> index = ParseNumber<int>(fields[1]);
    const std::optional<long long> since =
        reserve ? ParseNumber<long long>(fields[2]) : std::optional<long long>(0);
    std::optional<std::string> path = UnescapeJournalField(fields.back());
    if (!ValidIndex(contents, index) || !since || !path)
        return false;
    std::vector<JournalReservation>& reservations = contents.reservations;
    if (reserve) {
        reservations.push_back({*index, *since, std::move(*path)});
        return true;
    }
    const auto same = [&](const JournalReservation& r) {
        return r.index == *index && r.path == *path;
    };
    const auto last = std::find_if(reservations.rbegin(), reservations.rend(), same);
    if (last != reservations.rend())
        reservations.erase(std::next(last).base());
    return true;
}

// Adds one record to `contents`; false when the line is not a record that may stand here.
bool ApplyRecord(JournalContents& contents, const std::vector<std::string_view>& fields) {
    const std::string_view name = fields.empty() ? std::string_view() : fields[0];
    if (name == "change" && !contents.planned) {
        std::optional<JournalChange> change = ParseChange(fields);
        if (change)
            contents.changes.push_back(std::move(*change));
        return change.has_value();
    }
    if (name == "planned" && fields.size() == 2) {
        contents.planned = ParseNumber<std::size_t>(fields[1]) == contents.changes.size();
        return contents.planned;
    }
    if (name == "case" && fields.size() == 3 && ValidIndex(contents, ParseNumber<int>(fields[1]))) {
        std::optional<std::string> path = UnescapeJournalField(fields[2]);
        if (path)
            contents.temporaryPaths[*ParseNumber<int>(fields[1])] = std::move(*path);
        return path.has_value();
    }
    if (name == "reserve" || name == "dropped")
        return ApplyReservationRecord(contents, fields);
    if (name == "done" && fields.size() == 2 && ValidIndex(contents, ParseNumber<int>(fields[1]))) {
        contents.doneThrough = std::max(contents.doneThrough, *ParseNumber<int>(fields[1]));
        return true;
    }
    if (name == "end" && fields.size() == 2) {
        contents.end = std::string(fields[1]);
        return true;
    }
    if (name == "undone" && fields.size() == 1) {
        contents.undone = true;
        return true;
    }
    return false;
}

std::optional<JournalContents> ParseKind(const std::vector<std::string_view>& fields) {
    JournalContents contents;
    if (fields.size() == 2 && fields[0] == "kind" && fields[1] == "run")
        return contents;
    if (fields.size() != 3 || fields[0] != "kind" || fields[1] != "undo")
        return std::nullopt;
    std::optional<std::string> undoes = UnescapeJournalField(fields[2]);
    if (!undoes)
        return std::nullopt;
    contents.kind = JournalKind::Undo;
    contents.undoes = std::move(*undoes);
    return contents;
}

} // namespace

void AppendJournalField(std::string& out, std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto plain = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte > ' ' && byte < 0x7F && byte != '%';
    };
    // Most names need no escape at all: they go in runs, not byte by byte.
    while (!bytes.empty()) {
        const auto run = std::find_if_not(bytes.begin(), bytes.end(), plain);
        out.append(bytes.begin(), run);
        bytes.remove_prefix(static_cast<std::size_t>(run - bytes.begin()));
        if (bytes.empty())
            break;
        const auto byte = static_cast<unsigned char>(bytes.front());
        const char escaped[3] = {'%', kHex[byte >> 4], kHex[byte & 0xF]};
        out.append(escaped, 3);
        bytes.remove_prefix(1);
    }
}

std::string EscapeJournalField(std::string_view bytes) {
    std::string field;
    field.reserve(bytes.size());
    AppendJournalField(field, bytes);
    return field;
}

std::optional<std::string> UnescapeJournalField(std::string_view field) {
    std::string bytes;
    bytes.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '%') {
            bytes += field[i];
            continue;
        }
        unsigned value = 0;
        const char* digits = field.data() + i + 1;
        if (i + 2 >= field.size() ||
            std::from_chars(digits, digits + 2, value, 16).ptr != digits + 2)
            return std::nullopt;
        bytes += static_cast<char>(value);
        i += 2;
    }
    return bytes;
}

std::string HeaderRecords(JournalKind kind, const std::string& undoes) {
    std::string header = std::string(kMagic) + " " + std::to_string(kJournalFormat) + "\n";
    if (kind == JournalKind::Run)
        return header + "kind run\n";
    return header + "kind undo " + EscapeJournalField(undoes) + "\n";
}

void AppendChangeRecord(std::string& out, const JournalChange& change) {
    out += "change ";
    AppendJournalField(out, change.oldPath);
    out += ' ';
    // A run's new names lie in their files' folders: the name alone halves what must reach
    // the disk before the first file is touched.
    const std::string folder = ExtractDirectory(change.oldPath);
    const std::string_view newPath = change.newPath;
    if (!folder.empty() && newPath.starts_with(folder) && ExtractDirectory(newPath) == folder) {
        out += kInFolder;
        AppendJournalField(out, newPath.substr(folder.size()));
    } else {
        AppendJournalField(out, newPath);
    }
    out += ' ';
    AppendIdentity(out, change.identity);
    out += ' ';
    out += change.attributes ? std::to_string(*change.attributes) : std::string(kNone);
    out += ' ';
    out += FormatTime(change.creationTime);
    out += ' ';
    out += FormatTime(change.modifyTime);
    out += '\n';
}

std::string ChangeRecord(const JournalChange& change) {
    std::string record;
    AppendChangeRecord(record, change);
    return record;
}

std::string PlannedRecord(std::size_t count) {
    return "planned " + std::to_string(count) + "\n";
}

std::string CaseRecord(int index, const std::string& temporaryPath) {
    return "case " + std::to_string(index) + " " + EscapeJournalField(temporaryPath) + "\n";
}

std::string ReserveRecord(int index, long long since, const std::string& path) {
    return "reserve " + std::to_string(index) + " " + std::to_string(since) + " " +
           EscapeJournalField(path) + "\n";
}

std::string DroppedRecord(int index, const std::string& path) {
    return "dropped " + std::to_string(index) + " " + EscapeJournalField(path) + "\n";
}

std::string DoneRecord(int index) {
    return "done " + std::to_string(index) + "\n";
}

std::string EndRecord(std::string_view how) {
    return "end " + std::string(how) + "\n";
}

std::string UndoneRecord() {
    return "undone\n";
}

JournalReading ParseJournal(std::string_view text) {
    const std::size_t firstEnd = text.find('\n');
    const std::vector<std::string_view> magic = SplitFields(text.substr(0, firstEnd));
    const std::optional<int> format =
        magic.size() == 2 && magic[0] == kMagic ? ParseNumber<int>(magic[1]) : std::nullopt;
    if (firstEnd == std::string_view::npos || !format)
        return {std::nullopt, "This is not a run journal of C-Tarvolin."};
    if (*format > kJournalFormat)
        return {std::nullopt,
                "This run journal was written by a newer C-Tarvolin (format " +
                    std::to_string(*format) + "); this version reads format " +
                    std::to_string(kJournalFormat) + " only.",
                true};
    text.remove_prefix(firstEnd + 1);
    const std::size_t kindEnd = text.find('\n');
    std::optional<JournalContents> contents = kindEnd == std::string_view::npos
                                                  ? std::nullopt
                                                  : ParseKind(SplitFields(text.substr(0, kindEnd)));
    if (!contents)
        return {std::nullopt, "This run journal is cut off before its first record."};
    text.remove_prefix(kindEnd + 1);
    for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
        if (!ApplyRecord(*contents, SplitFields(text.substr(0, end))))
            break;
        text.remove_prefix(end + 1);
    }
    return {std::move(contents), {}};
}

} // namespace tarvolin
