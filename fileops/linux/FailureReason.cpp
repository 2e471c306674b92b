// Linux keeps the reason for a failed system call in errno, per thread.
#include "Backend.h"

#include <cerrno>
#include <cstring>

namespace tarvolin {

std::string LastFailureReason() {
    const int error = errno;
    if (error == 0)
        return {};
    char buffer[256] = {};
    // The GNU strerror_r: its answer may be a text of its own rather than the buffer.
    return strerror_r(error, buffer, sizeof buffer);
}

void LeaveFailureReason(Refusal why) {
    switch (why) {
    case Refusal::NameTaken:
        errno = EEXIST;
        break;
    case Refusal::BadName:
    case Refusal::BadRequest:
        errno = EINVAL;
        break;
    case Refusal::OutOfRange:
        errno = ERANGE;
        break;
    case Refusal::NotKept:
        errno = EOPNOTSUPP;
        break;
    }
}

} // namespace tarvolin
