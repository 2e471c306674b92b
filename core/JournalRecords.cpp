#include "JournalRecords.h"

#include "JournalFieldText.h"
#include "JournalShelf.h"
#include "NameRules.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>

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

std::vector<std::string_view> SplitOn(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t cut = text.find(separator); cut != std::string_view::npos;
         cut = text.find(separator)) {
        parts.push_back(text.substr(0, cut));
        text.remove_prefix(cut + 1);
    }
    parts.push_back(text);
    return parts;
}

template <typename Number>
std::optional<Number> ParseNumber(std::string_view text, int base = 10) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
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

// DEVICE:FILE, and from format 2 on :VOLUMEID:LASTING.
std::optional<std::optional<FileIdentity>> ParseIdentity(std::string_view field) {
    if (field == kNone)
        return std::optional<FileIdentity>{};
    const std::vector<std::string_view> parts = SplitOn(field, ':');
    if (parts.size() != 2 && parts.size() != 4)
        return std::nullopt;
    const auto volume = ParseNumber<unsigned long long>(parts[0]);
    const auto file = ParseNumber<unsigned long long>(parts[1]);
    FileIdentity identity{volume.value_or(0), file.value_or(0)};
    if (parts.size() == 4) {
        const auto volumeId = ParseNumber<unsigned long long>(parts[2], 16);
        if (!volumeId || (parts[3] != "0" && parts[3] != "1"))
            return std::nullopt;
        identity.volumeId = *volumeId;
        identity.numbersLast = parts[3] == "1";
    }
    if (!volume || !file)
        return std::nullopt;
    return std::optional<FileIdentity>{identity};
}

std::optional<ExactTime> ParseExactTime(std::string_view field) {
    const std::size_t dot = field.find('.');
    if (dot == std::string_view::npos || field.size() - dot - 1 != 9)
        return std::nullopt;
    const auto seconds = ParseNumber<long long>(field.substr(0, dot));
    const auto nanoseconds = ParseNumber<unsigned>(field.substr(dot + 1));
    if (!seconds || !nanoseconds || *nanoseconds > 999'999'999)
        return std::nullopt;
    return ExactTime{*seconds, *nanoseconds};
}

std::optional<std::optional<FileFingerprint>> ParseFingerprint(std::string_view field) {
    if (field == kNone)
        return std::optional<FileFingerprint>{};
    const std::vector<std::string_view> parts = SplitOn(field, ':');
    if (parts.size() != 4 && parts.size() != 5)
        return std::nullopt;
    const auto size = ParseNumber<unsigned long long>(parts[0]);
    const auto modify = ParseExactTime(parts[1]);
    const auto change = ParseExactTime(parts[2]);
    const auto birth = ParseExactTime(parts[3]);
    const auto created = parts.size() == 5 ? ParseExactTime(parts[4]) : std::nullopt;
    if (!size || !modify || !change || (!birth && parts[3] != kNone) ||
        (parts.size() == 5 && !created))
        return std::nullopt;
    return std::optional<FileFingerprint>{FileFingerprint{*size, *modify, *change, birth, created}};
}

// Some value (itself empty for "-") or none when the field does not parse.
std::optional<std::optional<ExactTime>> ParseOptionalTime(std::string_view field) {
    if (field == kNone)
        return std::optional<ExactTime>{};
    const std::optional<ExactTime> time = ParseExactTime(field);
    return time ? std::optional<std::optional<ExactTime>>(time) : std::nullopt;
}

