#pragma once

// Other programs a test talks to: tools run to the end for their output, and servers that
// run beside the test until the object that started them goes.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tarvolin::test {

// The full path of `name` in $PATH or the usual system directories (mkntfs and smbd live in
// sbin, which an ordinary user's $PATH may lack); no value when it is nowhere.
std::optional<std::string> FindProgram(const std::string& name);
// FindProgram's answer, or `name` itself, so that running a missing tool fails naming it.
std::string ProgramPath(const std::string& name);

struct ProgramResult {
    int exitCode = -1;  // -1 when it could not run or was killed
    std::string output; // standard output and standard error, interleaved
};

// Runs `argv` (argv[0] a full path) to the end, with `environment` ("NAME=value") added to
// the test's own.
ProgramResult RunProgram(const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment = {});

// A program started with its output going to `logPath`. Stopped, when still running, by
// SIGTERM to its process id (SIGKILL after `grace`) when the object goes.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& logPath);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    bool running();
    // Waits up to `timeout` for the program to end by itself; true when it did.
    bool WaitForExit(std::chrono::milliseconds timeout);
    void Stop(std::chrono::milliseconds grace = std::chrono::seconds(5));

private:
    pid_t pid_ = -1;
};

// What a child wrote to its log so far; empty when there is none.
std::string LogText(const std::string& logPath);

// Polls `ready` every few milliseconds until it holds (true) or `timeout` has passed.
bool WaitUntil(std::chrono::milliseconds timeout, const std::function<bool()>& ready);

} // namespace tarvolin::test
