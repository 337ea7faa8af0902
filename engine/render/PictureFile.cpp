#include "engine/render/PictureFile.h"

#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"

namespace KorvaneEngine {

FileBinary* OpenPictureFile(const std::string& name)
{
    if (FileManager* files = FileManager::Instance())
        return files->OpenFile(name, false, 0);
    // Without a file manager (a tool) the name is a file on disk.
    return new FileBinary(name, false, 0);
}

void LogPictureError(const std::string& message)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogError(message);
}

void LogPictureWarning(const std::string& message)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogWarning(message);
}

void LogPictureMessage(const std::string& message)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogMessage(message);
}

std::string IncorrectFormat(const std::string& file)
{
    return "Incorrect \"" + file + "\" file format";
}

std::string UnsupportedFormat(const std::string& file)
{
    return "Unsupported \"" + file + "\" file format";
}

} // namespace KorvaneEngine