std::optional<std::optional<ExactMetadata>> ParseBefore(std::span<const std::string_view> fields) {
    ExactMetadata before;
    const bool stored = !fields[1].starts_with('=');
    const auto attributes = ParseNumber<int>(fields[0]);
    const auto creation = ParseOptionalTime(stored ? fields[1] : fields[1].substr(1));
    const auto modify = ParseOptionalTime(fields[2]);
    const auto access = ParseOptionalTime(fields[3]);
    if ((!attributes && fields[0] != kNone) || !creation || !modify || !access ||
        (fields[4] != kNone && fields[4] != "0" && fields[4] != "1"))
        return std::nullopt;
    if (!attributes && !*creation && !*modify)
        return std::optional<ExactMetadata>{};
    before.attributes = attributes;
    before.creation = *creation;
    before.creationStored = stored;
    before.modify = *modify;
    before.access = *access;
    before.dosRecord = fields[4] == "1";
    return std::optional<ExactMetadata>{before};
}

// OLD NEW, the paths of every format.
std::optional<std::pair<std::string, std::string>> ParsePaths(std::string_view oldField,
                                                              std::string_view newField) {
    std::optional<std::string> oldPath = UnescapeJournalField(oldField);
    const bool inFolder = newField.starts_with(kInFolder);
    std::optional<std::string> newPath =
        UnescapeJournalField(inFolder ? newField.substr(kInFolder.size()) : newField);
    if (!oldPath || !newPath)
        return std::nullopt;
    if (inFolder)
        newPath = ExtractDirectory(*oldPath) + *newPath;
    return std::pair{std::move(*oldPath), std::move(*newPath)};
}

std::optional<JournalChange> ParseFormat1Change(const std::vector<std::string_view>& fields) {
    if (fields.size() != 7)
        return std::nullopt;
    auto paths = ParsePaths(fields[1], fields[2]);
    const auto identity = ParseIdentity(fields[3]);
    const auto attributes = ParseNumber<int>(fields[4]);
    const auto created = ParseTime(fields[5]);
    const auto modified = ParseTime(fields[6]);
    if (!paths || !identity || (!attributes && fields[4] != kNone) || !created || !modified)
        return std::nullopt;
    JournalChange change;
    change.oldPath = std::move(paths->first);
    change.newPath = std::move(paths->second);
    change.identity = *identity;
    change.attributes = attributes;
    change.creationTime = *created;
    change.modifyTime = *modified;
    return change;
}

std::optional<JournalChange> ParseChange(const std::vector<std::string_view>& fields, int format) {
    if (format <= 1)
        return ParseFormat1Change(fields);
    if (fields.size() != 10)
        return std::nullopt;
    auto paths = ParsePaths(fields[1], fields[2]);
    const auto identity = ParseIdentity(fields[3]);
    const auto seen = ParseFingerprint(fields[4]);
    const auto before = ParseBefore(std::span(fields).subspan(5));
    if (!paths || !identity || !seen || !before)
        return std::nullopt;
    JournalChange change;
    change.oldPath = std::move(paths->first);
    change.newPath = std::move(paths->second);
    change.identity = *identity;
    change.seen = *seen;
    change.before = *before;
    return change;
}

// The words the `end` record writes for each ending: what journals on disk hold.
constexpr std::pair<RunEnding, std::string_view> kEndingWords[] = {
    {RunEnding::Finished, "finished"}, {RunEnding::Stopped, "stopped"}, {RunEnding::Kept, "kept"}};

