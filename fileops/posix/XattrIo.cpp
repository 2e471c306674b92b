#include "XattrIo.h"

#include <sys/xattr.h>

namespace tarvolin {

ssize_t GetXattr(const FileRef& file, const char* name, void* buffer, std::size_t size) {
    return file.fd >= 0 ? fgetxattr(file.fd, name, buffer, size)
                        : getxattr(file.path.c_str(), name, buffer, size);
}

int SetXattr(const FileRef& file, const char* name, std::span<const std::uint8_t> value) {
    return file.fd >= 0 ? fsetxattr(file.fd, name, value.data(), value.size(), 0)
                        : setxattr(file.path.c_str(), name, value.data(), value.size(), 0);
}

int RemoveXattr(const FileRef& file, const char* name) {
    return file.fd >= 0 ? fremovexattr(file.fd, name) : removexattr(file.path.c_str(), name);
}

} // namespace tarvolin
