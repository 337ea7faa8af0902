#include "engine/foundation/SafeSave.h"

#include <windows.h>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"

namespace KorvaneEngine {

bool MoveFileOver(const std::string& source, const std::string& target)
{
    return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

SafeSave::SafeSave(const std::string& name)
    : name_(name), target_(FullFilePath(name)), temporary_(target_ + ".tmp")
{
}

SafeSave::~SafeSave()
{
    if (!committed_)
        DeleteFileA(temporary_.c_str());
}

void SafeSave::Commit()
{
    if (committed_)
        return;
    if (!MoveFileOver(temporary_, target_))
        throw FileError("Failed to replace \"" + name_ + "\" file");
    committed_ = true;
}

} // namespace KorvaneEngine
