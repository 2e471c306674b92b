#include "FileMatch.h"

namespace tarvolin {

bool IsSameFile(const RecordedFile& recorded, const FileStamp& found) {
    const FileIdentity& was = recorded.identity;
    const FileIdentity& is = found.identity;
    const bool volumeIdsKnown = was.volumeId != 0 && is.volumeId != 0;
    if (volumeIdsKnown && was.volumeId != is.volumeId)
        return false;
    if (was.numbersLast && is.numbersLast && was.file != is.file)
        return false;
    if (!recorded.seen) // format 1 knew the numbers alone
        return was.volume == is.volume && was.file == is.file;
    const FileFingerprint& shows = found.fingerprint;
    const std::optional<ExactTime>& birth = recorded.seen->birth;
    const bool birthKnown = birth && shows.birth;
    if (birthKnown && *birth != *shows.birth)
        return false;
    const std::optional<FileFingerprint>& left = recorded.left;
    // Every change to a file moves its change time, so a file still showing it shows the
    // size and modification time of then as well; a volume keeping whole seconds only needs
    // those to tell a newcomer of the same second.
    const bool unforgeable =
        birthKnown || (left && left->change == shows.change && left->size == shows.size &&
                       left->modify == shows.modify);
    // Some FUSE drivers for FAT stamp a rename as a modification: while the volume stays
    // mounted, its number and size still tell the file the run was moving.
    const bool renamedOnTheSameMount =
        !is.numbersLast && was.volume == is.volume && was.file == is.file;
    const bool unchanged = !recorded.done && shows.size == recorded.seen->size &&
                           (shows.modify == recorded.seen->modify || renamedOnTheSameMount);
    return volumeIdsKnown || was.volume == is.volume ? unforgeable || unchanged : unforgeable;
}

} // namespace tarvolin
