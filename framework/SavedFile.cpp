#include "framework/SavedFile.h"

#include <windows.h>

#include <cmath>

#include "engine/foundation/BinaryDataFile.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Paths.h"

using namespace KorvaneEngine;

namespace GameFramework {
namespace SavedFile {

namespace {

std::string Damaged(const FileBinary& file, const std::string& reason)
{
    return "Incorrect \"" + file.GetName() + "\" file format: " + reason;
}

} // namespace

void CheckCount(FileBinary& file, uint32_t count, uint32_t minBytes, const char* what)
{
    const uint32_t left = file.GetPosition() < file.GetSize() ? file.GetSize() - file.GetPosition() : 0;
    const uint64_t needed = static_cast<uint64_t>(count) * minBytes;
    if (needed > left || needed > kMaxBodyBytes)
        throw FileError(Damaged(file, std::string(what) + " count " + std::to_string(count) + " does not fit in " +
                                          std::to_string(left) + " bytes"));
}

bool WarnAboutRest(FileBinary& file)
{
    if (file.GetPosition() >= file.GetSize())
        return false;
    Warn(file.GetName(), std::to_string(file.GetSize() - file.GetPosition()) +
                             " bytes after the last known field left unread");
    return true;
}

void Warn(const std::string& file, const std::string& what)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogWarning("\"" + file + "\": " + what);
}

std::wstring FitText(const std::wstring& text)
{
    size_t n = text.find(L'\0');
    if (n == std::wstring::npos)
        n = text.size();
    if (n > kMaxTextUnits) {
        n = kMaxTextUnits;
        const wchar_t last = text[n - 1];
        if (last >= 0xD800 && last <= 0xDBFF)
            --n;
    }
    return text.substr(0, n);
}

bool IsUsableTime(float seconds) { return std::isfinite(seconds) && seconds >= 0.0f; }

std::string AsidePath(const std::string& path) { return path + ".bad"; }

bool KeepAside(const std::string& path, std::string* failure)
{
    const std::string from = MakeAbsolute(path), to = MakeAbsolute(AsidePath(path));
    if (GetFileAttributesA(from.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return true;
    }
    // A read-only older copy would refuse to be replaced.
    SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (CopyFileA(from.c_str(), to.c_str(), FALSE))
        return true;
    const DWORD error = GetLastError();
    if (failure)
        *failure = "copying it to \"" + AsidePath(path) + "\" failed (system error " + std::to_string(error) + ")";
    return false;
}

bool Discard(const std::string& what, const std::string& path, const std::string& reason)
{
    std::string failure;
    if (KeepAside(path, &failure)) {
        LogErrorIfOpen(what + " \"" + path + "\" discarded, kept as \"" + AsidePath(path) + "\": " + reason);
        return true;
    }
    LogErrorIfOpen(what + " \"" + path + "\" discarded but not replaced, " + failure + ": " + reason);
    return false;
}

bool Write(const std::string& path, const std::string& magic, uint32_t version,
    const std::function<void(FileBinary&)>& write, bool* keepAsideFirst)
{
    if (keepAsideFirst && *keepAsideFirst) {
        std::string failure;
        if (!KeepAside(path, &failure)) {
            LogErrorIfOpen("Not saved \"" + path + "\": the file it would replace is not kept yet, " + failure);
            return false;
        }
        *keepAsideFirst = false;
    }
    try {
        GameTools::BinaryDataFile container(magic, version);
        container.Open(path, GameTools::BinaryDataFile::kWrite);
        write(*container.GetFile());
        container.Close();
        return true;
    } catch (const FileError& e) {
        LogErrorIfOpen("Failed to save \"" + path + "\": " + e.GetMessage());
        return false;
    }
}

} // namespace SavedFile
} // namespace GameFramework
