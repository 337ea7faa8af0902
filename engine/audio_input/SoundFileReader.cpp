#include "engine/audio_input/SoundFileReader.h"

#include <cstring>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileManager.h"

namespace KorvaneEngine {

namespace {

uint32_t ReadU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
        static_cast<uint32_t>(p[3]) << 24;
}

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

} // namespace

// --- base -------------------------------------------------------------------

SoundFileReader::~SoundFileReader() { ReleaseFile(); }

SoundFileReader::SoundFileReader(const std::string& fileName) : name(fileName), path(GetDataPath(fileName))
{
    FileManager* files = FileManager::Instance();
    if (!files)
        throw FileError("Failed to open \"" + path + "\" file");
    file = files->OpenFile(path, false, 0);
}

SoundFileReader::SoundFileReader() = default;

void SoundFileReader::ReleaseFile()
{
    delete file;
    file = nullptr;
}

bool SoundFileReader::SeekTo(uint32_t position)
{
    if (!file)
        return false;
    const uint32_t kStep = 0x7FFFFFFF;
    if (position <= kStep)
        return file->Seek(0, static_cast<int32_t>(position));
    return file->Seek(0, static_cast<int32_t>(kStep)) && file->Seek(2, static_cast<int32_t>(position - kStep));
}

// --- WAV --------------------------------------------------------------------

SoundFileReaderWAV::~SoundFileReaderWAV() = default;

SoundFileReaderWAV::SoundFileReaderWAV(const std::string& fileName) : SoundFileReader(fileName)
{
    uint8_t header[12];
    uint32_t got = 0;
    file->Read(header, sizeof header, &got);
    if (got != sizeof header || std::memcmp(header, "RIFF", 4) != 0 || ReadU32(header + 4) == 0 ||
        std::memcmp(header + 8, "WAVE", 4) != 0)
        Fail("no RIFF header");

    uint32_t chunkSize = 0;
    if (!FindChunk("fmt ", 16, &chunkSize))
        Fail("no format chunk");
    uint8_t format[16];
    file->Read(format, sizeof format, &got);
    if (got != sizeof format)
        Fail("no format chunk");
    uint16_t formatTag = ReadU16(format);
    channels = ReadU16(format + 2);
    sampleRate = ReadU32(format + 4);
    bitsPerSample = ReadU16(format + 14);
    // No channels or no rate would later divide by zero when the play
    // position is worked out from the elapsed time; a huge rate would wrap the
    // byte rate and frequency arithmetic of the sound buffers.
    if (formatTag != 1 || channels < 1 || channels > 2 || sampleRate == 0 || sampleRate > kMaxSampleRate ||
        (bitsPerSample != 8 && bitsPerSample != 16))
        Fail("no format chunk");

    if (!FindChunk("data", 0, &chunkSize))
        Fail("no data chunk");
    dataOffset = file->GetPosition();
    // A data chunk that claims more than the file holds is cut to what is
    // there, so a static buffer is not made larger than its sound.
    uint32_t available = file->GetSize() - dataOffset;
    dataSize = chunkSize < available ? chunkSize : available;
    // Less than one stereo 16-bit frame cannot be played (DirectSound refuses
    // buffers below four bytes).
    if (dataSize < 4)
        Fail("no data chunk");
    bytesLeft = dataSize;
}

bool SoundFileReaderWAV::FindChunk(const char id[4], uint32_t minimumSize, uint32_t* chunkSize)
{
    const uint64_t fileSize = file->GetSize();
    uint64_t position = 12;
    // Each pass moves forward by at least the 8 header bytes, so the walk ends.
    while (position + 8 <= fileSize) {
        if (!SeekTo(static_cast<uint32_t>(position)))
            return false;
        uint8_t header[8];
        uint32_t got = 0;
        file->Read(header, sizeof header, &got);
        if (got != sizeof header)
            return false;
        uint32_t size = ReadU32(header + 4);
        uint64_t end = position + 8 + size;
        if (std::memcmp(header, id, 4) == 0 && size >= minimumSize) {
            // The format chunk must lie inside the file; the data chunk may be
            // cut short (the caller clamps its size).
            if (minimumSize > 0 && end > fileSize)
                return false;
            *chunkSize = size;
            return true;
        }
        // No pad byte after odd sizes: chunks follow each other exactly.
        position = end;
    }
    return false;
}

void SoundFileReaderWAV::Fail(const char* what)
{
    ReleaseFile();
    throw FileError("Failed to load \"" + path + "\" sound file - " + what);
}

void SoundFileReaderWAV::Open() { Rewind(); }

void SoundFileReaderWAV::Close() {}

void SoundFileReaderWAV::Rewind()
{
    bytesLeft = dataSize;
    SeekTo(dataOffset);
}

void SoundFileReaderWAV::Read(void* buffer, uint32_t size, uint32_t* bytesRead, bool* endOfStream)
{
    if (size == 0 || !file) {
        *bytesRead = 0;
        *endOfStream = true;
        return;
    }
    uint32_t n = size < bytesLeft ? size : bytesLeft;
    bytesLeft -= n;
    uint32_t got = 0;
    if (n > 0)
        file->Read(buffer, n, &got);
    *bytesRead = got;
    if (got != n)
        bytesLeft = 0; // the file is shorter than its data chunk says
    *endOfStream = bytesLeft == 0;
}

// --- placeholder ------------------------------------------------------------

SoundFileReaderEMP::~SoundFileReaderEMP() = default;

SoundFileReaderEMP::SoundFileReaderEMP(const std::string&)
{
    dataSize = kSize;
    channels = 1;
    bitsPerSample = 8;
    sampleRate = 22050;
}

void SoundFileReaderEMP::Open() { Rewind(); }

void SoundFileReaderEMP::Close() {}

void SoundFileReaderEMP::Rewind() { position = 0; }

void SoundFileReaderEMP::Read(void* buffer, uint32_t size, uint32_t* bytesRead, bool* endOfStream)
{
    if (size == 0) {
        *bytesRead = 0;
        *endOfStream = true;
        return;
    }
    uint32_t n = kSize - position;
    if (size < n)
        n = size;
    position += n;
    std::memset(buffer, 128, n);
    *bytesRead = n;
    *endOfStream = position == kSize;
}

} // namespace KorvaneEngine
