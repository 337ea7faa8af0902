#include "engine/audio_input/SoundBuffer.h"

#include <cstring>

#include "engine/audio_input/SoundFileReader.h"
#include "engine/audio_input/SoundFileReaderOGG.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/StringUtils.h"

namespace KorvaneEngine {

namespace {

void LogError(const std::string& message)
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogError(message);
}

} // namespace

SoundBuffer::SoundBuffer(const std::string& fileName, uint8_t* stagingBlock, bool isResident)
    : name(ToLowerCopy(fileName)), staging(stagingBlock), resident(isResident)
{
    processedBlocks.reserve(kBlockCount);
}

SoundBuffer::SoundBuffer(const SoundBuffer& source, uint8_t* stagingBlock)
    : name(source.name), staging(stagingBlock), resident(source.resident)
{
    processedBlocks.reserve(kBlockCount);
}

SoundBuffer::~SoundBuffer()
{
    delete reader;
    reader = nullptr;
}

void SoundBuffer::OpenReader()
{
    if (reader)
        return;
    if (name.empty()) {
        reader = new SoundFileReaderEMP();
        return;
    }
    std::string extension = GetExtension(name);
    try {
        if (extension == "wav")
            reader = new SoundFileReaderWAV(name);
        else if (extension == "ogg")
            reader = new SoundFileReaderOGG(name);
        else
            LogError("Failed to load \"" + name + "\" sound file - unknown type");
    } catch (const Error& e) {
        LogError(e.GetMessage());
    }
    if (!reader)
        reader = new SoundFileReaderEMP(name);
}

void SoundBuffer::Load(SoundBuffer* source)
{
    OpenReader();
    dataSize = reader->GetDataSize();
    sampleRate = reader->GetSampleRate();
    bitsPerSample = reader->GetBitsPerSample();
    channels = reader->GetChannels();
    streamed = dataSize > kRingSize;
    if (streamed)
        resident = false;
    CreateBuffer(source);
    if (!source && streamed) {
        loop = false;
        streamState = kStopped;
    }
}

void SoundBuffer::Unload()
{
    delete reader;
    reader = nullptr;
}

bool SoundBuffer::FillBlock(uint32_t blockIndex, uint32_t size)
{
    // The staging block is all there is to read into.
    if (size == 0 || size > kRingSize || !reader || !staging)
        return false;
    uint32_t total = 0;
    bool end = false;
    reader->Read(staging, size, &total, &end);
    if (streamed && loop) {
        while (total != size) {
            reader->Rewind();
            uint32_t got = 0;
            reader->Read(staging + total, size - total, &got, &end);
            if (got == 0)
                break;
            total += got;
        }
    }
    if (total < size)
        std::memset(staging + total, bitsPerSample == 8 ? 128 : 0, size - total);
    if (!WriteData(blockIndex, size))
        return false;
    if (!streamed)
        return total == size;
    if (loop || total > 0)
        return true;
    return !end;
}

void SoundBuffer::SetStreamState(int32_t state)
{
    if (streamState == state)
        return;
    if (state == kStopped) {
        UnqueueProcessedBuffers(nullptr);
    } else if (state == kPlaying && streamState == kStopped && reader) {
        reader->Rewind();
        for (uint32_t i = 0; i < kBlockCount; ++i)
            if (FillBlock(i, kBlockSize))
                QueueBuffer(i);
    }
    streamState = state;
}

void SoundBuffer::Update()
{
    if (!streamed || streamState != kPlaying)
        return;
    UnqueueProcessedBuffers(&processedBlocks);
    for (uint32_t index : processedBlocks)
        if (FillBlock(index, kBlockSize))
            QueueBuffer(index);
}

} // namespace KorvaneEngine
