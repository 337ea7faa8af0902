#pragma once
#include <cstdint>
#include <cstddef>
#include <functional>
#include <string>

namespace KorvaneEngine {
class FileBinary;
}

namespace GameFramework {

// What the player files (profiles, the profile list, the high scores) share:
// a save that can never leave a half-written file behind, the checks that
// keep a damaged file from steering allocations or loops, and the rule that
// a file the game gives up on, or read only in part, is copied aside before
// anything replaces it.
namespace SavedFile {

// No player file comes near this; a count claiming more is damage.
const uint32_t kMaxBodyBytes = 16u * 1024u * 1024u;

// Throws FileError ("Incorrect \"<file>\" file format: ...") unless count
// elements of at least minBytes each fit in what is left of the file and in
// kMaxBodyBytes. Call it before allocating for the elements.
void CheckCount(KorvaneEngine::FileBinary& file, uint32_t count, uint32_t minBytes, const char* what);
// Bytes after the last field this program knows are left unread. The next
// save will not hold them, so when there are any: a warning naming the file,
// *keepAsideFirst set (see Write), true.
bool WarnAboutRest(KorvaneEngine::FileBinary& file, bool* keepAsideFirst);
// A repair made while reading, as a warning: "<file>: <what>".
void Warn(const std::string& file, const std::string& what);
// A repair that leaves out something the file held (a record dropped, a text
// cut): warned as Warn does, and *keepAsideFirst set so that the owner's next
// save keeps the file as it was before replacing it. A repair that loses
// nothing (a clamp, an order) is a plain Warn.
void WarnLoss(const std::string& file, const std::string& what, bool* keepAsideFirst);
// The longest text a string record holds, in UTF-16 units.
const size_t kMaxTextUnits = 254;
// text as a string record stores it: up to the first zero unit and at most
// kMaxTextUnits units, never ending in the first half of a surrogate pair.
// Whatever keeps a name in memory keeps this, so memory equals the file.
std::wstring FitText(const std::wstring& text);
// A level time that can be stored and compared: finite and not negative.
bool IsUsableTime(float seconds);

// Names a copy of the file at path may take, in the order they are tried:
// index 0 is path + ".bad", index n > 0 is path + ".bad.<n>".
std::string AsidePath(const std::string& path, uint32_t index = 0);
// Names tried before KeepAside gives up: far more copies than a player
// could want, few enough that a search stays quick.
const uint32_t kMaxAsideCopies = 1000;
// Copies the file at path to the first AsidePath that names nothing yet, so
// that writing a fresh file cannot lose what the player had, and no earlier
// copy is overwritten. True when the copy was made (its path in *copy) or
// there is no file at path (*copy empty); false when the copy failed or
// every name is taken (the reason in *failure): the file must then not be
// replaced.
bool KeepAside(const std::string& path, std::string* copy, std::string* failure);
// The owner gives up on the file at path (what: "Profile list", ...) and goes
// on with a fresh one: the file is kept aside first and one error logged,
// naming the file, where its copy went and the reason. False when the copy
// failed: the fresh file must wait (see Write's keepAsideFirst).
bool Discard(const std::string& what, const std::string& path, const std::string& reason);

// Writes path through a signed container of its own, made and dropped here:
// when write (or the container) throws FileError the container is destroyed
// while the exception unwinds, which discards the temporary file, so the old
// file stays as it was. The error is logged. True when the file was replaced.
// With keepAsideFirst set, the file there is first kept aside (KeepAside, a
// warning naming the copy) and the flag cleared; while that fails (logged)
// nothing is written.
bool Write(const std::string& path, const std::string& magic, uint32_t version,
    const std::function<void(KorvaneEngine::FileBinary&)>& write, bool* keepAsideFirst = nullptr);

} // namespace SavedFile
} // namespace GameFramework
