#include "CaseChangeNotice.h"

#include <atomic>

namespace tarvolin {

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
