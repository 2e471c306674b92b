#pragma once

// Extended-attribute calls on a FileRef: through its descriptor when it has one, else by path
// (following symbolic links, like every other operation of this backend). Results and errno
// are those of the system calls.

#include "FileRef.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <sys/types.h>

namespace tarvolin {

ssize_t GetXattr(const FileRef& file, const char* name, void* buffer, std::size_t size);
int SetXattr(const FileRef& file, const char* name, std::span<const std::uint8_t> value);
int RemoveXattr(const FileRef& file, const char* name);

} // namespace tarvolin
