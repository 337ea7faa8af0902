// The window flow of the real game object in this test program, over the
// shipped content: screens answer through their event codes (as their
// buttons would), levels end by setting the game logic's state, and the
// frames run in real time so that the menus take their turns. What the
// player files say after each step is read back from disk.
#include "GameTestSupport.h"

#include <functional>

#include "engine/foundation/TimerManager.h"
#include "framework/GUIContinueGameLogicWindowBase.h"
#include "framework/GUIGameCursorBase.h"
#include "framework/GUIGameLogicMenuExitWindowBase.h"
#include "framework/GUIGameLogicMenuWindowBase.h"
#include "framework/GUIGameLogicRestartWindowBase.h"
#include "framework/GUIGameLogicWindowBase.h"
#include "framework/GUIGameOverWindowBase.h"
#include "framework/GUILevelCompleteWindowBase.h"
#include "framework/GUILoadingWindowBase.h"
#include "framework/GUIMainMenuWindowBase.h"
#include "framework/GUIStartGameLogicWindowBase.h"
#include "framework/GUIWelcomeWindowBase.h"
#include "framework/GameLogicBase.h"
#include "framework/HighScoreEntry.h"
#include "framework/HighScoresTable.h"
#include "framework/LevelResult.h"
#include "framework/MusicTrack.h"
#include "framework/ProfileRecord.h"
#include "gui/GUITextControl.h"
#include "gui/GUIWindow.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/GUIMenuWindow.h"
#include "puzzle/app/GUIMenuWindowManager.h"
#include "puzzle/app/GUIStartGameLogicWindow.h"
#include "puzzle/app/GUIStartGameStarsEffect.h"
#include "puzzle/app/ProfileManager.h"
#include "puzzle/app/SoundTable.h"
#include "tools/content/Catalogue.h"

using namespace GameTest;
using GameFramework::GUIFrameworkWindow;
using GameFramework::Level;

namespace {

// The game with its members in reach of the test.
class FlowGame : public Puzzle::Game {
public:
    explicit FlowGame(const std::string& folder) : Puzzle::Game(kCompany, Title(), 100, KeyPath(), folder, "demo") {}
    using GameBase::continueGameLogicWindow;
    using GameBase::gameCursor;
    using GameBase::gameLogic;
    using GameBase::gameLogicLoadingWindow;
    using GameBase::gameLogicMenuExitWindow;
    using GameBase::gameLogicMenuWindow;
    using GameBase::gameLogicRestartWindow;
    using GameBase::gameLogicWindow;
    using GameBase::gameOverWindow;
    using GameBase::levelCompleteWindow;
    using GameBase::mainMenuWindow;
    using GameBase::profileManager;
    using GameBase::startGameLogicWindow;
    using GameBase::welcomeWindow;
};

class WindowFlow : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (TestSupport::InVirtualDesktop())
            folder = MakeProgramFolder("flow");
    }
    void SetUp() override
    {
        if (!TestSupport::InVirtualDesktop())
            GTEST_SKIP() << "runs inside the virtual desktop only";
        ASSERT_NO_FATAL_FAILURE(ResetUserData("v_fullscreen 0\r\n"));
    }
    void TearDown() override
    {
        ReportWaits();
        game.reset();
        TestSupport::ClearUserData(kCompany, Title());
    }

    void Frame()
    {
        TestSupport::ProgramRunner::Pump();
        FocusGameWindow();
        game->Update();
        Sleep(5);
    }
    // Frames until the condition holds (false after the time limit). A
    // screen change takes 1.3 s at most with every core of the machine busy.
    bool Until(const std::function<bool()>& condition, double seconds = 20)
    {
        return FramesUntil([&] { Frame(); }, condition, seconds);
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            Frame();
    }
    // The screen as the player would see it: shown and on screen.
    bool Visible(GUIFrameworkWindow* w)
    {
        Puzzle::GUIMenuWindow* m = Menu(w);
        return m && m->IsVisible() && m->GetPanelControl() && m->GetPanelControl()->GetWidget()->IsVisible();
    }
    Puzzle::Profile* Player() { return static_cast<Puzzle::ProfileManager*>(game->profileManager)->GetCurrentPuzzleProfile(); }
    // The player's file as another run would read it.
    std::unique_ptr<Puzzle::ProfileManager> Reread()
    {
        return std::make_unique<Puzzle::ProfileManager>(nullptr, UserData() + "\\demo");
    }
    void StartGame()
    {
        game.reset(new FlowGame(folder));
    }
    // From start-up to the main menu with a new player of that name.
    void ToMainMenu(const std::wstring& name)
    {
        StartGame();
        // The publishers' logos and the loading window come first: 8 to 12 s
        // with every core of the machine busy twice over, 13 to 19 s four
        // times over.
        ASSERT_TRUE(Until([&] { return Visible(game->welcomeWindow); }, 60)) << "welcome";
        game->welcomeWindow->CreateProfile(name);
        Answer(game->welcomeWindow, 3);
        ASSERT_TRUE(Until([&] { return Visible(game->mainMenuWindow); })) << "main menu";
    }
    // From the start-game window into a level (play).
    void Play()
    {
        ASSERT_TRUE(Until([&] { return Visible(game->startGameLogicWindow); })) << "start game";
        Answer(game->startGameLogicWindow, 24);
        ASSERT_TRUE(Until([&] { return game->gameLogic != nullptr; })) << "a level";
    }
    void Win(int score = 0)
    {
        ASSERT_NE(game->gameLogic, nullptr);
        game->gameLogic->SetScore(score);
        game->gameLogic->SetState(GameFramework::GameLogicBase::kWon);
        ASSERT_TRUE(Until([&] { return Visible(game->levelCompleteWindow); })) << "level complete";
    }
    Level Position() const
    {
        return game->gameLogic && game->gameLogic->GetLevel() ? *game->gameLogic->GetLevel() : Level(99, 99);
    }

    static inline std::string folder;
    std::unique_ptr<FlowGame> game;
};

} // namespace

