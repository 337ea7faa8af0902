#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace KorvaneEngine {

class SoundFileReader;

// The sample data of one sound instance in device memory. A sound up to the
// ring size is static (read whole at load); a larger one is streamed through a
// ring of blocks that is refilled while it plays. The device side is left to
// the back-end.
class SoundBuffer {
public:
    static constexpr uint32_t kBlockSize = 24576;
    static constexpr uint32_t kBlockCount = 24;
    static constexpr uint32_t kRingSize = kBlockSize * kBlockCount; // also the largest static sound

    // Stream states.
    static constexpr int32_t kStopped = 0;
    static constexpr int32_t kPaused = 1;
    static constexpr int32_t kPlaying = 2;

    virtual ~SoundBuffer();
    // Refills played ring blocks of a playing stream; every frame.
    virtual void Update();
    // Deletes the reader; the back-end also drops its device buffer.
    virtual void Unload();
    // Opens the reader when there is none yet, takes over its format and makes
    // the device buffer (a copy of source's when one is given).
    virtual void Load(SoundBuffer* source);

    // Device side.
    virtual void CreateBuffer(SoundBuffer* source) = 0;
    virtual void ReleaseBuffer() = 0;
    // Copies the first size bytes of the staging block to byte
    // blockIndex * kBlockSize of the device buffer.
    virtual bool WriteData(uint32_t blockIndex, uint32_t size) = 0;
    virtual void QueueBuffer(uint32_t blockIndex) = 0;
    // Ring blocks that have been played and may be overwritten; with null,
    // drops whatever is queued.
    virtual void UnqueueProcessedBuffers(std::vector<uint32_t>* blocks) = 0;

    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    void SetLoop(bool flag) { loop = flag; }
    void SetStreamState(int32_t state);
    // Reads up to size bytes into the staging block, pads the rest with silence
    // and writes it to the device. True when the block is worth playing.
    bool FillBlock(uint32_t blockIndex, uint32_t size);

    const std::string& GetName() const { return name; }
    uint32_t GetDataSize() const { return dataSize; }
    uint32_t GetSampleRate() const { return sampleRate; }
    uint32_t GetBitsPerSample() const { return bitsPerSample; }
    uint32_t GetChannels() const { return channels; }
    bool IsStreamed() const { return streamed; }
    bool IsLooping() const { return loop; }
    bool IsResident() const { return resident; }
    int32_t GetStreamState() const { return streamState; }
    SoundFileReader* GetReader() const { return reader; }
    uint8_t* GetStaging() const { return staging; }

protected:
    // name is kept lower-cased; staging is the buffer manager's shared block of
    // kRingSize bytes.
    SoundBuffer(const std::string& fileName, uint8_t* staging, bool resident);
    // Same file and residency as source; opens a reader of its own when loaded.
    SoundBuffer(const SoundBuffer& source, uint8_t* staging);

    std::string name;
    uint32_t dataSize = 0;
    uint32_t sampleRate = 0;
    uint32_t bitsPerSample = 0;
    uint32_t channels = 0;
    bool streamed = false;
    bool loop = false;
    SoundFileReader* reader = nullptr;
    uint8_t* staging;
    int32_t streamState = kStopped;
    bool resident;

private:
    // Kept between frames so that streaming allocates nothing.
    std::vector<uint32_t> processedBlocks;

    // Never fails: anything unreadable becomes the silent placeholder, with
    // the reason in the log.
    void OpenReader();
};

} // namespace KorvaneEngine
