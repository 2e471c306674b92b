#include "ChildProcess.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tarvolin::test {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);

std::vector<char*> PointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The test's environment with `added` on top; a name given in `added` replaces the old one.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& added) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('=') + 1);
        bool replaced = false;
        for (const std::string& extra : added)
            replaced = replaced || extra.rfind(name, 0) == 0;
        if (!replaced)
            result.push_back(text);
    }
    result.insert(result.end(), added.begin(), added.end());
    return result;
}

pid_t Spawn(std::vector<std::string> argv, std::vector<std::string> environment,
            posix_spawn_file_actions_t& actions) {
    std::vector<char*> args = PointersTo(argv);
    std::vector<char*> env = PointersTo(environment);
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data()) != 0)
        return -1;
    return pid;
}

std::string ReadAll(int fd) {
    std::string text;
    std::array<char, 4096> buffer{};
    ssize_t size = 0;
    while ((size = read(fd, buffer.data(), buffer.size())) > 0 || (size < 0 && errno == EINTR)) {
        if (size > 0)
            text.append(buffer.data(), static_cast<std::size_t>(size));
    }
    return text;
}

int ExitCodeOf(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

std::optional<std::string> FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string directories = std::string(path ? path : "") + ":/usr/sbin:/sbin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= directories.size()) {
        const std::size_t end = std::min(directories.find(':', start), directories.size());
        const std::string candidate = directories.substr(start, end - start) + "/" + name;
        if (end > start && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

std::string ProgramPath(const std::string& name) {
    return FindProgram(name).value_or(name);
}

ProgramResult RunProgram(const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment) {
    int pipeEnds[2];
    if (argv.empty() || pipe2(pipeEnds, O_CLOEXEC) != 0)
        return ProgramResult{};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
    const pid_t pid = Spawn(argv, EnvironmentWith(environment), actions);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    ProgramResult result;
    result.output = ReadAll(pipeEnds[0]);
    close(pipeEnds[0]);
    result.exitCode = pid > 0 ? ExitCodeOf(pid) : -1;
    return result;
}

// Forked by hand rather than spawned, so that the child can ask for SIGTERM when the test
// dies: a test killed by a crash or a time-out then leaves no server or mounted driver
// behind. Between fork and exec only async-signal-safe calls are made.
ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& logPath) {
    if (argv.empty())
        return;
    std::vector<std::string> arguments = argv;
    std::vector<std::string> environment = EnvironmentWith({});
    const std::vector<char*> args = PointersTo(arguments);
    const std::vector<char*> env = PointersTo(environment);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ != 0)
        return;
    const int input = open("/dev/null", O_RDONLY);
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != parent || input < 0 || log < 0 ||
        dup2(input, 0) < 0 || dup2(log, 1) < 0 || dup2(log, 2) < 0)
        _exit(127);
    execve(args[0], args.data(), env.data());
    _exit(127);
}

ChildProcess::~ChildProcess() {
    Stop();
}

bool ChildProcess::running() {
    if (pid_ <= 0)
        return false;
    int status = 0;
    const pid_t answer = waitpid(pid_, &status, WNOHANG);
    if (answer == pid_ || (answer < 0 && errno == ECHILD))
        pid_ = -1;
    return pid_ > 0;
}

bool ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
    return WaitUntil(timeout, [this] { return !running(); });
}

void ChildProcess::Stop(std::chrono::milliseconds grace) {
    if (!running())
        return;
    kill(pid_, SIGTERM);
    if (WaitForExit(grace))
        return;
    kill(pid_, SIGKILL);
    WaitForExit(grace);
}

std::string LogText(const std::string& logPath) {
    std::ifstream in(logPath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WaitUntil(std::chrono::milliseconds timeout, const std::function<bool()>& ready) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

} // namespace tarvolin::test
