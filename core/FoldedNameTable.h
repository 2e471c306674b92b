#pragma once

// Many paths looked up by their spelling up to ASCII letter case, as a batch run asks of every
// listed file's new name whether another listed file holds it: one flat array of small slots,
// so that a look costs one visit to memory rather than a chase through allocated nodes, and a
// hash that folds eight bytes at a time. Bytes beyond ASCII are compared as they are.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tarvolin {

// The hash of `name` with its ASCII capitals lowered: names that differ only there hash alike.
std::uint64_t AsciiFoldedHash(std::string_view name);

// Whether `a` and `b` are the same bytes once their ASCII capitals are lowered.
bool EqualUpToAsciiCase(std::string_view a, std::string_view b);

// Entries numbered by the caller, each filed under a name; the caller keeps the names and
// tells the true matches from the few others that share a name's slot tag.
class FoldedNameTable {
public:
    // Room for `count` entries, which is all it may hold.
    explicit FoldedNameTable(std::size_t count);

    void Add(std::string_view name, std::uint32_t entry) {
        AddHashed(AsciiFoldedHash(name), entry);
    }

    // Calls `visit` with every entry whose name may equal `name` up to ASCII letter case
    // (every one that does, and rarely another), in no particular order.
    template <typename Visit>
    void ForEachCandidate(std::string_view name, Visit visit) const {
        ForEachCandidateHashed(AsciiFoldedHash(name), visit);
    }

    // The same two for a name whose AsciiFoldedHash is known, from HashAndFetch.
    void AddHashed(std::uint64_t hash, std::uint32_t entry);
    template <typename Visit>
    void ForEachCandidateHashed(std::uint64_t hash, Visit visit) const {
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        for (std::size_t at = hash & mask_; slots_[at].entry != kEmpty; at = (at + 1) & mask_)
            if (slots_[at].tag == tag)
                visit(slots_[at].entry);
    }

    // The hash of `name`, its slot asked for from memory already: a loop that hashes a few
    // names ahead of the one it files or looks up (ForEachHashedAhead) then waits for memory
    // once per few names rather than once per name, where the table outgrows the caches.
    std::uint64_t HashAndFetch(std::string_view name) const {
        const std::uint64_t hash = AsciiFoldedHash(name);
        __builtin_prefetch(&slots_[hash & mask_]);
        return hash;
    }

private:
    static constexpr std::uint32_t kEmpty = UINT32_MAX;
    struct Slot {
        std::uint32_t tag = 0; // the hash's upper half; its lower bits chose the slot
        std::uint32_t entry = kEmpty;
    };
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
};

// Hands `use` each of `count` names in turn (by index) with its hash, while the slots of the
// names a few places further on are on their way from memory.
template <typename NameAt, typename Use>
void ForEachHashedAhead(const FoldedNameTable& table, std::size_t count, NameAt nameAt, Use use) {
    constexpr std::size_t kAhead = 8;
    std::array<std::uint64_t, kAhead> hashes{};
    for (std::size_t i = 0; i < count && i < kAhead; ++i)
        hashes[i] = table.HashAndFetch(nameAt(i));
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t hash = hashes[i % kAhead];
        if (i + kAhead < count)
            hashes[i % kAhead] = table.HashAndFetch(nameAt(i + kAhead));
        use(i, hash);
    }
}

} // namespace tarvolin
