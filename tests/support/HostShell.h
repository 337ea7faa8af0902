#pragma once
#include <functional>
#include <string>

namespace TestSupport {

// Runs a line of the host's /bin/sh (xdotool, import) from a test under Wine.
// Wine starts a Unix program when CreateProcess is given one, but hands back
// no process handle to wait on. So the shell line ends by writing its exit
// status into a marker file in folder, and Run pumps until it appears: the X
// events xdotool sends reach Wine only while the test's thread reads its
// message queue. Marker names are unique to the line across every shell of
// every process, so shells sharing a folder never take another line's marker
// (one that timed out and finished later) for their own.
class HostShell {
public:
    explicit HostShell(const std::string& folder);
    // False outside Wine (no Unix side to run the line on).
    bool Available() const { return !unixFolder_.empty(); }
    // The folder as the host sees it, for file names inside shell lines.
    const std::string& UnixFolder() const { return unixFolder_; }

    // Runs the line; pump is called until it has finished. True when it
    // exited with status 0; false when it failed, could not start or took
    // longer than timeoutMs. status, when given, receives the line's exit
    // status, or -1 when it did not finish.
    bool Run(const std::string& line, const std::function<void()>& pump, unsigned timeoutMs = 10000,
             int* status = nullptr);

private:
    std::string folder_, unixFolder_;
};

} // namespace TestSupport
