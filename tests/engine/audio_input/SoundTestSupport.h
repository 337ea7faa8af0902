#pragma once
// Fixtures for the sound tests: WAV files built byte by byte, Ogg Vorbis files
// from the content writers' encoder, the engine services the sound layer stands on,
// and a little signal analysis for what comes back out.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/audio_input/Sound.h"
#include "engine/audio_input/SoundManager.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/TimerManager.h"
#include "engine/foundation/Window.h"
#include "support/TestSupport.h"
#include "tools/formats/SoundFileWriters.h"

namespace SoundTest {

constexpr double kPi = 3.14159265358979323846;

using Bytes = std::vector<unsigned char>;

inline void PutU32(Bytes& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

inline void PutU16(Bytes& b, uint16_t v)
{
    b.push_back(static_cast<unsigned char>(v));
    b.push_back(static_cast<unsigned char>(v >> 8));
}

inline void PutTag(Bytes& b, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<unsigned char>(tag[i]));
}

// One chunk: id, size, body (the size field may lie).
inline void PutChunk(Bytes& b, const char* id, const Bytes& body, int64_t sizeField = -1)
{
    PutTag(b, id);
    PutU32(b, sizeField < 0 ? static_cast<uint32_t>(body.size()) : static_cast<uint32_t>(sizeField));
    b.insert(b.end(), body.begin(), body.end());
}

inline Bytes FormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, size_t extra = 0)
{
    Bytes f;
    PutU16(f, tag);
    PutU16(f, channels);
    PutU32(f, rate);
    PutU32(f, rate * channels * bits / 8);
    PutU16(f, static_cast<uint16_t>(channels * bits / 8));
    PutU16(f, bits);
    f.insert(f.end(), extra, 0);
    return f;
}

// RIFF/WAVE around the given chunks.
inline Bytes Riff(const Bytes& chunks, int64_t sizeField = -1)
{
    Bytes b;
    PutTag(b, "RIFF");
    PutU32(b, sizeField < 0 ? static_cast<uint32_t>(chunks.size() + 4) : static_cast<uint32_t>(sizeField));
    PutTag(b, "WAVE");
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}

inline Bytes MakeWav(uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& pcm)
{
    Bytes chunks;
    PutChunk(chunks, "fmt ", FormatBody(1, channels, rate, bits));
    PutChunk(chunks, "data", pcm);
    return Riff(chunks);
}

inline Bytes Pcm16(const std::vector<int16_t>& samples)
{
    Bytes b;
    for (int16_t s : samples)
        PutU16(b, static_cast<uint16_t>(s));
    return b;
}

// A sine of the given amplitude (0..1) as 16-bit samples, copied to every channel.
inline std::vector<int16_t> Sine16(double frequency, uint32_t rate, uint32_t frames, double amplitude, int channels = 1)
{
    std::vector<int16_t> s;
    s.reserve(static_cast<size_t>(frames) * channels);
    for (uint32_t i = 0; i < frames; ++i) {
        int16_t v = static_cast<int16_t>(std::lround(amplitude * 32767.0 * std::sin(2.0 * kPi * frequency * i / rate)));
        for (int c = 0; c < channels; ++c)
            s.push_back(v);
    }
    return s;
}

// Ogg Vorbis of interleaved float samples in -1..1, by the content writers'
// encoder.
inline Bytes EncodeOgg(int channels, long rate, const std::vector<float>& interleaved, float quality = 0.5f)
{
    ContentTools::SoundSamples samples;
    samples.channels = static_cast<uint16_t>(channels);
    samples.rate = static_cast<uint32_t>(rate);
    samples.data = interleaved;
    Bytes out = ContentTools::WriteOggVorbisFile(samples, quality);
    if (out.empty())
        ADD_FAILURE() << "the encoder refused " << channels << " channels at " << rate << " Hz";
    return out;
}

inline std::vector<float> SineFloat(double frequency, long rate, uint32_t frames, double amplitude, int channels)
{
    std::vector<float> s;
    s.reserve(static_cast<size_t>(frames) * channels);
    for (uint32_t i = 0; i < frames; ++i) {
        float v = static_cast<float>(amplitude * std::sin(2.0 * kPi * frequency * i / rate));
        for (int c = 0; c < channels; ++c)
            s.push_back(v);
    }
    return s;
}

// The log, file manager, timers and window the sound layer expects, made once
// for the whole test program. Sound files are written to a folder of their own
// and opened by absolute name.
class Services : public ::testing::Environment {
public:
    explicit Services(bool withWindow = true) : withWindow_(withWindow) {}

    void SetUp() override
    {
        using namespace KorvaneEngine;
        dir_ = TestSupport::MakeTempDir("sound_" + TestSupport::ExecutableName());
        log_ = new MessageManager("Sound Test", true, false, dir_, "sound_log");
        MessageManager::Instance(log_);
        files_ = new FileManager("", false, "data", 0);
        FileManager::Instance(files_);
        timers_ = new TimerManager();
        TimerManager::Instance(timers_);
        if (withWindow_) {
            window_ = new Window("Sound Test", nullptr, 0, 320, 240, false, true, Vector2i(0, 0));
            Window::Instance(window_);
        }
    }

