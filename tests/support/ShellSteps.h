#pragma once

// The shell commands that set up and tear down a test's own volumes (images, loop devices,
// mounts), each step's failure kept for the test's skip message.

#include <string>

namespace tarvolin::test {

std::string Quoted(const std::string& text);

// The first line a command printed, without its line break.
std::string FirstLine(const std::string& command);

class ShellSteps {
public:
    // Runs `command` with its output discarded; a failure is noted in log().
    bool Run(const std::string& command);
    const std::string& log() const { return log_; }

private:
    std::string log_;
};

} // namespace tarvolin::test
