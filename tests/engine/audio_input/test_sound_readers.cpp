// Windows' headers first: they rename GetMessage, and Error.h must see that too.
#include "tests/engine/audio_input/SoundTestSupport.h"

#include <chrono>
#include <memory>

#include "engine/audio_input/SoundFileReader.h"
#include "engine/audio_input/SoundFileReaderOGG.h"
#include "engine/foundation/Error.h"

using namespace KorvaneEngine;
using namespace SoundTest;

namespace {

::testing::Environment* const services = ::testing::AddGlobalTestEnvironment(new Services(false));

// Everything a reader delivers, read in blocks of the given size.
Bytes ReadAll(SoundFileReader& reader, uint32_t block = 4096)
{
    Bytes out;
    std::vector<unsigned char> buffer(block);
    for (int guard = 0; guard < 1000000; ++guard) {
        uint32_t got = 0;
        bool end = false;
        reader.Read(buffer.data(), block, &got, &end);
        EXPECT_LE(got, block);
        out.insert(out.end(), buffer.begin(), buffer.begin() + got);
        if (end)
            break;
    }
    return out;
}

std::string LoadError(const std::string& path)
{
    try {
        SoundFileReaderWAV reader(path);
    } catch (const FileError& e) {
        return e.GetMessage();
    }
    return "(loaded)";
}

std::string Expected(const std::string& path, const char* what)
{
    return "Failed to load \"" + path + "\" sound file - " + what;
}

std::vector<int16_t> AsSamples(const Bytes& b)
{
    std::vector<int16_t> s(b.size() / 2);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<int16_t>(b[2 * i] | b[2 * i + 1] << 8);
    return s;
}

} // namespace

// --- WAV ---------------------------------------------------------------------

TEST(WavReader, DecodesMono16AndStereo8)
{
    std::vector<int16_t> tone = Sine16(440, 22050, 1000, 0.5);
    std::string mono = WriteSoundFile("mono16.wav", MakeWav(1, 22050, 16, Pcm16(tone)));
    SoundFileReaderWAV reader(mono);
    EXPECT_EQ(reader.GetChannels(), 1u);
    EXPECT_EQ(reader.GetBitsPerSample(), 16u);
    EXPECT_EQ(reader.GetSampleRate(), 22050u);
    EXPECT_EQ(reader.GetDataSize(), 2000u);
    EXPECT_EQ(reader.GetDataOffset(), 44u);
    EXPECT_EQ(reader.GetPath(), mono);
    Bytes pcm = ReadAll(reader, 333);
    ASSERT_EQ(pcm.size(), 2000u);
    std::vector<int16_t> samples = AsSamples(pcm);
    EXPECT_EQ(samples[0], 0);
    EXPECT_EQ(samples[1], tone[1]);
    EXPECT_EQ(samples, tone);

    Bytes stereo(400);
    for (size_t i = 0; i < stereo.size(); ++i)
        stereo[i] = static_cast<unsigned char>(i * 7);
    SoundFileReaderWAV reader8(WriteSoundFile("stereo8.wav", MakeWav(2, 11025, 8, stereo)));
    EXPECT_EQ(reader8.GetChannels(), 2u);
    EXPECT_EQ(reader8.GetBitsPerSample(), 8u);
    EXPECT_EQ(reader8.GetSampleRate(), 11025u);
    EXPECT_EQ(ReadAll(reader8), stereo);
}

