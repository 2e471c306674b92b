#include "FoldedNameTable.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tarvolin {

namespace {

constexpr std::uint64_t kEveryByte = 0x0101010101010101ull;

// The eight bytes of `word` with 'A'..'Z' lowered, all at once: a byte's top bit marks it
// beyond ASCII, and for the others adding to the low seven bits sets the top bit from 'A' on
// and from the byte after 'Z' on, without a carry into the next byte.
std::uint64_t LowerAsciiCapitals(std::uint64_t word) {
    const std::uint64_t low7 = word & (0x7F * kEveryByte);
    const std::uint64_t fromA = low7 + (0x80 - 'A') * kEveryByte;
    const std::uint64_t pastZ = low7 + (0x80 - 'Z' - 1) * kEveryByte;
    const std::uint64_t capitals = fromA & ~pastZ & ~word & (0x80 * kEveryByte);
    return word | (capitals >> 2); // 0x80 >> 2 is the bit between the two cases
}

std::uint64_t Mix(std::uint64_t hash, std::uint64_t word) {
    constexpr std::uint64_t kOdd = 0x9E3779B97F4A7C15ull;
    return std::rotl((hash ^ word) * kOdd, 31);
}

// MurmurHash3's finaliser: every bit of the input reaches the low bits that pick a slot.
std::uint64_t Finish(std::uint64_t hash) {
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 33;
    hash *= 0xC4CEB9FE1A85EC53ull;
    return hash ^ (hash >> 33);
}

char LowerAsciiCapital(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::uint64_t AsciiFoldedHash(std::string_view name) {
    std::uint64_t hash = name.size();
    std::size_t at = 0;
    for (; at + 8 <= name.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, name.data() + at, 8);
        hash = Mix(hash, LowerAsciiCapitals(word));
    }
    std::uint64_t rest = 0;
    if (at < name.size())
        std::memcpy(&rest, name.data() + at, name.size() - at);
    return Finish(Mix(hash, LowerAsciiCapitals(rest)));
}

bool EqualUpToAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAsciiCapital(x) == LowerAsciiCapital(y);
           });
}

// At most half full, so that a look seldom walks past more than a slot or two.
FoldedNameTable::FoldedNameTable(std::size_t count)
    : slots_(std::bit_ceil(std::max<std::size_t>(16, 2 * count))), mask_(slots_.size() - 1) {}

void FoldedNameTable::AddHashed(std::uint64_t hash, std::uint32_t entry) {
    std::size_t at = hash & mask_;
    while (slots_[at].entry != kEmpty)
        at = (at + 1) & mask_;
    slots_[at] = Slot{static_cast<std::uint32_t>(hash >> 32), entry};
}

} // namespace tarvolin
