// The host shell the input and screenshot tests drive xdotool through: a line
// runs to its end, its exit status is what Run reports, a shell never takes
// another's late line for its own, and running lines leaves every handle of
// this process open (a test whose standard output is closed under it loses
// its report).
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "support/HostShell.h"
#include "support/TestSupport.h"

namespace {

bool Open(HANDLE h)
{
    DWORD flags = 0;
    return h && h != INVALID_HANDLE_VALUE && GetHandleInformation(h, &flags);
}

// Fills the stack below the caller with a handle value: whatever Wine leaves
// unwritten in a reply read from the stack then names a handle this process
// really holds, as it happened in a test with a deep frame.
__attribute__((noinline)) void FillStack(HANDLE value)
{
    volatile HANDLE fill[8192];
    for (size_t i = 0; i < sizeof(fill) / sizeof(fill[0]); ++i)
        fill[i] = value;
}

TEST(HostShell, LinesRunToTheirEndAndLeaveThisProcessesHandlesOpen)
{
    const std::string folder = TestSupport::MakeTempDir("host_shell");
    TestSupport::HostShell shell(folder);
    if (!shell.Available())
        GTEST_SKIP() << "not running under Wine";

    // Handles of every kind a test holds: its standard streams, files, events.
    std::vector<HANDLE> held = {GetStdHandle(STD_OUTPUT_HANDLE), GetStdHandle(STD_ERROR_HANDLE)};
    for (int i = 0; i < 8; ++i) {
        const std::string name = folder + "\\held" + std::to_string(i);
        held.push_back(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        held.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    }
    for (HANDLE h : held)
        ASSERT_TRUE(Open(h));

    // Each line's effect is there when Run returns, and the pump ran meanwhile.
    for (int i = 0; i < 12; ++i) {
        int pumped = 0;
        FillStack(held[i % held.size()]);
        const std::string file = "line" + std::to_string(i);
        ASSERT_TRUE(shell.Run("sleep 0.05; echo " + std::to_string(i) + " > '" + shell.UnixFolder() + "/" + file + "'",
                              [&] { ++pumped; }));
        EXPECT_GT(pumped, 0);
        const std::vector<unsigned char> bytes = TestSupport::ReadFileBytes(folder + "\\" + file);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), std::to_string(i) + "\n");
    }
    for (size_t i = 0; i < held.size(); ++i)
        EXPECT_TRUE(Open(held[i])) << "handle " << i << " was closed by a shell line";
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "\n", 1, &written, nullptr));
    for (size_t i = 2; i < held.size(); ++i)
        CloseHandle(held[i]);
    TestSupport::RemoveTree(folder);
}

TEST(HostShell, RunReportsTheLinesOwnExitStatusAndNeverAnotherLinesEnd)
{
    const std::string folder = TestSupport::MakeTempDir("host_shell_status");
    TestSupport::HostShell first(folder), second(folder);
    if (!first.Available())
        GTEST_SKIP() << "not running under Wine";
    int status = -2;
    EXPECT_TRUE(first.Run("true", [] {}, 10000, &status));
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(first.Run("sleep 0.01; exit 3", [] {}, 10000, &status)) << "a failing line is no success";
    EXPECT_EQ(status, 3);
    EXPECT_FALSE(first.Run("xdotool no-such-command 2>/dev/null", [] {}, 10000, &status));
    EXPECT_NE(status, 0);

    // A line that outlives its time limit, then a line of a second shell in
    // the same folder: the first line's late end must not count as the
    // second's, which fails after two seconds.
    EXPECT_FALSE(first.Run("sleep 0.5", [] {}, 50, &status));
    EXPECT_EQ(status, -1);
    const DWORD start = GetTickCount();
    EXPECT_FALSE(second.Run("sleep 2; exit 5", [] { Sleep(1); }, 20000, &status));
    EXPECT_EQ(status, 5);
    EXPECT_GE(GetTickCount() - start, 1900u) << "the second line was taken as ended by the first line's marker";
    TestSupport::RemoveTree(folder);
}

} // namespace
