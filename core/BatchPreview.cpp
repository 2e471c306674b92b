#include "BatchPreview.h"

#include "DosDateTime.h"
#include "NameFieldCheck.h"
#include "NameRules.h"
#include "RenameJob.h"
#include "WindowsNames.h"

#include <array>
#include <optional>
#include <unordered_map>

namespace tarvolin {

namespace {

constexpr int kVerdictCount = static_cast<int>(Verdict::TimeOutOfRange) + 1;

// How many UTF-16 units Windows spends on a UTF-8 name: two for a character beyond the basic
// plane (a four-byte sequence), none for a continuation byte.
std::size_t Utf16Length(std::string_view name) {
    std::size_t units = 0;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80)
            units += byte >= 0xF0 ? 2 : 1;
    }
    return units;
}

bool TooLong(std::string_view name, const FolderFacts& facts) {
    const std::size_t length = facts.windowsNames ? Utf16Length(name) : name.size();
    return length > facts.maxNameLength;
}

// Whether a file that the run renames would also get what the options ask of it, under its
// new name `name`. Where a volume keeps no hidden bit, a name beginning with a dot is what
// shows a file hidden, so there the bit asked for must agree with the name.
Verdict MetadataVerdict(const FolderFacts& facts, std::string_view name,
                        const RenameOptions& options) {
    AttributeSet wanted = options.attributes;
    if ((facts.storableAttributes & kHidden) == 0 && name.starts_with('.'))
        wanted ^= kHidden;
    if (options.setAttributes && (wanted & ~facts.storableAttributes) != 0)
        return Verdict::AttributesNotStored;
    if (options.setCreationTime && !facts.storesCreationTime)
        return Verdict::CreationTimeNotStored;
    if ((options.setCreationTime && !AtDosPrecision(options.creationDate, options.creationTime)) ||
        (options.setModifyTime && !AtDosPrecision(options.modifyDate, options.modifyTime)))
        return Verdict::TimeOutOfRange;
    return Verdict::Fine;
}

// The verdict on the name alone of a row that exists, is listed once and changes its name;
// `claimed` holds each new name already given to an earlier row.
RowVerdict NameVerdict(const ListOnDisk& list, std::size_t i, std::string_view newPath,
                       NameIndex& claimed) {
    const ListOnDisk::Row& row = list.rows()[i];
    const FolderFacts& facts = list.folders()[static_cast<std::size_t>(row.folder)];
    const std::string_view name = newPath.substr(row.nameStart);
    if (!facts.writable)
        return {Verdict::FolderReadOnly};
    if (TooLong(name, facts))
        return {Verdict::NameTooLong};
    if (facts.windowsNames && WindowsRefusesName(name))
        return {Verdict::BadCharacters};
    const auto [earlier, first] =
        claimed.Emplace(row.folder, name, facts.foldsNames, static_cast<int>(i));
    if (!first)
        return {Verdict::SameNewName, *earlier};
    const int* holder = list.holders().Find(row.folder, name, facts.foldsNames);
    if (holder == nullptr)
        return {};
    if (*holder < 0)
        return {Verdict::TakenOnDisk};
    if (*holder == static_cast<int>(i))
        return {facts.ignoresCase ? Verdict::CaseOnly : Verdict::Fine};
    return {Verdict::KeptByRow, *holder}; // settled once every row has its verdict
}

// A new name held by another listed file is free once that file moves away; it stays taken
// when that file keeps its name or fails itself, which may in turn free no name for a third.
// Chains are followed to their end once, so a list renumbered in place costs one pass.
void SettleNamesHeldByRows(std::vector<RowVerdict>& verdicts) {
    enum : char { Unvisited, InChain, Settled };
    std::vector<char> state(verdicts.size(), Unvisited);
    std::vector<std::size_t> chain;
    for (std::size_t start = 0; start < verdicts.size(); ++start) {
        std::size_t at = start;
        while (verdicts[at].verdict == Verdict::KeptByRow && state[at] == Unvisited) {
            state[at] = InChain;
            chain.push_back(at);
            at = static_cast<std::size_t>(verdicts[at].otherRow);
        }
        // Back at a row of this chain: a cycle, in which every file moves and none blocks.
        const Verdict end = verdicts[at].verdict;
        const bool blocked = state[at] != InChain && (Fails(end) || end == Verdict::Unchanged);
        for (const std::size_t link : chain) {
            state[link] = Settled;
            if (!blocked)
                verdicts[link] = {};
        }
        chain.clear();
    }
}

