#include "RenameOrder.h"

#include "FileOps.h"
#include "FoldedNameTable.h"
#include "NameRules.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string_view>

namespace tarvolin {

namespace {

// Which rename's file holds a name now and leaves it: the exact spelling first, then any
// letter case; the first where a file is listed twice. Renames are numbered by their step in
// `order`, or by their index where no order is given.
class NameHolders {
public:
    NameHolders(std::span<const std::string> from, std::span<const std::string> to,
                std::span<const std::size_t> order = {})
        : from_(from), order_(order), table_(from.size()) {
        ForEachHashedAhead(
            table_, from.size(), [&](std::size_t step) -> std::string_view { return NameAt(step); },
            [&](std::size_t step, std::uint64_t hash) {
                const std::size_t i = IndexAt(step);
                if (from[i] != to[i])
                    table_.AddHashed(hash, static_cast<std::uint32_t>(step));
            });
    }

    // Calls `found` with each rename's holder in turn, of the names `nameAt` gives by rename.
    template <typename NameAt, typename Found>
    void ForEachHolder(std::size_t count, NameAt nameAt, Found found) const {
        ForEachHashedAhead(table_, count, nameAt, [&](std::size_t mover, std::uint64_t hash) {
            found(mover, HolderOf(nameAt(mover), hash, mover));
        });
    }

private:
    std::optional<std::size_t> HolderOf(std::string_view name, std::uint64_t hash,
                                        std::size_t mover) const {
        std::optional<std::size_t> exact, folded;
        table_.ForEachCandidateHashed(hash, [&](std::size_t step) {
            const std::string& held = from_[IndexAt(step)];
            if (step == mover || !EqualUpToAsciiCase(held, name))
                return;
            std::optional<std::size_t>& kind = held == name ? exact : folded;
            kind = std::min(kind.value_or(step), step);
        });
        return exact ? exact : folded;
    }

    std::string_view NameAt(std::size_t step) const { return from_[IndexAt(step)]; }
    std::size_t IndexAt(std::size_t step) const { return order_.empty() ? step : order_[step]; }

    std::span<const std::string> from_;
    std::span<const std::size_t> order_;
    FoldedNameTable table_;
};

// For each rename, the one whose file holds the name it goes to; none when no file waits for
// another, as in nearly every batch.
std::optional<std::vector<std::optional<std::size_t>>> FindWaits(std::span<const std::string> from,
                                                                 std::span<const std::string> to) {
    const NameHolders holders(from, to);
    std::vector<std::optional<std::size_t>> waitsFor(from.size());
    bool anyWaits = false;
    holders.ForEachHolder(
        from.size(), [&](std::size_t i) -> std::string_view { return to[i]; },
        [&](std::size_t i, std::optional<std::size_t> holder) {
            waitsFor[i] = holder;
            anyWaits = anyWaits || holder;
        });
    if (!anyWaits)
        return std::nullopt;
    return waitsFor;
}

// Emits a cycle found on `path` from `cycleStart` on, whose rename listed first is moved
// aside before the others and finishes last: the others then go from the one heading into
// its name backwards.
void EmitCycle(const std::vector<std::size_t>& path, std::size_t cycleStart,
               std::vector<std::size_t>& order) {
    const auto first =
        std::min_element(path.begin() + static_cast<std::ptrdiff_t>(cycleStart), path.end());
    std::vector<std::size_t> rest(first + 1, path.end());
    rest.insert(rest.end(), path.begin() + static_cast<std::ptrdiff_t>(cycleStart), first);
    order.insert(order.end(), rest.rbegin(), rest.rend());
    order.push_back(*first);
}

} // namespace

namespace {

std::vector<std::size_t> ListOrder(std::size_t count) {
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    return order;
}

// Each rename after the one holding its name, chains from their end, cycles as EmitCycle says.
std::vector<std::size_t> OrderByWaits(const std::vector<std::optional<std::size_t>>& waitsFor) {
    const std::size_t count = waitsFor.size();
    enum : unsigned char { Unseen, OnPath, Ordered };
    std::vector<unsigned char> state(count, Unseen);
    std::vector<std::size_t> order, path;
    order.reserve(count);
    for (std::size_t start = 0; start < count; ++start) {
        path.clear();
        std::optional<std::size_t> next = start;
        while (next && state[*next] == Unseen) {
            state[*next] = OnPath;
            path.push_back(*next);
            next = waitsFor[*next];
        }
        std::size_t chainEnd = path.size();
        if (next && state[*next] == OnPath) {
            chainEnd =
                static_cast<std::size_t>(std::find(path.begin(), path.end(), *next) - path.begin());
            EmitCycle(path, chainEnd, order);
        }
        for (std::size_t i = chainEnd; i > 0; --i)
            order.push_back(path[i - 1]);
        for (const std::size_t i : path)
            state[i] = Ordered;
    }
    return order;
}

// FindParkings for the renames taken in `order` (empty: as listed).
std::vector<std::optional<std::size_t>> ParkingsInOrder(std::span<const std::string> from,
                                                        std::span<const std::string> to,
                                                        std::span<const std::size_t> order) {
    const NameHolders holders(from, to, order);
    std::vector<std::optional<std::size_t>> parkings(from.size());
    holders.ForEachHolder(
        from.size(),
        [&](std::size_t k) -> std::string_view { return to[order.empty() ? k : order[k]]; },
        [&](std::size_t k, std::optional<std::size_t> holder) {
            if (holder && *holder > k)
                parkings[k] = holder;
        });
    return parkings;
}

} // namespace

std::vector<std::size_t> OrderRenames(std::span<const std::string> from,
                                      std::span<const std::string> to) {
    const auto waitsFor = FindWaits(from, to);
    return waitsFor ? OrderByWaits(*waitsFor) : ListOrder(from.size());
}

RenameSequence SequenceRenames(std::span<const std::string> from, std::span<const std::string> to) {
    const auto waitsFor = FindWaits(from, to);
    if (!waitsFor) // no rename meets a name another still holds: none parks either
        return {ListOrder(from.size()), std::vector<std::optional<std::size_t>>(from.size())};
    RenameSequence sequence{OrderByWaits(*waitsFor), {}};
    sequence.parkings = ParkingsInOrder(from, to, sequence.order);
    return sequence;
}

std::vector<std::optional<std::size_t>> FindParkings(std::span<const std::string> from,
                                                     std::span<const std::string> to) {
    return ParkingsInOrder(from, to, {});
}

namespace {

std::optional<std::string> FreeParkingPath(FileLayer& files, const std::string& path,
                                           const std::string& heading) {
    constexpr int kAttempts = 100;
    constexpr std::size_t kLongestLead = 200;
    std::string lead = heading.substr(ExtractDirectory(heading).size());
    if (lead.size() > kLongestLead) {
        std::size_t cut = kLongestLead;
        while (cut > 0 && (static_cast<unsigned char>(lead[cut]) & 0xC0) == 0x80)
            --cut;
        lead.resize(cut);
    }
    const std::string stem = ExtractDirectory(path) + "." + lead + ".Tarvolin-Cycle-";
    for (int n = 0; n < kAttempts; ++n) {
        std::string candidate = stem + std::to_string(n);
        if (!files.ReadFileIdentity(candidate))
            return candidate;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> ParkAside(FileLayer& files, const std::string& path,
                                     const std::string& heading,
                                     const std::function<bool(const std::string&)>& announce) {
    std::optional<std::string> parking = FreeParkingPath(files, path, heading);
    if (!parking || !announce(*parking) || !files.RenameOnDisk(path, *parking))
        return std::nullopt;
    return parking;
}

} // namespace tarvolin
