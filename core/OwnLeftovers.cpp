#include "OwnLeftovers.h"

#include "ChangeRestore.h"
#include "FileOps.h"
#include "LetterCase.h"

#include <unordered_map>

namespace tarvolin {

namespace {

// Which changes name a path, whatever its letter case: only their files can be there.
class ChangesByPath {
public:
    explicit ChangesByPath(const JournalContents& contents) {
        for (std::size_t index = 0; index < contents.changes.size(); ++index) {
            const JournalChange& change = contents.changes[index];
            Add(change.oldPath, index);
            Add(change.newPath, index);
        }
        for (const auto& [index, path] : contents.temporaryPaths)
            Add(path, static_cast<std::size_t>(index));
    }

    template <typename Visit>
    void ForEachAt(const std::string& path, Visit visit) const {
        const auto [first, last] = indices_.equal_range(FoldedLetterCase(path));
        for (auto at = first; at != last; ++at)
            visit(at->second);
    }

private:
    void Add(const std::string& path, std::size_t index) {
        indices_.emplace(FoldedLetterCase(path), index);
    }

    std::unordered_multimap<std::string, std::size_t> indices_;
};

const std::string* TemporaryPathOf(const JournalContents& contents, std::size_t index) {
    const auto found = contents.temporaryPaths.find(static_cast<int>(index));
    return found == contents.temporaryPaths.end() ? nullptr : &found->second;
}

// On a case-insensitive volume two spellings of a name reach one entry; on a case-sensitive
// one they are two.
bool SameEntry(FileLayer& files, const std::string& a, const std::string& b) {
    const std::optional<FileStamp> first = files.ReadFileStamp(a);
    const std::optional<FileStamp> second = files.ReadFileStamp(b);
    return first && second && first->identity.volume == second->identity.volume &&
           first->identity.file == second->identity.file;
}

// A change's file may be at `path` when it is found there under any letter case, or found
// nowhere at all (then nothing tells that it is not).
bool MayHoldFileOf(FileLayer& files, const std::string& path, const JournalContents& contents,
                   std::size_t index) {
    const std::optional<std::string> at =
        FindFileOf(files, contents.changes[index], TemporaryPathOf(contents, index));
    return !at || *at == path ||
           (FoldedLetterCase(*at) == FoldedLetterCase(path) && SameEntry(files, *at, path));
}

bool MayHoldAFileOfTheRun(FileLayer& files, const JournalReservation& reservation,
                          const JournalContents& contents, const ChangesByPath& changes) {
    bool may = MayHoldFileOf(files, reservation.path, contents,
                             static_cast<std::size_t>(reservation.index));
    changes.ForEachAt(reservation.path, [&](std::size_t index) {
        may = may || MayHoldFileOf(files, reservation.path, contents, index);
    });
    return may;
}

} // namespace

void RemoveOwnLeftovers(FileLayer& files, const JournalContents& contents) {
    std::vector<const JournalReservation*> open;
    for (const JournalReservation& reservation : contents.reservations) {
        if (reservation.index > contents.doneThrough)
            open.push_back(&reservation);
    }
    if (open.empty())
        return;
    const ChangesByPath changes(contents);
    for (const JournalReservation* reservation : open) {
        if (!MayHoldAFileOfTheRun(files, *reservation, contents, changes))
            files.RemoveEmptyFileMadeSince(reservation->path, reservation->since);
    }
}

} // namespace tarvolin
