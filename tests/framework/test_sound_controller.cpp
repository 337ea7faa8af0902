// The music and sound controller on the real DirectSound back-end and sound
// manager, with files from the content tools' writers. Time is driven by hand:
// the frame timer is set and frozen, the frame time written, so fades and the
// restart limit are exact whatever the machine's load.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio_input/Sound.h"
#include "engine/audio_input/SoundManager.h"
#include "engine/audio_input/ds7/SoundSystem_DS7.h"
#include "engine/foundation/Config.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/TimerManager.h"
#include "engine/foundation/Window.h"
#include "framework/MusicTrack.h"
#include "framework/SoundController.h"
#include "framework/SoundEntry.h"
#include "support/TestSupport.h"
#include "tools/formats/SoundFileWriters.h"

using namespace KorvaneEngine;
using GameFramework::MusicTrack;
using GameFramework::SoundController;
using GameFramework::SoundEntry;

namespace {

ContentTools::SoundSamples Tone(double frequency, double seconds, uint16_t channels, uint32_t rate)
{
    ContentTools::SoundSamples s;
    s.channels = channels;
    s.rate = rate;
    const uint32_t frames = static_cast<uint32_t>(seconds * rate);
    for (uint32_t i = 0; i < frames; ++i)
        for (uint16_t c = 0; c < channels; ++c)
            s.data.push_back(static_cast<float>(0.4 * std::sin(2 * 3.14159265358979 * frequency * i / rate)));
    return s;
}

class Controller : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = TestSupport::MakeTempDir("controller");
        log = std::make_unique<MessageManager>("Controller test", false, false, "", "");
        files = std::make_unique<FileManager>(dir, false, "data", 0);
        timers = std::make_unique<TimerManager>();
        TestSupport::WriteFileText(dir + "\\controller.ini", "g_music_volume 1.7\r\ng_sound_volume -0.2\r\n");
        config = std::make_unique<Config>(dir, "controller", false, "640x480x32", false, false);
        config->Load();
        window = std::make_unique<Window>("Controller test", nullptr, 0, 320, 240, false, true, Vector2i(0, 0));
        system.reset(new SoundSystem_DS7(false));
        SoundSystem::Instance(system.get());
        manager = std::make_unique<SoundManager>();
        SoundManager::Instance(manager.get());

        effect = Write("effect.wav", ContentTools::WriteWavFile(Tone(660, 0.6, 1, 22050), 16));
        loop = Write("loop.wav", ContentTools::WriteWavFile(Tone(500, 0.5, 1, 22050), 8));
        menu = Write("menu.ogg", ContentTools::WriteOggVorbisFile(Tone(220, 3.0, 2, 44100), 0.3f));
        game = Write("game.ogg", ContentTools::WriteOggVorbisFile(Tone(330, 3.0, 2, 44100), 0.3f));
        SetTime(1.0f);
    }

    void TearDown() override
    {
        manager.reset();
        system.reset();
        window.reset();
        config.reset();
        timers.reset();
        files.reset();
        log.reset();
        TestSupport::RemoveTree(dir);
    }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        EXPECT_FALSE(bytes.empty()) << name;
        const std::string path = dir + "\\" + name;
        EXPECT_TRUE(TestSupport::WriteFileBytes(path, bytes));
        return path;
    }

    // The main timer stands still at t until the next call.
    void SetTime(float t)
    {
        Timer* clock = timers->GetFrameTimer();
        clock->SetTime(t);
        clock->SetPaused(true);
    }

    // One frame of fades with the given frame time, then the queued requests.
    void Frame(SoundController& c, float dt)
    {
        timers->frameTime = dt;
        c.Update();
        manager->Update(true);
    }

    int LogCount(const std::string& text) const
    {
        int n = 0;
        for (int i = 0; i < log->GetHistorySize(); ++i)
            n += log->GetHistoryRecord(i)->text.find(text) != std::string::npos;
        return n;
    }

    std::string dir, effect, loop, menu, game;
    std::unique_ptr<MessageManager> log;
    std::unique_ptr<FileManager> files;
    std::unique_ptr<TimerManager> timers;
    std::unique_ptr<Config> config;
    std::unique_ptr<Window> window;
    std::unique_ptr<SoundSystem_DS7> system;
    std::unique_ptr<SoundManager> manager;
};

