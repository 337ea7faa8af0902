#include "support/TestSupport.h"

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/foundation/ExecutableDirectory.h"

namespace TestSupport {

uint64_t CommittedBytes()
{
    // Looked up: kernel32 has it from Windows 7 on, psapi.dll before.
    using Query = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
    Query query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo")));
    if (!query)
        if (HMODULE psapi = LoadLibraryA("psapi.dll"))
            query = reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(psapi, "GetProcessMemoryInfo")));
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!query || !query(GetCurrentProcess(), &counters, sizeof(counters)))
        return 0;
    return counters.PagefileUsage;
}

void* PatchImport(const char* dll, const char* function, void* replacement)
{
    uint8_t* base = reinterpret_cast<uint8_t*>(GetModuleHandleA(nullptr));
    const IMAGE_NT_HEADERS* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); import->Name;
         ++import) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + import->Name), dll) != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
            base + (import->OriginalFirstThunk ? import->OriginalFirstThunk : import->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0)
                continue;
            DWORD protection;
            VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &protection);
            void* previous = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof(void*), protection, &protection);
            return previous;
        }
    }
    return nullptr;
}

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string n = fd.cFileName;
            if (n == "." || n == "..")
                continue;
            std::string full = path + "\\" + n;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

std::string ExecutableName()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, n < MAX_PATH ? n : 0);
    size_t slash = name.find_last_of('\\');
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

std::string MakeTempDir(const std::string& name)
{
    std::string dir = KorvaneEngine::GetExecutableDirectory() + "\\tmp_" + name;
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

bool WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool WriteFileText(const std::string& path, const std::string& text)
{
    return WriteFileBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

std::vector<unsigned char> ReadFileBytes(const std::string& path)
{
    std::vector<unsigned char> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return out;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

double SecondsSince(uint32_t startTick)
{
    return static_cast<uint32_t>(GetTickCount() - startTick) / 1000.0;
}

} // namespace TestSupport

namespace TestSupport {

namespace {
const char* const kDesktopFlag = "--in-virtual-desktop";

// The value of attribute name in the first element tag of text, or -1.
long AttributeNumber(const std::string& tag, const std::string& name)
{
    size_t p = tag.find(" " + name + "=\"");
    if (p == std::string::npos)
        return -1;
    return std::strtol(tag.c_str() + p + name.size() + 3, nullptr, 10);
}
} // namespace

bool InVirtualDesktop() { return std::strstr(GetCommandLineA(), kDesktopFlag) != nullptr; }

bool LaunchInVirtualDesktop(const std::string& name, uint32_t width, uint32_t height, const std::string& arguments,
                            uint32_t timeoutMs)
{
    char exe[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return false;
    std::string command = "explorer.exe /desktop=" + name + "," + std::to_string(width) + "x" +
                          std::to_string(height) + " \"" + exe + "\" " + arguments + " " + kDesktopFlag;
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    // The run is one job: explorer, the copy it starts and whatever that
    // starts (the game) are its processes, so a run that is ended ends whole,
    // and so does one whose test program dies first (the job's last handle
    // closes with it). explorer starts suspended, so nothing runs outside it.
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    if (!job)
        return false;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::fflush(stdout);
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits)) ||
        !CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr, &si, &pi)) {
        CloseHandle(job);
        return false;
    }
    if (!AssignProcessToJobObject(job, pi.hProcess)) {
        std::printf("[desktop] explorer could not be put into a job (error %lu)\n", GetLastError());
        TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        CloseHandle(job);
        return false;
    }
    ResumeThread(pi.hThread);
    const DWORD waited = WaitForSingleObject(pi.hProcess, timeoutMs);
    if (waited != WAIT_OBJECT_0) {
        std::printf("[desktop] %s ran past its %.0f s: ended with everything it started\n", name.c_str(),
                    timeoutMs / 1000.0);
        std::fflush(stdout);
    }
    // Also after a normal end: a program the copy left running goes too.
    TerminateJobObject(job, 1);
    // Ended processes take a moment to go; the caller may look for them.
    const DWORD start = GetTickCount();
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    while (QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof(accounting),
                                     nullptr) &&
           accounting.ActiveProcesses > 0 && GetTickCount() - start < 10000)
        Sleep(20);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(job);
    return waited == WAIT_OBJECT_0;
}

bool RunInVirtualDesktop(const std::string& name, uint32_t width, uint32_t height, const std::string& filter,
                         uint32_t timeoutMs)
{
    const std::string result = KorvaneEngine::GetExecutableDirectory() + "\\desktop_" + name + ".xml";
    DeleteFileA(result.c_str());
    if (!LaunchInVirtualDesktop(name, width, height,
                                "--gtest_filter=" + filter + " --gtest_output=xml:\"" + result + "\"", timeoutMs))
        return false;

    std::vector<unsigned char> bytes = ReadFileBytes(result);
    std::string xml(bytes.begin(), bytes.end());
    size_t start = xml.find("<testsuites ");
    if (start == std::string::npos)
        return false;
    std::string tag = xml.substr(start, xml.find('>', start) - start);
    // A skipped test means the copy did not know it was inside the desktop.
    return AttributeNumber(tag, "tests") > 0 && AttributeNumber(tag, "failures") == 0 &&
           AttributeNumber(tag, "errors") == 0 && xml.find("<skipped") == std::string::npos;
}

} // namespace TestSupport
