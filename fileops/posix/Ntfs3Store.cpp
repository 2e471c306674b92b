#include "Ntfs3Store.h"

#include "UnixSide.h"
#include "XattrIo.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace tarvolin {

namespace {

constexpr const char* kAttributeWord = "system.ntfs_attrib"; // CPU-endian
constexpr std::uint32_t kNormal = 0x80; // what NTFS keeps for a file with no other bit

// The driver takes the whole word as given (only the directory bit is its own), so the bits
// beyond the four, compressed or sparse among them, are carried over unchanged.
class NtfsKernelStore final : public AttributeWordStore {
public:
    bool WindowsFoldsNames() const override { return true; }

private:
    std::optional<std::uint32_t> ReadWord(const FileRef& file) const override {
        std::uint32_t word = 0;
        if (GetXattr(file, kAttributeWord, &word, sizeof word) != static_cast<ssize_t>(sizeof word))
            return std::nullopt;
        return word;
    }

    // Normal stands for no other bit, as NTFS keeps it.
    bool WriteWord(const FileRef& file, std::uint32_t word) const override {
        const std::uint32_t bits = word & ~kNormal;
        const std::uint32_t stored = bits == 0 ? kNormal : bits;
        std::array<std::uint8_t, sizeof stored> bytes{};
        std::memcpy(bytes.data(), &stored, sizeof stored);
        return SetXattr(file, kAttributeWord, bytes) == 0;
    }
};

} // namespace

const DosMetadataStore& Ntfs3Store() {
    static const NtfsKernelStore store;
    return store;
}

} // namespace tarvolin
