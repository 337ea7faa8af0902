#include "engine/foundation/Paths.h"

#include <windows.h>

#include <io.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/StringUtils.h"

namespace KorvaneEngine {

namespace {

const char kDataPrefix[] = "data\\";


// Full form of a path: "." and ".." resolved, forward slashes turned round,
// no trailing backslash.
std::string Canonical(const std::string& path)
{
    DWORD n = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return std::string();
    std::vector<char> buffer(n + 1);
    n = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (n == 0 || n >= buffer.size())
        return std::string();
    std::string full(buffer.data(), n);
    while (full.size() > 3 && full.back() == '\\')
        full.pop_back();
    return full;
}

bool IsInside(const std::string& path, const std::string& folder)
{
    return path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '\\';
}

bool Refuse(const std::string& path, const std::string& reason)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogError("Refused to delete folder \"" + path + "\": " + reason);
    return false;
}

} // namespace

std::string GetDataPath(const std::string& path)
{
    if (path.find(':') != std::string::npos)
        return path;
    return kDataPrefix + path;
}

std::string RemoveDataPrefix(const std::string& path)
{
    if (path.find(':') == std::string::npos && path.compare(0, sizeof kDataPrefix - 1, kDataPrefix) == 0)
        return path.substr(sizeof kDataPrefix - 1);
    return path;
}

std::string GetFileName(const std::string& path)
{
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string GetDirectory(const std::string& path)
{
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string GetExtension(const std::string& path)
{
    size_t dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

bool HasExtension(const std::string& path, const std::string& extension)
{
    return ToLowerCopy(GetExtension(path)) == ToLowerCopy(extension);
}

void ChangeExtension(std::string& path, const std::string& extension)
{
    size_t dot = path.rfind('.');
    if (dot == std::string::npos) {
        if (!extension.empty())
            path += "." + extension;
    } else if (extension.empty()) {
        path.resize(dot);
    } else {
        path.replace(dot + 1, std::string::npos, extension);
    }
}

std::string MakeAbsolute(const std::string& path)
{
    if (path.find(':') != std::string::npos)
        return path;
    return GetExecutableDirectory() + "\\" + path;
}

std::string CombinePath(const std::string& base, const std::string& relative)
{
    std::string result;
    if (!base.empty() && !relative.empty())
        result = base.back() == '\\' ? base + relative : base + "\\" + relative;
    else
        result = relative;

    for (;;) {
        size_t up = result.find("..");
        if (up == std::string::npos || up <= 1)
            break;
        // The folder before "..": from the backslash before it (excluded).
        size_t before = result.rfind('\\', up - 2);
        bool slashAfter = up + 2 < result.size() && result[up + 2] == '\\';
        if (before == std::string::npos)
            result.erase(0, slashAfter ? up + 3 : up + 2);
        else if (slashAfter)
            result.erase(before + 1, up + 3 - (before + 1));
        else
            result.erase(before, up + 2 - before);
    }
    return result;
}

void CreateDirectories(const std::string& path)
{
    const std::string full = FullFilePath(path);
    for (size_t slash = full.find_first_of("\\/"); slash != std::string::npos;
         slash = full.find_first_of("\\/", slash + 1))
        if (slash > 0)
            CreateDirectoryA(full.substr(0, slash + 1).c_str(), nullptr);
}

bool DiskFileExists(const std::string& path)
{
    if (path.empty())
        return false;
    return _access(FullFilePath(path).c_str(), 0) == 0;
}

std::string GetAppDataFolder()
{
    char buffer[MAX_PATH + 1] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK)
        return std::string();
    return buffer;
}

bool DeleteDirectoryTree(const std::string& path)
{
    if (path.empty())
        return Refuse(path, "no folder given");
    const std::string full = FullFilePath(path);
    if (full.size() == 2 && full[1] == ':')
        return Refuse(path, "a drive root"); // not the drive's current folder
    const std::string canonical = Canonical(full);
    const std::string target = ToLowerCopy(canonical);
    if (target.empty())
        return Refuse(path, "not a valid path");
    // "c:", "c:\" and network shares' roots.
    if (target.size() <= 3 || (target.compare(0, 2, "\\\\") == 0 && target.find('\\', target.find('\\', 2) + 1) == std::string::npos))
        return Refuse(path, "a drive root");
    const std::string program = ToLowerCopy(Canonical(GetExecutableDirectory()));
    if (!program.empty() && (program == target || IsInside(program, target)))
        return Refuse(path, "the program folder");
    const std::string userData = ToLowerCopy(Canonical(GetAppDataFolder()));
    if (userData.empty() || !IsInside(target, userData))
        return Refuse(path, "outside the user data folder");

    // The source list ends with two zeros; the string's own terminator is the second.
    std::string from = canonical;
    from.push_back('\0');
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    // No error box either: nobody may be there to close it.
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    int result = SHFileOperationA(&operation);
    return result == 0 && !operation.fAnyOperationsAborted && !DiskFileExists(canonical);
}

} // namespace KorvaneEngine
