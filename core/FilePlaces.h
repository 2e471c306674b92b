#pragma once

// Where each listed file is while a batch runs: at its listed path until the run moves it.
// The list is read, never copied: a copy would cost a heap block per file, and nearly every file
// moves once, to a path the run has composed anyway and hands over whole.

#include <cstddef>
#include <string>
#include <vector>

namespace tarvolin {

class FilePlaces {
public:
    explicit FilePlaces(const std::vector<std::string>& listed)
        : listed_(listed), places_(listed.size()), moved_(listed.size(), false) {}

    const std::string& operator[](std::size_t position) const {
        return moved_[position] ? places_[position] : listed_[position];
    }

    // The run's own string for the file at `position`, for it to write where the file is now.
    // Until it does, the file counts as being at whatever that string holds.
    std::string& Slot(std::size_t position) {
        moved_[position] = true;
        return places_[position];
    }

private:
    const std::vector<std::string>& listed_;
    std::vector<std::string> places_;
    std::vector<bool> moved_;
};

} // namespace tarvolin
