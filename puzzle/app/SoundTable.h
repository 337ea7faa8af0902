#pragma once
// The puzzle game's whole vocabulary of sounds, in registration order: the
// GUI's named sounds, the music tracks and the numbered effects. Everything
// plays by these ids; the content generator writes one file for each row.
#include <cstdint>

namespace Puzzle {

// Effect ids, as SoundController::PlaySound takes them.
enum SoundId : int32_t {
    kSoundVolumeSlider = 0,
    kSoundWindowAppear = 1,
    kSoundWindowDisappear = 2,
    kSoundChargeScore = 3,
    kSoundLevelBegin = 4,
    kSoundLevelComplete = 5,
    kSoundLevelFailed = 6,
    kSoundElementGet = 7,
    kSoundElementPut0 = 8,
    kSoundElementPut1 = 9,
    kSoundElementPut2 = 10,
    kSoundElementPut3 = 11,
    kSoundElementPut4 = 12,
    kSoundElementPutBad = 13,
    kSoundElementCancel = 14,
    kSoundBonusTip = 15,
    kSoundBonusMagnet = 16,
    kSoundBonusTipApply = 17,
    kSoundBonusMagnetApply = 18,
    kSoundBonusPauseApply = 19,
    kSoundBonusRollbackApply = 20,
    kSoundPathIntroduction = 21,
    kSoundPathIntroductionEnd = 22,
    kSoundPathBegin = 23,
    kSoundPathEnd = 24,
    kSoundPathWarning = 25,
    kSoundChargePathScore = 26,
};

// Music track ids; the menu track plays on channel 0, the level tracks on 1.
enum MusicId : int32_t {
    kMusicMenu = 0,
    kMusicGame0 = 1,
    kMusicGame1 = 2,
};

namespace SoundTable {

// Files are "audio\<folder>\<file>.wav", or ".ogg" when no such WAV exists.
struct GUISound {
    const char* name;   // the widgets' default sound name
    const char* folder;
    const char* file;
    bool resident;      // handed on to the SoundManager unchanged
};

struct Music {
    int32_t id;
    const char* folder;
    const char* file;
};

struct Effect {
    int32_t id;
    const char* folder;
    const char* file;
    bool loop;
    bool resident;
};

// The button-select name twice: the GUI sound manager alternates its files.
const GUISound kGUISounds[] = {
    {"gui_default_button_select", "menu", "button_select_0", true},
    {"gui_default_button_select", "menu", "button_select_1", true},
    {"gui_default_button_click", "menu", "button_click", true},
    {"gui_default_check_box_select", "menu", "button_select_0", false},
    {"gui_default_check_box_click", "menu", "button_click", false},
    {"gui_default_slider_toddler_select", "menu", "button_select_0", false},
    {"gui_default_slider_toddler_click", "menu", "button_click", false},
    {"gui_default_scroll_toddler_select", "menu", "button_select_0", false},
    {"gui_default_scroll_toddler_click", "menu", "button_click", false},
    {"gui_default_scroll_navigation_select", "menu", "button_select_0", false},
    {"gui_default_scroll_navigation_click", "menu", "button_click", false},
    {"gui_default_edit_box_print", "menu", "edit_box_print", false},
};

// Every track loops.
const Music kMusic[] = {
    {kMusicMenu, "music", "menu"},
    {kMusicGame0, "music", "game0"},
    {kMusicGame1, "music", "game1"},
};

// One instance each. Ids are keys, not positions: the slider's 0 comes third.
const Effect kEffects[] = {
    {kSoundWindowAppear, "menu", "window_appear", false, false},
    {kSoundWindowDisappear, "menu", "window_disappear", false, false},
    {kSoundVolumeSlider, "menu", "volume_slider", true, false},
    {kSoundChargeScore, "menu", "charge_score", true, false},
    {kSoundLevelBegin, "game", "level_begin", false, false},
    {kSoundLevelComplete, "game", "level_complete", false, false},
    {kSoundLevelFailed, "game", "level_failed", false, false},
    {kSoundElementGet, "game", "element_get", false, true},
    {kSoundElementPut0, "game", "element_put_0", false, true},
    {kSoundElementPut1, "game", "element_put_1", false, true},
    {kSoundElementPut2, "game", "element_put_2", false, true},
    {kSoundElementPut3, "game", "element_put_3", false, true},
    {kSoundElementPut4, "game", "element_put_4", false, true},
    {kSoundElementPutBad, "game", "element_put_bad", false, true},
    {kSoundElementCancel, "game", "element_cancel", false, true},
    {kSoundBonusTip, "game", "bonus_tip", false, false},
    {kSoundBonusMagnet, "game", "bonus_magnet", false, false},
    {kSoundBonusTipApply, "game", "bonus_tip_apply", false, false},
    {kSoundBonusMagnetApply, "game", "bonus_magnet_apply", false, false},
    {kSoundBonusPauseApply, "game", "bonus_pause_apply", false, false},
    {kSoundBonusRollbackApply, "game", "bonus_rollback_apply", false, false},
    {kSoundPathIntroduction, "game", "path_introduction", true, false},
    {kSoundPathIntroductionEnd, "game", "path_introduction_end", false, false},
    {kSoundPathBegin, "game", "path_begin", true, false},
    {kSoundPathEnd, "game", "path_end", true, false},
    {kSoundPathWarning, "game", "path_warning", false, true},
    {kSoundChargePathScore, "game", "charge_path_score", true, true},
};

const int kGUISoundCount = sizeof kGUISounds / sizeof kGUISounds[0];
const int kMusicCount = sizeof kMusic / sizeof kMusic[0];
const int kEffectCount = sizeof kEffects / sizeof kEffects[0];

} // namespace SoundTable
} // namespace Puzzle
