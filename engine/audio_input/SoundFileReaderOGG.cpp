#include "engine/audio_input/SoundFileReaderOGG.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <cstdio>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"

namespace KorvaneEngine {

struct OggFileCallbacks {
    static size_t Read(void* ptr, size_t size, size_t count, void* source)
    {
        SoundFileReaderOGG* reader = static_cast<SoundFileReaderOGG*>(source);
        FileBinary* file = reader->file;
        if (!file || size == 0 || count == 0)
            return 0;
        uint32_t fileSize = file->GetSize();
        if (reader->sourcePosition >= fileSize)
            return 0;
        uint64_t wanted = static_cast<uint64_t>(size) * count;
        uint32_t left = fileSize - reader->sourcePosition;
        uint32_t n = wanted < left ? static_cast<uint32_t>(wanted) : left;
        n -= n % size; // whole items only, as fread counts them
        if (n == 0)
            return 0;
        if (file->GetPosition() != reader->sourcePosition && !reader->SeekTo(reader->sourcePosition))
            return 0;
        uint32_t got = 0;
        file->Read(ptr, n, &got);
        reader->sourcePosition += got;
        return got / size;
    }

    static int Seek(void* source, ogg_int64_t offset, int whence)
    {
        SoundFileReaderOGG* reader = static_cast<SoundFileReaderOGG*>(source);
        if (!reader->file)
            return -1;
        int64_t size = reader->file->GetSize();
        int64_t target;
        switch (whence) {
        case SEEK_SET: target = offset; break;
        case SEEK_CUR: target = static_cast<int64_t>(reader->sourcePosition) + offset; break;
        case SEEK_END: target = size + offset; break;
        default: return -1;
        }
        // The end itself is a valid place to stand (nothing more to read there).
        if (target < 0 || target > size)
            return -1;
        reader->sourcePosition = static_cast<uint32_t>(target);
        return 0;
    }

    // The reader owns its file.
    static int Close(void*) { return 0; }

    static long Tell(void* source) { return static_cast<long>(static_cast<SoundFileReaderOGG*>(source)->sourcePosition); }
};

SoundFileReaderOGG::~SoundFileReaderOGG() { Close(); }

SoundFileReaderOGG::SoundFileReaderOGG(const std::string& fileName, bool) : SoundFileReader(fileName)
{
    bitsPerSample = 16;
    Open();
    if (!decoder)
        Fail();
    vorbis_info* info = ov_info(decoder, -1);
    if (!info || info->channels < 1 || info->channels > 2 || info->rate <= 0 || info->rate > long(kMaxSampleRate))
        Fail();
    channels = static_cast<uint32_t>(info->channels);
    sampleRate = static_cast<uint32_t>(info->rate);
    ogg_int64_t samples = ov_pcm_total(decoder, -1);
    if (samples < 0)
        Fail();
    // dataSize is 32-bit: an hours-long stream is cut to whole frames below 4 GiB
    // instead of wrapping around to a short one.
    uint64_t frameBytes = channels * 2;
    uint64_t bytes = static_cast<uint64_t>(samples) * frameBytes;
    if (bytes > 0xFFFFFFFFull)
        bytes = 0xFFFFFFFFull / frameBytes * frameBytes;
    dataSize = static_cast<uint32_t>(bytes);
}

void SoundFileReaderOGG::Fail()
{
    Close();
    ReleaseFile();
    throw FileError("Failed to load \"" + path + "\" sound file - incorrect format");
}

void SoundFileReaderOGG::Open()
{
    if (decoder) {
        Rewind();
        return;
    }
    if (!file)
        return;
    sourcePosition = 0;
    SeekTo(0);
    consecutiveErrors = 0;
    decoder = new OggVorbis_File();
    ov_callbacks callbacks;
    callbacks.read_func = &OggFileCallbacks::Read;
    callbacks.seek_func = &OggFileCallbacks::Seek;
    callbacks.close_func = &OggFileCallbacks::Close;
    callbacks.tell_func = &OggFileCallbacks::Tell;
    if (ov_open_callbacks(this, decoder, nullptr, 0, callbacks) < 0) {
        // A failed open leaves nothing for ov_clear to free.
        delete decoder;
        decoder = nullptr;
    }
}

void SoundFileReaderOGG::Close()
{
    if (!decoder)
        return;
    ov_clear(decoder);
    delete decoder;
    decoder = nullptr;
}

void SoundFileReaderOGG::Rewind()
{
    consecutiveErrors = 0;
    if (decoder)
        ov_pcm_seek(decoder, 0);
}

void SoundFileReaderOGG::Read(void* buffer, uint32_t size, uint32_t* bytesRead, bool* endOfStream)
{
    if (!decoder || size == 0) {
        *bytesRead = 0;
        *endOfStream = true;
        return;
    }
    char* out = static_cast<char*>(buffer);
    uint32_t total = 0;
    long r = 1;
    while (total < size) {
        uint32_t want = size - total;
        if (want > 0x7FFFFFFF)
            want = 0x7FFFFFFF;
        int section = 0;
        r = ov_read(decoder, out + total, static_cast<int>(want), 0, 2, 1, &section);
        if (r == 0)
            break;
        if (r > 0) {
            total += static_cast<uint32_t>(r);
            consecutiveErrors = 0;
            continue;
        }
        // A gap in the stream is skipped; a file that keeps failing is ended.
        if (++consecutiveErrors >= kMaxConsecutiveErrors) {
            r = 0;
            break;
        }
    }
    *bytesRead = total;
    *endOfStream = r == 0;
}

} // namespace KorvaneEngine
