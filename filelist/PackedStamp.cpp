#include "PackedStamp.h"

#include <limits>

namespace tarvolin {

namespace {

constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;
constexpr std::int64_t kNoBirth = std::numeric_limits<std::int64_t>::min();
constexpr std::uint32_t kNoStamp = UINT32_MAX;

static_assert(sizeof(PackedStamp) <= 48);

// No value for a time the nanoseconds since 1970 cannot hold in 63 bits (or that stands for
// no birth time).
std::optional<std::int64_t> ToNanoseconds(const ExactTime& time) {
    constexpr std::int64_t kLimit =
        std::numeric_limits<std::int64_t>::max() / kNanosecondsPerSecond;
    if (time.seconds >= kLimit || time.seconds <= -kLimit)
        return std::nullopt;
    return time.seconds * kNanosecondsPerSecond + time.nanoseconds;
}

ExactTime FromNanoseconds(std::int64_t nanoseconds) {
    std::int64_t seconds = nanoseconds / kNanosecondsPerSecond;
    std::int64_t rest = nanoseconds % kNanosecondsPerSecond;
    if (rest < 0) {
        --seconds;
        rest += kNanosecondsPerSecond;
    }
    return ExactTime{seconds, static_cast<unsigned>(rest)};
}

} // namespace

std::uint32_t VolumeTable::PlaceOf(const FileIdentity& identity) {
    const auto same = [&identity](const Volume& volume) {
        return volume.device == identity.volume && volume.id == identity.volumeId &&
               volume.numbersLast == identity.numbersLast;
    };
    if (lastFound_ < volumes_.size() && same(volumes_[lastFound_]))
        return lastFound_;
    for (std::uint32_t place = 0; place < volumes_.size(); ++place)
        if (same(volumes_[place]))
            return lastFound_ = place;
    volumes_.push_back({identity.volume, identity.volumeId, identity.numbersLast});
    return lastFound_ = static_cast<std::uint32_t>(volumes_.size() - 1);
}

void VolumeTable::FillVolume(std::uint32_t place, FileIdentity& identity) const {
    const Volume& volume = volumes_.at(place);
    identity.volume = volume.device;
    identity.volumeId = volume.id;
    identity.numbersLast = volume.numbersLast;
}

PackedStamp::PackedStamp(const std::optional<FileStamp>& stamp, VolumeTable& volumes) {
    if (!stamp)
        return;
    const FileFingerprint& shows = stamp->fingerprint;
    const std::optional<std::int64_t> modify = ToNanoseconds(shows.modify);
    const std::optional<std::int64_t> change = ToNanoseconds(shows.change);
    const std::optional<std::int64_t> birth =
        shows.birth ? ToNanoseconds(*shows.birth) : std::optional<std::int64_t>(kNoBirth);
    if (!modify || !change || !birth)
        return;
    file_ = stamp->identity.file;
    size_ = shows.size;
    modify_ = *modify;
    change_ = *change;
    birth_ = *birth;
    volume_ = volumes.PlaceOf(stamp->identity);
}

std::optional<FileStamp> PackedStamp::Unpacked(const VolumeTable& volumes) const {
    if (volume_ == kNoStamp)
        return std::nullopt;
    FileStamp stamp;
    volumes.FillVolume(volume_, stamp.identity);
    stamp.identity.file = file_;
    stamp.fingerprint.size = size_;
    stamp.fingerprint.modify = FromNanoseconds(modify_);
    stamp.fingerprint.change = FromNanoseconds(change_);
    if (birth_ != kNoBirth)
        stamp.fingerprint.birth = FromNanoseconds(birth_);
    return stamp;
}

} // namespace tarvolin
