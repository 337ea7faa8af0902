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

bool WarnAboutRest(FileBinary& file, bool* keepAsideFirst)
{
    if (file.GetPosition() >= file.GetSize())
        return false;
    WarnLoss(file.GetName(), std::to_string(file.GetSize() - file.GetPosition()) +
                                 " bytes after the last known field left unread", keepAsideFirst);
    return true;
}

void Warn(const std::string& file, const std::string& what)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogWarning("\"" + file + "\": " + what);
}

void WarnLoss(const std::string& file, const std::string& what, bool* keepAsideFirst)
{
    Warn(file, what + "; the file as it was is kept aside before it is saved again");
    if (keepAsideFirst)
        *keepAsideFirst = true;
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

std::string AsidePath(const std::string& path, uint32_t index)
{
    return index == 0 ? path + ".bad" : path + ".bad." + std::to_string(index);
}

bool KeepAside(const std::string& path, std::string* copy, std::string* failure)
{
    if (copy)
        copy->clear();
    const std::string from = MakeAbsolute(path);
    if (GetFileAttributesA(from.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return true;
    }
    for (uint32_t index = 0; index < kMaxAsideCopies; ++index) {
        const std::string aside = AsidePath(path, index), to = MakeAbsolute(aside);
        // Every earlier copy is something a player once lost: never replaced.
        if (GetFileAttributesA(to.c_str()) != INVALID_FILE_ATTRIBUTES)
            continue;
        if (CopyFileA(from.c_str(), to.c_str(), TRUE)) {
            if (copy)
                *copy = aside;
            return true;
        }
        const DWORD error = GetLastError();
        // Made between the look and the copy: the next name then.
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
            continue;
        if (failure)
            *failure = "copying it to \"" + aside + "\" failed (system error " + std::to_string(error) + ")";
        return false;
    }
    if (failure)
        *failure = "no copy made: \"" + AsidePath(path) + "\" to \"" + AsidePath(path, kMaxAsideCopies - 1) +
                   "\" are all taken";
    return false;
}

bool Discard(const std::string& what, const std::string& path, const std::string& reason)
{
    std::string copy, failure;
    if (KeepAside(path, &copy, &failure)) {
        // The file may have gone since it was read: then there is nothing to keep.
        const std::string kept = copy.empty() ? "" : ", kept as \"" + copy + "\"";
        LogErrorIfOpen(what + " \"" + path + "\" discarded" + kept + ": " + reason);
        return true;
    }
    LogErrorIfOpen(what + " \"" + path + "\" discarded but not replaced, " + failure + ": " + reason);
    return false;
}

bool Write(const std::string& path, const std::string& magic, uint32_t version,
    const std::function<void(FileBinary&)>& write, bool* keepAsideFirst)
{
    if (keepAsideFirst && *keepAsideFirst) {
        std::string copy, failure;
        if (!KeepAside(path, &copy, &failure)) {
            LogErrorIfOpen("Not saved \"" + path + "\": the file it would replace is not kept yet, " + failure);
            return false;
        }
        if (!copy.empty())
            Warn(path, "kept as \"" + copy + "\" before this save replaces it");
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