TEST_F(Controller, VolumesAreClampedJitteredAndOutliveTheController)
{
    auto c = std::make_unique<SoundController>(0.285f, 0.315f);
    // The .ini's values win over the defaults, clamped.
    EXPECT_EQ(c->GetMusicVolume(), 1.0f);
    EXPECT_EQ(c->GetSoundVolume(), 0.0f);
    EXPECT_EQ(config->GetValueString("g_music_volume"), "1.000000");
    EXPECT_NEAR(c->GetDefaultMusicVolume(), 0.285f, 1e-6);
    EXPECT_NEAR(c->GetDefaultSoundVolume(), 0.315f, 1e-6);
    c->SetMusicVolume(1.7f);
    EXPECT_EQ(c->GetMusicVolume(), 1.0f);
    c->SetSoundVolume(-0.2f);
    EXPECT_EQ(c->GetSoundVolume(), 0.0f);
    c->SetSoundVolume(std::nanf(""));
    EXPECT_EQ(c->GetSoundVolume(), 0.0f);

    c->SetMusicVolume(0.5f);
    c->SetSoundVolume(0.25f);
    c->AddMusic(0, menu, true);
    c->AddSound(3, effect, false, 2, true);
    ASSERT_EQ(c->GetMusicTracks().size(), 1u);
    ASSERT_EQ(c->GetSoundEntries().size(), 2u);
    // A sound made elsewhere (the GUI's) follows the effect volume too; the
    // music does not.
    Sound* other = manager->CreateSound(effect, false, "");
    ASSERT_NE(other, nullptr);
    c->ApplySoundVolume();
    EXPECT_EQ(other->GetVolume(), 0.25f);
    MusicTrack* track = c->GetMusicTracks()[0];
    EXPECT_EQ(track->GetBaseVolume(), 0.5f);
    c->PlayMusic(0, 0, false, 0.0f);
    EXPECT_EQ(track->GetSound()->GetVolume(), 0.5f);

    // Every frame gives every sound its volume anew, a little off; the
    // variables keep their exact values.
    bool moved = false;
    for (int i = 0; i < 20; ++i) {
        Frame(*c, 0.016f);
        EXPECT_EQ(c->GetMusicVolume(), 0.5f);
        EXPECT_EQ(c->GetSoundVolume(), 0.25f);
        EXPECT_NEAR(track->GetSound()->GetVolume(), 0.5f, 0.0005f * 1.0001f);
        EXPECT_NEAR(other->GetVolume(), 0.25f, 0.0005f * 1.0001f);
        EXPECT_NEAR(c->GetSoundEntries()[1]->sound->GetVolume(), 0.25f, 0.0005f * 1.0001f);
        moved = moved || other->GetVolume() != 0.25f;
    }
    EXPECT_TRUE(moved);
    EXPECT_EQ(config->GetValueString("g_sound_volume"), "0.250000");

    c.reset();
    manager->DeleteSound(other);
    EXPECT_EQ(manager->GetSoundCount(), 0u);
    // Unregistered, the values still reach the file.
    config->Save();
    std::vector<unsigned char> ini = TestSupport::ReadFileBytes(dir + "\\controller.ini");
    const std::string text(ini.begin(), ini.end());
    EXPECT_NE(text.find("g_music_volume 0.500000"), std::string::npos) << text;
    EXPECT_NE(text.find("g_sound_volume 0.250000"), std::string::npos) << text;
}

TEST_F(Controller, EffectsStartOncePerIntervalAndCycleTheirInstances)
{
    SoundController c(1.0f, 1.0f);
    c.SetSoundVolume(0.8f);
    c.AddSound(5, effect, false, 3, true);
    c.AddSound(0, loop, true, 1, false);
    ASSERT_EQ(c.GetSoundEntries().size(), 4u);
    const std::vector<SoundEntry*>& e = c.GetSoundEntries();
    EXPECT_EQ(e[3]->soundId, 0);
    EXPECT_TRUE(e[3]->sound->GetLoop());
    EXPECT_FALSE(e[0]->sound->GetLoop());
    EXPECT_EQ(e[0]->sound->GetVolume(), 0.8f);
    EXPECT_EQ(c.GetSoundState(5), Sound::kStopped);

    c.PlaySound(5);
    EXPECT_EQ(e[0]->lastStart, 1.0f);
    // Within 0.02 s of a start nothing plays, even with two instances free.
    SetTime(1.015f);
    c.PlaySound(5);
    EXPECT_EQ(e[1]->lastStart, 0.0f);
    manager->Update(true);
    EXPECT_EQ(e[0]->sound->GetState(), Sound::kPlaying);
    EXPECT_EQ(e[1]->sound->GetState(), Sound::kStopped);
    EXPECT_EQ(c.GetSoundState(5), Sound::kPlaying);

    // Then the least recently started instance each time.
    const float times[] = {1.5f, 2.0f, 2.5f, 3.0f};
    const int expected[] = {1, 2, 0, 1};
    for (int i = 0; i < 4; ++i) {
        SetTime(times[i]);
        c.PlaySound(5);
        EXPECT_EQ(e[expected[i]]->lastStart, times[i]) << i;
    }
    manager->Update(true);
    EXPECT_EQ(e[1]->sound->GetState(), Sound::kPlaying);

    // A running loop is not started again, but counts as started.
    c.PlaySound(0);
    manager->Update(true);
    EXPECT_EQ(c.GetSoundState(0), Sound::kPlaying);
    SetTime(3.5f);
    c.PlaySound(0);
    EXPECT_EQ(e[3]->lastStart, 3.5f);
    manager->Update(true);
    EXPECT_EQ(c.GetSoundState(0), Sound::kPlaying);

    c.SetSoundTempo(5, 1.5f);
    c.SetSoundLoop(5, true);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(e[i]->sound->GetTempo(), 1.5f);
        EXPECT_TRUE(e[i]->sound->GetLoop());
        EXPECT_TRUE(e[i]->loop);
    }
    // Stopping is queued, for every instance.
    c.StopSound(5);
    EXPECT_EQ(e[1]->sound->GetState(), Sound::kPlaying);
    manager->Update(true);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(e[i]->sound->GetState(), Sound::kStopped) << i;
    EXPECT_EQ(c.GetSoundState(0), Sound::kPlaying);
    EXPECT_EQ(c.GetSoundState(77), Sound::kStopped);
    c.PlaySound(77);
}

