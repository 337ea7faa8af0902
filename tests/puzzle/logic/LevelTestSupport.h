#pragma once
// Shared by the tests that play a puzzle level: the puzzle game made inside
// the test program on generated content (in a virtual desktop, for its
// windowed 800 x 600 display mode), a player profile, a level built from a
// chosen picture and puzzle file, and the engine's frame run with a fixed
// frame time and scripted input: keys and buttons through a Controls
// subclass, the pointer moved through the engine's window.
#include "puzzle/app/GameTestSupport.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/audio_input/Controls.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Random.h"
#include "engine/foundation/TimerManager.h"
#include "engine/foundation/Window.h"
#include "engine/render/DataKeeper.h"
#include "framework/Engine.h"
#include "framework/GUILogosWindowBase.h"
#include "framework/Level.h"
#include "framework/SoundController.h"
#include "framework/Stage.h"
#include "gui/GUICursor.h"
#include "gui/GUIFontTool.h"
#include "gui/GUIManager.h"
#include "gui/GUIToolManager.h"
#include "gui/GUIWindow.h"
#include "gui/SpriteManager.h"
#include "puzzle/app/GUIBackground.h"
#include "puzzle/app/GameData.h"
#include "puzzle/app/Profile.h"
#include "puzzle/app/ProfileManager.h"
#include "puzzle/logic/Bonus.h"
#include "puzzle/logic/BonusManager.h"
#include "puzzle/logic/Carriage.h"
#include "puzzle/logic/DepositoryElement.h"
#include "puzzle/logic/GUIGameLogicText.h"
#include "puzzle/logic/GUIGameLogicTextManager.h"
#include "puzzle/logic/GameLogic.h"
#include "puzzle/logic/GameLogicData.h"
#include "puzzle/logic/Puzzle.h"
#include "puzzle/logic/PuzzleDepository.h"
#include "puzzle/logic/PuzzleElement.h"
#include "puzzle/logic/PuzzleElementManager.h"
#include "tools/content/GameObjects.h"

namespace LevelTest {

using namespace KorvaneEngine;
using Board = ::Puzzle::Puzzle;

const float kFrame = 1.0f / 60.0f;
// A small window: drawing is most of a frame's cost, and 400 x 300 pixels
// still place the pointer within 2 GUI units.
const char kWindowedIni[] = "v_fullscreen 0\r\nv_mode 400x300x32\r\n";

// Input the test decides frame by frame; the engine's Controls reads it in
// its own update, as a device back-end would.
class ScriptedControls : public Controls {
public:
    void Set(const std::string& name, bool down) { pending.push_back(std::make_pair(name, down)); }
    // Down for this frame only: released again at the next update.
    void Tap(const std::string& name)
    {
        Set(name, true);
        taps.push_back(name);
    }
    void Update() override
    {
        for (const std::string& t : released)
            SetKeyState(t, false);
        released.clear();
        for (const auto& p : pending)
            SetKeyState(p.first, p.second);
        pending.clear();
        released.swap(taps);
        Controls::Update();
    }

private:
    std::vector<std::pair<std::string, bool>> pending;
    std::vector<std::string> taps, released;
};

// A level's files as the catalogue would name them.
struct LevelFiles {
    std::string picture = "data\\themes\\landscapes\\00.jpg";
    std::string colors = "data\\themes\\landscapes\\00.xml";
    std::string puzzle = "data\\puzzles\\00\\puzzle_00.pzf";
};

// The game, its profile and one level at a time. Made once per test suite
// (inside the virtual desktop); levels are made and ended by each test.
struct LevelGame {
    std::unique_ptr<::Puzzle::Game> game;
    ::Puzzle::GameData* gameData = nullptr;
    ::Puzzle::ProfileManager* profiles = nullptr;
    ::Puzzle::Profile* profile = nullptr;
    ScriptedControls* controls = nullptr;
    Controls* deviceControls = nullptr;
    GameFramework::Stage stage;
    GameFramework::Level level;
    ::Puzzle::GameLogicData* data = nullptr;
    ::Puzzle::GameLogic* logic = nullptr;
    uint32_t frames = 0;