TEST(WavReader, ReadsInBlocksAndRewinds)
{
    Bytes data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    SoundFileReaderWAV reader(WriteSoundFile("ten.wav", MakeWav(1, 8000, 8, data)));
    for (int pass = 0; pass < 2; ++pass) {
        unsigned char buffer[4];
        uint32_t got = 99;
        bool end = true;
        reader.Read(buffer, 4, &got, &end);
        EXPECT_EQ(got, 4u);
        EXPECT_FALSE(end);
        EXPECT_EQ(buffer[0], 1);
        reader.Read(buffer, 4, &got, &end);
        EXPECT_EQ(got, 4u);
        EXPECT_FALSE(end);
        reader.Read(buffer, 4, &got, &end);
        EXPECT_EQ(got, 2u);
        EXPECT_TRUE(end);
        EXPECT_EQ(buffer[1], 10);
        reader.Read(buffer, 4, &got, &end);
        EXPECT_EQ(got, 0u);
        EXPECT_TRUE(end);
        reader.Rewind();
    }
    // A zero-sized read reports the end without reading.
    uint32_t got = 5;
    bool end = false;
    reader.Read(nullptr, 0, &got, &end);
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(end);
    unsigned char one;
    reader.Open();
    reader.Read(&one, 1, &got, &end);
    EXPECT_EQ(one, 1);
}

TEST(WavReader, FindsChunksInAnyOrder)
{
    Bytes pcm = Pcm16({100, -100, 200, -200});
    // Data before the format, the format last in the file.
    Bytes chunks;
    PutChunk(chunks, "data", pcm);
    PutChunk(chunks, "fmt ", FormatBody(1, 2, 44100, 16));
    SoundFileReaderWAV last(WriteSoundFile("datafirst.wav", Riff(chunks)));
    EXPECT_EQ(last.GetChannels(), 2u);
    EXPECT_EQ(ReadAll(last), pcm);

    // Unknown chunks of odd size are skipped by their exact size (no pad
    // byte); a format chunk longer than 16 bytes is accepted.
    chunks.clear();
    PutChunk(chunks, "LIST", Bytes(5, 'x'));
    PutChunk(chunks, "fmt ", FormatBody(1, 1, 8000, 16, 2));
    PutChunk(chunks, "fact", Bytes(3, 0));
    PutChunk(chunks, "data", pcm);
    SoundFileReaderWAV odd(WriteSoundFile("odd.wav", Riff(chunks)));
    EXPECT_EQ(odd.GetSampleRate(), 8000u);
    EXPECT_EQ(ReadAll(odd), pcm);

    // A 14-byte "fmt " chunk is skipped like any other; a proper one after it counts.
    chunks.clear();
    PutChunk(chunks, "fmt ", Bytes(14, 0));
    PutChunk(chunks, "fmt ", FormatBody(1, 1, 16000, 8));
    PutChunk(chunks, "data", Bytes(8, 128));
    SoundFileReaderWAV second(WriteSoundFile("fmt14then16.wav", Riff(chunks)));
    EXPECT_EQ(second.GetSampleRate(), 16000u);
}

