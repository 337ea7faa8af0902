#include "engine/foundation/Config.h"

#include <windows.h>

#include <memory>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/FileTextual.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/SafeSave.h"

namespace KorvaneEngine {

namespace {

void ReportError(const std::string& message)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogError(message);
}

// The engine opens its text files through the file manager (its root, and the
// missing folders of a written file are created); without one, from the
// program folder.
std::unique_ptr<FileTextual> OpenText(const std::string& name, uint32_t mode)
{
    if (FileManager* files = FileManager::Instance())
        return std::unique_ptr<FileTextual>(files->OpenTextFile(name, mode, FileTextual::kAnsi));
    if (mode == FileTextual::kWrite)
        CreateDirectories(FullFilePath(name));
    return std::make_unique<FileTextual>(name, mode, FileTextual::kAnsi);
}

std::string TargetPath(const std::string& name)
{
    if (FileManager* files = FileManager::Instance())
        return files->GetFullPath(name);
    return FullFilePath(name);
}

uint64_t DiskFileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return UINT64_MAX;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

void Config::WriteFile(const std::string& path)
{
    uint64_t expected = 0;
    {
        std::unique_ptr<FileTextual> owned = OpenText(path, FileTextual::kWrite);
        FileTextual& file = *owned;
        for (auto& entry : variables_) {
            const ConfigVariable& v = *entry.second;
            if (!v.persist || v.readOnly || v.type == kConfigCommand)
                continue;
            std::string line = entry.first + " " + GetValueString(entry.first);
            file.Write(line);
            file.WriteNewLine();
            expected += line.size() + 2;
        }
        file.Flush();
    }
    // Closing can still lose data; only a file of the full length may replace the old one.
    if (DiskFileSize(path) != expected)
        throw FileError("Failed to write " + std::to_string(expected) + " bytes from \"" + path + "\" file");
}

void Config::Save()
{
    // The new file is written beside the old one and renamed over it only when
    // complete, so a failed save leaves the previous settings intact.
    try {
        SafeSave save(TargetPath(iniPath_));
        WriteFile(save.GetTemporaryPath());
        save.Commit();
    } catch (const FileError& e) {
        ReportError(e.GetMessage());
    }
}

void Config::Load()
{
    ResetAll();
    pending_.clear();
    try {
        std::unique_ptr<FileTextual> file = OpenText(iniPath_, FileTextual::kRead);
        std::string line, name;
        while (file->ReadLine(line, true, false)) {
            if (ExecuteLine(line, &name) == kExecuteUnknownName && !pending_.count(name))
                pending_[name] = line;
        }
    } catch (...) {
        // A missing or unreadable file leaves the defaults.
    }
    if (forceMode_)
        ResetVariable("v_mode");
    if (forceFullscreen_)
        ResetVariable("v_fullscreen");
}

} // namespace KorvaneEngine
