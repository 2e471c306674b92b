#pragma once

// smbd from Samba serving one directory of the test's, in the foreground, on a free loopback
// port, with every file it keeps (configuration, private and state directories, logs) in the
// test's own directory: no system service is involved, and the server is stopped by its
// process id when the object goes. smbclient, Samba's own client, then shows what a Windows
// machine would see of the shared files.

#include "ChildProcess.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tarvolin::test {

// Empty when this machine can run the server and its client; otherwise why not.
std::string WhySambaCannotRun();

// What `smbclient -c 'allinfo NAME'` reports of a file.
struct SambaFileInfo {
    std::uint32_t attributes = 0;
    std::int64_t createTime = 0; // seconds since the Unix epoch, UTC; allinfo shows no more
    std::int64_t writeTime = 0;
};

class SambaServer {
public:
    // Shares `workDir`/share (created here) as "share", open to guests, who act as root.
    explicit SambaServer(const std::string& workDir);
    ~SambaServer();
    SambaServer(const SambaServer&) = delete;
    SambaServer& operator=(const SambaServer&) = delete;

    bool running() const { return server_ != nullptr; }
    // The shared directory on this machine.
    std::string operator/(const std::string& name) const { return share_ + "/" + name; }
    const std::string& log() const { return log_; }

    // Runs smbclient with `commands` (separated by ';') against the share, in UTC.
    ProgramResult Client(const std::string& commands);
    std::optional<SambaFileInfo> AllInfo(const std::string& name);

private:
    std::string workDir_;
    std::string share_;
    std::string config_;
    int port_ = 0;
    std::unique_ptr<ChildProcess> server_;
    std::string log_;
};

} // namespace tarvolin::test
