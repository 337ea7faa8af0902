// The game's cursor on a real device under real xdotool input, with the
// shipped arrow picture and sparkle effects: where the drawn arrow sits, the
// trail a drag leaves, the click burst and its restart, the effects switched
// off, and "ui_custom_cursor" handing over to the system cursor.
#include "gui/GUITestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "engine/foundation/Config.h"
#include "engine/foundation/FileManager.h"
#include "engine/render/DataKeeper.h"
#include "engine/render/Model.h"
#include "engine/render/ModelFile.h"
#include "engine/render/ParticleSystem.h"
#include "engine/render/SpriteGroup.h"
#include "gui/GUICursor.h"
#include "puzzle/app/GUIGameCursor.h"
#include "support/HostShell.h"
#include "support/TestSupport.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"
#include "tools/content/UiArt.h"

using namespace KorvaneEngine;

namespace {

// A clear colour far from the arrow's dark outline and light fill.
const Color kClear(0.25f, 0.55f, 0.3f, 1.0f);
// A frame's length while a host line runs.
const float kHeldFrameTime = 0.0001f;

class GameCursor : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = TestSupport::MakeTempDir("game_cursor");
        shell = std::make_unique<TestSupport::HostShell>(root);
        if (!shell->Available())
            GTEST_SKIP() << "not running under Wine";
        scene.StartGUI("game_cursor", true);
        scene.render->clearColor = kClear;
        spriteGroups.reset(new SpriteGroupManager);
        SpriteGroupManager::Instance(spriteGroups.get());
        particles.reset(new ParticleSystemManager);
        ParticleSystemManager::Instance(particles.get());
        Content::ContentSet set;
        Content::Options options;
        Content::AddResourceLists(set, options);
        Content::AddCursors(set, options);
        std::string error;
        ASSERT_TRUE(set.Write(root, true, &error)) << error;
        scene.files.reset(new FileManager(root, true, "data", 16u << 20));
        keeper.reset(new GameTools::DataKeeper("en"));
        keeper->LoadResourceFile("data\\ui\\resources_additional.xml", true);
        ASSERT_EQ(scene.CountErrors(), 0);
        cursor.reset(new Puzzle::GUIGameCursor);
        ASSERT_TRUE(Move(400, 300));
    }
    void TearDown() override
    {
        if (shell && shell->Available())
            shell->Run("xdotool mouseup 1", [] { GUITest::Pump(); });
        cursor.reset();
        keeper.reset();
        particles.reset();
        spriteGroups.reset();
        scene.StopGUI();
        TestSupport::RemoveTree(root);
    }

    std::string At(float x, float y)
    {
        POINT p = {LONG(std::lround(scene.PixelX(x))), LONG(std::lround(scene.PixelY(y)))};
        ClientToScreen(scene.window->GetHandle(), &p);
        return std::to_string(p.x) + " " + std::to_string(p.y);
    }

    // The engine's order: configuration, input and the GUI's pass, the game's
    // cursor after the windows, the effects, the draw.
    void Frame()
    {
        scene.config->Update();
        scene.InputStep();
        cursor->Update();
        if (watch)
            watch();
        particles->Update();
        spriteGroups->Update();
        scene.DrawStep();
        scene.config->ClearChangedFlags();
        Sleep(3);
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            Frame();
    }
    // Frames until the condition holds, for at most the given real time. The
    // default is for sparks to die out: 0.2 to 1.1 s with every core of the
    // machine busy.
    bool FramesUntil(const std::function<bool()>& done, unsigned milliseconds = 5000)
    {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > milliseconds)
                return false;
            Frame();
        }
        return true;
    }
    // A host line whose input the frames take while the effects' clock almost
    // stands still: how long the host takes to start a program on a loaded
    // machine then cannot age the sparks.
    bool Held(const std::string& line)
    {
        scene.injectedFrameTime = kHeldFrameTime;
        const bool ok = shell->Run(line, [&] { Frame(); }, 30000);
        scene.injectedFrameTime = 0.0f;
        return ok;
    }
    // Frames of a fixed length, so the sparks age the same on any machine.
    void Ticks(int n)
    {
        scene.injectedFrameTime = 1.0f / 60;
        Frames(n);
        scene.injectedFrameTime = 0.0f;
    }
    bool CursorAt(float x, float y)
    {
        const Vector2 at = scene.gui->GetCursorPosition();
        return std::fabs(at.x - x) <= 2 && std::fabs(at.y - y) <= 2;
    }
    // The pointer moved there, and the frames have seen it arrive (0.02 to
    // 0.13 s after the line with every core of the machine busy).
    bool Move(float x, float y)
    {
        if (!Held("xdotool mousemove " + At(x, y)))
            return false;
        scene.injectedFrameTime = kHeldFrameTime;
        const DWORD start = GetTickCount();
        const bool there = FramesUntil([&] { return CursorAt(x, y); }, 20000);
        slowestMove = std::max(slowestMove, TestSupport::SecondsSince(start));
        scene.injectedFrameTime = 0.0f;
        Frames(2);
        return there;
    }

    // The bounding box of the pixels unlike the clear colour in a window
    // pixel rectangle (y from the top).
    GUITest::InkBox Ink(int x0, int y0, int x1, int y1)
    {
        const Image& shot = scene.Screenshot();
        GUITest::InkBox box;
        const int c[3] = {int(kClear.r * 255), int(kClear.g * 255), int(kClear.b * 255)};
        for (int y = std::max(0, y0); y < std::min(int(shot.GetHeight()), y1); ++y)
            for (int x = std::max(0, x0); x < std::min(int(shot.GetWidth()), x1); ++x) {
                const uint8_t* p = RenderTest::ScreenPixel(shot, uint32_t(x), uint32_t(y));
                if (std::abs(p[0] - c[0]) + std::abs(p[1] - c[1]) + std::abs(p[2] - c[2]) > 90) {
                    box.left = std::min(box.left, x);
                    box.right = std::max(box.right, x);
                    box.top = std::min(box.top, y);
                    box.bottom = std::max(box.bottom, y);
                }
            }
        return box;
    }

    // Live sprites of a system within radius GUI units of a point.
    int SpritesNear(ParticleSystem* s, float x, float y, float radius)
    {
        int n = 0;
        for (const SpriteRecord* r : s->GetSpriteGroup()->GetDrawList())
            n += std::hypot(r->position.x - x, r->position.y - y) <= radius;
        return n;
    }

    std::string root;
    std::unique_ptr<TestSupport::HostShell> shell;
    GUITest::GUIScene scene;
    std::unique_ptr<SpriteGroupManager> spriteGroups;
    std::unique_ptr<ParticleSystemManager> particles;
    std::unique_ptr<GameTools::DataKeeper> keeper;
    std::unique_ptr<Puzzle::GUIGameCursor> cursor;
    std::function<void()> watch;
    // The longest a move took to reach the GUI cursor after its line.
    double slowestMove = 0;
};