    // folder: a program folder with generated content. Unscripted, the
    // engine's own input devices stay in charge (for real input).
    void Start(const std::string& folder, bool scripted = true, const char* ini = kWindowedIni)
    {
        GameTest::ResetUserData(ini);
        game = GameTest::MakeGame(folder);
        gameData = static_cast<::Puzzle::GameData*>(game->GetGameData());
        // The level plays without the game's screens: the logos and the menus'
        // background the game shows at start-up would cover the board.
        HideLogos(*game);
        if (::Puzzle::GUIBackground* background = game->GetBackground())
            background->SetVisible(false, false, 1.0f);
        gameData->LoadAll();
        // The game's loading window loads these with the game data.
        game->GetGUIToolManager()->GetFontTool()->LoadAdditionalFonts();
        profiles = static_cast<::Puzzle::ProfileManager*>(ProfileManagerOf(*game));
        GameFramework::ProfileBase* p = profiles->AddProfile(L"Tester");
        profiles->SetCurrentProfile(p, true);
        profile = static_cast<::Puzzle::Profile*>(p);
        deviceControls = Controls::Instance();
        if (scripted)
            controls = new ScriptedControls;
        stage.stageIndex = 0;
        stage.levelCount = 3;
    }

    void Stop()
    {
        EndLevel();
        if (controls) {
            delete controls;
            controls = nullptr;
            Controls::Instance(deviceControls);
        }
        game.reset();
        TestSupport::ClearUserData(GameTest::kCompany, GameTest::Title());
    }

    static GameFramework::ProfileManagerBase* ProfileManagerOf(GameFramework::GameBase& g);
    static void HideLogos(GameFramework::GameBase& g);

    // relax: the profile's play value 1. seed: set just before the level is
    // made (the pieces are shuffled with it).
    void StartLevel(const LevelFiles& files = LevelFiles(), bool relax = false, uint32_t seed = 1234)
    {
        EndLevel();
        profile->SetPlayValue(relax ? 1 : 0);
        data = new ::Puzzle::GameLogicData(game->GetLanguageCode(), &stage, &level);
        data->picturePath = files.picture;
        data->colorsPath = files.colors;
        data->puzzlePath = files.puzzle;
        data->LoadAll();
        // The pointer starts at the same place for every scripted level.
        cursorPinned = false;
        if (controls)
            MoveCursor(Vector2(790, 590));
        SetRandomSeed(seed);
        logic = new ::Puzzle::GameLogic(nullptr, profiles, game->GetSoundController(), gameData, data,
                                        game->GetGUIToolManager(), &stage, &level, 0, nullptr);
        frames = 0;
    }

    void EndLevel()
    {
        delete logic;
        logic = nullptr;
        delete data;
        data = nullptr;
    }

    // One frame of the engine with the level: the input step, the fixed
    // frame time in place of the clock's, the music, the level, the sprites
    // and the engine's update, draw and present.
    void Frame()
    {
        TestSupport::ProgramRunner::Pump();
        Engine* engine = game->GetEngine();
        engine->UpdateInput();
        TimerManager::Instance()->AdvanceFrame(kFrame);
        if (cursorPinned)
            GUIManager::Instance()->GetDefaultCursor()->position = cursor;
        game->GetSoundController()->Update();
        if (logic)
            logic->Update();
        GameTools::SpriteManager::Instance()->Update();
        engine->Frame(0);
        ++frames;
    }

    // The pointer onto a GUI point (800 x 600, y up) of the game's window:
    // the real pointer moved through the window, which reports the new
    // place at once, and the GUI cursor pinned to the same window pixel
    // after each input step. In a virtual desktop the
    // desktop's own process reports pointer moves to the server in its own
    // time, so the news of an earlier move can overtake a later one for a
    // moment; the pin keeps such a moment out of the run.
    void MoveCursor(const Vector2& gui)
    {
        Window* w = Window::Instance();
        const float W = float(w->GetWidth()), H = float(w->GetHeight());
        Vector2i p;
        p.x = int32_t(std::lround(gui.x * W / 800.0f));
        // The GUI cursor counts rows from the bottom one pixel up.
        p.y = int32_t(std::lround((600.0f - gui.y) * H / 600.0f)) - 1;
        cursor = Vector2(float(p.x) / W * 800.0f, (H - float(p.y) - 1.0f) / H * 600.0f);
        cursorPinned = true;
        w->MovePointer(p);
    }
    Vector2 cursor;
    bool cursorPinned = false;

