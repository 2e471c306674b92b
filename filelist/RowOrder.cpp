#include "RowOrder.h"

#include "RowTexts.h"

#include <QCollator>
#include <algorithm>
#include <numeric>

namespace tarvolin {

namespace {

std::vector<int> Identity(std::size_t count) {
    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    return order;
}

// The C locale names no language, and Qt's collator then compares code points, with no
// numbers; the root order of Unicode, which English keeps, is the one without a language.
QLocale SortingLocale(const QLocale& locale) {
    return locale.language() == QLocale::C ? QLocale(QLocale::English) : locale;
}

} // namespace

std::vector<int> NaturalNameOrder(const FileNames& paths, const QLocale& locale) {
    QCollator collator(SortingLocale(locale));
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(paths.size());
    for (const std::string& path : paths)
        keys.push_back(collator.sortKey(PathToText(path)));
    std::vector<int> order = Identity(paths.size());
    std::stable_sort(order.begin(), order.end(), [&keys](int left, int right) {
        return keys[static_cast<std::size_t>(left)].compare(keys[static_cast<std::size_t>(right)]) <
               0;
    });
    return order;
}

// Each row's time is made local once, before the sort compares any: where the clocks go back,
// the wall-clock order the rows show is not the order of the moments.
std::vector<int> ModifyTimeOrder(std::span<const RowFacts> facts, FileLayer& files) {
    std::vector<std::uint64_t> keys;
    keys.reserve(facts.size());
    for (const RowFacts& row : facts) {
        const std::optional<ExactTime> utc = row.modifyTime.Unpacked();
        keys.push_back(LocalTimeOrderKey(utc ? files.LocalTimeOf(*utc) : std::nullopt));
    }
    std::vector<int> order = Identity(facts.size());
    std::stable_sort(order.begin(), order.end(), [&keys](int left, int right) {
        return keys[static_cast<std::size_t>(left)] < keys[static_cast<std::size_t>(right)];
    });
    return order;
}

} // namespace tarvolin