TEST_F(GameCursor, TheArrowFollowsThePointerAndTheSettingHandsOverToTheSystemCursor)
{
    // Three drawn cursors besides the manager's own, all hidden at first.
    ASSERT_EQ(scene.gui->GetCursors().size(), 4u);
    EXPECT_EQ(cursor->GetCursorId(), 0);
    EXPECT_FALSE(cursor->IsVisible());
    EXPECT_FALSE(cursor->Update()) << "hidden: nothing to do";
    GUICursor* arrow = scene.gui->GetCursors()[1];
    ASSERT_NE(arrow->GetModel(), nullptr);
    EXPECT_FALSE(arrow->visible);

    cursor->SetVisible(true);
    EXPECT_TRUE(arrow->visible);
    EXPECT_FALSE(scene.controls->IsCursorVisible()) << "the system cursor stays hidden";
    for (const auto& point : {std::make_pair(300.0f, 400.0f), std::make_pair(610.0f, 150.0f)}) {
        ASSERT_TRUE(Move(point.first, point.second));
        const int px = int(std::lround(scene.PixelX(point.first))), py = int(std::lround(scene.PixelY(point.second)));
        const GUITest::InkBox ink = Ink(px - 30, py - 30, px + 80, py + 80);
        ASSERT_FALSE(ink.Empty());
        EXPECT_NEAR(ink.left, px, 1);
        EXPECT_NEAR(ink.top, py, 1);
        // The arrow's size: a little under three quarters of 40 units.
        EXPECT_NEAR(scene.GUIX(float(ink.right - ink.left + 1)), 40 * 0.72f * 18.6f / 32, 3);
    }

    // An unknown id changes only the current id; the arrow stays.
    cursor->SetCursor(7);
    EXPECT_EQ(cursor->GetCursorId(), 7);
    EXPECT_TRUE(arrow->visible);
    cursor->SetCursor(0);
    EXPECT_TRUE(arrow->visible) << "the arrow again, shown";

    // Off: the arrow goes and the system cursor comes; on again: back.
    std::string name;
    scene.config->ExecuteLine("ui_custom_cursor 0", &name);
    Frames(2);
    EXPECT_FALSE(cursor->AreCustomCursorsInEffect());
    EXPECT_FALSE(arrow->visible);
    EXPECT_TRUE(scene.controls->IsCursorVisible());
    EXPECT_TRUE(cursor->IsVisible());
    const int px = int(std::lround(scene.PixelX(610))), py = int(std::lround(scene.PixelY(150)));
    EXPECT_TRUE(Ink(px - 30, py - 30, px + 80, py + 80).Empty()) << "no arrow drawn";
    // Hidden, a change waits for the cursor to show again.
    cursor->SetVisible(false);
    EXPECT_FALSE(scene.controls->IsCursorVisible());
    scene.config->ExecuteLine("ui_custom_cursor 1", &name);
    Frames(2);
    EXPECT_FALSE(cursor->AreCustomCursorsInEffect());
    cursor->SetVisible(true);
    scene.config->ExecuteLine("ui_custom_cursor 0", &name);
    Frames(1);
    scene.config->ExecuteLine("ui_custom_cursor 1", &name);
    Frames(2);
    EXPECT_TRUE(cursor->AreCustomCursorsInEffect());
    EXPECT_TRUE(arrow->visible);
    EXPECT_FALSE(scene.controls->IsCursorVisible());
    EXPECT_FALSE(Ink(px - 30, py - 30, px + 80, py + 80).Empty());
}