    void TearDown() override
    {
        delete window_;
        delete timers_;
        delete files_;
        delete log_;
    }

    static const std::string& Dir() { return dir_; }

private:
    bool withWindow_;
    KorvaneEngine::MessageManager* log_ = nullptr;
    KorvaneEngine::FileManager* files_ = nullptr;
    KorvaneEngine::TimerManager* timers_ = nullptr;
    KorvaneEngine::Window* window_ = nullptr;
    static inline std::string dir_;
};

// Writes a fixture file and returns its absolute name for the readers.
inline std::string WriteSoundFile(const std::string& fileName, const Bytes& bytes)
{
    std::string path = Services::Dir() + "\\" + fileName;
    EXPECT_TRUE(TestSupport::WriteFileBytes(path, bytes)) << path;
    return path;
}

// Log records since the last ClearHistory that contain the text.
inline int LogCount(const std::string& text)
{
    KorvaneEngine::MessageManager* log = KorvaneEngine::MessageManager::Instance();
    int n = 0;
    for (int i = 0; log && i < log->GetHistorySize(); ++i)
        if (log->GetHistoryRecord(i)->text.find(text) != std::string::npos)
            ++n;
    return n;
}

inline int LogCount(uint32_t level)
{
    KorvaneEngine::MessageManager* log = KorvaneEngine::MessageManager::Instance();
    int n = 0;
    for (int i = 0; log && i < log->GetHistorySize(); ++i)
        if (log->GetHistoryRecord(i)->level == level)
            ++n;
    return n;
}

inline void ClearLog()
{
    if (KorvaneEngine::MessageManager* log = KorvaneEngine::MessageManager::Instance())
        log->ClearHistory();
}

