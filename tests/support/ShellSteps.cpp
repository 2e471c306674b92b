#include "ShellSteps.h"

#include <cstdio>
#include <cstdlib>

namespace tarvolin::test {

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

std::string FirstLine(const std::string& command) {
    std::string line;
    if (FILE* out = popen(command.c_str(), "r")) {
        char buffer[256];
        if (fgets(buffer, sizeof buffer, out) != nullptr)
            line = buffer;
        pclose(out);
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

bool ShellSteps::Run(const std::string& command) {
    const bool done = std::system((command + " >/dev/null 2>&1").c_str()) == 0;
    if (!done)
        log_ += "failed: " + command + "\n";
    return done;
}

} // namespace tarvolin::test
