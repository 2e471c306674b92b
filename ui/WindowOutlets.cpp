#include "WindowOutlets.h"

#include "ErrorBoxes.h"
#include "FileListModel.h"
#include "Gauge.h"
#include "RowTexts.h"
#include "RunUndoing.h"

#include <QWidget>

namespace tarvolin {

WindowOutlets::WindowOutlets(FileLayer& files, QWidget& owner, Gauge& gauge, FileListModel& rows,
                             QWidget& listView)
    : files_(files), owner_(owner), gauge_(gauge), rows_(rows), listView_(listView) {}

void WindowOutlets::SetGaugeRange(int minimum, int maximum) {
    gauge_.SetMinValue(minimum);
    gauge_.SetMaxValue(maximum);
}

void WindowOutlets::SetGaugePosition(int position) {
    gauge_.SetProgress(position);
}

void WindowOutlets::RowChanged(int position, const std::string& path) {
    rows_.SetPathAt(position, path);
}

std::optional<FileStamp> WindowOutlets::KnownStamp(int position) {
    return rows_.StampAt(position);
}

void WindowOutlets::ShowError(const std::string& text) {
    ReleaseListPainting();
    ShowErrorBox(&owner_, QString::fromStdString(text));
}

void WindowOutlets::ShowErrorWithDetail(const std::string& text, const std::string& detail) {
    ReleaseListPainting();
    ShowErrorBox(&owner_, QString::fromStdString(text), QString::fromStdString(detail));
}

bool WindowOutlets::RunWithoutJournal(const std::string& reason) {
    return AskToRunWithoutJournal(&owner_, reason);
}

void WindowOutlets::HoldListPainting() {
    if (holding_)
        return;
    holding_ = true;
    listView_.setUpdatesEnabled(false);
}

void WindowOutlets::ReleaseListPainting() {
    if (!holding_)
        return;
    holding_ = false;
    listView_.setUpdatesEnabled(true);
}

} // namespace tarvolin