TEST(WavReader, RejectsWhatItCannotPlay)
{
    Bytes pcm = Pcm16({1, 2, 3, 4});
    struct Case {
        const char* file;
        Bytes bytes;
        const char* what;
    };
    std::vector<Case> cases;
    auto withFormat = [&](const Bytes& format) {
        Bytes c;
        PutChunk(c, "fmt ", format);
        PutChunk(c, "data", pcm);
        return Riff(c);
    };
    cases.push_back({"float.wav", withFormat(FormatBody(3, 1, 22050, 16)), "no format chunk"});
    cases.push_back({"three.wav", withFormat(FormatBody(1, 3, 22050, 16)), "no format chunk"});
    cases.push_back({"none.wav", withFormat(FormatBody(1, 0, 22050, 16)), "no format chunk"});
    cases.push_back({"bits24.wav", withFormat(FormatBody(1, 1, 22050, 24)), "no format chunk"});
    cases.push_back({"rate0.wav", withFormat(FormatBody(1, 1, 0, 16)), "no format chunk"});
    // Rates beyond any sound card's would wrap the buffers' byte-rate arithmetic.
    cases.push_back({"rate_huge.wav", withFormat(FormatBody(1, 2, 0xFFFFFFFFu, 16)), "no format chunk"});
    cases.push_back({"rate_over.wav", withFormat(FormatBody(1, 1, 200001, 16)),
        "no format chunk"});
    {
        Bytes c;
        PutChunk(c, "fmt ", Bytes(14, 0));
        PutChunk(c, "data", pcm);
        cases.push_back({"fmt14.wav", Riff(c), "no format chunk"});
    }
    {
        Bytes c;
        PutChunk(c, "fmt ", FormatBody(1, 1, 22050, 16));
        cases.push_back({"nodata.wav", Riff(c), "no data chunk"});
        Bytes d = c;
        PutChunk(d, "data", Bytes(3, 0));
        cases.push_back({"tinydata.wav", Riff(d), "no data chunk"});
    }
    cases.push_back({"riffsize0.wav", Riff([&] { Bytes c; PutChunk(c, "fmt ", FormatBody(1, 1, 8000, 8)); PutChunk(c, "data", pcm); return c; }(), 0), "no RIFF header"});
    {
        Bytes b = MakeWav(1, 8000, 8, pcm);
        std::memcpy(b.data(), "RIFX", 4);
        cases.push_back({"rifx.wav", b, "no RIFF header"});
        Bytes a = MakeWav(1, 8000, 8, pcm);
        std::memcpy(a.data() + 8, "AVI ", 4);
        cases.push_back({"avi.wav", a, "no RIFF header"});
        cases.push_back({"short.wav", Bytes(b.begin(), b.begin() + 7), "no RIFF header"});
        cases.push_back({"empty.wav", Bytes(), "no RIFF header"});
    }
    for (const Case& c : cases) {
        std::string path = WriteSoundFile(c.file, c.bytes);
        EXPECT_EQ(LoadError(path), Expected(path, c.what)) << c.file;
    }
    // The highest rate is still taken.
    SoundFileReaderWAV top(WriteSoundFile("rate_top.wav", withFormat(FormatBody(1, 1, 200000, 16))));
    EXPECT_EQ(top.GetSampleRate(), 200000u);
}

