#include "NameIndex.h"

#include <algorithm>
#include <bit>

namespace tarvolin {

namespace {

char Folded(char c, bool fold) {
    return fold && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// FNV-1a over the folder and the (folded) bytes of the name, its bits then mixed: names that
// differ in a digit or two would otherwise crowd the low bits that pick the slot.
std::uint64_t HashOf(int folder, std::string_view name, bool fold) {
    std::uint64_t hash = 14695981039346656037ULL ^ static_cast<std::uint64_t>(folder);
    for (const char c : name)
        hash = (hash ^ static_cast<unsigned char>(Folded(c, fold))) * 1099511628211ULL;
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdULL;
    return hash ^ (hash >> 33);
}

bool SameName(std::string_view a, std::string_view b, bool fold) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Folded(a[i], fold) != Folded(b[i], fold))
            return false;
    return true;
}

} // namespace

std::uint32_t TagOf(std::uint64_t hash) {
    return static_cast<std::uint32_t>(hash >> 32);
}

NameIndex::NameIndex(std::size_t expected)
    : slots_(std::bit_ceil(std::max<std::size_t>(16, expected * 2))) {
    entries_.reserve(expected);
}

NameIndex::Slot& NameIndex::SlotOf(std::uint64_t hash, int folder, std::string_view name,
                                   bool fold) {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        Slot& slot = slots_[at];
        if (slot.entry < 0)
            return slot;
        if (slot.tag != TagOf(hash))
            continue;
        const Entry& entry = entries_[static_cast<std::size_t>(slot.entry)];
        if (entry.folder == folder && SameName(entry.name, name, fold))
            return slot;
    }
}

const int* NameIndex::Find(int folder, std::string_view name, bool fold) const {
    const Slot& slot =
        const_cast<NameIndex*>(this)->SlotOf(HashOf(folder, name, fold), folder, name, fold);
    return slot.entry < 0 ? nullptr : &entries_[static_cast<std::size_t>(slot.entry)].value;
}

std::pair<int*, bool> NameIndex::Emplace(int folder, std::string_view name, bool fold, int value) {
    if ((entries_.size() + 1) * 2 > slots_.size())
        Grow();
    const std::uint64_t hash = HashOf(folder, name, fold);
    Slot& slot = SlotOf(hash, folder, name, fold);
    if (slot.entry >= 0)
        return {&entries_[static_cast<std::size_t>(slot.entry)].value, false};
    slot = {TagOf(hash), static_cast<std::int32_t>(entries_.size())};
    entries_.push_back({name, folder, value, fold});
    return {&entries_.back().value, true};
}

void NameIndex::Grow() {
    slots_.assign(slots_.size() * 2, Slot{});
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        const std::uint64_t hash = HashOf(entry.folder, entry.name, entry.fold);
        std::size_t at = hash & mask;
        while (slots_[at].entry >= 0)
            at = (at + 1) & mask;
        slots_[at] = {TagOf(hash), static_cast<std::int32_t>(i)};
    }
}

} // namespace tarvolin