TEST(Desktop, FlowTestsRunInsideAVirtualDesktop)
{
    if (TestSupport::InVirtualDesktop())
        GTEST_SKIP() << "already inside";
    // The five tests take 80 s with every core of the machine busy twice
    // over, 130 s four times over.
    EXPECT_TRUE(TestSupport::RunInVirtualDesktop("pelloria_flow", 1280, 1024, "WindowFlow.*", 450000));
}

TEST_F(WindowFlow, AWholeGameRunsLevelByLevelThroughTheStagesToTheRelay)
{
    ASSERT_EQ(Content::Catalogue::kStageCount, 2);
    ASSERT_NO_FATAL_FAILURE(ToMainMenu(L"Anna"));
    GUITools::GUITextControl* title = Menu(game->mainMenuWindow)->GetTitleControl();
    ASSERT_NE(title, nullptr);
    ASSERT_TRUE(Until([&] { return title->IsPrintingDone(); }));
    ASSERT_EQ(title->GetLines().size(), 1u);
    EXPECT_NE(title->GetLines()[0].find(L"Anna"), std::wstring::npos) << "the greeting names the player";
    EXPECT_EQ(title->GetLines()[0].find(L"%"), std::wstring::npos);

    Answer(game->mainMenuWindow, 24);
    ASSERT_NO_FATAL_FAILURE(Play());
    EXPECT_EQ(Position(), Level(0, 0));
    EXPECT_TRUE(Until([&] { return !Visible(game->startGameLogicWindow); }));

    // Not a stage's last level: the next one starts at once.
    ASSERT_NO_FATAL_FAILURE(Win(40));
    {
        auto files = Reread();
        Puzzle::Profile* p = files->GetCurrentPuzzleProfile();
        EXPECT_EQ(p->GetCurrentPosition(), Level(0, 1));
        EXPECT_TRUE(p->HasSavedGame());
        EXPECT_EQ(p->GetTotalScore(), 40u);
        ASSERT_EQ(p->GetLevelResults().size(), 1u);
        EXPECT_EQ(p->GetLevelResults()[0]->stageIndex, 0u);
        EXPECT_EQ(p->GetLevelResults()[0]->levelIndex, 0u);
        EXPECT_NE(files->FindRecord(Level(0, 0), 0), nullptr) << "the level's best time";
    }
    Answer(game->levelCompleteWindow, 13);
    ASSERT_TRUE(Until([&] { return game->gameLogic && Position() == Level(0, 1); }));
    EXPECT_FALSE(Visible(game->startGameLogicWindow)) << "the start-game window is passed";

    // A stage's last level: on through stage complete to the start-game window.
    ASSERT_NO_FATAL_FAILURE(Win());
    EXPECT_EQ(Reread()->GetCurrentPuzzleProfile()->GetCurrentPosition(), Level(1, 0));
    Answer(game->levelCompleteWindow, 21);
    ASSERT_TRUE(Until([&] { return Visible(game->startGameLogicWindow); })) << "after the stage";
    EXPECT_EQ(game->gameLogic, nullptr) << "the level has ended";
    EXPECT_EQ(game->startGameLogicWindow->GetMode(), 23);

    ASSERT_NO_FATAL_FAILURE(Play());
    EXPECT_EQ(Position(), Level(1, 0));
    ASSERT_NO_FATAL_FAILURE(Win());
    Answer(game->levelCompleteWindow, 13);
    ASSERT_TRUE(Until([&] { return game->gameLogic && Position() == Level(1, 1); }));
    // The game's last level: the position stays, there is nothing to continue.
    ASSERT_NO_FATAL_FAILURE(Win(10));
    {
        auto files = Reread();
        Puzzle::Profile* p = files->GetCurrentPuzzleProfile();
        EXPECT_EQ(p->GetCurrentPosition(), Level(1, 1));
        EXPECT_FALSE(p->HasSavedGame());
        EXPECT_TRUE(p->IsReachedLast());
        EXPECT_EQ(p->GetLevelResults().size(), 4u);
    }
    // Game complete with points: into the high scores, and through the main
    // menu's relay onto the start-game window of a new game.
    Answer(game->levelCompleteWindow, 21);
    ASSERT_TRUE(Until([&] { return Visible(game->startGameLogicWindow); })) << "a new game";
    EXPECT_EQ(game->gameLogic, nullptr);
    EXPECT_FALSE(Visible(game->mainMenuWindow)) << "the relay shows nothing";
    ASSERT_EQ(game->GetHighScoresTable()->GetEntries().size(), 1u);
    EXPECT_EQ(game->GetHighScoresTable()->GetEntries()[0]->score, 50u);
    EXPECT_EQ(Player()->GetTotalScore(), 0u) << "a new game starts from nothing";
}