TEST(WavReader, HugeChunkSizesNeitherHangNorGoBackwards)
{
    // A size that reads as a negative 32-bit offset used to seek back onto the
    // same header again and again.
    for (uint32_t size : {0xFFFFFFF8u, 0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu}) {
        Bytes c;
        PutChunk(c, "junk", Bytes(8, 0), size);
        PutChunk(c, "fmt ", FormatBody(1, 1, 8000, 8));
        PutChunk(c, "data", Bytes(16, 128));
        std::string path = WriteSoundFile("huge.wav", Riff(c));
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(LoadError(path), Expected(path, "no format chunk")) << size;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
    // A format chunk claiming more bytes than the file has is no format chunk.
    Bytes c;
    PutChunk(c, "data", Bytes(16, 128));
    PutChunk(c, "fmt ", FormatBody(1, 1, 8000, 8), 0xFFFFFFF0u);
    std::string path = WriteSoundFile("hugefmt.wav", Riff(c));
    EXPECT_EQ(LoadError(path), Expected(path, "no format chunk"));
}

TEST(WavReader, DataChunkLongerThanTheFileIsCutToTheFile)
{
    Bytes c;
    PutChunk(c, "fmt ", FormatBody(1, 1, 8000, 8));
    PutChunk(c, "data", Bytes(100, 7), 0xFFFFFF00u);
    SoundFileReaderWAV reader(WriteSoundFile("truncated.wav", Riff(c)));
    EXPECT_EQ(reader.GetDataSize(), 100u);
    Bytes all = ReadAll(reader, 64);
    EXPECT_EQ(all, Bytes(100, 7));
}

TEST(WavReader, MissingFilePassesTheFileError)
{
    std::string path = Services::Dir() + "\\missing.wav";
    std::string message;
    try {
        SoundFileReaderWAV reader(path);
    } catch (const FileError& e) {
        message = e.GetMessage();
    }
    EXPECT_NE(message.find("Failed to open"), std::string::npos);
    EXPECT_NE(message.find("missing.wav"), std::string::npos);
}

// --- placeholder -----------------------------------------------------------------

TEST(EmptyReader, EightBytesOfSilence)
{
    SoundFileReaderEMP reader("whatever.wav");
    EXPECT_EQ(reader.GetName(), "");
    EXPECT_EQ(reader.GetPath(), "");
    EXPECT_EQ(reader.GetDataSize(), 8u);
    EXPECT_EQ(reader.GetChannels(), 1u);
    EXPECT_EQ(reader.GetBitsPerSample(), 8u);
    EXPECT_EQ(reader.GetSampleRate(), 22050u);
    for (int pass = 0; pass < 2; ++pass) {
        unsigned char buffer[100];
        std::memset(buffer, 0, sizeof buffer);
        uint32_t got = 0;
        bool end = false;
        reader.Read(buffer, 100, &got, &end);
        EXPECT_EQ(got, 8u);
        EXPECT_TRUE(end);
        EXPECT_EQ(Bytes(buffer, buffer + 8), Bytes(8, 128));
        EXPECT_EQ(buffer[8], 0);
        reader.Read(buffer, 100, &got, &end);
        EXPECT_EQ(got, 0u);
        EXPECT_TRUE(end);
        reader.Rewind();
    }
    unsigned char three[3];
    uint32_t got = 0;
    bool end = true;
    reader.Read(three, 3, &got, &end);
    EXPECT_EQ(got, 3u);
    EXPECT_FALSE(end);
    reader.Read(three, 0, &got, &end);
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(end);
}

// --- Ogg Vorbis ----------------------------------------------------------------

TEST(OggReader, DecodesEveryFrameOfAMonoTone)
{
    // An odd frame count: the last page is short, and only counted when the
    // library can seek to the very end of the file.
    const uint32_t kFrames = 22050 + 777;
    std::vector<float> tone = SineFloat(440, 22050, kFrames, 0.5, 1);
    std::string path = WriteSoundFile("tone.ogg", EncodeOgg(1, 22050, tone, 0.8f));
    SoundFileReaderOGG reader(path, false);
    EXPECT_TRUE(reader.IsOpen());
    EXPECT_EQ(reader.GetChannels(), 1u);
    EXPECT_EQ(reader.GetBitsPerSample(), 16u);
    EXPECT_EQ(reader.GetSampleRate(), 22050u);
    EXPECT_EQ(reader.GetDataSize(), kFrames * 2);

    Bytes pcm = ReadAll(reader, 5000);
    ASSERT_EQ(pcm.size(), kFrames * 2u);
    std::vector<int16_t> samples = AsSamples(pcm);
    // Lossy, but close: the first samples follow the sine within a few percent
    // of full scale, and so does the whole signal.
    for (int i = 0; i < 8; ++i)
        EXPECT_NEAR(samples[i] / 32768.0, tone[i], 0.05) << i;
    double error = 0;
    for (size_t i = 0; i < samples.size(); ++i)
        error += (samples[i] / 32768.0 - tone[i]) * (samples[i] / 32768.0 - tone[i]);
    EXPECT_LT(std::sqrt(error / samples.size()), 0.02);

    // Rewound, the same bytes come again; so after Close and Open.
    reader.Rewind();
    EXPECT_EQ(ReadAll(reader, 4096), pcm);
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
    uint32_t got = 1;
    bool end = false;
    unsigned char b[16];
    reader.Read(b, sizeof b, &got, &end);
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(end);
    reader.Open();
    EXPECT_TRUE(reader.IsOpen());
    EXPECT_EQ(ReadAll(reader, 10000), pcm);
    reader.Read(b, 0, &got, &end);
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(end);
}

TEST(OggReader, StereoIsInterleavedLeftRight)
{
    const uint32_t kFrames = 44100 / 2;
    std::vector<float> both;
    for (uint32_t i = 0; i < kFrames; ++i) {
        both.push_back(static_cast<float>(0.4 * std::sin(2 * kPi * 440 * i / 44100.0)));
        both.push_back(static_cast<float>(0.4 * std::sin(2 * kPi * 1000 * i / 44100.0)));
    }
    SoundFileReaderOGG reader(WriteSoundFile("stereo.ogg", EncodeOgg(2, 44100, both)));
    EXPECT_EQ(reader.GetChannels(), 2u);
    EXPECT_EQ(reader.GetSampleRate(), 44100u);
    EXPECT_EQ(reader.GetDataSize(), kFrames * 4);
    std::vector<int16_t> s = AsSamples(ReadAll(reader));
    ASSERT_EQ(s.size(), kFrames * 2u);
    std::vector<double> left, right;
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        left.push_back(s[i] / 32768.0);
        right.push_back(s[i + 1] / 32768.0);
    }
    EXPECT_NEAR(DominantFrequency(left, 44100), 440, 2);
    EXPECT_NEAR(DominantFrequency(right, 44100), 1000, 2);
}