    Board* GetBoard() const { return logic->GetBoard(); }
    ::Puzzle::PuzzleDepository* GetPath() const { return logic->GetPath(); }

    // In the log since the last frame (the engine's input step drops it).
    static bool Logged(const std::string& part, uint32_t level)
    {
        const MessageManager* log = MessageManager::Instance();
        for (int i = 0; log && i < log->GetHistorySize(); ++i)
            if (log->GetHistoryRecord(i)->level == level &&
                log->GetHistoryRecord(i)->text.find(part) != std::string::npos)
                return true;
        return false;
    }
};

// One game for a whole test suite, made only inside the virtual-desktop run
// (outside it the suite's tests skip, and there is none).
inline LevelGame* StartSuiteGame(const char* name, bool scripted = true, const char* ini = kWindowedIni)
{
    if (!TestSupport::InVirtualDesktop())
        return nullptr;
    LevelGame* g = new LevelGame;
    g->Start(GameTest::MakeProgramFolder(name), scripted, ini);
    return g;
}

inline void StopSuiteGame(LevelGame*& game)
{
    if (game)
        game->Stop();
    delete game;
    game = nullptr;
}

inline GameFramework::ProfileManagerBase* LevelGame::ProfileManagerOf(GameFramework::GameBase& g)
{
    // The game base keeps its profile manager protected; a member pointer
    // named through a derived class reads it.
    struct View : GameFramework::GameBase {
        static GameFramework::ProfileManagerBase* Of(GameFramework::GameBase& b)
        {
            GameFramework::ProfileManagerBase* GameFramework::GameBase::*member = &View::profileManager;
            return b.*member;
        }
    };
    return View::Of(g);
}

inline void LevelGame::HideLogos(GameFramework::GameBase& g)
{
    struct View : GameFramework::GameBase {
        static GameFramework::GUILogosWindowBase* Of(GameFramework::GameBase& b)
        {
            GameFramework::GUILogosWindowBase* GameFramework::GameBase::*member = &View::logosWindow;
            return b.*member;
        }
    };
    if (GameFramework::GUILogosWindowBase* logos = View::Of(g))
        logos->Hide();
}

// The first piece element of the queue that the pointer can reach: whole on
// screen, out of the obstacle's way and (outside relax mode) not shrinking
// at the finish.
inline ::Puzzle::DepositoryElement* ReachablePiece(::Puzzle::PuzzleDepository& path, bool relax)
{
    using namespace Content::GameObjects;
    for (::Puzzle::DepositoryElement* e : path.GetQueue()) {
        ::Puzzle::PuzzleElement* p = e->GetPiece();
        if (!p || !p->IsVisible() || p->IsTaken())
            continue;
        if ((!relax && e->GetPosition() > path.GetTotalLength() - 80.0f) || e->GetPosition() < 20.0f)
            continue;
        const Vector2 c = p->GetPosition();
        if (c.x > kObstacleLeft - 30 && c.x < kObstacleRight + 30 && c.y < kObstacleTop + 30)
            continue;
        return e;
    }
    return nullptr;
}

// ---------------------------------------------------------------- playing

// Plays like a quick player: picks the first piece it can reach, carries it
// onto its slot and clicks there, never touching a bonus.
class Player {
public:
    explicit Player(LevelGame& g) : g(g) {}