TEST_F(GameCursor, DragsLeaveATrailAndClicksBurstWhereTheyHappen)
{
    // Before the effects the cursor works without particles.
    cursor->SetVisible(true);
    Frames(2);
    EXPECT_EQ(cursor->GetTrail(), nullptr);
    cursor->CreateEffects(keeper.get());
    ParticleSystem* trail = cursor->GetTrail();
    ParticleSystem* click = cursor->GetClick();
    ASSERT_TRUE(trail && click);
    EXPECT_TRUE(trail->looping && trail->emitting);
    EXPECT_FALSE(click->looping);
    EXPECT_FALSE(click->emitting) << "waits for a click";
    EXPECT_EQ(trail->GetSpriteGroup()->GetCamera(), scene.gui->GetCamera());
    EXPECT_TRUE(trail->GetModel()->GetFlags() & ModelFlags::kFixedDepth);
    EXPECT_EQ(trail->GetModel()->viewDepth, -21.0f);
    for (ParticleSystem* s : particles->oneShotSystems)
        EXPECT_NE(s, click);

    // A drag from the left to the right: sparks along the way, none far off.
    ASSERT_TRUE(Move(150, 300));
    Ticks(40);
    int maxLive = 0;
    float lo = 1e9f, hi = -1e9f;
    watch = [&] {
        maxLive = std::max(maxLive, int(trail->liveCount));
        for (const SpriteRecord* r : trail->GetSpriteGroup()->GetDrawList()) {
            EXPECT_LT(std::fabs(r->position.y - (300 - 18)), 50.0f);
            lo = std::min(lo, r->position.x);
            hi = std::max(hi, r->position.x);
        }
    };
    // A step at a time, each one seen by the frames before the next, with a
    // twentieth of a second of sparks between: the path is the same however
    // slowly the host moves the pointer.
    ASSERT_TRUE(Held("xdotool mousedown 1"));
    for (int x = 190; x <= 590; x += 40) {
        ASSERT_TRUE(Move(float(x), 300)) << x;
        Ticks(3);
    }
    ASSERT_TRUE(Held("xdotool mouseup 1"));
    watch = nullptr;
    EXPECT_GT(maxLive, 8);
    EXPECT_LT(lo, 300 + 12);
    EXPECT_GT(hi, 450 + 12);
    // On screen: spark pixels in the band of the path.
    const GUITest::InkBox band = Ink(int(scene.PixelX(250)), int(scene.PixelY(340)), int(scene.PixelX(580)),
                                     int(scene.PixelY(240)));
    EXPECT_FALSE(band.Empty());

    // A click bursts at its point; a second one during the burst starts it
    // again at the new point while the first one's sparks still fly. Watched
    // frame by frame; the clicks come in lines of their own, the second one
    // while the burst's first key still runs (a restart must emit it again),
    // however long the host takes.
    ASSERT_TRUE(Move(200, 450));
    Frames(15);
    int mostNearA = 0, mostNearB = 0, bothAtOnce = 0, restarts = 0;
    float lastTime = 0;
    watch = [&] {
        const int a = SpritesNear(click, 200, 450, 60), b = SpritesNear(click, 520, 200, 60);
        mostNearA = std::max(mostNearA, a);
        mostNearB = std::max(mostNearB, b);
        bothAtOnce += a > 0 && b > 0;
        restarts += click->emitting && click->time < lastTime;
        lastTime = click->emitting ? click->time : 0;
    };
    ASSERT_TRUE(Held("xdotool click 1"));
    scene.injectedFrameTime = kHeldFrameTime;
    ASSERT_TRUE(FramesUntil([&] { return click->emitting; }, 20000)) << "the first click";
    Ticks(2);
    ASSERT_TRUE(Held("xdotool mousemove " + At(520, 200) + " click 1"));
    scene.injectedFrameTime = kHeldFrameTime;
    ASSERT_TRUE(FramesUntil([&] { return restarts > 0; }, 20000)) << "the second click";
    scene.injectedFrameTime = 0.0f;
    Frames(4);
    watch = nullptr;
    EXPECT_GT(mostNearA, 10);
    EXPECT_GT(mostNearB, 10) << "the new burst";
    EXPECT_GT(bothAtOnce, 0) << "the second burst began during the first";
    EXPECT_EQ(restarts, 1);
    // Both bursts end; nothing stays.
    DWORD phase = GetTickCount();
    EXPECT_TRUE(FramesUntil([&] { return click->liveCount == 0 && !click->emitting; }));
    std::printf("[timing] the bursts ended in %.2f s (limit 5)\n", TestSupport::SecondsSince(phase));

    // Effects off (as in play): no trail, no burst, in any frame from the
    // moves to well after the click has been taken (the pointer at its end
    // point, the press and the release seen by the controls).
    cursor->SetEffectsVisible(false);
    EXPECT_FALSE(trail->emitting);
    phase = GetTickCount();
    ASSERT_TRUE(FramesUntil([&] { return trail->liveCount == 0; }));
    std::printf("[timing] the trail ended in %.2f s (limit 5)\n", TestSupport::SecondsSince(phase));
    bool pressed = false;
    uint32_t sparks = 0;
    watch = [&] {
        pressed = pressed || scene.controls->IsPressed("MOUSE1");
        sparks = std::max({sparks, trail->liveCount, click->liveCount});
    };
    ASSERT_TRUE(shell->Run("xdotool mousemove " + At(300, 300) + " && sleep 0.2 && xdotool mousemove " + At(500, 350) +
                               " && xdotool click 1",
                           [&] { Frame(); }, 30000));
    // The click is taken within 0.01 s of the line's end with every core of
    // the machine busy.
    const DWORD taking = GetTickCount();
    ASSERT_TRUE(FramesUntil([&] { return pressed && !scene.controls->IsDown("MOUSE1") && CursorAt(500, 350); }, 10000))
        << "the moves and the click never arrived";
    std::printf("[timing] the click taken %.2f s after its line (limit 10)\n", TestSupport::SecondsSince(taking));
    // A burst would have begun in the click's frame and shown in these.
    Ticks(4);
    watch = nullptr;
    EXPECT_EQ(sparks, 0u);
    EXPECT_EQ(trail->liveCount, 0u);
    EXPECT_EQ(click->liveCount, 0u);
    // Hiding the cursor stops the trail even with the effects on; showing
    // restarts it.
    cursor->SetEffectsVisible(true);
    cursor->SetVisible(false);
    EXPECT_FALSE(trail->emitting);
    cursor->SetVisible(true);
    EXPECT_TRUE(trail->emitting);
    std::printf("[timing] the slowest move reached the cursor %.2f s after its line (limit 20)\n", slowestMove);
}

} // namespace
