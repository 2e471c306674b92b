#pragma once

// The order in which a batch renames its files, so that no file meets a name that another file
// of the same batch still holds and is about to leave: renumbering a folder in place (x_1..x_50
// to x_2..x_51) renames x_50 first. A chain of such names is taken from its end; a cycle (a
// swap, or any rotation) is broken by moving one of its files to a temporary name first.
// Only the order changes: every file still ends under exactly the name it was given.
//
// A file holds a name when its current path is that name, byte for byte or, failing that, up
// to letter case (a case-insensitive volume finds it under either; on a case-sensitive one the
// extra ordering is harmless). A file whose new path is its current one holds its name: a
// batch file heading there still meets it, as it would meet a file outside the batch.

#include "FileOps.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarvolin {

// The indices of `from`/`to` (equal lengths) in the order to rename them.
std::vector<std::size_t> OrderRenames(std::span<const std::string> from,
                                      std::span<const std::string> to);

// For renames taken in the order given: before rename k, the later rename whose file holds the
// name rename k goes to, and so must first go to a temporary name; none for most. In an order
// from OrderRenames that is the file that closes a cycle, once per cycle. Undo and recovery
// find the same answer from a journal's order alone.
std::vector<std::optional<std::size_t>> FindParkings(std::span<const std::string> from,
                                                     std::span<const std::string> to);

// OrderRenames and FindParkings at once, the parkings by step: what a run plans before its
// first rename. Where no file heads for a name another file of the batch holds, as in nearly
// every batch, that is the list order with no parking, found with one look per file.
struct RenameSequence {
    std::vector<std::size_t> order;
    std::vector<std::optional<std::size_t>> parkings;
};
RenameSequence SequenceRenames(std::span<const std::string> from, std::span<const std::string> to);

// Moves the file at `path` to a free name beside it, to wait there on its way to `heading`:
// "." + the name of `heading` + ".Tarvolin-Cycle-<n>", which a person recognises. `announce`
// hears that path before the file goes there (a journal writes it down, so that undo and
// recovery find the file) and may refuse. The temporary path, or none when the file did not
// move.
std::optional<std::string> ParkAside(FileLayer& files, const std::string& path,
                                     const std::string& heading,
                                     const std::function<bool(const std::string&)>& announce);

} // namespace tarvolin