TEST_F(Controller, MusicChannelsFadePauseAndChangeTrack)
{
    SoundController c(1.0f, 1.0f);
    c.SetMusicVolume(0.5f);
    c.AddMusic(0, menu, true);
    c.AddMusic(1, game, true);
    ASSERT_EQ(c.GetMusicTracks().size(), 2u);
    MusicTrack* m = c.GetMusicTracks()[0];
    MusicTrack* g = c.GetMusicTracks()[1];
    EXPECT_TRUE(m->GetSound()->GetLoop());
    EXPECT_EQ(c.GetMusicState(0), Sound::kStopped);

    // Fade in at 0.5/s: four half-second frames to full volume.
    c.PlayMusic(0, 0, true, 0.5f);
    EXPECT_EQ(c.GetMusicState(0), Sound::kPlaying);
    EXPECT_EQ(m->GetVolume(), 0.0f);
    EXPECT_EQ(m->GetFadeState(), MusicTrack::kFadeIn);
    Frame(c, 0.5f);
    EXPECT_NEAR(m->GetVolume(), 0.25f, 1e-6);
    EXPECT_NEAR(m->GetSound()->GetVolume(), 0.125f, 0.0006f);
    for (int i = 0; i < 3; ++i)
        Frame(c, 0.5f);
    EXPECT_EQ(m->GetVolume(), 1.0f);
    EXPECT_EQ(m->GetFadeState(), MusicTrack::kFadeNone);

    // The same track again: no restart, no fade. An unknown track: nothing.
    c.PlayMusic(0, 0, true, 0.5f);
    EXPECT_EQ(m->GetVolume(), 1.0f);
    EXPECT_EQ(m->GetFadeState(), MusicTrack::kFadeNone);
    c.PlayMusic(0, 42, true, 0.5f);
    EXPECT_EQ(c.GetChannelTrack(0), m);
    EXPECT_EQ(c.GetMusicState(0), Sound::kPlaying);

    // Another track: the old one fades out at 1/s and stops below 0.
    c.PlayMusic(0, 1, false, 0.0f);
    EXPECT_EQ(c.GetChannelTrack(0), g);
    EXPECT_EQ(g->GetVolume(), 1.0f);
    EXPECT_EQ(m->GetFadeState(), MusicTrack::kFadeOutStop);
    EXPECT_EQ(m->GetFadeSpeed(), 1.0f);
    Frame(c, 0.5f);
    Frame(c, 0.5f);
    EXPECT_EQ(m->GetVolume(), 0.0f);
    EXPECT_EQ(m->GetState(), Sound::kPlaying) << "stops only below zero";
    Frame(c, 0.5f);
    EXPECT_EQ(m->GetState(), Sound::kStopped);
    EXPECT_EQ(m->GetFadeState(), MusicTrack::kFadeNone);
    EXPECT_EQ(c.GetMusicState(0), Sound::kPlaying);

    // Pause and resume.
    c.PauseMusic(0, true, false, 0.5f);
    EXPECT_EQ(c.GetMusicState(0), Sound::kPaused);
    c.PauseMusic(0, true, false, 0.5f);
    EXPECT_EQ(c.GetMusicState(0), Sound::kPaused);
    c.PauseMusic(0, false, true, 0.5f);
    EXPECT_EQ(c.GetMusicState(0), Sound::kPlaying);
    EXPECT_EQ(g->GetVolume(), 0.0f);
    EXPECT_EQ(g->GetFadeState(), MusicTrack::kFadeIn);
    c.PauseMusic(0, true, true, 2.0f);
    EXPECT_EQ(g->GetFadeState(), MusicTrack::kFadeOutPause);
    g->SetVolume(0.5f);
    Frame(c, 0.5f);
    EXPECT_EQ(c.GetMusicState(0), Sound::kPaused);
    c.PauseMusic(0, false, false, 0.0f);
    EXPECT_EQ(g->GetVolume(), 1.0f);
    EXPECT_EQ(c.GetMusicState(0), Sound::kPlaying);

    // A track fading out to stop stays on its way out when a fading pause is
    // asked, and stops when an immediate pause is.
    c.StopMusic(0, true, 1.0f);
    EXPECT_EQ(g->GetFadeState(), MusicTrack::kFadeOutStop);
    c.PauseMusic(0, true, true, 0.5f);
    EXPECT_EQ(g->GetFadeState(), MusicTrack::kFadeOutStop);
    EXPECT_EQ(g->GetFadeSpeed(), 1.0f);
    c.PauseMusic(0, true, false, 0.5f);
    EXPECT_EQ(c.GetMusicState(0), Sound::kStopped);
    // Stopped: stop and resume do nothing.
    c.StopMusic(0, false, 0.0f);
    c.PauseMusic(0, false, false, 0.0f);
    EXPECT_EQ(c.GetMusicState(0), Sound::kStopped);

    // Two channels at once; a paused one stops at once even with a fade.
    c.PlayMusic(0, 0, false, 0.0f);
    c.PlayMusic(1, 1, false, 0.0f);
    c.PauseAllMusic(true, false, 0.5f);
    EXPECT_EQ(c.GetMusicState(0), Sound::kPaused);
    EXPECT_EQ(c.GetMusicState(1), Sound::kPaused);
    c.PauseMusic(1, false, false, 0.0f);
    c.StopAllMusic(true, 1.0f);
    EXPECT_EQ(c.GetMusicState(0), Sound::kStopped);
    EXPECT_EQ(g->GetFadeState(), MusicTrack::kFadeOutStop);
    EXPECT_EQ(c.GetMusicState(7), Sound::kStopped);
}

