#include "FileFacts.h"

namespace tarvolin {

std::optional<FileFacts> ReadFileFacts(const FileRef& file) {
    const std::optional<struct statx> st = StatFile(file);
    if (!st)
        return std::nullopt;
    return FileFacts{*st, StoreFor(file, *st).Read(file, *st)};
}

} // namespace tarvolin
