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

std::vector<int> ModifyTimeOrder(std::span<const RowFacts> facts) {
    std::vector<int> order = Identity(facts.size());
    std::stable_sort(order.begin(), order.end(), [facts](int left, int right) {
        return facts[static_cast<std::size_t>(left)].modifyTime.OrderKey() <
               facts[static_cast<std::size_t>(right)].modifyTime.OrderKey();
    });
    return order;
}

} // namespace tarvolin
