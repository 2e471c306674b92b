#pragma once

// Names by folder for a preview that looks up every listed row on each keystroke: one flat
// table probed in place, whose keys are views into strings the caller keeps, so that a lookup
// allocates nothing and a table of 100 000 names costs one allocation.

#include <cstdint>
#include <string_view>
#include <vector>

namespace tarvolin {

class NameIndex {
public:
    explicit NameIndex(std::size_t expected = 0);

    // The value kept for `name` in `folder`, or null. With `fold`, names that differ only in
    // ASCII letter case are one name (FoldedName).
    const int* Find(int folder, std::string_view name, bool fold) const;
    // Keeps `value` for `name` in `folder` unless a value is kept there already; gives the
    // value kept (valid until the next Emplace) and whether it is `value`. `name` must outlive
    // the table.
    std::pair<int*, bool> Emplace(int folder, std::string_view name, bool fold, int value);

private:
    // A slot is small, so that a probe of a large table meets the cache as often as it can;
    // the entry it points to is read only when the hash's upper half matches.
    struct Slot {
        std::uint32_t tag = 0;
        std::int32_t entry = -1; // -1: empty
    };
    struct Entry {
        std::string_view name;
        int folder = 0;
        int value = 0;
        bool fold = false;
    };

    Slot& SlotOf(std::uint64_t hash, int folder, std::string_view name, bool fold);
    void Grow();

    std::vector<Slot> slots_;
    std::vector<Entry> entries_;
};

} // namespace tarvolin
