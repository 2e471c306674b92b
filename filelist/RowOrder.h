#pragma once

#include "FileNames.h"
#include "RowFacts.h"

#include <QLocale>
#include <span>
#include <vector>

namespace tarvolin {

// The orders the list can be put in, each as a permutation: entry k of the result is the
// position, in the list as it stands, of the row that is to come k-th. Rows that compare equal
// keep their present order, so sorting twice changes nothing the second time.

// By path in the natural order of `locale`'s language: digits count as numbers ("pic 2" before
// "pic 10"), letters as that language sorts them, and in the C locale as Unicode's root order
// does. Each path is turned into a collation key
// once, so the comparisons of a sort of 100 000 rows never go back to the text.
std::vector<int> NaturalNameOrder(const FileNames& paths, const QLocale& locale);

// By modification time as last read and as the rows show it, in local time (`files`
// converts), oldest first; rows whose file gave no time come last.
std::vector<int> ModifyTimeOrder(std::span<const RowFacts> facts, FileLayer& files);

} // namespace tarvolin