TEST_F(WindowFlow, InGameDialogsPauseTheLevelAndLeaveRestartOrLoseIt)
{
    ASSERT_NO_FATAL_FAILURE(ToMainMenu(L"Bert"));
    Answer(game->mainMenuWindow, 24);
    ASSERT_NO_FATAL_FAILURE(Play());
    ASSERT_TRUE(Until([&] { return game->gameLogicWindow->IsActive(); }));

    // The menu over play: the level pauses, the play screen stays but takes
    // no input; resuming undoes both.
    Answer(game->gameLogicWindow, 16);
    ASSERT_TRUE(Until([&] { return Visible(game->gameLogicMenuWindow); }));
    EXPECT_EQ(game->gameLogic->GetState(), GameFramework::GameLogicBase::kPaused);
    EXPECT_FALSE(game->gameLogicWindow->IsActive());
    Answer(game->gameLogicMenuWindow, 19);
    ASSERT_TRUE(Until([&] { return !Visible(game->gameLogicMenuWindow); }));
    EXPECT_EQ(game->gameLogic->GetState(), GameFramework::GameLogicBase::kPlaying);
    EXPECT_TRUE(game->gameLogicWindow->IsActive());

    // Restart: menu, restart question, a new level of the same position.
    GameFramework::GameLogicBase* first = game->gameLogic;
    Answer(game->gameLogicWindow, 16);
    ASSERT_TRUE(Until([&] { return Visible(game->gameLogicMenuWindow); }));
    Answer(game->gameLogicMenuWindow, 17);
    ASSERT_TRUE(Until([&] { return Visible(game->gameLogicRestartWindow); }));
    Answer(game->gameLogicRestartWindow, 13);
    ASSERT_TRUE(Until([&] { return game->gameLogic && game->gameLogic != first; })) << "restarted";
    EXPECT_EQ(Position(), Level(0, 0));

    // Lost: the game-over notice; no points, so the main menu's relay leads
    // to the start-game window, and the level ends.
    game->gameLogic->SetState(GameFramework::GameLogicBase::kLost);
    ASSERT_TRUE(Until([&] { return Visible(game->gameOverWindow); }));
    EXPECT_FALSE(Reread()->GetCurrentPuzzleProfile()->HasSavedGame());
    Answer(game->gameOverWindow, 1);
    ASSERT_TRUE(Until([&] { return Visible(game->startGameLogicWindow); }));
    EXPECT_EQ(game->gameLogic, nullptr);
    EXPECT_TRUE(game->GetHighScoresTable()->GetEntries().empty());

    // Lost with points: the score goes into the high scores and their file,
    // and their screen hands on at once through the main menu's relay.
    ASSERT_NO_FATAL_FAILURE(Play());
    game->gameLogic->SetScore(25);
    game->gameLogic->SetState(GameFramework::GameLogicBase::kLost);
    ASSERT_TRUE(Until([&] { return Visible(game->gameOverWindow); }));
    Answer(game->gameOverWindow, 1);
    ASSERT_TRUE(Until([&] { return Visible(game->startGameLogicWindow); }));
    EXPECT_FALSE(Visible(game->mainMenuWindow)) << "the relay shows nothing";
    EXPECT_EQ(game->gameLogic, nullptr);
    {
        GameFramework::HighScoresTable stored(10, UserData() + "\\demo");
        ASSERT_EQ(stored.GetEntries().size(), 1u);
        EXPECT_EQ(stored.GetEntries()[0]->playerName, L"Bert");
        EXPECT_EQ(stored.GetEntries()[0]->score, 25u);
    }

    // Leaving for the main menu ends the level too.
    ASSERT_NO_FATAL_FAILURE(Play());
    Answer(game->gameLogicWindow, 16);
    ASSERT_TRUE(Until([&] { return Visible(game->gameLogicMenuWindow); }));
    Answer(game->gameLogicMenuWindow, 18);
    ASSERT_TRUE(Until([&] { return Visible(game->gameLogicMenuExitWindow); }));
    Answer(game->gameLogicMenuExitWindow, 16);
    ASSERT_TRUE(Until([&] { return Visible(game->gameLogicMenuWindow); })) << "back to the menu";
    Answer(game->gameLogicMenuWindow, 18);
    ASSERT_TRUE(Until([&] { return Visible(game->gameLogicMenuExitWindow); }));
    Answer(game->gameLogicMenuExitWindow, 3);
    ASSERT_TRUE(Until([&] { return Visible(game->mainMenuWindow); }));
    EXPECT_EQ(game->gameLogic, nullptr);
}

