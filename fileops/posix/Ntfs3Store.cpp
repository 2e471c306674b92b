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

std::optional<std::uint32_t> ReadWord(const FileRef& file) {
    std::uint32_t word = 0;
    if (GetXattr(file, kAttributeWord, &word, sizeof word) != static_cast<ssize_t>(sizeof word))
        return std::nullopt;
    return word;
}

class NtfsKernelStore final : public BirthTimeStore {
public:
    DosSide Read(const FileRef& file, const struct statx& st) const override {
        const std::optional<std::uint32_t> word = ReadWord(file);
        return DosSide{word ? static_cast<AttributeSet>(*word & kFourAttributes) : 0,
                       BirthOrOldestTime(st)};
    }

    // The driver takes the whole word as given (only the directory bit is its own), so the
    // bits beyond the four, compressed or sparse among them, are carried over unchanged.
    bool WriteAttributes(const FileRef& file, const struct statx&,
                         AttributeSet wanted) const override {
        const std::optional<std::uint32_t> word = ReadWord(file);
        if (!word)
            return false;
        std::uint32_t changed =
            (*word & ~(kFourAttributes | kNormal)) | static_cast<std::uint32_t>(wanted);
        if (changed == 0)
            changed = kNormal;
        std::array<std::uint8_t, sizeof changed> bytes{};
        std::memcpy(bytes.data(), &changed, sizeof changed);
        return SetXattr(file, kAttributeWord, bytes) == 0;
    }

    bool WindowsFoldsNames() const override { return true; }
};

} // namespace

const DosMetadataStore& Ntfs3Store() {
    static const NtfsKernelStore store;
    return store;
}

} // namespace tarvolin
