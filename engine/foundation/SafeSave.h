#pragma once
#include <string>

namespace KorvaneEngine {

// Replaces a file only once its new contents are complete, so a failed save
// never destroys the old file. Write everything to GetTemporaryPath() (the
// target's full path with ".tmp" appended), close that writer, then Commit():
// the temporary file is renamed over the target. Without a successful Commit
// the destructor deletes the temporary file and the target stays as it was.
//
//     SafeSave save(name);
//     { FileBinary out(save.GetTemporaryPath(), true); ...; out.Flush(); }
//     save.Commit();
class SafeSave {
public:
    // A relative name is taken from the program folder.
    explicit SafeSave(const std::string& name);
    ~SafeSave();
    SafeSave(const SafeSave&) = delete;
    SafeSave& operator=(const SafeSave&) = delete;

    const std::string& GetTargetPath() const { return target_; }
    const std::string& GetTemporaryPath() const { return temporary_; }

    // Throws FileError "Failed to replace \"<name>\" file" when the rename fails.
    void Commit();

private:
    std::string name_;
    std::string target_;
    std::string temporary_;
    bool committed_ = false;
};

// Moves source over target (full paths), replacing target in one step; false
// when that failed, target then being unchanged.
bool MoveFileOver(const std::string& source, const std::string& target);

} // namespace KorvaneEngine