// Strength of one frequency in a mono signal (a single DFT bin, Goertzel).
inline double ToneStrength(const std::vector<double>& x, double frequency, double rate)
{
    double w = 2.0 * kPi * frequency / rate, c = 2.0 * std::cos(w), s1 = 0, s2 = 0;
    for (double v : x) {
        double s = v + c * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return std::sqrt(s1 * s1 + s2 * s2 - c * s1 * s2) / (x.size() / 2.0);
}

// The strongest frequency between lo and hi: a 1 Hz scan around the best of a
// coarse 5 Hz scan.
inline double DominantFrequency(const std::vector<double>& x, double rate, double lo = 50, double hi = 4000)
{
    double best = lo, bestStrength = -1;
    for (double f = lo; f <= hi; f += 5) {
        double s = ToneStrength(x, f, rate);
        if (s > bestStrength) {
            bestStrength = s;
            best = f;
        }
    }
    double coarse = best;
    for (double f = coarse - 5; f <= coarse + 5; f += 0.5) {
        double s = ToneStrength(x, f, rate);
        if (s > bestStrength) {
            bestStrength = s;
            best = f;
        }
    }
    return best;
}

inline double Rms(const std::vector<double>& x)
{
    double sum = 0;
    for (double v : x)
        sum += v * v;
    return x.empty() ? 0 : std::sqrt(sum / x.size());
}

// The ALSA file device's capture (16-bit stereo at 44100 Hz) as a Windows
// path, or empty when the run has no captured sound.
inline std::string CapturePath()
{
    const char* unix = std::getenv("PELLORIA_SOUND_CAPTURE");
    if (!unix || !*unix)
        return std::string();
    std::string path = std::string("Z:") + unix;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// Bytes captured so far: a mark to read from after an action.
inline uint64_t CaptureSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Once the program that played into the capture has closed its device, the
// paced pipe behind it still holds what it was given: polls until the file
// has not grown for `quiet` seconds, within a deadline in seconds. False
// when it still grew at the deadline.
inline bool WaitForCaptureToSettle(const std::string& path, double seconds, double quiet = 1.0)
{
    const DWORD start = GetTickCount();
    DWORD grewAt = start;
    uint64_t size = CaptureSize(path);
    for (;;) {
        Sleep(50);
        const DWORD now = GetTickCount();
        const uint64_t next = CaptureSize(path);
        if (next != size) {
            size = next;
            grewAt = now;
        } else if (now - grewAt >= quiet * 1000) {
            return true;
        }
        if (now - start > seconds * 1000)
            return false;
    }
}

// The pacer writes the capture at a sound card's rate: 44,100 Hz, 16-bit stereo.
constexpr double kCaptureBytesPerSecond = 176400;
// What the device is given comes out in the capture this many bytes later,
// however loaded the machine: the pipe into the pacer holds 64 KiB (0.37 s)
// and the mixer writes a little ahead, and while the device is open it
// keeps writing, silence when nothing plays. Measured here: a sound starts
// at most 0.40 s of capture after a mark taken as it was played, and ends
// 0.36 to 0.37 s of capture after the engine saw it stop. Three times that:
inline constexpr uint64_t kCaptureLagBytes = 211680; // 1.2 s

// Runs step (the frames) until the capture holds size bytes. The pacer
// takes the bytes still missing / kCaptureBytesPerSecond seconds to write
// them; the deadline is three times that, and a second more.
inline ::testing::AssertionResult WaitForCaptureSize(const std::string& path, uint64_t size,
                                                     const std::function<void()>& step)
{
    const uint64_t have = CaptureSize(path);
    const double seconds = 3.0 * static_cast<double>(size > have ? size - have : 0) / kCaptureBytesPerSecond + 1.0;
    const DWORD start = GetTickCount();
    while (CaptureSize(path) < size) {
        if (GetTickCount() - start > seconds * 1000)
            return ::testing::AssertionFailure() << "the capture holds " << CaptureSize(path) << " bytes, not "
                                                 << size << ", after " << seconds << " s: the device stopped";
        step();
    }
    return ::testing::AssertionSuccess();
}

// Some sound of the engine's manager is playing.
inline bool AnySoundPlaying()
{
    KorvaneEngine::SoundManager* manager = KorvaneEngine::SoundManager::Instance();
    const uint32_t count = manager ? manager->GetSoundCount() : 0;
    for (uint32_t i = 0; i < count; ++i)
        if (KorvaneEngine::Sound* sound = manager->GetSound(i))
            if (sound->GetState() == KorvaneEngine::Sound::kPlaying)
                return true;
    return false;
}

// Runs step until every sound the engine plays has stopped (within seconds)
// and what they gave the device has come out: a mark of the capture taken
// then is followed only by what plays after it.
inline ::testing::AssertionResult WaitForCaptureToCatchUp(const std::string& path, double seconds,
                                                          const std::function<void()>& step)
{
    const DWORD start = GetTickCount();
    while (AnySoundPlaying()) {
        if (GetTickCount() - start > seconds * 1000)
            return ::testing::AssertionFailure() << "a sound still plays after " << seconds << " s";
        step();
    }
    return WaitForCaptureSize(path, CaptureSize(path) + kCaptureLagBytes, step);
}

// Under load the device's mixer can miss its turn: Wine then gives the
// device one or more of its 10 ms periods of silence, and what was to play
// comes after them. Seen here: exact zeros for 440, 881, 1322 and up to 3527
// frames inside a sound. The stretches of exact silence (in both channels
// when right is given) that last a whole number of periods, to two frames,
// between a signal's first and last sound: [begin, end) frame ranges. Only
// for a signal that is one sound throughout: the silence between two sounds
// can last whole periods too, as the mixer starts and stops sounds at them.
inline std::vector<std::pair<size_t, size_t>> DeviceGaps(const std::vector<double>& left,
                                                         const std::vector<double>* right = nullptr)
{
    const size_t kPeriod = 441;
    auto silent = [&](size_t i) { return left[i] == 0.0 && (!right || (*right)[i] == 0.0); };
    std::vector<std::pair<size_t, size_t>> gaps;
    size_t first = 0, last = left.size();
    while (first < last && silent(first))
        ++first;
    while (last > first && silent(last - 1))
        --last;
    for (size_t i = first; i < last;) {
        if (!silent(i)) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < last && silent(j))
            ++j;
        const size_t length = j - i, periods = (length + kPeriod / 2) / kPeriod;
        if (periods > 0 && length + 2 >= periods * kPeriod && length <= periods * kPeriod + 2)
            gaps.push_back({i, j});
        i = j;
    }
    return gaps;
}

// The signal without the given frame ranges.
inline std::vector<double> WithoutGaps(const std::vector<double>& x, const std::vector<std::pair<size_t, size_t>>& gaps)
{
    std::vector<double> out;
    out.reserve(x.size());
    size_t from = 0;
    for (const auto& g : gaps) {
        out.insert(out.end(), x.begin() + static_cast<std::ptrdiff_t>(from),
                   x.begin() + static_cast<std::ptrdiff_t>(g.first));
        from = g.second;
    }
    out.insert(out.end(), x.begin() + static_cast<std::ptrdiff_t>(std::min(from, x.size())), x.end());
    return out;
}

// A signal without the device's own gaps; says how long they were.
inline std::vector<double> WithoutDeviceGaps(const std::vector<double>& x, const char* what)
{
    const std::vector<std::pair<size_t, size_t>> gaps = DeviceGaps(x);
    size_t frames = 0;
    for (const auto& g : gaps)
        frames += g.second - g.first;
    if (!gaps.empty())
        std::printf("%s: %zu gaps of the device's silence left out, %.3f s in all\n", what, gaps.size(),
                    frames / 44100.0);
    return WithoutGaps(x, gaps);
}

// The left channel captured from a byte mark on (rounded down to a frame).
inline std::vector<double> CaptureLeft(const std::string& path, uint64_t from)
{
    std::vector<unsigned char> all = TestSupport::ReadFileBytes(path);
    std::vector<double> left;
    for (uint64_t i = from - from % 4; i + 4 <= all.size(); i += 4)
        left.push_back(static_cast<int16_t>(all[i] | all[i + 1] << 8) / 32768.0);
    return left;
}

} // namespace SoundTest
