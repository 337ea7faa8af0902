// The shipped sounds as the engine reads them: every row of the sound table
// has its file, in its format, around its own tone; loops join without a jump;
// the same sources give the same bytes. Also the publisher file (loose) and
// the start-up resource lists (present, even when empty).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/audio_input/SoundFileReader.h"
#include "engine/audio_input/SoundFileReaderOGG.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "puzzle/app/SoundTable.h"
#include "support/TestSupport.h"
#include "tools/content/Audio.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"

using namespace Content;

namespace {

const double kPi = 3.14159265358979323846;

struct Decoded {
    uint32_t channels = 0, bits = 0, rate = 0;
    std::vector<double> left; // -1..1
};

Decoded Decode(KorvaneEngine::SoundFileReader& reader)
{
    Decoded d;
    d.channels = reader.GetChannels();
    d.bits = reader.GetBitsPerSample();
    d.rate = reader.GetSampleRate();
    reader.Open();
    std::vector<uint8_t> pcm;
    bool end = false;
    while (!end) {
        uint8_t block[65536];
        uint32_t got = 0;
        reader.Read(block, sizeof block, &got, &end);
        pcm.insert(pcm.end(), block, block + got);
        if (got == 0)
            break;
    }
    reader.Close();
    const uint32_t frame = d.channels * d.bits / 8;
    for (size_t i = 0; frame && i + frame <= pcm.size(); i += frame)
        d.left.push_back(d.bits == 8 ? (pcm[i] - 128) / 128.0 : static_cast<int16_t>(pcm[i] | pcm[i + 1] << 8) / 32768.0);
    return d;
}

double ToneStrength(const std::vector<double>& x, size_t from, size_t count, double f, double rate)
{
    const double w = 2 * kPi * f / rate, c = 2 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (size_t i = from; i < from + count && i < x.size(); ++i) {
        const double s = x[i] + c * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - c * s1 * s2)) / (count / 2.0);
}

bool IsLoop(const Audio::Sound& s)
{
    if (s.style == Audio::kMusic)
        return true;
    for (const Puzzle::SoundTable::Effect& e : Puzzle::SoundTable::kEffects)
        if (std::string(e.folder) == s.folder && std::string(e.file) == s.file)
            return e.loop;
    return false;
}

class AudioContent : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        log = new KorvaneEngine::MessageManager("Audio content test", false, false, "", "");
        dir = TestSupport::MakeTempDir("audio_content");
        files = new KorvaneEngine::FileManager(dir, true, "data", 0);
        Options options;
        Generate(set, options);
    }
    static void TearDownTestSuite()
    {
        delete files;
        delete log;
        TestSupport::RemoveTree(dir);
    }

    static inline ContentSet set;
    static inline std::string dir;
    static inline KorvaneEngine::MessageManager* log = nullptr;
    static inline KorvaneEngine::FileManager* files = nullptr;
};

