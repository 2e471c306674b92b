#pragma once

// Many paths looked up by their spelling up to ASCII letter case, as a batch run asks of every
// listed file's new name whether another listed file holds it: one flat array of small slots,
// so that a look costs one visit to memory rather than a chase through allocated nodes, and a
// hash that folds eight bytes at a time. Bytes beyond ASCII are compared as they are.

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

    void Add(std::string_view name, std::uint32_t entry);

    // Calls `visit` with every entry whose name may equal `name` up to ASCII letter case
    // (every one that does, and rarely another), in no particular order.
    template <typename Visit>
    void ForEachCandidate(std::string_view name, Visit visit) const {
        const std::uint64_t hash = AsciiFoldedHash(name);
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        for (std::size_t at = hash & mask_; slots_[at].entry != kEmpty; at = (at + 1) & mask_)
            if (slots_[at].tag == tag)
                visit(slots_[at].entry);
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

} // namespace tarvolin