TEST(OggReader, RejectsWhatItCannotPlay)
{
    auto error = [](const std::string& path) {
        try {
            SoundFileReaderOGG reader(path);
        } catch (const FileError& e) {
            return e.GetMessage();
        }
        return std::string("(loaded)");
    };
    // Three channels are more than a device buffer takes.
    std::string three = WriteSoundFile("three.ogg", EncodeOgg(3, 22050, SineFloat(440, 22050, 4000, 0.3, 3)));
    EXPECT_EQ(error(three), Expected(three, "incorrect format"));
    std::string garbage = WriteSoundFile("garbage.ogg", Bytes(5000, 0x5A));
    EXPECT_EQ(error(garbage), Expected(garbage, "incorrect format"));
    std::string wav = WriteSoundFile("wav.ogg", MakeWav(1, 8000, 8, Bytes(100, 128)));
    EXPECT_EQ(error(wav), Expected(wav, "incorrect format"));
    std::string empty = WriteSoundFile("empty.ogg", Bytes());
    EXPECT_EQ(error(empty), Expected(empty, "incorrect format"));
}

TEST(OggReader, DamagedStreamsEnd)
{
    // Noise, so that the stream spreads over many pages.
    const uint32_t kFrames = 22050 * 4;
    std::vector<float> noise(kFrames);
    uint32_t lcg = 12345;
    for (float& v : noise) {
        lcg = lcg * 1664525u + 1013904223u;
        v = static_cast<float>(static_cast<int32_t>(lcg) / 4294967296.0);
    }
    Bytes good = EncodeOgg(1, 22050, noise);
    // Cut in the middle: the pages that are there play, then the stream ends.
    std::string cut = WriteSoundFile("cut.ogg", Bytes(good.begin(), good.begin() + good.size() / 2));
    try {
        SoundFileReaderOGG reader(cut);
        EXPECT_LT(reader.GetDataSize(), kFrames * 2 * 3 / 4);
        EXPECT_GT(reader.GetDataSize(), kFrames * 2 / 4);
        Bytes pcm = ReadAll(reader);
        EXPECT_EQ(pcm.size(), reader.GetDataSize());
    } catch (const Error& e) {
        ADD_FAILURE() << e.GetMessage();
    }
    // Scribbled over after the headers: reading ends, whatever the decoder makes of it.
    for (unsigned seed = 1; seed <= 4; ++seed) {
        Bytes bad = good;
        std::srand(seed);
        for (size_t i = bad.size() / 4; i < bad.size(); i += 1 + std::rand() % 50)
            bad[i] = static_cast<unsigned char>(std::rand());
        std::string path = WriteSoundFile("scribbled.ogg", bad);
        try {
            SoundFileReaderOGG reader(path);
            auto start = std::chrono::steady_clock::now();
            Bytes pcm = ReadAll(reader);
            EXPECT_LE(pcm.size(), kFrames * 2u);
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        } catch (const FileError& e) {
            EXPECT_EQ(e.GetMessage(), Expected(path, "incorrect format"));
        }
    }
}