const char* CountWords(Verdict verdict, bool one) {
    switch (verdict) {
    case Verdict::Missing:
        return one ? "file missing" : "files missing";
    case Verdict::ListedTwice:
        return "listed twice";
    case Verdict::FolderReadOnly:
        return one ? "in a folder that takes no new names" : "in folders that take no new names";
    case Verdict::NameTooLong:
        return one ? "name too long" : "names too long";
    case Verdict::BadCharacters:
        return one ? "name with characters its volume refuses"
                   : "names with characters their volume refuses";
    case Verdict::SameNewName:
        return one ? "new name given to an earlier row" : "new names given to earlier rows";
    case Verdict::TakenOnDisk:
        return one ? "name taken on disk" : "names taken on disk";
    case Verdict::KeptByRow:
        return one ? "name kept by another listed file" : "names kept by other listed files";
    case Verdict::AttributesNotStored:
        return one ? "file whose volume cannot store the attributes"
                   : "files whose volume cannot store the attributes";
    case Verdict::CreationTimeNotStored:
        return one ? "file whose volume cannot store a creation time"
                   : "files whose volume cannot store a creation time";
    case Verdict::TimeOutOfRange:
        return one ? "file with a time outside 1980..2107" : "files with a time outside 1980..2107";
    default:
        return "";
    }
}

std::string Summary(const std::vector<RowVerdict>& verdicts, int failing) {
    std::array<int, kVerdictCount> counts{};
    for (const RowVerdict& row : verdicts)
        ++counts[static_cast<std::size_t>(row.verdict)];
    if (verdicts.empty())
        return kNoFilesListedText; // what the run says
    const std::string total = std::to_string(verdicts.size());
    if (failing == 0) {
        std::string text = "None of " + total + " will fail";
        if (const int caseOnly = counts[static_cast<std::size_t>(Verdict::CaseOnly)])
            text += "; " + std::to_string(caseOnly) +
                    " change only letter case, through a temporary name";
        return text + ".";
    }
    std::string text = std::to_string(failing) + " of " + total + " will fail:";
    const char* separator = " ";
    for (int v = static_cast<int>(Verdict::Missing); v < kVerdictCount; ++v) {
        if (const int count = counts[static_cast<std::size_t>(v)]) {
            text += separator + std::to_string(count) + " " +
                    CountWords(static_cast<Verdict>(v), count == 1);
            separator = ", ";
        }
    }
    return text;
}

} // namespace

bool Fails(Verdict verdict) {
    return verdict >= Verdict::NameFieldFault;
}

ListOnDisk::ListOnDisk(std::vector<std::string> paths) : paths_(std::move(paths)) {
    rows_.resize(paths_.size());
    std::unordered_map<std::string_view, int> folderIndex;
    // One layer for the whole look, so that what it learns of a volume serves every folder on it.
    FileLayer files;
    const std::vector<std::optional<FileIdentity>> identities = files.ReadFileIdentities(paths_);
    // The rows by file number, each row linked to the one before it with the same number.
    std::unordered_map<unsigned long long, int> lastWithNumber;
    std::vector<int> previousWithNumber(paths_.size(), -1);
    for (std::size_t i = 0; i < paths_.size(); ++i) {
        Row& row = rows_[i];
        row.nameStart = ExtractDirectory(paths_[i]).size();
        const std::string_view directory = std::string_view(paths_[i]).substr(0, row.nameStart);
        const auto [known, added] =
            folderIndex.try_emplace(directory, static_cast<int>(folders_.size()));
        if (added)
            folders_.push_back(files.ReadFolderFacts(std::string(directory)));
        row.folder = known->second;
        row.missing = !identities[i];
        if (row.missing)
            continue;
        const auto [last, first] =
            lastWithNumber.try_emplace(identities[i]->file, static_cast<int>(i));
        if (first)
            continue;
        for (int other = last->second; other >= 0;
             other = previousWithNumber[static_cast<std::size_t>(other)])
            if (*identities[static_cast<std::size_t>(other)] == *identities[i])
                row.sameFileAs = other; // the earliest such row, in the end
        previousWithNumber[i] = last->second;
        last->second = static_cast<int>(i);
    }
    IndexHolders();
}

