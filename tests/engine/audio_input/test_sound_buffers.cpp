// Windows' headers first: they rename GetMessage, and Error.h must see that too.
#include "tests/engine/audio_input/SoundTestSupport.h"

#include <algorithm>
#include <memory>

#include "engine/audio_input/SoundBuffer.h"
#include "engine/audio_input/SoundFileReader.h"
#include "engine/audio_input/SoundFileReaderOGG.h"
#include "engine/foundation/StringUtils.h"

using namespace KorvaneEngine;
using namespace SoundTest;

namespace {

::testing::Environment* const services = ::testing::AddGlobalTestEnvironment(new Services(false));

const uint32_t B = SoundBuffer::kBlockSize;
const uint32_t R = SoundBuffer::kRingSize;

// A device that is a block of memory: it records what is written and queued,
// and the test says which ring blocks have been played.
class MemoryBuffer : public SoundBuffer {
public:
    MemoryBuffer(const std::string& name, uint8_t* staging, bool resident) : SoundBuffer(name, staging, resident)
    {
        Load(nullptr);
    }
    ~MemoryBuffer() override { Unload(); }

    void CreateBuffer(SoundBuffer*) override
    {
        if (!resident && !streamed)
            return;
        device.assign(streamed ? R : dataSize, 0xEE);
        hasDevice = true;
        if (!streamed) {
            reader->Open();
            staticFilled = FillBlock(0, dataSize);
            reader->Close();
        }
    }
    void ReleaseBuffer() override
    {
        device.clear();
        hasDevice = false;
    }
    bool WriteData(uint32_t blockIndex, uint32_t size) override
    {
        writes.push_back(blockIndex);
        if (failWrites)
            return false;
        uint64_t at = static_cast<uint64_t>(blockIndex) * B;
        EXPECT_LE(at + size, device.size());
        if (at + size <= device.size())
            std::copy(staging, staging + size, device.begin() + static_cast<std::ptrdiff_t>(at));
        return true;
    }
    void QueueBuffer(uint32_t blockIndex) override { queued.push_back(blockIndex); }
    void UnqueueProcessedBuffers(std::vector<uint32_t>* blocks) override
    {
        if (!blocks) {
            ++dropped;
            return;
        }
        *blocks = played;
        played.clear();
    }

    std::vector<uint8_t> Block(uint32_t index) const
    {
        return std::vector<uint8_t>(device.begin() + index * B, device.begin() + (index + 1) * B);
    }

    std::vector<uint8_t> device;
    bool hasDevice = false;
    bool staticFilled = false;
    bool failWrites = false;
    std::vector<uint32_t> writes, queued, played;
    int dropped = 0;
};

// A WAV whose bytes tell where they came from: byte i of the data is (i * 7 + i / 251) & 255.
Bytes Pattern(uint32_t size)
{
    Bytes b(size);
    for (uint32_t i = 0; i < size; ++i)
        b[i] = static_cast<unsigned char>((i * 7 + i / 251) & 255);
    return b;
}

std::vector<uint8_t> Slice(const Bytes& b, uint32_t from, uint32_t count)
{
    return std::vector<uint8_t>(b.begin() + from, b.begin() + from + count);
}

class SoundBuffers : public ::testing::Test {
protected:
    void SetUp() override { ClearLog(); }
    std::vector<uint8_t> staging = std::vector<uint8_t>(R);
};

} // namespace

TEST_F(SoundBuffers, StaticUpToTheRingSizeStreamedAbove)
{
    Bytes exact = Pattern(R);
    std::string exactName = WriteSoundFile("exact.wav", MakeWav(2, 44100, 16, exact));
    MemoryBuffer a(exactName, staging.data(), true);
    EXPECT_FALSE(a.IsStreamed());
    EXPECT_TRUE(a.IsResident());
    EXPECT_EQ(a.GetDataSize(), R);
    EXPECT_TRUE(a.staticFilled);
    EXPECT_EQ(a.device, std::vector<uint8_t>(exact.begin(), exact.end()));

    std::string moreName = WriteSoundFile("onemore.wav", MakeWav(2, 44100, 16, Pattern(R + 2)));
    MemoryBuffer b(moreName, staging.data(), true);
    EXPECT_TRUE(b.IsStreamed());
    EXPECT_FALSE(b.IsResident()); // streams never keep a device buffer between plays
    EXPECT_FALSE(b.IsLooping());
    EXPECT_EQ(b.GetStreamState(), SoundBuffer::kStopped);
    EXPECT_EQ(b.GetSampleRate(), 44100u);
    EXPECT_EQ(b.GetChannels(), 2u);
    EXPECT_EQ(b.GetBitsPerSample(), 16u);
    EXPECT_EQ(LogCount(3), 0);
}

