#include "support/ProgramRunner.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/Paths.h"
#include "support/TestSupport.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"

namespace TestSupport {

namespace {

std::string KeyPath(const std::string& company, const std::string& title)
{
    return "SOFTWARE\\" + company + "\\" + title;
}

void DeleteKeyTree(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS) {
        char child[256];
        for (;;) {
            DWORD size = sizeof child;
            if (RegEnumKeyExA(key, 0, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            DeleteKeyTree(key, child);
        }
        RegCloseKey(key);
    }
    RegDeleteKeyA(root, path.c_str());
}

// The build's bin folder: the first one above this test program that holds
// the game.
std::string FindProgram()
{
    std::string dir = KorvaneEngine::GetExecutableDirectory();
    for (;;) {
        const std::string candidate = dir + "\\bin\\Pelloria.exe";
        if (FileExists(candidate))
            return candidate;
        const size_t slash = dir.find_last_of('\\');
        if (slash == std::string::npos || slash < 3)
            return std::string();
        dir.erase(slash);
    }
}

std::string Read(const std::string& path)
{
    std::vector<unsigned char> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

bool Near(const uint8_t* p, int r, int g, int b, int tolerance)
{
    return std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance && std::abs(p[2] - b) <= tolerance;
}

} // namespace

std::string UserDataFolder(const std::string& company, const std::string& title)
{
    return KorvaneEngine::GetAppDataFolder() + "\\" + company + "\\" + title;
}

void ClearUserData(const std::string& company, const std::string& title)
{
    RemoveTree(UserDataFolder(company, title));
    DeleteKeyTree(HKEY_CURRENT_USER, KeyPath(company, title));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, KeyPath(company, title));
}

bool SetRegistryString(const std::string& company, const std::string& title, const std::string& name,
                       const std::string& value)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath(company, title).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG result = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool WriteContent(const std::string& folder, const Content::Options& options,
                  const std::function<void(Content::ContentSet&)>& change, std::string* error)
{
    RemoveTree(folder + "\\data");
    Content::ContentSet set;
    try {
        Content::Generate(set, options);
    } catch (const std::exception& e) {
        if (error)
            *error = std::string("content: ") + e.what();
        return false;
    }
    if (change)
        change(set);
    return set.Write(folder, options.allLoose, error);
}

int Screenshot::LongestRunInRow(int y, int r, int g, int b, int tolerance) const
{
    int best = 0, run = 0;
    for (int x = 0; y >= 0 && y < height && x < width; ++x) {
        run = Near(Pixel(x, y), r, g, b, tolerance) ? run + 1 : 0;
        best = run > best ? run : best;
    }
    return best;
}

int Screenshot::LongestRunInColumn(int x, int r, int g, int b, int tolerance) const
{
    int best = 0, run = 0;
    for (int y = 0; x >= 0 && x < width && y < height; ++y) {
        run = Near(Pixel(x, y), r, g, b, tolerance) ? run + 1 : 0;
        best = run > best ? run : best;
    }
    return best;
}

ProgramRunner::ProgramRunner(const std::string& name_, const std::string& company_, const std::string& title_)
    : name(name_), company(company_), title(title_)
{
    folder = KorvaneEngine::GetExecutableDirectory() + "\\tmp_" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    shell = std::make_unique<HostShell>(folder);
}

ProgramRunner::~ProgramRunner() { Kill(); }

bool ProgramRunner::Prepare()
{
    Content::Options options;
    return Prepare(options);
}

bool ProgramRunner::Prepare(const Content::Options& options, const std::function<void(Content::ContentSet&)>& change)
{
    Kill();
    RemoveTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string program = FindProgram();
    if (program.empty()) {
        error = "no bin\\Pelloria.exe above " + KorvaneEngine::GetExecutableDirectory();
        return false;
    }
    if (!CopyFileA(program.c_str(), (folder + "\\Pelloria.exe").c_str(), FALSE)) {
        error = "cannot copy " + program;
        return false;
    }
    return WriteContent(folder, options, change, &error);
}

std::string ProgramRunner::IniPath() const { return UserDataFolder(company, title) + "\\" + title + ".ini"; }
std::string ProgramRunner::LogPath() const { return UserDataFolder(company, title) + "\\" + title + ".html"; }

bool ProgramRunner::WriteIni(const std::string& text) const
{
    const std::string companyFolder = KorvaneEngine::GetAppDataFolder() + "\\" + company;
    CreateDirectoryA(companyFolder.c_str(), nullptr);
    CreateDirectoryA(UserDataFolder(company, title).c_str(), nullptr);
    return WriteFileText(IniPath(), text);
}

std::string ProgramRunner::ReadIni() const { return Read(IniPath()); }
std::string ProgramRunner::ReadLog() const { return Read(LogPath()); }

bool ProgramRunner::Start(const std::string& arguments)
{
    Kill();
    std::string command = "\"" + folder + "\\Pelloria.exe\"";
    if (!arguments.empty())
        command += " " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &process)) {
        error = "cannot start " + command;
        process = PROCESS_INFORMATION();
        return false;
    }
    return true;
}

bool ProgramRunner::IsRunning() const
{
    return process.hProcess && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
}