TEST_F(WindowFlow, ASavedPositionBeyondTheLevelsPlaysTheFirstAndTheContinueOfferIsPassed)
{
    ASSERT_NO_FATAL_FAILURE(ToMainMenu(L"Carla"));
    Player()->SetCurrentPosition(Level(7, 3));
    Player()->SetSavedGame(true);
    Player()->Save();
    // A game in progress goes through the continue offer, which declines it.
    Answer(game->mainMenuWindow, 24);
    ASSERT_TRUE(Until([&] { return Visible(game->startGameLogicWindow); }));
    EXPECT_EQ(game->startGameLogicWindow->GetMode(), 0) << "shown from the continue window (21), then as new";
    EXPECT_FALSE(Reread()->GetCurrentPuzzleProfile()->HasSavedGame());
    // The profile's reset keeps the position; the levels file lacks it.
    Player()->SetCurrentPosition(Level(7, 3));
    Player()->Save();
    Answer(game->startGameLogicWindow, 24);
    ASSERT_TRUE(Until([&] { return game->gameLogic != nullptr; }));
    EXPECT_EQ(Position(), Level(0, 0));
    EXPECT_EQ(Reread()->GetCurrentPuzzleProfile()->GetCurrentPosition(), Level(0, 0));
    game.reset();
    EXPECT_NE(ReadText(LogPath()).find("is not in the levels file"), std::string::npos);
}

