// Which file a path names is a part of what its stamp reads, on every platform.
#include "FileOps.h"

namespace tarvolin {

std::optional<FileIdentity> ReadFileIdentity(const std::string& path) {
    const std::optional<FileStamp> stamp = ReadFileStamp(path);
    return stamp ? std::optional<FileIdentity>(stamp->identity) : std::nullopt;
}

std::vector<std::optional<FileIdentity>> ReadFileIdentities(std::span<const std::string> paths) {
    std::vector<std::optional<FileIdentity>> identities;
    identities.reserve(paths.size());
    for (const std::optional<FileStamp>& stamp : ReadFileStamps(paths))
        identities.push_back(stamp ? std::optional<FileIdentity>(stamp->identity) : std::nullopt);
    return identities;
}

} // namespace tarvolin
