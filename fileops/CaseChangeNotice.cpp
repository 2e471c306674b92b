#include "CaseChangeNotice.h"

#include "FileOps.h"

#include <atomic>

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

void AnnounceReservation(const std::string& path) {
    if (Listener() != nullptr)
        Listener()->ReservationStarting(path);
}

void AnnounceReservationDropped(const std::string& path) {
    if (Listener() != nullptr)
        Listener()->ReservationDropped(path);
}

std::string CaseChangeTemporaryName(const std::string& newName, unsigned long processId) {
    constexpr std::size_t kLongestLead = 200;
    static std::atomic<unsigned> counter{0};
    std::string lead = newName;
    if (lead.size() > kLongestLead) {
        std::size_t cut = kLongestLead;
        while (cut > 0 && (static_cast<unsigned char>(lead[cut]) & 0xC0) == 0x80)
            --cut;
        lead.resize(cut);
    }
    return "." + lead + ".Tarvolin-Case-" + std::to_string(processId) + "-" +
           std::to_string(counter++);
}

} // namespace tarvolin
