#include "FatStore.h"

#include "DosMetadataStore.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tarvolin {

namespace {

// The ioctls need a descriptor; one opened for reading serves for both, since the driver
// checks the caller's right to change the entry itself. Directories open the same way.
class Descriptor {
public:
    explicit Descriptor(const FileRef& file)
        : fd_(file.fd >= 0 ? file.fd : open(file.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)),
          owned_(file.fd < 0) {}
    ~Descriptor() {
        if (owned_ && fd_ >= 0)
            close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int fd() const { return fd_; }

private:
    int fd_;
    bool owned_;
};

std::optional<std::uint32_t> GetAttributes(int fd) {
    std::uint32_t attributes = 0;
    if (fd < 0 || ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) != 0)
        return std::nullopt;
    return attributes;
}

// The directory and volume-label bits stay as the entry has them.
class FatStore final : public AttributeWordStore {
    std::optional<std::uint32_t> ReadWord(const FileRef& file) const override {
        return ReadFatAttributes(file);
    }

    bool WriteWord(const FileRef& file, std::uint32_t byte) const override {
        const Descriptor opened(file);
        return opened.fd() >= 0 && ioctl(opened.fd(), FAT_IOCTL_SET_ATTRIBUTES, &byte) == 0;
    }
};

} // namespace

std::optional<std::uint32_t> ReadFatAttributes(const FileRef& file) {
    const Descriptor opened(file);
    return GetAttributes(opened.fd());
}

std::unique_ptr<DosMetadataStore> MakeFatStore() {
    return std::make_unique<FatStore>();
}

} // namespace tarvolin
