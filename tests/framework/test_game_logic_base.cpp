// The game-logic base on the real engine: the level timer and the play
// state, and the cheat keys only while the console's cheat mode is on.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/audio_input/Controls.h"
#include "engine/foundation/EngineSettings.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/TimerManager.h"
#include "engine/render/ShaderDescriptor.h"
#include "framework/Engine.h"
#include "framework/GameLogicBase.h"
#include "framework/Level.h"
#include "framework/ScoreKeeper.h"
#include "framework/Stage.h"
#include "gui/Console.h"
#include "gui/GUIManager.h"
#include "support/TestSupport.h"

using namespace KorvaneEngine;
using GameFramework::GameLogicBase;

namespace {

class Keys : public Controls {
public:
    void Press(const std::string& name) { down.push_back(name); }
    void Release(const std::string& name) { up.push_back(name); }
    void Update() override
    {
        for (const std::string& n : up)
            SetKeyState(n, false);
        for (const std::string& n : down)
            SetKeyState(n, true);
        up.clear();
        down.clear();
        Controls::Update();
    }

private:
    std::vector<std::string> down, up;
};

class CheatLogic : public GameLogicBase {
public:
    using GameLogicBase::GameLogicBase;
    void ApplyCheatKey(bool shift, int32_t key) override
    {
        GameLogicBase::ApplyCheatKey(shift, key);
        keys.push_back((shift ? 100 : 0) + key);
    }
    std::vector<int> keys;
};

class Framework : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = TestSupport::MakeTempDir("game_logic_base");
        EngineSettings s;
        s.baseDirectory = dir;
        s.logEnabled = true;
        s.logDirectory = dir;
        s.configDirectory = dir;
        s.saveConfigOnExit = false;
        s.videoMode = "1280x1024x32";
        s.centreWindow = true;
        engine = std::make_unique<Engine>(s);
        GUIManager::Instance()->SetScreenSize(800, 600);
        device = Controls::Instance();
        keys = new Keys;
    }
    void TearDown() override
    {
        delete keys;
        Controls::Instance(device);
        engine.reset();
        TestSupport::RemoveTree(dir);
    }
    void Frame()
    {
        engine->UpdateInput();
        if (logic)
            logic->Update();
        engine->Frame(0);
    }
    bool Logged(const std::string& text) const
    {
        const MessageManager* log = MessageManager::Instance();
        for (int i = 0; i < log->GetHistorySize(); ++i)
            if (log->GetHistoryRecord(i)->text == text && log->GetHistoryRecord(i)->level == 0)
                return true;
        return false;
    }

    std::string dir;
    std::unique_ptr<Engine> engine;
    Controls* device = nullptr;
    Keys* keys = nullptr;
    GameLogicBase* logic = nullptr;
};

} // namespace

TEST_F(Framework, ALevelStartsPausedAtZeroAndItsStateDrivesTheTimer)
{
    GameFramework::Stage stage{1, 4};
    GameFramework::Level level(1, 2);
    CheatLogic l(nullptr, &stage, &level, 7);
    EXPECT_TRUE(Logged("Loading level 2-3..."));
    EXPECT_EQ(l.GetTime(), 0.0f);
    EXPECT_EQ(l.GetScore(), 0);
    EXPECT_TRUE(l.IsTimerPaused());
    EXPECT_EQ(l.GetCarryOver(), 7);
    EXPECT_EQ(l.GetState(), GameLogicBase::kPlaying);
    Sleep(30);
    EXPECT_EQ(l.GetTime(), 0.0f);

    // The same state again: no flag, the timer as it was.
    l.SetState(GameLogicBase::kPlaying);
    EXPECT_FALSE(l.IsStateChanged());
    EXPECT_TRUE(l.IsTimerPaused());
    l.SetState(GameLogicBase::kPaused);
    EXPECT_TRUE(l.IsStateChanged());
    EXPECT_TRUE(l.IsTimerPaused());
    l.ClearStateChanged();
    l.SetPaused(false);
    EXPECT_TRUE(l.IsStateChanged());
    EXPECT_FALSE(l.IsTimerPaused());
    Sleep(30);
    EXPECT_GT(l.GetTime(), 0.01f);
    l.SetTimerPaused(true);
    EXPECT_EQ(l.GetState(), GameLogicBase::kPlaying);
    l.SetTimerPaused(false);

    // A won or a lost level is not paused or resumed.
    for (int32_t end : {GameLogicBase::kWon, GameLogicBase::kLost}) {
        l.SetState(end);
        EXPECT_TRUE(l.IsTimerPaused());
        l.ClearStateChanged();
        l.SetPaused(true);
        l.SetPaused(false);
        EXPECT_EQ(l.GetState(), end);
        EXPECT_FALSE(l.IsStateChanged());
    }
    l.SetScore(345);
    EXPECT_EQ(l.GetScoreKeeper()->GetScore(), 345);
    EXPECT_EQ(l.GetScore(), 345);
}

TEST_F(Framework, CheatKeysAreReadOnlyInCheatModeAllInOneFrameInOrder)
{
    GameFramework::Stage stage{0, 1};
    GameFramework::Level level(0, 0);
    CheatLogic l(nullptr, &stage, &level, 0);
    logic = &l;
    // No console: no cheat mode.
    keys->Press("LSHIFT");
    keys->Press("F1");
    Frame();
    EXPECT_TRUE(l.keys.empty());
    EXPECT_FALSE(l.IsCheatUsed());
    keys->Release("LSHIFT");
    keys->Release("F1");
    Frame();

    ShaderDescriptor plain;
    engine->CreateConsole("test", plain, -1, '_', '>', '-', "GRAVE", 0.8f, 300.0f, 4.0f);
    Console::Instance()->SetEnabled(false);
    keys->Press("LSHIFT");
    keys->Press("F1");
    Frame();
    EXPECT_TRUE(l.keys.empty());
    keys->Release("LSHIFT");
    keys->Release("F1");
    Frame();

    Console::Instance()->SetEnabled(true);
    keys->Press("F12");
    keys->Press("F3");
    keys->Press("F10");
    Frame();
    EXPECT_EQ(l.keys, (std::vector<int>{3, 10, 12}));
    EXPECT_TRUE(l.IsCheatUsed());
    keys->Release("F12");
    keys->Release("F3");
    keys->Release("F10");
    Frame();
    // Held keys are not pressed again; the right Shift is Shift too.
    Frame();
    keys->Press("RSHIFT");
    keys->Press("F1");
    Frame();
    EXPECT_EQ(l.keys, (std::vector<int>{3, 10, 12, 101}));
    keys->Release("RSHIFT");
    keys->Release("F1");
    Frame();
    logic = nullptr;
}
