#include "SambaServer.h"

#include "Privileges.h"
#include "ToolReport.h"

#include <arpa/inet.h>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvolin::test {

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(30);
const char* const kStateDirectories[] = {"private", "lock", "state", "cache", "pid", "ncalrpc"};

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

// A port the kernel just handed out is free; another process could take it before smbd
// binds it, which would show as a server that does not come up.
int FreeLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    const bool bound = fd >= 0 &&
                       bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    if (fd >= 0)
        close(fd);
    return bound ? ntohs(address.sin_port) : 0;
}

bool Accepts(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const sockaddr_in address = Loopback(port);
    const bool connected =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

// Everything but the share's own settings stays at Samba's defaults, among them
// `map readonly = no`, `store dos attributes = yes` and `hide dot files = yes`: those are
// what a Windows client of an ordinary Samba server sees.
std::string Configuration(const std::string& dir, const std::string& share, int port) {
    std::ostringstream text;
    text << "[global]\n"
         << "smb ports = " << port << "\n"
         << "interfaces = 127.0.0.1\n"
         << "bind interfaces only = yes\n"
         << "server role = standalone server\n"
         << "private dir = " << dir << "/private\n"
         << "lock directory = " << dir << "/lock\n"
         << "state directory = " << dir << "/state\n"
         << "cache directory = " << dir << "/cache\n"
         << "pid directory = " << dir << "/pid\n"
         << "ncalrpc dir = " << dir << "/ncalrpc\n"
         << "passdb backend = tdbsam:" << dir << "/private/passdb.tdb\n"
         << "log file = " << dir << "/smbd.log\n"
         << "map to guest = Bad User\n"
         << "load printers = no\n"
         << "printing = bsd\n"
         << "printcap name = /dev/null\n"
         << "disable spoolss = yes\n"
         << "[share]\n"
         << "path = " << share << "\n"
         << "read only = no\n"
         << "guest ok = yes\n"
         << "force user = root\n";
    return text.str();
}

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

std::optional<std::string> ValueOf(const std::string& line, const std::string& label) {
    if (line.rfind(label + ":", 0) != 0)
        return std::nullopt;
    return line.substr(label.size() + 1);
}

} // namespace

std::string WhySambaCannotRun() {
    if (!RunningAsRoot())
        return "smbd serves files as root";
    for (const char* tool : {"smbd", "smbclient"}) {
        if (!FindProgram(tool))
            return std::string("Samba is not installed (no ") + tool + ")";
    }
    return "";
}

SambaServer::SambaServer(const std::string& workDir)
    : workDir_(workDir), share_(workDir + "/share"), config_(workDir + "/smb.conf"),
      port_(FreeLoopbackPort()) {
    bool ready = mkdir(share_.c_str(), 0755) == 0 && port_ != 0;
    for (const char* directory : kStateDirectories)
        ready = ready && mkdir((workDir + "/" + directory).c_str(), 0700) == 0;
    if (!ready || !WriteText(config_, Configuration(workDir, share_, port_))) {
        log_ = "cannot prepare " + workDir;
        return;
    }
    // smbd stays in the foreground as the test's child, but in a process group of its own:
    // it signals its whole group when it ends, which must not include the test. The log
    // directory is given here too, as smbd opens its log before it reads the configuration.
    auto server = std::make_unique<ChildProcess>(
        std::vector<std::string>{ProgramPath("smbd"), "--foreground", "-s", config_,
                                 "--log-basename=" + workDir},
        workDir + "/smbd.out");
    const bool listening =
        WaitUntil(kStartTimeout, [&] { return Accepts(port_) || !server->running(); }) &&
        server->running();
    if (!listening) {
        log_ = "smbd did not listen on port " + std::to_string(port_) + ":\n" +
               LogText(workDir + "/smbd.out") + LogText(workDir + "/smbd.log");
        return;
    }
    server_ = std::move(server);
}

SambaServer::~SambaServer() = default;

ProgramResult SambaServer::Client(const std::string& commands) {
    return RunProgram({ProgramPath("smbclient"), "//127.0.0.1/share", "-p", std::to_string(port_),
                       "-N", "-s", config_, "-c", commands},
                      {"TZ=UTC"});
}

std::optional<SambaFileInfo> SambaServer::AllInfo(const std::string& name) {
    const ProgramResult result = Client("allinfo \"" + name + "\"");
    std::optional<std::int64_t> created, written;
    std::optional<std::uint32_t> attributes;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);) {
        if (const auto value = ValueOf(line, "create_time"))
            created = ParseUtcReport(*value);
        if (const auto value = ValueOf(line, "write_time"))
            written = ParseUtcReport(*value);
        if (const auto value = ValueOf(line, "attributes"))
            attributes = ParseAttributeReport(*value);
    }
    if (result.exitCode != 0 || !created || !written || !attributes) {
        log_ += result.output;
        return std::nullopt;
    }
    return SambaFileInfo{*attributes, *created, *written};
}

} // namespace tarvolin::test
