#pragma once
#include <functional>
#include <string>

namespace TestSupport {

// Runs a line of the host's /bin/sh (xdotool, import) from a test under Wine.
// Wine starts a Unix program when CreateProcess is given one, but hands back
// no process handle to wait on. So the shell line ends by writing a marker
// file in folder, and Run pumps until it appears: the X events xdotool sends
// reach Wine only while the test's thread reads its message queue.
class HostShell {
public:
    explicit HostShell(const std::string& folder);
    // False outside Wine (no Unix side to run the line on).
    bool Available() const { return !unixFolder_.empty(); }
    // The folder as the host sees it, for file names inside shell lines.
    const std::string& UnixFolder() const { return unixFolder_; }

    // Runs the line; pump is called until it has finished. False when it could
    // not start or took longer than timeoutMs.
    bool Run(const std::string& line, const std::function<void()>& pump, unsigned timeoutMs = 10000);

private:
    std::string folder_, unixFolder_;
    int runs_ = 0;
};

} // namespace TestSupport