// None for a word that names no ending.
RunEnding EndingNamed(std::string_view word) {
    const auto named = std::find_if(std::begin(kEndingWords), std::end(kEndingWords),
                                    [word](const auto& ending) { return ending.second == word; });
    return named == std::end(kEndingWords) ? RunEnding::None : named->first;
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
        std::optional<JournalChange> change = ParseChange(fields, contents.format);
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
    if ((name == "left" || name == "back") && fields.size() == 3 && contents.format >= 2 &&
        ValidIndex(contents, ParseNumber<int>(fields[1]))) {
        const auto left = ParseFingerprint(fields[2]);
        if (!left || !*left)
            return false;
        JournalChange& change =
            contents.changes[static_cast<std::size_t>(*ParseNumber<int>(fields[1]))];
        change.left = *left;
        change.nameBack = change.nameBack || name == "back";
        return true;
    }
    if (name == "seen" && fields.size() == 4 && contents.format >= 3 && contents.planned &&
        ValidIndex(contents, ParseNumber<int>(fields[1]))) {
        const auto identity = ParseIdentity(fields[2]);
        const auto seen = ParseFingerprint(fields[3]);
        if (!identity || !seen || identity->has_value() != seen->has_value())
            return false;
        JournalChange& change =
            contents.changes[static_cast<std::size_t>(*ParseNumber<int>(fields[1]))];
        change.identity = *identity;
        change.seen = *seen;
        return true;
    }
    if (name == "reserve" || name == "dropped")
        return ApplyReservationRecord(contents, fields);
    if (name == "done" && fields.size() == 2 && ValidIndex(contents, ParseNumber<int>(fields[1]))) {
        contents.doneThrough = std::max(contents.doneThrough, *ParseNumber<int>(fields[1]));
        return true;
    }
    if (name == "end" && fields.size() == 2 && EndingNamed(fields[1]) != RunEnding::None) {
        contents.end = EndingNamed(fields[1]);
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

// Whether any of the eight bytes of `word` is written escaped: one below '!', one above '~'
// or a '%'. Each test says only whether some byte matches, which is all a run of plain bytes
// needs to know.
bool AnyByteEscaped(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    const std::uint64_t below = (word - kOnes * '!') & ~word & kHighBits;
    const std::uint64_t above = ((word + kOnes * (0x80 - 0x7F)) | word) & kHighBits;
    const std::uint64_t others = word ^ (kOnes * '%');
    const std::uint64_t percent = (others - kOnes) & ~others & kHighBits;
    return (below | above | percent) != 0;
}

void AppendFingerprintRecord(std::string& out, std::string_view name, int index,
                             const FileFingerprint& fingerprint) {
    char text[kMostNumberChars + 1 + kMostFingerprintChars + 1];
    char* end = PutNumber(text, static_cast<unsigned>(index));
    *end++ = ' ';
    end = PutFingerprint(end, fingerprint);
    *end++ = '\n';
    out += name;
    out.append(text, end);
}

} // namespace

void AppendJournalField(std::string& out, std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    // Most names need no escape at all: they are looked at eight bytes at a time and go out
    // in runs, not byte by byte.
    std::size_t plainFrom = 0; // the first byte not yet written
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at >= sizeof(std::uint64_t)) {
            std::uint64_t word;
            std::memcpy(&word, bytes.data() + at, sizeof word);
            if (!AnyByteEscaped(word)) {
                at += sizeof word;
                continue;
            }
        }
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte <= ' ' || byte >= 0x7F || byte == '%') {
            out.append(bytes.data() + plainFrom, at - plainFrom);
            const char escaped[3] = {'%', kHex[byte >> 4], kHex[byte & 0xF]};
            out.append(escaped, 3);
            plainFrom = at + 1;
        }
        ++at;
    }
    out.append(bytes.data() + plainFrom, at - plainFrom);
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