void ListOnDisk::IndexHolders() {
    std::size_t names = 0;
    for (const FolderFacts& facts : folders_)
        names += facts.names.size();
    holders_ = NameIndex(names);
    for (std::size_t folder = 0; folder < folders_.size(); ++folder)
        for (const std::string& name : folders_[folder].names)
            holders_.Emplace(static_cast<int>(folder), name, folders_[folder].foldsNames, -1);
    for (std::size_t i = 0; i < paths_.size(); ++i) {
        const Row& row = rows_[i];
        if (row.missing || row.sameFileAs >= 0)
            continue;
        const std::string_view name = std::string_view(paths_[i]).substr(row.nameStart);
        const auto [holder, added] = holders_.Emplace(
            row.folder, name, folders_[static_cast<std::size_t>(row.folder)].foldsNames,
            static_cast<int>(i));
        if (!added && *holder < 0)
            *holder = static_cast<int>(i);
    }
}

BatchPreview PreviewBatch(const ListOnDisk& list, const RenameOptions& options) {
    const std::vector<std::string>& paths = list.paths();
    BatchPreview preview;
    preview.newPaths.reserve(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i)
        preview.newPaths.push_back(ComposeBatchName(paths[i], static_cast<int>(i), options));
    preview.verdicts.resize(paths.size());
    if (const std::optional<std::string> fault = FindNameFieldFault(options)) {
        for (RowVerdict& row : preview.verdicts)
            row.verdict = Verdict::NameFieldFault;
        preview.failing = static_cast<int>(paths.size());
        preview.summary = *fault;
        return preview;
    }
    NameIndex claimed(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const ListOnDisk::Row& row = list.rows()[i];
        RowVerdict& verdict = preview.verdicts[i];
        if (row.missing)
            verdict = {Verdict::Missing};
        else if (row.sameFileAs >= 0)
            verdict = {Verdict::ListedTwice, row.sameFileAs};
        else if (preview.newPaths[i] == paths[i])
            verdict = {Verdict::Unchanged};
        else
            verdict = NameVerdict(list, i, preview.newPaths[i], claimed);
    }
    SettleNamesHeldByRows(preview.verdicts);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        RowVerdict& verdict = preview.verdicts[i];
        if (!Fails(verdict.verdict)) {
            const ListOnDisk::Row& row = list.rows()[i];
            const Verdict metadata = MetadataVerdict(
                list.folders()[static_cast<std::size_t>(row.folder)],
                std::string_view(preview.newPaths[i]).substr(row.nameStart), options);
            if (metadata != Verdict::Fine)
                verdict = {metadata};
        }
        preview.failing += Fails(verdict.verdict) ? 1 : 0;
    }
    preview.summary = Summary(preview.verdicts, preview.failing);
    return preview;
}

std::string VerdictText(const RowVerdict& row, const BatchPreview& preview) {
    const std::string other = std::to_string(row.otherRow + 1);
    switch (row.verdict) {
    case Verdict::Fine:
        return "OK";
    case Verdict::CaseOnly:
        return "OK: letter case only, done through a temporary name";
    case Verdict::Unchanged:
        return "Unchanged";
    case Verdict::NameFieldFault:
        return preview.summary;
    case Verdict::Missing:
        return "File missing";
    case Verdict::ListedTwice:
        return "The same file as row " + other;
    case Verdict::FolderReadOnly:
        return "Its folder takes no new names";
    case Verdict::NameTooLong:
        return "Name too long for its volume";
    case Verdict::BadCharacters:
        return "Characters its volume cannot hold or Windows cannot open";
    case Verdict::SameNewName:
        return "The same new name as row " + other;
    case Verdict::TakenOnDisk:
        return "Name taken by a file not in the list";
    case Verdict::KeptByRow:
        return "Name kept by the file of row " + other;
    case Verdict::AttributesNotStored:
        return "Its volume cannot store these attributes";
    case Verdict::CreationTimeNotStored:
        return "Its volume cannot store a creation time";
    case Verdict::TimeOutOfRange:
        return "A time to set lies outside 1980..2107";
    }
    return {};
}

} // namespace tarvolin