TEST_F(SoundBuffers, ChoosesTheReaderByLowerCaseExtension)
{
    std::string ogg = WriteSoundFile("Music.OGG", EncodeOgg(1, 22050, SineFloat(440, 22050, 2000, 0.3, 1)));
    MemoryBuffer music(ogg, staging.data(), false);
    EXPECT_EQ(music.GetName(), ToLowerCopy(ogg));
    ASSERT_NE(dynamic_cast<SoundFileReaderOGG*>(music.GetReader()), nullptr);
    EXPECT_EQ(music.GetDataSize(), 4000u);
    EXPECT_FALSE(music.hasDevice); // not resident: made when it plays

    std::string wav = WriteSoundFile("Effect.Wav", MakeWav(1, 8000, 8, Bytes(100, 1)));
    MemoryBuffer effect(wav, staging.data(), true);
    EXPECT_NE(dynamic_cast<SoundFileReaderWAV*>(effect.GetReader()), nullptr);
    EXPECT_EQ(LogCount(3), 0);
}

TEST_F(SoundBuffers, UnreadableSoundsBecomeLoggedSilence)
{
    struct Case {
        std::string name;
        std::string logged;
    };
    std::string corruptWav = WriteSoundFile("corrupt.wav", Bytes(64, 0x33));
    std::string corruptOgg = WriteSoundFile("corrupt.ogg", Bytes(64, 0x33));
    std::string floatWav = WriteSoundFile("float.wav", [] {
        Bytes c;
        PutChunk(c, "fmt ", FormatBody(3, 1, 22050, 16));
        PutChunk(c, "data", Bytes(64, 0));
        return Riff(c);
    }());
    std::vector<Case> cases = {
        {"a.mp3", "Failed to load \"a.mp3\" sound file - unknown type"},
        {"noextension", "Failed to load \"noextension\" sound file - unknown type"},
        {Services::Dir() + "\\absent.wav", "Failed to open"},
        {corruptWav, "Failed to load \"" + ToLowerCopy(corruptWav) + "\" sound file - no RIFF header"},
        {corruptOgg, "Failed to load \"" + ToLowerCopy(corruptOgg) + "\" sound file - incorrect format"},
        {floatWav, "Failed to load \"" + ToLowerCopy(floatWav) + "\" sound file - no format chunk"},
    };
    for (const Case& c : cases) {
        ClearLog();
        MemoryBuffer buffer(c.name, staging.data(), true);
        EXPECT_NE(dynamic_cast<SoundFileReaderEMP*>(buffer.GetReader()), nullptr) << c.name;
        EXPECT_EQ(buffer.GetDataSize(), 8u);
        EXPECT_EQ(buffer.GetChannels(), 1u);
        EXPECT_EQ(buffer.GetBitsPerSample(), 8u);
        EXPECT_EQ(buffer.GetSampleRate(), 22050u);
        EXPECT_FALSE(buffer.IsStreamed());
        EXPECT_EQ(buffer.device, std::vector<uint8_t>(8, 128)) << c.name;
        EXPECT_EQ(LogCount(3), 1) << c.name;
        EXPECT_EQ(LogCount(c.logged), 1) << c.name << " should log " << c.logged;
    }
    // No name at all is the placeholder too, and nothing to complain about.
    ClearLog();
    MemoryBuffer unnamed("", staging.data(), true);
    EXPECT_EQ(unnamed.GetDataSize(), 8u);
    EXPECT_EQ(LogCount(3), 0);
}