TEST_F(AudioContent, EverySoundOfTheTableHasItsFileAroundItsOwnTone)
{
    // Each row of the sound table names a file that is generated.
    std::set<std::string> shipped;
    for (const Audio::Sound& s : Audio::kSounds)
        shipped.insert(std::string(s.folder) + "\\" + s.file);
    for (const auto& g : Puzzle::SoundTable::kGUISounds)
        EXPECT_TRUE(shipped.count(std::string(g.folder) + "\\" + g.file)) << g.file;
    for (const auto& m : Puzzle::SoundTable::kMusic)
        EXPECT_TRUE(shipped.count(std::string(m.folder) + "\\" + m.file)) << m.file;
    for (const auto& e : Puzzle::SoundTable::kEffects)
        EXPECT_TRUE(shipped.count(std::string(e.folder) + "\\" + e.file)) << e.file;
    EXPECT_EQ(shipped.size(), 34u);

    std::set<uint32_t> tones;
    for (const Audio::Sound& s : Audio::kSounds) {
        SCOPED_TRACE(Audio::SoundFilePath(s));
        for (uint32_t t : tones)
            EXPECT_GT(std::abs(static_cast<int>(t) - static_cast<int>(s.tone)), 20) << "too close to " << t;
        tones.insert(s.tone);

        const std::vector<uint8_t>* bytes = set.Find(Audio::SoundFilePath(s));
        ASSERT_NE(bytes, nullptr);
        const std::string path = dir + "\\sound" + (s.format == Audio::kOggMono || s.format == Audio::kOggStereo ? ".ogg" : ".wav");
        ASSERT_TRUE(TestSupport::WriteFileBytes(path, *bytes));
        std::unique_ptr<KorvaneEngine::SoundFileReader> reader;
        if (s.format == Audio::kOggMono || s.format == Audio::kOggStereo)
            reader = std::make_unique<KorvaneEngine::SoundFileReaderOGG>(path);
        else
            reader = std::make_unique<KorvaneEngine::SoundFileReaderWAV>(path);
        const Decoded d = Decode(*reader);
        const bool stereo = s.format == Audio::kWav16Stereo || s.format == Audio::kOggStereo;
        EXPECT_EQ(d.channels, stereo ? 2u : 1u);
        EXPECT_EQ(d.bits, s.format == Audio::kWav8Mono ? 8u : 16u);
        EXPECT_EQ(d.rate, s.format == Audio::kOggStereo ? 44100u : 22050u);
        EXPECT_NEAR(d.left.size() / double(d.rate), s.seconds, 0.002);

        // The strongest frequency is its tone (over the first two seconds:
        // the music repeats its pattern after that). A coarse scan over short
        // stretches (5 Hz wide bins) finds the band, a fine one over the whole
        // span the tone.
        const size_t n = d.left.size();
        const size_t span = std::min<size_t>(n, 2 * d.rate);
        const size_t piece = d.rate / 5;
        double best = 0, bestStrength = -1;
        for (double f = 80; f <= 4000; f += 2.5) {
            double strength = 0;
            for (size_t from = 0; from + piece <= std::min(span, 8 * piece); from += piece)
                strength += ToneStrength(d.left, from, piece, f, d.rate);
            if (span < piece)
                strength = ToneStrength(d.left, 0, span, f, d.rate);
            if (strength > bestStrength) {
                bestStrength = strength;
                best = f;
            }
        }
        const double coarse = best;
        bestStrength = -1;
        for (double f = coarse - 5; f <= coarse + 5; f += 0.25) {
            const double strength = ToneStrength(d.left, 0, span, f, d.rate);
            if (strength > bestStrength) {
                bestStrength = strength;
                best = f;
            }
        }
        EXPECT_NEAR(best, s.tone, 3.0);
        double peak = 0;
        for (double v : d.left)
            peak = std::max(peak, std::fabs(v));
        EXPECT_GT(peak, 0.2);
        EXPECT_LT(peak, 1.0);

        // A loop's end leads into its start as any two neighbours do; a
        // one-shot sound ends in silence.
        const double seam = std::fabs(d.left.front() - d.left.back());
        if (IsLoop(s)) {
            double largest = 0;
            for (size_t i = 1; i < n; ++i)
                largest = std::max(largest, std::fabs(d.left[i] - d.left[i - 1]));
            EXPECT_LE(seam, largest * 1.05 + 0.01);
        } else {
            EXPECT_LT(std::fabs(d.left.back()), 0.02);
            EXPECT_LT(std::fabs(d.left.front()), 0.02);
        }
    }
    // Music streams: larger than the engine's largest static sound.
    EXPECT_GT(set.Find("data\\audio\\music\\menu.ogg")->size(), 10000u);
}

TEST_F(AudioContent, TheSameSourcesGiveTheSameBytes)
{
    ContentSet again;
    Options options;
    AddAudio(again, options);
    for (const Audio::Sound& s : Audio::kSounds) {
        const std::string path = Audio::SoundFilePath(s);
        ASSERT_NE(again.Find(path), nullptr) << path;
        EXPECT_TRUE(*again.Find(path) == *set.Find(path)) << path;
    }
}

TEST_F(AudioContent, ThePublisherStaysLooseAndEveryStartUpListExists)
{
    const std::string out = TestSupport::MakeTempDir("audio_content_out");
    std::string error;
    ASSERT_TRUE(set.Write(out, false, &error)) << error;
    EXPECT_TRUE(TestSupport::FileExists(out + "\\data\\publisher.xml"));
    EXPECT_TRUE(TestSupport::FileExists(out + "\\data\\pelloria.pak"));
    EXPECT_FALSE(TestSupport::FileExists(out + "\\data\\audio"));
    std::vector<unsigned char> publisher = TestSupport::ReadFileBytes(out + "\\data\\publisher.xml");
    EXPECT_NE(std::string(publisher.begin(), publisher.end()).find("<publisher name=\"demo\""), std::string::npos);

    // Through the engine's file manager, packed: the lists and the sounds.
    KorvaneEngine::FileManager packed(out, true, "data", 0);
    EXPECT_EQ(packed.GetPackCount(), 1u);
    const char* const lists[] = {"data\\ui\\resources_basic.xml", "data\\ui\\resources_additional.xml",
                                 "data\\ui\\background\\resources_basic.xml",
                                 "data\\ui\\background\\resources_additional.xml", "data\\game_objects\\resources.xml"};
    for (const char* list : lists)
        EXPECT_TRUE(packed.FileExists(list)) << list;
    for (const Audio::Sound& s : Audio::kSounds)
        EXPECT_TRUE(packed.FileExists(Audio::SoundFilePath(s))) << Audio::SoundFilePath(s);
    KorvaneEngine::FileManager::Instance(files);
    TestSupport::RemoveTree(out);
}

} // namespace
