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
// a save that can never leave a half-written file behind, and the checks that
// keep a damaged file from steering allocations or loops.
namespace SavedFile {

// No player file comes near this; a count claiming more is damage.
const uint32_t kMaxBodyBytes = 16u * 1024u * 1024u;

// Throws FileError ("Incorrect \"<file>\" file format: ...") unless count
// elements of at least minBytes each fit in what is left of the file and in
// kMaxBodyBytes. Call it before allocating for the elements.
void CheckCount(KorvaneEngine::FileBinary& file, uint32_t count, uint32_t minBytes, const char* what);
// Throws FileError when bytes are left after the last field: a body that does
// not end where its fields do was damaged (or cut and re-counted).
void CheckEnd(KorvaneEngine::FileBinary& file);
// The longest text a string record holds, in UTF-16 units.
const size_t kMaxTextUnits = 254;
// text as a string record stores it: up to the first zero unit and at most
// kMaxTextUnits units, never ending in the first half of a surrogate pair.
// Whatever keeps a name in memory keeps this, so memory equals the file.
std::wstring FitText(const std::wstring& text);
// A level time that can be stored and compared: finite and not negative.
bool IsUsableTime(float seconds);

// Writes path through a signed container of its own, made and dropped here:
// when write (or the container) throws FileError the container is destroyed
// while the exception unwinds, which discards the temporary file, so the old
// file stays as it was. The error is logged. True when the file was replaced.
bool Write(const std::string& path, const std::string& magic, uint32_t version,
    const std::function<void(KorvaneEngine::FileBinary&)>& write);

} // namespace SavedFile
} // namespace GameFramework
