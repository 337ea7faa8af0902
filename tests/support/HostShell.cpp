#include "support/HostShell.h"

#include <windows.h>

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

bool HostShell::Run(const std::string& line, const std::function<void()>& pump, unsigned timeoutMs)
{
    const std::string marker = "done" + std::to_string(++runs_);
    std::string command = "/bin/sh -c \"" + line + "; : > '" + unixFolder_ + "/" + marker + "'\"";
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
    while (!FileExists(folder_ + "\\" + marker)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        pump();
        Sleep(5);
    }
    // Long scenarios run thousands of lines: the markers would pile up.
    DeleteFileA((folder_ + "\\" + marker).c_str());
    return true;
}

} // namespace TestSupport
