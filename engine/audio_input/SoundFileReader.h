#pragma once
#include <cstdint>
#include <string>

namespace KorvaneEngine {

class FileBinary;

// Turns one sound file into raw PCM bytes: 8-bit unsigned or 16-bit signed
// little-endian samples, channels interleaved. The format is known once the
// constructor returns; a file of the wrong kind fails construction with a
// FileError naming the resolved path. Afterwards a reader only reads forward
// and rewinds; looping is the caller's business.
class SoundFileReader {
public:
    virtual ~SoundFileReader();
    virtual void Open() = 0;
    virtual void Close() = 0;
    virtual void Rewind() = 0;
    // Writes at most size bytes; endOfStream is set when nothing is left after
    // this call. A size of 0 reads nothing and reports the end.
    virtual void Read(void* buffer, uint32_t size, uint32_t* bytesRead, bool* endOfStream) = 0;

    SoundFileReader(const SoundFileReader&) = delete;
    SoundFileReader& operator=(const SoundFileReader&) = delete;

    const std::string& GetName() const { return name; }
    const std::string& GetPath() const { return path; }
    uint32_t GetDataSize() const { return dataSize; }
    uint32_t GetChannels() const { return channels; }
    uint32_t GetBitsPerSample() const { return bitsPerSample; }
    uint32_t GetSampleRate() const { return sampleRate; }

    // The highest sample rate a reader accepts: the most any DirectSound plays,
    // and far below where rate x block size stops fitting 32 bits.
    static const uint32_t kMaxSampleRate = 200000;

protected:
    // Opens "data\<name>" (or the name itself when it holds a drive colon)
    // through the file manager; a missing file's FileError passes on.
    explicit SoundFileReader(const std::string& fileName);
    // No name and no file: the silent placeholder.
    SoundFileReader();

    // Deletes the file once; safe to call again.
    void ReleaseFile();
    // Moves the file to an absolute position; FileBinary seeks take a signed
    // 32-bit offset, so positions past 2 GiB take two steps.
    bool SeekTo(uint32_t position);

    std::string name;
    std::string path;
    FileBinary* file = nullptr;
    uint32_t dataSize = 0;
    uint32_t channels = 0;
    uint32_t bitsPerSample = 0;
    uint32_t sampleRate = 0;
};

// RIFF/WAVE files with integer PCM, 8 or 16 bits, mono or stereo.
class SoundFileReaderWAV : public SoundFileReader {
public:
    ~SoundFileReaderWAV() override;
    explicit SoundFileReaderWAV(const std::string& fileName);

    void Open() override;
    void Close() override;
    void Rewind() override;
    void Read(void* buffer, uint32_t size, uint32_t* bytesRead, bool* endOfStream) override;

    uint32_t GetDataOffset() const { return dataOffset; }

private:
    // Looks for a chunk from byte 12 on. Positions are computed in 64 bits so
    // that a huge chunk size can never lead backwards or round in a circle.
    // On success the file stands at the chunk's first byte.
    bool FindChunk(const char id[4], uint32_t minimumSize, uint32_t* chunkSize);
    [[noreturn]] void Fail(const char* what);

    uint32_t dataOffset = 0;
    uint32_t bytesLeft = 0;
};

// Stands in for every sound that could not be loaded: eight bytes of 8-bit
// silence at 22,050 Hz, mono.
class SoundFileReaderEMP : public SoundFileReader {
public:
    ~SoundFileReaderEMP() override;
    explicit SoundFileReaderEMP(const std::string& fileName = std::string());

    void Open() override;
    void Close() override;
    void Rewind() override;
    void Read(void* buffer, uint32_t size, uint32_t* bytesRead, bool* endOfStream) override;

    static constexpr uint32_t kSize = 8;

private:
    uint32_t position = 0;
};

} // namespace KorvaneEngine
