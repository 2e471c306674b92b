#pragma once

// Splitting a POSIX path into the directory that holds an entry and the entry's own name,
// byte for byte: '/' is the only separator and every other byte belongs to a name.

#include <string>
#include <string_view>

namespace tarvolin {

// The directory holding the last entry of `path`, as a path that can be opened: "." for a
// bare name, "/" for an entry of the root. Trailing slashes do not count as an entry.
std::string ParentDirectory(std::string_view path);

// The bytes of the last entry of `path`, after the last '/' that is not trailing.
std::string LastComponent(std::string_view path);

// Unix's convention for a name that listings leave out; "." and ".." name no file of their own.
bool IsDotFileName(std::string_view name);

} // namespace tarvolin