std::string HeaderRecords(JournalKind kind, const std::string& undoes, int format) {
    std::string header = std::string(kMagic) + " " + std::to_string(format) + "\n";
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
    const std::string_view folder = DirectoryView(change.oldPath);
    const std::string_view newPath = change.newPath;
    if (!folder.empty() && DirectoryView(newPath) == folder) {
        out += kInFolder;
        AppendJournalField(out, newPath.substr(folder.size()));
    } else {
        AppendJournalField(out, newPath);
    }
    // The rest is numbers and times, written into one buffer and appended at once.
    char text[1 + kMostIdentityChars + 1 + kMostFingerprintChars + 1 + kMostBeforeChars + 1];
    char* end = text;
    *end++ = ' ';
    end = PutIdentity(end, change.identity);
    *end++ = ' ';
    end = PutFingerprint(end, change.seen);
    *end++ = ' ';
    end = PutBefore(end, change.before);
    *end++ = '\n';
    out.append(text, end);
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

std::string SeenRecord(int index, const std::optional<FileStamp>& found) {
    char text[kMostNumberChars + 1 + kMostIdentityChars + 1 + kMostFingerprintChars + 1];
    char* end = PutNumber(text, static_cast<unsigned>(index));
    *end++ = ' ';
    end = PutIdentity(end, found ? std::optional(found->identity) : std::nullopt);
    *end++ = ' ';
    end = PutFingerprint(end, found ? std::optional(found->fingerprint) : std::nullopt);
    *end++ = '\n';
    return "seen " + std::string(text, end);
}

void AppendLeftRecord(std::string& out, int index, const FileFingerprint& left) {
    AppendFingerprintRecord(out, "left ", index, left);
}

std::string BackRecord(int index, const FileFingerprint& back) {
    std::string record;
    AppendFingerprintRecord(record, "back ", index, back);
    return record;
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

std::string EndRecord(RunEnding how) {
    const auto named = std::find_if(std::begin(kEndingWords), std::end(kEndingWords),
                                    [how](const auto& ending) { return ending.first == how; });
    return named == std::end(kEndingWords) ? std::string()
                                           : "end " + std::string(named->second) + "\n";
}

std::string UndoneRecord() {
    return "undone\n";
}

bool JournalParser::TakeLine(std::string_view line) {
    if (stopped_)
        return false;
    const std::vector<std::string_view> fields = SplitFields(line);
    if (linesTaken_++ == 0) {
        const std::optional<int> format =
            fields.size() == 2 && fields[0] == kMagic ? ParseNumber<int>(fields[1]) : std::nullopt;
        if (!format)
            reading_.error = "This is not a run journal of C-Tarvolin.";
        else if (*format > kJournalFormat)
            reading_ = {std::nullopt,
                        "This run journal was written by a newer C-Tarvolin (format " +
                            std::to_string(*format) + "); this version reads format " +
                            std::to_string(kJournalFormat) + " only.",
                        true};
        stopped_ = !format || *format > kJournalFormat;
        format_ = format.value_or(0);
    } else if (!reading_.contents) {
        reading_.contents = ParseKind(fields);
        if (reading_.contents) {
            reading_.contents->format = format_;
            reading_.contents->changes.reserve(expectedChanges_);
        }
        if (!reading_.contents)
            reading_.error = "This run journal does not say what it is a journal of.";
        // What an undo names is written to later: only a journal beside it may be.
        else if (reading_.contents->kind == JournalKind::Undo &&
                 !IsJournalFileName(reading_.contents->undoes)) {
            reading_.error = "This undo journal names a run journal outside its folder: " +
                             EscapeJournalField(reading_.contents->undoes) + ".";
            reading_.contents.reset();
        }
        stopped_ = !reading_.contents;
    } else {
        stopped_ = !ApplyRecord(*reading_.contents, fields);
        reading_.stoppedEarly = stopped_;
    }
    return !stopped_;
}

JournalReading JournalParser::Finish() {
    if (linesTaken_ == 0)
        reading_.error = "This is not a run journal of C-Tarvolin.";
    else if (linesTaken_ == 1 && reading_.error.empty())
        reading_.error = "This run journal is cut off before its first record.";
    if (JournalContents* contents = reading_.contents ? &*reading_.contents : nullptr)
        for (std::size_t index = 0;
             index < contents->changes.size() && static_cast<int>(index) <= contents->doneThrough;
             ++index)
            contents->changes[index].done = true;
    return std::move(reading_);
}

// A cut-off last line is no record.
JournalReading ParseJournal(std::string_view text) {
    JournalParser parser;
    for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
        if (!parser.TakeLine(text.substr(0, end)))
            break;
        text.remove_prefix(end + 1);
    }
    return parser.Finish();
}

} // namespace tarvolin