    // Decides this frame's pointer and clicks, before the frame runs.
    void Step()
    {
        ::Puzzle::PuzzleElement* held = g.logic->GetPieces()->GetHeldPiece();
        if (held) {
            const Vector2 slot = g.GetBoard()->GetSlotPosition(g.GetBoard()->GetSlots()[held->GetIndex()]);
            // The pointer moves in whole window pixels.
            if (carried == held && (held->GetPosition() - slot).GetLength() < 3.0f) {
                g.controls->Tap("MOUSE1");
                carried = nullptr;
            } else {
                g.MoveCursor(slot - g.GetPath()->GetGrabOffset());
                carried = held;
            }
            return;
        }
        carried = nullptr;
        ::Puzzle::DepositoryElement* e = ReachablePiece(*g.GetPath(), g.logic->IsRelax());
        if (!e) {
            last = nullptr;
            return;
        }
        ::Puzzle::PuzzleElement* p = e->GetPiece();
        // Where it will be once this frame has moved the queue.
        Vector2 aim = p->GetPosition();
        if (p == last)
            aim += p->GetPosition() - lastAt;
        last = p;
        lastAt = p->GetPosition();
        if (waitFrames > 0) {
            --waitFrames;
            return;
        }
        g.MoveCursor(aim);
        g.controls->Tap("MOUSE1");
        waitFrames = 1;
    }

private:
    LevelGame& g;
    ::Puzzle::PuzzleElement* carried = nullptr;
    ::Puzzle::PuzzleElement* last = nullptr;
    Vector2 lastAt;
    int waitFrames = 1;
};

// What a frame leaves behind, in a line: enough to tell two runs apart.
inline std::string TraceLine(const LevelGame& g)
{
    std::ostringstream s;
    s.precision(9);
    const ::Puzzle::GameLogic& l = *g.logic;
    s << l.GetState() << " " << l.GetTimeScale() << " " << g.GetBoard()->GetPlaced() << " "
      << g.GetBoard()->GetComboLevel() << " " << g.profile->GetLevelStars() << " "
      << g.GetPath()->GetCarriageDistance() << " " << g.GetPath()->GetFreeLength() << " q";
    for (::Puzzle::DepositoryElement* e : g.GetPath()->GetQueue())
        s << " " << (e->GetPiece() ? int(e->GetPiece()->GetIndex()) : -1 - e->GetBonus()->GetType()) << "@"
          << e->GetPosition();
    if (::Puzzle::PuzzleElement* h = l.GetPieces()->GetHeldPiece())
        s << " h" << h->GetIndex() << "@" << h->GetPosition().x << "," << h->GetPosition().y;
    s << " t" << l.GetTexts()->GetTexts().size() << " b" << l.GetBonuses()->GetBonuses().size();
    const Vector2 c = GUIManager::Instance()->GetCursorPosition();
    s << " c" << c.x << "," << c.y;
    return s.str();
}

// One-line texts the last frame created (their first update has aged them
// by one frame); a put's text with a combo has two lines.
inline std::vector<std::wstring> NewTexts(const LevelGame& g)
{
    std::vector<std::wstring> out;
    for (::Puzzle::GUIGameLogicText* t : g.logic->GetTexts()->GetTexts())
        if (t->GetAge() > 0.5f * kFrame && t->GetAge() < 1.5f * kFrame && t->GetLines().size() == 1)
            out.push_back(t->GetLines()[0]);
    return out;
}

struct PlayResult {
    std::vector<std::string> trace;
    std::vector<int32_t> putPoints;
    int stopTexts = 0, cashTexts = 0;
    bool charged = false, lostSeen = false, failingSeen = false;
    float chargeStart = -1.0f;
    uint32_t frames = 0;
};

// Plays the level made by StartLevel until it ends or maxFrames pass.
inline PlayResult Play(LevelGame& g, bool withPlayer, uint32_t maxFrames)
{
    PlayResult r;
    Player player(g);
    while (r.frames < maxFrames && g.logic->GetState() < ::Puzzle::GameLogic::kWon) {
        if (withPlayer)
            player.Step();
        const uint32_t placed = g.GetBoard()->GetPlaced();
        g.Frame();
        ++r.frames;
        // A put's points by the combo level it reached (the last put's frame
        // also cashes the bonuses in).
        if (g.GetBoard()->GetPlaced() != placed)
            r.putPoints.push_back(10 + 5 * (g.GetBoard()->GetComboLevel() - 1));
        for (const std::wstring& t : NewTexts(g)) {
            r.stopTexts += t == L"+2";
            r.cashTexts += t == L"+30";
        }
        if (!r.charged && g.GetPath()->IsCharging())
            r.chargeStart = g.GetPath()->GetCarriageDistance();
        r.charged = r.charged || g.GetPath()->IsCharging();
        r.failingSeen = r.failingSeen || g.GetPath()->IsFailing();
        r.lostSeen = r.lostSeen || g.GetPath()->IsLost();
        r.trace.push_back(TraceLine(g));
    }
    return r;
}

} // namespace LevelTest
