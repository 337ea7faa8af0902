#pragma once
// Starting the real program from a test, and the per-user state it shares
// with every other run of it.
//
//     TestSupport::ClearUserData("Quillfen Games", "Pelloria");   // fresh start
//     TestSupport::ProgramRunner run("start_exit");               // tmp_start_exit
//     ASSERT_TRUE(run.Prepare());                 // program + generated content
//     run.WriteIni("v_fullscreen 0\r\n");         // <AppData>\...\Pelloria.ini
//     ASSERT_TRUE(run.Start());
//     std::string id = run.FindWindow("Pelloria");  // X window id, via xdotool
//     run.SendKeys(id, "alt+F4");
//     DWORD code; ASSERT_TRUE(run.WaitForExit(&code)); // 1 = success
//
// Every program run uses the same application-data folder and registry key,
// so tests that run it take turns (see tests/CMakeLists.txt) and clear both
// first. Real input goes through the X server: such tests run alone.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/HostShell.h"

namespace Content {
class ContentSet;
struct Options;
} // namespace Content

namespace TestSupport {

// <application data>\<company>\<title>: the .ini and the log; player files
// are one level deeper, under the publisher's name.
std::string UserDataFolder(const std::string& company, const std::string& title);
// Removes that folder and the key SOFTWARE\<company>\<title> from
// HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
void ClearUserData(const std::string& company, const std::string& title);
// A REG_SZ value under HKEY_CURRENT_USER\SOFTWARE\<company>\<title>.
bool SetRegistryString(const std::string& company, const std::string& title, const std::string& name,
                       const std::string& value);

// Writes generated content into folder (its old data folder removed first):
// Content::Generate with the options, then `change` may alter the set before
// it is written (packed unless options.allLoose). False with a reason.
bool WriteContent(const std::string& folder, const Content::Options& options,
                  const std::function<void(Content::ContentSet&)>& change, std::string* error);

// A picture of the screen: rows top first, 3 bytes (R, G, B) a pixel.
struct Screenshot {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* Pixel(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    // The longest run of pixels within tolerance of (r, g, b) along row y /
    // column x: the size of a uniformly filled area across that line.
    int LongestRunInRow(int y, int r, int g, int b, int tolerance = 8) const;
    int LongestRunInColumn(int x, int r, int g, int b, int tolerance = 8) const;
};

// The game program of this build (bin\Pelloria.exe), run from a folder of its
// own beside the test program ("tmp_" + name), with generated content.
class ProgramRunner {
public:
    explicit ProgramRunner(const std::string& name, const std::string& company = "Quillfen Games",
                           const std::string& title = "Pelloria");
    // Ends the program if it still runs (exit code 255).
    ~ProgramRunner();
    ProgramRunner(const ProgramRunner&) = delete;
    ProgramRunner& operator=(const ProgramRunner&) = delete;

    // Empties the folder, copies the program in and writes the content:
    // Content::Generate with the options, then `change` may alter the set
    // before it is written (packed unless options.allLoose). False with the
    // reason in Error().
    bool Prepare(const Content::Options& options, const std::function<void(Content::ContentSet&)>& change = nullptr);
    bool Prepare();
    const std::string& Folder() const { return folder; }
    const std::string& Error() const { return error; }

    // The program's files in the user data folder.
    std::string IniPath() const;
    std::string LogPath() const;
    bool WriteIni(const std::string& text) const;
    std::string ReadIni() const;
    std::string ReadLog() const;

    // Starts the program in its folder. When this test runs inside a virtual
    // desktop, so does the program.
    bool Start(const std::string& arguments = std::string());
    bool IsRunning() const;
    // Waits for the end; true with the exit code.
    bool WaitForExit(DWORD* exitCode, unsigned timeoutMs = 60000);
    void Kill();

    // A line for the host's shell (xdotool, import), as HostShell::Run.
    bool Host(const std::string& line, unsigned timeoutMs = 20000);
    // The host's output of a shell line (its standard output).
    std::string HostOutput(const std::string& line, unsigned timeoutMs = 20000);
    // The X id of the first window named exactly `name` (xdotool search),
    // waited for up to timeoutMs; empty when none appeared.
    std::string FindWindow(const std::string& name, unsigned timeoutMs = 30000);
    // Input focus and the pointer to the X window, asked for until the window
    // takes them (false after timeoutMs).
    bool Focus(const std::string& windowId, unsigned timeoutMs = 10000);
    // Focus, then `xdotool key keys`
    // ("alt+F4", "Return"): pressed and released at once.
    bool SendKeys(const std::string& windowId, const std::string& keys);
    // The same, with the keys ("alt Return") held down together for a while:
    // for a program that polls the key state once a frame.
    bool HoldKeys(const std::string& windowId, const std::string& keys, unsigned milliseconds = 300);
    // The X window as it is on screen (import).
    bool Capture(const std::string& windowId, Screenshot& out);
    // Runs the host line, then takes count screenshots of the window one
    // after the other in the same host line: a burst right after an input,
    // without a round trip through Wine between the shots.
    bool CaptureAfter(const std::string& line, const std::string& windowId, int count, std::vector<Screenshot>& out);

    // Pumps this test's own message queue for a while (HostShell needs it).
    static void Pump(unsigned milliseconds = 0);

private:
    // Reads and deletes a screenshot file the host wrote into the folder.
    bool ReadCapture(const std::string& file, Screenshot& out);
    std::string name, company, title, folder, error;
    std::unique_ptr<HostShell> shell;
    PROCESS_INFORMATION process = {};
    int outputs = 0;
};

} // namespace TestSupport