bool ProgramRunner::WaitForExit(DWORD* exitCode, unsigned timeoutMs)
{
    if (!process.hProcess)
        return false;
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Pump();
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    if (exitCode)
        *exitCode = code;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    process = PROCESS_INFORMATION();
    return true;
}

void ProgramRunner::Kill()
{
    if (!process.hProcess)
        return;
    if (IsRunning()) {
        TerminateProcess(process.hProcess, 255);
        WaitForSingleObject(process.hProcess, 10000);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    process = PROCESS_INFORMATION();
}

void ProgramRunner::Pump(unsigned milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (milliseconds)
            Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

bool ProgramRunner::Host(const std::string& line, unsigned timeoutMs)
{
    if (!shell->Available()) {
        error = "not running under Wine";
        return false;
    }
    return shell->Run(line, [] { Pump(); }, timeoutMs);
}

std::string ProgramRunner::HostOutput(const std::string& line, unsigned timeoutMs)
{
    const std::string file = "output" + std::to_string(++outputs);
    DeleteFileA((folder + "\\" + file).c_str());
    if (!Host("(" + line + ") > '" + shell->UnixFolder() + "/" + file + "' 2>/dev/null", timeoutMs))
        return std::string();
    const std::string text = Read(folder + "\\" + file);
    DeleteFileA((folder + "\\" + file).c_str());
    return text;
}

std::string ProgramRunner::FindWindow(const std::string& windowName, unsigned timeoutMs)
{
    const DWORD start = GetTickCount();
    do {
        const std::string ids = HostOutput("xdotool search --name '^" + windowName + "$'");
        const size_t end = ids.find_first_of("\r\n");
        const std::string first = ids.substr(0, end);
        if (!first.empty())
            return first;
        Pump(200);
    } while (GetTickCount() - start < timeoutMs);
    return std::string();
}

bool ProgramRunner::Focus(const std::string& windowId, unsigned timeoutMs)
{
    // Without a window manager X gives the keyboard to the window under the
    // pointer once the focus is set: both, so nothing else catches the keys.
    // X refuses the focus to a window not yet viewable (one just made, or
    // remade by a mode change): it is asked again until the window takes it.
    const DWORD start = GetTickCount();
    for (;;) {
        if (Host("xdotool windowfocus " + windowId + " mousemove --window " + windowId + " 40 40 2>/dev/null"))
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Pump(100);
    }
}

bool ProgramRunner::SendKeys(const std::string& windowId, const std::string& keys)
{
    return Focus(windowId) && (Pump(200), true) && Host("xdotool key " + keys);
}

bool ProgramRunner::HoldKeys(const std::string& windowId, const std::string& keys, unsigned milliseconds)
{
    std::string down, up;
    size_t start = 0;
    while (start < keys.size()) {
        size_t end = keys.find(' ', start);
        if (end == std::string::npos)
            end = keys.size();
        const std::string key = keys.substr(start, end - start);
        if (!key.empty()) {
            down += " keydown " + key;
            up = " keyup " + key + up;
        }
        start = end + 1;
    }
    char pause[32];
    std::snprintf(pause, sizeof pause, " sleep %.3f", milliseconds / 1000.0);
    return Focus(windowId) && (Pump(200), true) && Host("xdotool" + down + pause + up);
}

bool ProgramRunner::Capture(const std::string& windowId, Screenshot& out)
{
    const std::string file = "capture" + std::to_string(++outputs) + ".ppm";
    if (!Host("import -window " + windowId + " -depth 8 ppm:'" + shell->UnixFolder() + "/" + file + "'"))
        return false;
    return ReadCapture(file, out);
}

bool ProgramRunner::CaptureAfter(const std::string& line, const std::string& windowId, int count,
                                 std::vector<Screenshot>& out)
{
    std::string all = line;
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        files.push_back("capture" + std::to_string(++outputs) + ".ppm");
        all += "; import -window " + windowId + " -depth 8 ppm:'" + shell->UnixFolder() + "/" + files.back() + "'";
    }
    if (!Host(all))
        return false;
    out.assign(files.size(), Screenshot());
    bool read = true;
    for (size_t i = 0; i < files.size(); ++i)
        read = ReadCapture(files[i], out[i]) && read;
    return read;
}

bool ProgramRunner::ReadCapture(const std::string& file, Screenshot& out)
{
    std::vector<unsigned char> bytes = ReadFileBytes(folder + "\\" + file);
    // A screenshot is 2 MB or more and a scenario takes hundreds.
    DeleteFileA((folder + "\\" + file).c_str());
    // P6 <width> <height> <maximum> then the pixels.
    size_t pos = 0;
    int fields[3] = {0, 0, 0};
    if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6')
        return false;
    pos = 2;
    for (int f = 0; f < 3; ++f) {
        while (pos < bytes.size() && std::isspace(bytes[pos]))
            ++pos;
        while (pos < bytes.size() && std::isdigit(bytes[pos]))
            fields[f] = fields[f] * 10 + (bytes[pos++] - '0');
    }
    ++pos;
    const size_t size = static_cast<size_t>(fields[0]) * fields[1] * 3;
    if (fields[2] != 255 || fields[0] <= 0 || fields[1] <= 0 || bytes.size() < pos + size)
        return false;
    out.width = fields[0];
    out.height = fields[1];
    out.rgb.assign(bytes.begin() + pos, bytes.begin() + pos + size);
    return true;
}

} // namespace TestSupport
