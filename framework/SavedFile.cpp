#include "framework/SavedFile.h"

#include <cmath>

#include "engine/foundation/BinaryDataFile.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/MessageManager.h"

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

void CheckEnd(FileBinary& file)
{
    if (file.GetPosition() != file.GetSize())
        throw FileError(Damaged(file, std::to_string(file.GetSize() - file.GetPosition()) +
                                          " bytes after the last field"));
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

bool Write(const std::string& path, const std::string& magic, uint32_t version,
    const std::function<void(FileBinary&)>& write)
{
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
