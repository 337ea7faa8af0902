#pragma once
// The shipped sounds: one file for every row of the game's sound table, each
// built around its own tone, so that the sounds are told apart by ear and by
// a capture of the device's output.
#include <cstdint>
#include <string>
#include <vector>

namespace Content {
namespace Audio {

enum Format {
    kWav16Mono,    // 16-bit 22,050 Hz
    kWav8Mono,     // 8-bit 22,050 Hz
    kWav16Stereo,  // 16-bit 22,050 Hz, two channels
    kOggMono,      // Ogg Vorbis 22,050 Hz
    kOggStereo,    // Ogg Vorbis 44,100 Hz, two channels (the music)
};

enum Style {
    kBlip,      // a short decaying note
    kTick,      // a very short click
    kRise,      // a lower note leading up to the tone
    kFall,      // the tone falling away to a lower note
    kFanfare,   // a major arpeggio onto the tone's chord
    kLament,    // a minor phrase falling onto the tone
    kBell,      // inharmonic partials, ringing out
    kBuzz,      // a hollow, reedy double pulse
    kAlarm,     // three quick beeps
    kHum,       // a steady loop with a gentle tremolo
    kCharge,    // a loop pulsing quickly
    kMusic,     // a drone on the tone with a melody above it
};

struct Sound {
    const char* folder;   // under data\audio
    const char* file;     // without the extension
    Format format;
    Style style;
    uint32_t tone;        // Hz: the strongest frequency of the sound
    double seconds;       // loops: a whole number of periods of every part
};

// Loops last a whole number of periods of every frequency in them: their
// tones are even (0.5 s) and the music's are whole hertz (12 s), so a loop
// joins without a click.
const Sound kSounds[] = {
    {"menu", "button_select_0", kWav16Mono, kBlip, 880, 0.12},
    {"menu", "button_select_1", kWav16Mono, kBlip, 988, 0.12},
    {"menu", "button_click", kWav8Mono, kTick, 620, 0.06},
    {"menu", "edit_box_print", kWav8Mono, kTick, 1480, 0.04},
    {"menu", "window_appear", kWav16Mono, kRise, 740, 0.35},
    {"menu", "window_disappear", kWav16Mono, kFall, 554, 0.35},
    {"menu", "volume_slider", kWav16Mono, kHum, 700, 0.5},
    {"menu", "charge_score", kWav16Mono, kCharge, 1660, 0.5},
    {"music", "menu", kOggStereo, kMusic, 220, 12.0},
    {"music", "game0", kOggStereo, kMusic, 294, 12.0},
    {"music", "game1", kOggStereo, kMusic, 262, 12.0},
    {"game", "level_begin", kOggMono, kRise, 523, 0.8},
    {"game", "level_complete", kWav16Stereo, kFanfare, 392, 1.6},
    {"game", "level_failed", kWav16Stereo, kLament, 196, 1.4},
    {"game", "element_get", kWav16Mono, kBlip, 1047, 0.15},
    {"game", "element_put_0", kWav16Mono, kBlip, 440, 0.2},
    {"game", "element_put_1", kWav16Mono, kBlip, 494, 0.2},
    {"game", "element_put_2", kWav16Mono, kBlip, 587, 0.2},
    {"game", "element_put_3", kWav16Mono, kBlip, 659, 0.2},
    {"game", "element_put_4", kWav16Mono, kBlip, 784, 0.2},
    {"game", "element_put_bad", kWav16Mono, kBuzz, 150, 0.3},
    {"game", "element_cancel", kWav16Mono, kFall, 932, 0.25},
    {"game", "bonus_tip", kWav16Mono, kBell, 1109, 0.6},
    {"game", "bonus_magnet", kWav16Mono, kBell, 1175, 0.6},
    {"game", "bonus_tip_apply", kOggMono, kBell, 1245, 0.8},
    {"game", "bonus_magnet_apply", kWav16Mono, kBell, 1319, 0.8},
    {"game", "bonus_pause_apply", kWav8Mono, kRise, 1397, 0.5},
    {"game", "bonus_rollback_apply", kOggMono, kFall, 1568, 0.6},
    {"game", "path_introduction", kOggMono, kHum, 370, 0.5},
    {"game", "path_introduction_end", kWav16Mono, kRise, 830, 0.4},
    {"game", "path_begin", kWav16Mono, kHum, 330, 0.5},
    {"game", "path_end", kWav8Mono, kHum, 416, 0.5},
    {"game", "path_warning", kWav16Mono, kAlarm, 1865, 0.45},
    {"game", "charge_path_score", kWav16Mono, kCharge, 1760, 0.5},
};

const int kSoundCount = sizeof kSounds / sizeof kSounds[0];

// The file's bytes and its path in the program folder ("data\\audio\\...");
// AddAudio writes every row of kSounds with them.
std::vector<uint8_t> MakeSoundFile(const Sound& sound);
std::string SoundFilePath(const Sound& sound);

} // namespace Audio
} // namespace Content