TEST_F(Controller, MissingSoundsAreLeftOutAndNoManagerMeansNoSound)
{
    // A manager that can make no sound (its system is gone): nothing is kept,
    // nothing is dereferenced later.
    SoundSystem::ResetInstance(system.get());
    {
        SoundController c(1.0f, 1.0f);
        c.AddMusic(0, menu, true);
        c.AddSound(1, effect, false, 2, false);
        EXPECT_TRUE(c.GetMusicTracks().empty());
        EXPECT_TRUE(c.GetSoundEntries().empty());
        EXPECT_EQ(LogCount("menu.ogg"), 1);
        EXPECT_EQ(LogCount("effect.wav"), 1);
        c.PlayMusic(0, 0, true, 0.5f);
        c.PlaySound(1);
        Frame(c, 0.1f);
        EXPECT_EQ(c.GetMusicState(0), Sound::kStopped);
    }
    SoundSystem::Instance(system.get());

    // Made without a manager: registered all the same, and silent.
    SoundManager::ResetInstance(manager.get());
    {
        SoundController quiet(0.285f, 0.315f);
        quiet.AddMusic(3, menu, true);
        EXPECT_TRUE(quiet.GetMusicTracks().empty());
        EXPECT_EQ(quiet.GetMusicState(3), Sound::kStopped);
        EXPECT_EQ(quiet.GetMusicVolume(), 1.0f);
        EXPECT_EQ(config->GetValueString("g_sound_volume"), "0.000000");
    }
    SoundManager::Instance(manager.get());

    // Tracks that exist, and then no manager: every query is "stopped", every
    // command nothing; the volumes are still kept and clamped.
    SoundController c(0.285f, 0.315f);
    c.AddMusic(0, menu, true);
    c.AddSound(1, effect, false, 1, false);
    c.PlayMusic(0, 0, false, 0.0f);
    ASSERT_EQ(c.GetMusicState(0), Sound::kPlaying);
    SoundManager::ResetInstance(manager.get());
    EXPECT_EQ(c.GetMusicState(0), Sound::kStopped);
    EXPECT_EQ(c.GetSoundState(1), Sound::kStopped);
    c.StopMusic(0, false, 0.0f);
    c.PauseAllMusic(true, false, 0.5f);
    c.PlaySound(1);
    c.Update();
    c.SetMusicVolume(2.0f);
    EXPECT_EQ(c.GetMusicVolume(), 1.0f);
    SoundManager::Instance(manager.get());
    // The track was left alone meanwhile.
    EXPECT_EQ(c.GetMusicState(0), Sound::kPlaying);
}

} // namespace
