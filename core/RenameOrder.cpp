#include "RenameOrder.h"

#include "FileOps.h"
#include "NameRules.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace tarvolin {

namespace {

char FoldedByte(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

struct FoldedHash {
    std::size_t operator()(std::string_view text) const {
        std::size_t hash = 14695981039346656037ull;
        for (const char c : text)
            hash = (hash ^ static_cast<unsigned char>(FoldedByte(c))) * 1099511628211ull;
        return hash;
    }
};

struct FoldedEqual {
    bool operator()(std::string_view a, std::string_view b) const {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(),
                          [](char x, char y) { return FoldedByte(x) == FoldedByte(y); });
    }
};

// Which rename's file holds a name now and leaves it: the exact spelling first, then any
// letter case; the first listed where a file is listed twice.
class NameHolders {
public:
    NameHolders(std::span<const std::string> from, std::span<const std::string> to) {
        holders_.reserve(from.size());
        for (std::size_t i = 0; i < from.size(); ++i)
            if (from[i] != to[i])
                holders_.emplace(from[i], i);
    }

    std::optional<std::size_t> HolderOf(std::string_view name, std::size_t mover) const {
        std::optional<std::size_t> exact, folded;
        const auto [first, last] = holders_.equal_range(name);
        for (auto at = first; at != last; ++at) {
            if (at->second == mover)
                continue;
            std::optional<std::size_t>& kind = at->first == name ? exact : folded;
            kind = std::min(kind.value_or(at->second), at->second);
        }
        return exact ? exact : folded;
    }

private:
    std::unordered_multimap<std::string_view, std::size_t, FoldedHash, FoldedEqual> holders_;
};

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

std::vector<std::size_t> OrderRenames(std::span<const std::string> from,
                                      std::span<const std::string> to) {
    const std::size_t count = from.size();
    const NameHolders holders(from, to);
    std::vector<std::optional<std::size_t>> waitsFor(count);
    for (std::size_t i = 0; i < count; ++i)
        waitsFor[i] = holders.HolderOf(to[i], i);
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

std::vector<std::optional<std::size_t>> FindParkings(std::span<const std::string> from,
                                                     std::span<const std::string> to) {
    const NameHolders holders(from, to);
    std::vector<std::optional<std::size_t>> parkings(from.size());
    for (std::size_t k = 0; k < from.size(); ++k) {
        const std::optional<std::size_t> holder = holders.HolderOf(to[k], k);
        if (holder && *holder > k)
            parkings[k] = holder;
    }
    return parkings;
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
