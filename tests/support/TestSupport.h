#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

// Base name of the running test executable ("test_x" for test_x.exe): folders
// named with it cannot collide between test programs running side by side.
std::string ExecutableName();
// A fresh folder beside the test executable, emptied when created.
std::string MakeTempDir(const std::string& name);
// Whole-file helpers over Win32 paths (backslashes).
bool WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);
bool WriteFileText(const std::string& path, const std::string& text);
std::vector<unsigned char> ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
void RemoveTree(const std::string& path);

// Seconds from a GetTickCount() reading to now: what every wait measures
// against its deadline in seconds (right across the counter's wrap).
double SecondsSince(uint32_t startTick);

// The memory this process has committed, in bytes (0 when unknown). Under
// Wine it counts the host side too (the GL driver's buffers), so a device
// that keeps what it streams shows here.
uint64_t CommittedBytes();

// Points this program's import of function from dll at replacement, so a
// test can count the program's own calls of a system function; returns the
// import it had, or null when the program does not import it.
void* PatchImport(const char* dll, const char* function, void* replacement);

// Display modes other than the screen's exist under Wine only inside a virtual
// desktop. RunInVirtualDesktop starts this test program again inside one
// (explorer /desktop=name,WxH), limited to the tests matching filter, and
// waits for it; true when at least one test ran and none failed. The copy's
// output joins this program's. InVirtualDesktop is true inside such a copy.
// The run is one job: after timeoutMs it is ended whole (the tests then count
// as failed), explorer, the copy and every program the copy started, and
// whatever of it is left when it ends goes too; the call returns once they
// have gone.
bool RunInVirtualDesktop(const std::string& name, uint32_t width, uint32_t height, const std::string& filter,
                         uint32_t timeoutMs = 300000);
bool InVirtualDesktop();
// The same for any program (a benchmark): runs this program again inside the
// desktop with the given arguments; true when it ended within the time limit.
bool LaunchInVirtualDesktop(const std::string& name, uint32_t width, uint32_t height, const std::string& arguments,
                            uint32_t timeoutMs = 300000);

} // namespace TestSupport
