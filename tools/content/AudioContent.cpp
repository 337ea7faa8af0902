// data\audio: the music and every sound of the game's sound table,
// synthesised. Each sound is built around its own tone (tools/content/Audio.h)
// so that a player tells them apart and a test can tell which one played.
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "puzzle/app/SoundTable.h"
#include "tools/content/Audio.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"
#include "tools/formats/SoundFileWriters.h"

namespace Content {

namespace {

const double kPi = 3.14159265358979323846;

using ContentTools::SoundSamples;

// A mono or stereo buffer filled note by note.
class Track {
public:
    Track(uint32_t rate, uint16_t channels, double seconds)
        : rate_(rate), channels_(channels),
          frames_(static_cast<uint32_t>(std::lround(seconds * rate))), data_(static_cast<size_t>(frames_) * channels, 0.0f)
    {
    }

    // A note of frequency f from `start` for `length` seconds: partials at
    // whole multiples (or the given ratios) of f, an attack, an exponential
    // decay of `decay` per second and a short fade at its end, so nothing
    // clicks. pan 0 is left, 1 right.
    void Note(double start, double length, double f, double amplitude, double decay,
              const std::vector<std::pair<double, double>>& partials, double pan = 0.5)
    {
        const uint32_t first = static_cast<uint32_t>(std::lround(start * rate_));
        const uint32_t count = static_cast<uint32_t>(std::lround(length * rate_));
        const double attack = std::min(0.006, length / 4), release = std::min(0.012, length / 4);
        const double left = channels_ == 2 ? std::cos(pan * kPi / 2) * std::sqrt(2.0) : 1.0;
        const double right = channels_ == 2 ? std::sin(pan * kPi / 2) * std::sqrt(2.0) : 1.0;
        for (uint32_t i = 0; i < count && first + i < frames_; ++i) {
            const double t = static_cast<double>(i) / rate_;
            double envelope = amplitude * std::exp(-decay * t);
            if (t < attack)
                envelope *= t / attack;
            if (length - t < release)
                envelope *= (length - t) / release;
            double v = 0;
            for (const auto& p : partials)
                v += p.second * std::sin(2 * kPi * f * p.first * t);
            Put(first + i, v * envelope, left, right);
        }
    }

    // A steady tone over the whole track with a tremolo: every frequency in it
    // fits the track's length a whole number of times, so the loop is seamless.
    void Steady(double f, double amplitude, double tremoloHz, double depth,
                const std::vector<std::pair<double, double>>& partials, double pan = 0.5)
    {
        const double left = channels_ == 2 ? std::cos(pan * kPi / 2) * std::sqrt(2.0) : 1.0;
        const double right = channels_ == 2 ? std::sin(pan * kPi / 2) * std::sqrt(2.0) : 1.0;
        for (uint32_t i = 0; i < frames_; ++i) {
            const double t = static_cast<double>(i) / rate_;
            const double level = amplitude * (1.0 - depth * 0.5 * (1.0 - std::cos(2 * kPi * tremoloHz * t)));
            double v = 0;
            for (const auto& p : partials)
                v += p.second * std::sin(2 * kPi * f * p.first * t);
            Put(i, v * level, left, right);
        }
    }

    SoundSamples Samples() const
    {
        SoundSamples s;
        s.channels = channels_;
        s.rate = rate_;
        s.data = data_;
        return s;
    }

private:
    void Put(uint32_t frame, double v, double left, double right)
    {
        if (channels_ == 2) {
            data_[frame * 2] += static_cast<float>(v * left);
            data_[frame * 2 + 1] += static_cast<float>(v * right);
        } else {
            data_[frame] += static_cast<float>(v);
        }
    }

