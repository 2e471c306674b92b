#pragma once

#include "RenameOutlets.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace tarvolin::test {

// Stands in for the window: keeps a gauge as the window's would (the position is clamped
// into the range), records every notice in the order it came and, given a list, writes each
// row's new path into it as the window's list does.
class RecordingOutlets : public RenameOutlets {
public:
    // The run's own file layer, where a test arms its step hook.
    FileLayer files;
    FileLayer& Files() override { return files; }

    // Row k of the run is entry k of `list` from now on.
    void Follow(std::vector<std::string>& list) { list_ = &list; }

    void SetGaugeRange(int minimum, int maximum) override {
        gaugeMinimum = minimum;
        gaugeMaximum = maximum;
        gaugePosition = std::clamp(gaugePosition, minimum, maximum);
        events.push_back("range " + std::to_string(minimum) + ".." + std::to_string(maximum));
    }
    void SetGaugePosition(int position) override {
        gaugePosition = std::clamp(position, gaugeMinimum, gaugeMaximum);
        events.push_back("gauge " + std::to_string(position));
    }
    void RowChanged(int position, const std::string& path) override {
        rows.emplace_back(position, path);
        if (list_ != nullptr)
            list_->at(static_cast<std::size_t>(position)) = path;
        events.push_back("row " + std::to_string(position) + " " + path);
    }
    void ShowError(const std::string& text) override {
        errors.push_back(text);
        details.emplace_back();
        events.push_back("error " + text);
    }
    void ShowErrorWithDetail(const std::string& text, const std::string& detail) override {
        ShowError(text);
        details.back() = detail;
    }

    int gaugeMinimum = 0;
    int gaugeMaximum = 100;
    int gaugePosition = 0;
    std::vector<std::pair<int, std::string>> rows;
    std::vector<std::string> errors;
    std::vector<std::string> details; // one per error, empty for a box with no detail
    std::vector<std::string> events;

private:
    std::vector<std::string>* list_ = nullptr;
};

} // namespace tarvolin::test