TEST_F(SoundBuffers, StreamFillsTheRingThenRefillsPlayedBlocks)
{
    const uint32_t kSize = 700000;
    Bytes data = Pattern(kSize);
    MemoryBuffer stream(WriteSoundFile("stream.wav", MakeWav(1, 22050, 16, data)), staging.data(), false);
    ASSERT_TRUE(stream.IsStreamed());
    EXPECT_TRUE(stream.writes.empty());

    stream.SetStreamState(SoundBuffer::kPlaying);
    std::vector<uint32_t> all(24);
    for (uint32_t i = 0; i < 24; ++i)
        all[i] = i;
    EXPECT_EQ(stream.writes, all);
    EXPECT_EQ(stream.queued, all);
    EXPECT_EQ(stream.device, Slice(data, 0, R));

    // Played blocks get what follows in the file; past its end a block is
    // padded with silence and the one after holds nothing worth queueing.
    stream.writes.clear();
    stream.queued.clear();
    stream.played = {0, 1, 2, 3, 4, 5};
    stream.Update();
    EXPECT_EQ(stream.writes, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(stream.queued, (std::vector<uint32_t>{0, 1, 2, 3, 4}));
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(stream.Block(i), Slice(data, R + i * B, B)) << i;
    const uint32_t tail = kSize - R - 4 * B; // 11,872 bytes
    std::vector<uint8_t> block4 = Slice(data, R + 4 * B, tail);
    block4.resize(B, 0);
    EXPECT_EQ(stream.Block(4), block4);
    EXPECT_EQ(stream.Block(5), std::vector<uint8_t>(B, 0));

    // Paused and resumed: nothing is rewound or rewritten.
    stream.writes.clear();
    stream.SetStreamState(SoundBuffer::kPaused);
    stream.Update(); // a paused stream is not refilled
    stream.SetStreamState(SoundBuffer::kPlaying);
    EXPECT_TRUE(stream.writes.empty());
    EXPECT_EQ(stream.dropped, 0);

    // Stopped and played again: from the start of the file.
    stream.SetStreamState(SoundBuffer::kStopped);
    EXPECT_EQ(stream.dropped, 1);
    stream.SetStreamState(SoundBuffer::kPlaying);
    EXPECT_EQ(stream.writes, all);
    EXPECT_EQ(stream.device, Slice(data, 0, R));
}

TEST_F(SoundBuffers, LoopingStreamWrapsInsideTheBlock)
{
    const uint32_t kSize = R + 3 * B + 1000;
    Bytes data = Pattern(kSize);
    MemoryBuffer stream(WriteSoundFile("loop.wav", MakeWav(2, 22050, 16, data)), staging.data(), false);
    stream.SetLoop(true);
    stream.SetStreamState(SoundBuffer::kPlaying);
    stream.played = {0, 1, 2, 3, 4};
    stream.queued.clear();
    stream.Update();
    EXPECT_EQ(stream.queued, (std::vector<uint32_t>{0, 1, 2, 3, 4}));
    // Block 3 ends the file after 1,000 bytes and goes on with its start.
    std::vector<uint8_t> block3 = Slice(data, R + 3 * B, 1000);
    std::vector<uint8_t> start = Slice(data, 0, B - 1000);
    block3.insert(block3.end(), start.begin(), start.end());
    EXPECT_EQ(stream.Block(3), block3);
    EXPECT_EQ(stream.Block(4), Slice(data, B - 1000, B));
}

TEST_F(SoundBuffers, EightBitSilenceAndFailedWrites)
{
    const uint32_t kSize = R + 100;
    MemoryBuffer stream(WriteSoundFile("eight.wav", MakeWav(1, 22050, 8, Bytes(kSize, 50))), staging.data(), false);
    stream.SetStreamState(SoundBuffer::kPlaying);
    stream.played = {0, 1};
    stream.Update();
    std::vector<uint8_t> expected(B, 128);
    std::fill(expected.begin(), expected.begin() + 100, 50);
    EXPECT_EQ(stream.Block(0), expected);
    EXPECT_EQ(stream.Block(1), std::vector<uint8_t>(B, 128));

    // A block the device would not take is not queued.
    stream.failWrites = true;
    stream.queued.clear();
    stream.SetLoop(true);
    stream.played = {2};
    stream.Update();
    EXPECT_TRUE(stream.queued.empty());
    EXPECT_FALSE(stream.FillBlock(0, B));
    stream.failWrites = false;
    EXPECT_TRUE(stream.FillBlock(0, B));
    // Nothing larger than the staging block, nothing empty.
    EXPECT_FALSE(stream.FillBlock(0, R + 1));
    EXPECT_FALSE(stream.FillBlock(0, 0));
}
