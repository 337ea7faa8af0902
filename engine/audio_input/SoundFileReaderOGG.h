#pragma once
#include <cstdint>
#include <string>

#include "engine/audio_input/SoundFileReader.h"

struct OggVorbis_File;

namespace KorvaneEngine {

// Ogg Vorbis files decoded to 16-bit signed little-endian PCM through
// vorbisfile, which reads the engine's file through callbacks.
class SoundFileReaderOGG : public SoundFileReader {
public:
    ~SoundFileReaderOGG() override;
    // The streaming hint is accepted for the callers' sake; decoding is the
    // same either way.
    explicit SoundFileReaderOGG(const std::string& fileName, bool streaming = false);

    void Open() override;
    void Close() override;
    void Rewind() override;
    void Read(void* buffer, uint32_t size, uint32_t* bytesRead, bool* endOfStream) override;

    bool IsOpen() const { return decoder != nullptr; }

    // Consecutive decoder errors after which a Read gives up and reports the
    // end of the stream, so a damaged file cannot keep a reader busy forever.
    static constexpr int kMaxConsecutiveErrors = 64;

private:
    // The library's view of the file (the callbacks live in the source file).
    // The position is kept here rather than in the FileBinary, whose seek
    // cannot stand at the end of the source: the library finds the last page by
    // seeking to the very end and asking where it is.
    friend struct OggFileCallbacks;

    [[noreturn]] void Fail();

    OggVorbis_File* decoder = nullptr;
    uint32_t sourcePosition = 0;
    int consecutiveErrors = 0;
};

} // namespace KorvaneEngine
