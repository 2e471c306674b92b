// The xattr half of SambaBlobs.h: Linux only, the builders beside it are portable.
#include "SambaBlobs.h"

#include <sys/xattr.h>

namespace tarvolin::test {

std::optional<Bytes> ReadDosAttribXattr(const std::string& path) {
    Bytes value(4096);
    const ssize_t size = getxattr(path.c_str(), "user.DOSATTRIB", value.data(), value.size());
    if (size < 0)
        return std::nullopt;
    value.resize(static_cast<std::size_t>(size));
    return value;
}

bool WriteDosAttribXattr(const std::string& path, const Bytes& value) {
    return setxattr(path.c_str(), "user.DOSATTRIB", value.data(), value.size(), 0) == 0;
}

} // namespace tarvolin::test