TEST_F(WindowFlow, ALevelThatCannotBeLoadedGoesBackToTheStartGameWindowOnce)
{
    ASSERT_NO_FATAL_FAILURE(ToMainMenu(L"Emil"));
    Answer(game->mainMenuWindow, 24);
    ASSERT_TRUE(Until([&] { return Visible(game->startGameLogicWindow); }));
    GameFramework::SoundController* sounds = game->GetSoundController();
    const std::string error = "the level is not started";
    auto errors = [&] {
        const std::string log = ReadText(LogPath());
        size_t n = 0;
        for (size_t at = log.find(error); at != std::string::npos; at = log.find(error, at + 1))
            ++n;
        return n;
    };
    // Between the start and the loading window's report the position goes
    // out of the levels file, then the player goes altogether.
    const std::function<void()> breakages[] = {
        [&] { Player()->SetCurrentPosition(Level(7, 3)); },
        [&] { game->profileManager->SetCurrentProfile(nullptr, false); },
    };
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        Answer(game->startGameLogicWindow, 24);
        Frame();
        ASSERT_EQ(game->gameLogicLoadingWindow->GetMode(), 15) << "the level is loading";
        breakages[i]();
        ASSERT_TRUE(Until([&] { return Visible(game->startGameLogicWindow); })) << "back to the start";
        EXPECT_EQ(game->startGameLogicWindow->GetMode(), 16);
        Frames(20);
        EXPECT_EQ(game->gameLogic, nullptr);
        EXPECT_FALSE(Menu(game->gameLogicLoadingWindow)->IsVisible());
        EXPECT_TRUE(game->gameCursor->IsVisible());
        EXPECT_EQ(errors(), i + 1) << "one error, not one a frame";
        // The menus keep their music: no level track began.
        ASSERT_NE(sounds->GetChannelTrack(0), nullptr);
        EXPECT_EQ(sounds->GetChannelTrack(0)->GetTrackId(), Puzzle::kMusicMenu);
        EXPECT_EQ(sounds->GetChannelTrack(1), nullptr);
    }
    // With the player back, the same window starts the level.
    Puzzle::ProfileManager* players = static_cast<Puzzle::ProfileManager*>(game->profileManager);
    players->SetCurrentProfile(players->FindProfile(L"Emil"), false);
    Player()->SetCurrentPosition(Level(0, 1));
    ASSERT_NO_FATAL_FAILURE(Play());
    EXPECT_EQ(Position(), Level(0, 1));
}

TEST_F(WindowFlow, ResultCodesLiveOneDispatchPassUnlessTheirWindowKeepsThem)
{
    ASSERT_NO_FATAL_FAILURE(ToMainMenu(L"Dora"));
    GUIFrameworkWindow* w = game->mainMenuWindow;
    w->SetEventCode(77);
    game->ResetWindowEvents();
    EXPECT_EQ(w->GetEventCode(), 0) << "handled: cleared";
    w->SetEventCode(77);
    w->SetHandled(false);
    game->ResetWindowEvents();
    EXPECT_EQ(w->GetEventCode(), 77) << "kept for one more pass";
    EXPECT_TRUE(w->IsHandled());
    game->ResetWindowEvents();
    EXPECT_EQ(w->GetEventCode(), 0);

    // Each change between menu screens is one window at a time.
    Puzzle::GUIMenuWindowManager* manager = game->GetMenuWindowManager();
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(manager->GetTurnHolder(), Menu(game->mainMenuWindow));
    Answer(game->mainMenuWindow, 24);
    Frame();
    EXPECT_FALSE(Menu(game->startGameLogicWindow)->IsVisible()) << "waits for the menu to close";
    ASSERT_TRUE(Until([&] { return Visible(game->startGameLogicWindow); }));
    EXPECT_FALSE(Menu(game->mainMenuWindow)->GetRootWidget()->IsVisible());
    EXPECT_EQ(manager->GetTurnHolder(), Menu(game->startGameLogicWindow));

    // A flight of stars onto its own start has arrived at once and ends
    // within a second; the next purchase reuses it.
    auto* start = dynamic_cast<Puzzle::GUIStartGameLogicWindow*>(game->startGameLogicWindow);
    ASSERT_NE(start, nullptr);
    GUITools::GUITextControl* counter =
        start->GetTextControl("window_start_game/window/stars_erned/text");
    const KorvaneEngine::Vector2 centre = counter->GetWidget()->GetAbsolutePosition() + counter->size * 0.5f;
    start->LaunchStars(centre);
    ASSERT_EQ(start->GetStarsEffects().size(), 1u);
    Puzzle::GUIStartGameStarsEffect* effect = start->GetStarsEffects()[0];
    EXPECT_FALSE(effect->IsFinished());
    // In the game's own time (frame times), whatever the machine's load.
    float played = 0;
    ASSERT_TRUE(Until([&] {
        played += KorvaneEngine::TimerManager::Instance()->frameTime;
        return effect->IsFinished();
    }, 10));
    EXPECT_LT(played, 1.0f);
    EXPECT_FLOAT_EQ(effect->GetPosition().x, centre.x);
    start->LaunchStars(centre + KorvaneEngine::Vector2(100, 0));
    EXPECT_EQ(start->GetStarsEffects().size(), 1u) << "reused";
}
