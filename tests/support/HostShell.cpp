#include "support/HostShell.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

#include "support/TestSupport.h"

namespace TestSupport {

HostShell::HostShell(const std::string& folder) : folder_(folder)
{
    typedef char*(CDECL * UnixName)(const WCHAR*);
    auto toUnix = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return;
    const std::wstring wide(folder.begin(), folder.end());
    char* unix = toUnix(wide.c_str());
    if (unix) {
        unixFolder_ = unix;
        HeapFree(GetProcessHeap(), 0, unix);
    }
}

bool HostShell::Run(const std::string& line, const std::function<void()>& pump, unsigned timeoutMs, int* status)
{
    if (status)
        *status = -1;
    // The process id and a count shared by every shell of this process.
    static LONG runs = 0;
    const std::string marker =
        "done_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(InterlockedIncrement(&runs));
    const std::string markerPath = folder_ + "\\" + marker;
    DeleteFileA(markerPath.c_str());
    // The line runs in a subshell, so an "exit" in it still leaves the status
    // to be written; that goes into a file of another name first, so the
    // marker appears whole or not at all.
    const std::string unixMarker = "'" + unixFolder_ + "/" + marker;
    std::string command = "/bin/sh -c \"(" + line + "); echo $? > " + unixMarker + ".tmp' && mv " + unixMarker +
                          ".tmp' " + unixMarker + "'\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    // Wine starts a host program outside its own process table and fills in
    // no process information: the structure comes back holding stale stack
    // values, among them handles this process really has open (its standard
    // output seen among them), so closing "the child's" handles closed those.
    // A host program gives no handles, so none are closed.
    const DWORD start = GetTickCount();
    while (!FileExists(markerPath)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        pump();
        Sleep(5);
    }
    const std::vector<unsigned char> text = ReadFileBytes(markerPath);
    // Long scenarios run thousands of lines: the markers would pile up.
    DeleteFileA(markerPath.c_str());
    const std::string digits(text.begin(), text.end());
    const int exitStatus = digits.empty() ? -1 : std::atoi(digits.c_str());
    if (status)
        *status = exitStatus;
    return exitStatus == 0;
}

} // namespace TestSupport