    uint32_t rate_;
    uint16_t channels_;
    uint32_t frames_;
    std::vector<float> data_;
};

const std::vector<std::pair<double, double>> kWarm = {{1, 1.0}, {2, 0.25}, {3, 0.08}};
const std::vector<std::pair<double, double>> kPure = {{1, 1.0}};
const std::vector<std::pair<double, double>> kBright = {{1, 1.0}, {3, 0.2}};
const std::vector<std::pair<double, double>> kBellPartials = {{1, 1.0}, {2.76, 0.3}, {5.4, 0.12}};
const std::vector<std::pair<double, double>> kReed = {{1, 1.0}, {3, 0.33}, {5, 0.2}, {7, 0.14}};

// The melody above each track's drone, in steps of its pentatonic scale
// (-1 rests). Half a second a step, 24 steps: 12 s.
const int kMenuMelody[] = {0, 2, 4, 3, 2, -1, 1, 0, 2, 4, 4, 3, 4, 3, 2, 1, 0, -1, 2, 1, 3, 2, 0, -1};
const int kGame0Melody[] = {0, 1, 2, 4, 3, 2, 1, 2, 0, 2, 3, 4, 4, -1, 3, 2, 1, 0, 1, 2, 3, 1, 0, -1};
const int kGame1Melody[] = {2, 0, 1, 3, 2, 4, 3, 1, 2, -1, 0, 1, 3, 4, 2, 3, 1, 0, 2, 1, 4, 3, 0, -1};

void Music(Track& t, const Audio::Sound& s)
{
    const double root = s.tone;
    // The drone and its fifth swell slowly (three times in 12 s).
    t.Steady(root, 0.22, 0.25, 0.35, {{1, 1.0}, {2, 0.15}});
    t.Steady(root * 1.5, 0.06, 0.25, 0.5, kPure, 0.35);
    // Scale steps above the drone: two octaves up, major pentatonic.
    const double ratios[] = {2.0, 2.0 * 9 / 8, 2.0 * 5 / 4, 2.0 * 3 / 2, 2.0 * 5 / 3};
    const std::string name = s.file;
    const int* melody = name == "menu" ? kMenuMelody : name == "game0" ? kGame0Melody : kGame1Melody;
    for (int i = 0; i < 24; ++i) {
        if (melody[i] < 0)
            continue;
        const double pan = (i % 2) ? 0.7 : 0.3;
        t.Note(i * 0.5, 0.5, root * ratios[melody[i]], 0.1, 3.0, kWarm, pan);
    }
}

void Synthesise(Track& t, const Audio::Sound& s)
{
    const double f = s.tone, d = s.seconds;
    switch (s.style) {
    case Audio::kBlip:
        t.Note(0, d, f, 0.6, 5.0 / d, kWarm);
        break;
    case Audio::kTick:
        t.Note(0, d, f, 0.7, 4.0 / d, kBright);
        break;
    case Audio::kRise:
        t.Note(0, d * 0.3, f * 2 / 3, 0.35, 2.0 / d, kWarm);
        t.Note(d * 0.3, d * 0.7, f, 0.6, 3.0 / d, kWarm);
        break;
    case Audio::kFall:
        t.Note(0, d * 0.7, f, 0.6, 2.0 / d, kWarm);
        t.Note(d * 0.7, d * 0.3, f * 2 / 3, 0.3, 3.0 / d, kWarm);
        break;
    case Audio::kFanfare: {
        const double steps[] = {1.0, 1.25, 1.5};
        for (int i = 0; i < 3; ++i)
            t.Note(i * 0.14, 0.14, f * steps[i], 0.3, 6.0, kWarm, 0.3 + 0.2 * i);
        const double chord = 0.42, rest = d - chord;
        t.Note(chord, rest, f, 0.5, 1.5, kWarm);
        t.Note(chord, rest, f * 1.25, 0.14, 1.8, kPure, 0.25);
        t.Note(chord, rest, f * 1.5, 0.14, 1.8, kPure, 0.75);
        t.Note(chord, rest, f * 2, 0.08, 2.0, kPure);
        break;
    }
    case Audio::kLament: {
        const double steps[] = {1.5, 1.2};
        for (int i = 0; i < 2; ++i)
            t.Note(i * 0.3, 0.3, f * steps[i], 0.25, 3.0, kWarm, 0.7 - 0.4 * i);
        t.Note(0.6, d - 0.6, f, 0.55, 1.5, kWarm);
        t.Note(0.6, d - 0.6, f * 1.2, 0.12, 2.0, kPure, 0.4);
        break;
    }
    case Audio::kBell:
        t.Note(0, d, f, 0.5, 4.0 / d, kBellPartials);
        break;
    case Audio::kBuzz:
        t.Note(0, d * 0.4, f, 0.4, 2.0, kReed);
        t.Note(d * 0.5, d * 0.5, f, 0.4, 4.0, kReed);
        break;
    case Audio::kAlarm:
        for (int i = 0; i < 3; ++i)
            t.Note(i * d / 3, d / 3 * 0.6, f, 0.5, 2.0, kBright);
        break;
    case Audio::kHum:
        t.Steady(f, 0.4, 4.0, 0.3, {{1, 1.0}, {2, 0.2}});
        break;
    case Audio::kCharge:
        t.Steady(f, 0.4, 8.0, 0.8, kBright);
        break;
    case Audio::kMusic:
        Music(t, s);
        break;
    }
}

const Audio::Sound* FindSound(const std::string& folder, const std::string& file)
{
    for (const Audio::Sound& s : Audio::kSounds)
        if (folder == s.folder && file == s.file)
            return &s;
    return nullptr;
}

void Require(const char* folder, const char* file)
{
    if (!FindSound(folder, file))
        throw std::runtime_error(std::string("no sound for the sound table's \"audio\\") + folder + "\\" + file + "\"");
}

} // namespace

namespace Audio {

std::vector<uint8_t> MakeSoundFile(const Sound& s)
{
    const bool stereo = s.format == Audio::kWav16Stereo || s.format == Audio::kOggStereo;
    const uint32_t rate = s.format == Audio::kOggStereo ? 44100 : 22050;
    Track track(rate, stereo ? 2 : 1, s.seconds);
    Synthesise(track, s);
    const SoundSamples samples = track.Samples();
    switch (s.format) {
    case Audio::kWav8Mono:
        return ContentTools::WriteWavFile(samples, 8);
    case Audio::kWav16Mono:
    case Audio::kWav16Stereo:
        return ContentTools::WriteWavFile(samples, 16);
    case Audio::kOggMono:
    case Audio::kOggStereo:
        break;
    }
    return ContentTools::WriteOggVorbisFile(samples, 0.4f);
}

std::string SoundFilePath(const Sound& s)
{
    const bool ogg = s.format == kOggMono || s.format == kOggStereo;
    return std::string("data\\audio\\") + s.folder + "\\" + s.file + (ogg ? ".ogg" : ".wav");
}

} // namespace Audio

void AddAudio(ContentSet& set, const Options&)
{
    // Every file the game registers must exist: a missing one would only
    // play as silence.
    for (const Puzzle::SoundTable::GUISound& g : Puzzle::SoundTable::kGUISounds)
        Require(g.folder, g.file);
    for (const Puzzle::SoundTable::Music& m : Puzzle::SoundTable::kMusic)
        Require(m.folder, m.file);
    for (const Puzzle::SoundTable::Effect& e : Puzzle::SoundTable::kEffects)
        Require(e.folder, e.file);
    for (const Audio::Sound& s : Audio::kSounds) {
        std::vector<uint8_t> bytes = Audio::MakeSoundFile(s);
        if (bytes.empty())
            throw std::runtime_error(std::string("cannot encode \"") + Audio::SoundFilePath(s) + "\"");
        set.Add(Audio::SoundFilePath(s), std::move(bytes));
    }
}

} // namespace Content
