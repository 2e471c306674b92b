#include "PlanStamps.h"

#include <bit>

namespace tarvolin {

namespace {

// One cheap step per value, each a bijection of the hash and of the value, so that no later
// step undoes a difference in one value; the whole is mixed once at the end (Finished). A full
// mix per value cost a run more than the rest of its checks.
std::uint64_t Mixed(std::uint64_t hash, std::uint64_t value) {
    return std::rotl((hash ^ value) * 0x9E3779B97F4A7C15ULL, 29);
}

std::uint64_t Finished(std::uint64_t hash) {
    std::uint64_t z = hash;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t Mixed(std::uint64_t hash, const ExactTime& time) {
    return Mixed(Mixed(hash, static_cast<std::uint64_t>(time.seconds)), time.nanoseconds);
}

// What no step of the run changes of a file, as one odd number (0 stands for no check): a
// run that kept 80 bytes of it per file would hold 80 MB over a million files. Two files
// that differ in any of it share the number with a chance of 2^-63.
std::uint64_t UnchangingDigest(const FileStamp& stamp, bool modifyTimeSet) {
    const FileIdentity& identity = stamp.identity;
    const FileFingerprint& shows = stamp.fingerprint;
    std::uint64_t hash = Mixed(Mixed(Mixed(0, identity.volume), identity.file), identity.volumeId);
    hash = Mixed(Mixed(hash, identity.numbersLast ? 1 : 0), shows.size);
    hash = shows.birth ? Mixed(hash, *shows.birth) : Mixed(hash, ~0ULL);
    if (!modifyTimeSet)
        hash = Mixed(hash, shows.modify);
    return Finished(hash) | 1;
}

} // namespace

PlanStamps::PlanStamps(RenameOutlets& outlets, std::span<const int> positions,
                       const std::vector<bool>& readAnyway)
    : outlets_(outlets), files_(outlets.Files()), positions_(positions),
      known_(positions.size(), false) {
    for (std::size_t step = 0; step < positions.size(); ++step) {
        known_[step] = !readAnyway[step] && outlets.KnownStamp(positions[step]).has_value();
        anyKnown_ = anyKnown_ || known_[step];
    }
}

void PlanStamps::ReadMissing(std::span<const std::string> oldPaths) {
    if (!anyKnown_) {
        read_ = files_.ReadFileStamps(oldPaths);
        return;
    }
    std::vector<std::string> missing;
    for (std::size_t step = 0; step < oldPaths.size(); ++step)
        if (!known_[step])
            missing.push_back(oldPaths[step]);
    read_ = files_.ReadFileStamps(missing);
}

// A caller that knew a stamp a moment ago and no longer does is answered by the disk: a
// change without an identity would be passed over by undo.
std::optional<FileStamp> PlanStamps::StampOf(std::size_t step, const std::string& oldPath) {
    if (!known_[step])
        return nextRead_ < read_.size() ? std::move(read_[nextRead_++]) : std::nullopt;
    std::optional<FileStamp> known = outlets_.KnownStamp(positions_[step]);
    if (!known) {
        known_[step] = false;
        return files_.ReadFileStamp(oldPath);
    }
    return known;
}

std::uint64_t PlanStamps::CheckOf(std::size_t step, const std::optional<FileStamp>& stamp,
                                  const RenameOptions& options) const {
    return known_[step] && stamp ? UnchangingDigest(*stamp, options.setModifyTime) : 0;
}

// A caller that answers nothing after the step is not taken at its word: a correction that
// no file is there would make undo pass the file over.
std::optional<FileStamp> CheckAfterSteps(RunJournal& journal, RenameOutlets& outlets, int step,
                                         int position, const std::string& path,
                                         std::uint64_t planned, const RenameOptions& options) {
    std::optional<FileStamp> found = outlets.KnownStamp(position);
    if (planned == 0)
        return found;
    if (!found)
        found = outlets.Files().ReadFileStamp(path);
    if (!found || UnchangingDigest(*found, options.setModifyTime) != planned)
        journal.CorrectChange(step, found);
    return found;
}

} // namespace tarvolin
