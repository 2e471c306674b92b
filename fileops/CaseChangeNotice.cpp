#include "CaseChangeNotice.h"

#include "FileOps.h"

namespace tarvolin {

namespace {

CaseChangeListener*& Listener() {
    static CaseChangeListener* listener = nullptr;
    return listener;
}

} // namespace

void SetCaseChangeListener(CaseChangeListener* listener) {
    Listener() = listener;
}

void AnnounceCaseChange(const std::string& oldPath, const std::string& temporaryPath,
                        const std::string& newPath) {
    if (Listener() != nullptr)
        Listener()->CaseChangeStarting(oldPath, temporaryPath, newPath);
}

void AnnounceCaseChangeFinished(const std::string& newPath) {
    if (Listener() != nullptr)
        Listener()->CaseChangeFinished(newPath);
}

} // namespace tarvolin
