#pragma once
#include <string>

// Path helpers every loader uses to build names. Paths use backslashes; a
// relative path is taken from the program folder, never the current directory.
namespace KorvaneEngine {

// "data\" + path, unless path contains ":".
std::string GetDataPath(const std::string& path);
// path without a leading "data\" (unless it contains ":").
std::string RemoveDataPrefix(const std::string& path);
// After the last backslash (all of path without one).
std::string GetFileName(const std::string& path);
// Before the last backslash (empty without one).
std::string GetDirectory(const std::string& path);
// After the last "." of the whole path, without the dot (empty without one).
std::string GetExtension(const std::string& path);
bool HasExtension(const std::string& path, const std::string& extension);
// Replaces what follows the last "." (appends ".ext" when there is none; an
// empty ext removes the dot and the extension).
void ChangeExtension(std::string& path, const std::string& extension);
// path when it contains ":", else the program folder, a backslash and path.
std::string MakeAbsolute(const std::string& path);
// base\relative with "folder\.." pairs folded; relative alone when either is empty.
std::string CombinePath(const std::string& base, const std::string& relative);
// Creates every folder of path up to its last backslash (or slash); what
// follows it is a file name. A relative path is taken from the program folder.
// Failures (existing folders) are ignored. The engine's one folder creator.
void CreateDirectories(const std::string& path);
// A file or folder exists at path (a drive path as is, else from the program folder).
bool DiskFileExists(const std::string& path);
// Deletes a folder and everything in it. Only folders inside the user's
// application-data folder are deleted: an empty path, a drive root, the program
// folder or one holding it, and anything outside are refused with an error in
// the log. True when the folder was deleted.
bool DeleteDirectoryTree(const std::string& path);
// The user's application-data folder (created when missing), or empty.
std::string GetAppDataFolder();

} // namespace KorvaneEngine
