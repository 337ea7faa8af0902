// The animated menu background on a real device, over the shipped
// background content (its description, pictures, models and particle file
// as the generator writes them): layers, fades seen in screenshots, the
// additional set, the animator and the particle layer, and bad descriptions.
#include "gui/GUITestSupport.h"

#include <cmath>
#include <functional>

#include "engine/foundation/FileManager.h"
#include "engine/render/AnimationControl.h"
#include "engine/render/DataKeeper.h"
#include "engine/render/Model.h"
#include "engine/render/ParticleSystem.h"
#include "engine/render/SpriteGroup.h"
#include "gui/GUIBackgroundLayer.h"
#include "puzzle/app/GUIBackground.h"
#include "support/TestSupport.h"
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"
#include "tools/content/UiArt.h"

using namespace KorvaneEngine;
using GUITools::GUIBackgroundLayer;

namespace {

const float kDt = 0.05f;

class Background : public ::testing::Test {
protected:
    void SetUp() override
    {
        scene.StartGUI("background", false);
        scene.injectedFrameTime = kDt;
        spriteGroups.reset(new SpriteGroupManager);
        SpriteGroupManager::Instance(spriteGroups.get());
        particles.reset(new ParticleSystemManager);
        ParticleSystemManager::Instance(particles.get());
        root = TestSupport::MakeTempDir("background");
        Content::Options options;
        Content::AddResourceLists(set, options);
        Content::AddBackground(set, options);
    }
    void TearDown() override
    {
        background.reset();
        keeper.reset();
        particles.reset();
        spriteGroups.reset();
        scene.StopGUI();
        TestSupport::RemoveTree(root);
    }

    // Writes the set loose, serves it, loads the basic list at once and
    // queues the additional one, then makes the background.
    void Open(const std::function<void()>& change = nullptr)
    {
        if (change)
            change();
        std::string error;
        ASSERT_TRUE(set.Write(root, true, &error)) << error;
        scene.files.reset(new FileManager(root, true, "data", 16u << 20));
        keeper.reset(new GameTools::DataKeeper("en"));
        keeper->LoadResourceFile("data\\ui\\background\\resources_basic.xml", true);
        keeper->LoadResourceFile("data\\ui\\background\\resources_additional.xml", false);
        scene.log->ClearHistory();
        background.reset(new Puzzle::GUIBackground(keeper.get()));
    }

    // The engine's frame order for these services.
    void Frame()
    {
        scene.InputStep();
        background->Update();
        particles->Update();
        spriteGroups->Update();
        scene.DrawStep();
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i)
            Frame();
    }

    const uint8_t* Pixel(float x, float y)
    {
        return RenderTest::ScreenPixel(scene.Screenshot(), uint32_t(scene.PixelX(x)), uint32_t(scene.PixelY(y)));
    }
    // A pixel between two colours, at t of the way from a to b.
    ::testing::AssertionResult Between(float x, float y, const uint8_t a[3], const uint8_t b[3], float t, int tol)
    {
        const uint8_t* p = Pixel(x, y);
        for (int i = 0; i < 3; ++i) {
            const float want = a[i] + t * (b[i] - a[i]);
            if (std::fabs(p[i] - want) > tol)
                return ::testing::AssertionFailure() << "channel " << i << " is " << int(p[i]) << ", expected " << want;
        }
        return ::testing::AssertionSuccess();
    }

    GUIBackgroundLayer* Layer(const std::string& name) const
    {
        for (GUIBackgroundLayer* l : background->GetLayers())
            if (l->GetName() == name)
                return l;
        return nullptr;
    }

    int ErrorsWith(const std::string& part) const
    {
        int n = 0;
        for (int i = 0; i < scene.log->GetHistorySize(); ++i)
            n += scene.log->GetHistoryRecord(i)->level == 3 &&
                 scene.log->GetHistoryRecord(i)->text.find(part) != std::string::npos;
        return n;
    }

    GUITest::GUIScene scene;
    std::unique_ptr<SpriteGroupManager> spriteGroups;
    std::unique_ptr<ParticleSystemManager> particles;
    std::string root;
    Content::ContentSet set;
    std::unique_ptr<GameTools::DataKeeper> keeper;
    std::unique_ptr<Puzzle::GUIBackground> background;
};

TEST_F(Background, ShippedLayersFadeOutAndInAndTheAdditionalOneJoinsLater)
{
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_TRUE(background->HasDescription());
    EXPECT_EQ(background->GetResourcesPrefix(), "background/");
    // The basic set only: sky, clouds, motes; the windows' container lies
    // above all four nodes' places, 20 levels more for the game.
    ASSERT_EQ(background->GetLayers().size(), 3u);
    EXPECT_EQ(background->GetTopContainer()->GetHeightLevel(), 4 + 3 + 20);
    EXPECT_TRUE(background->GetTopContainer()->IsVisible());
    EXPECT_LT(background->GetTopContainer()->GetDepth(), background->GetLayers().back()->GetWidget()->GetDepth());
    EXPECT_EQ(scene.CountErrors(), 0);
    EXPECT_FALSE(background->IsVisible());

    // The sky keeps its model's own speed; the clouds' colour is half
    // transparent; the motes are on the GUI's camera at their widget's depth.
    GUIBackgroundLayer* sky = Layer("background/sky");
    GUIBackgroundLayer* clouds = Layer("background/clouds");
    GUIBackgroundLayer* motes = Layer("background/motes");
    ASSERT_TRUE(sky && clouds && motes);
    ASSERT_NE(sky->GetWidget()->GetModel(), nullptr);
    EXPECT_FLOAT_EQ(sky->GetWidget()->GetModel()->GetAnimation()->speed, Content::kSkySpeed);
    EXPECT_GE(sky->GetWidget()->GetModel()->GetAnimation()->frameCount, 2u);
    EXPECT_FLOAT_EQ(clouds->GetColor().a, Content::kCloudAlpha);
    ASSERT_NE(clouds->GetAnimator(), nullptr);
    ASSERT_NE(motes->GetParticles(), nullptr);
    EXPECT_EQ(motes->GetParticles()->GetSpriteGroup()->GetCamera(), scene.gui->GetCamera());
    EXPECT_FLOAT_EQ(motes->GetParticles()->GetModel()->viewDepth, motes->GetWidget()->GetDepth());
    EXPECT_NE(motes->GetWidget()->GetDepth(), motes->GetWidget()->GetParent()->GetDepth() - 0.01f)
        << "the depth of the layer's own height, not of the first level";

    Frames(2);
    uint8_t clear[3];
    std::memcpy(clear, Pixel(400, 597), 3);
    background->SetVisible(true, false, 1.0f);
    Frames(2);
    uint8_t full[3];
    std::memcpy(full, Pixel(400, 597), 3);
    EXPECT_TRUE(Between(400, 597, Content::kSkyTop, Content::kSkyTop, 0, 14)) << "the sky's top colour";

    // Out at speed 1: halfway after 0.5 s, every layer hidden by 1.2 s.
    background->SetVisible(false, true, 1.0f);
    Frames(10);
    EXPECT_TRUE(Between(400, 597, full, clear, 0.5f, 6));
    Frames(14);
    EXPECT_FALSE(background->IsVisible());
    for (GUIBackgroundLayer* l : background->GetLayers())
        EXPECT_FALSE(l->GetWidget()->IsVisible()) << l->GetName();
    EXPECT_FALSE(motes->GetParticles()->IsVisible());
    EXPECT_TRUE(Between(400, 597, clear, clear, 0, 3));
    EXPECT_TRUE(background->GetTopContainer()->IsVisible()) << "the windows stay";

    // Back in: the half-transparent layer never passes half its alpha.
    background->SetVisible(true, true, 1.0f);
    float cloudMax = 0;
    for (int i = 0; i < 10; ++i) {
        Frame();
        cloudMax = std::max(cloudMax, clouds->GetWidget()->GetAlpha());
    }
    EXPECT_TRUE(Between(400, 597, clear, full, 0.5f, 6));
    for (int i = 0; i < 14; ++i) {
        Frame();
        cloudMax = std::max(cloudMax, clouds->GetWidget()->GetAlpha());
    }
    EXPECT_FALSE(background->IsFading());
    EXPECT_NEAR(cloudMax, 0.5f, 0.01f);
    EXPECT_NEAR(sky->GetWidget()->GetAlpha(), 1.0f, 0.01f);
    EXPECT_TRUE(Between(400, 597, full, full, 0, 4));

    // The animator moves the clouds along x only, within its frames' reach.
    float lo = 1e9f, hi = -1e9f;
    for (int i = 0; i < 40; ++i) {
        Frame();
        const Vector2 p = clouds->GetWidget()->GetPosition();
        EXPECT_EQ(p.y, 0.0f);
        lo = std::min(lo, p.x);
        hi = std::max(hi, p.x);
    }
    EXPECT_GE(lo, -40.01f);
    EXPECT_LE(hi, 40.01f);
    EXPECT_GT(hi - lo, 0.5f) << "it moves";
    // The motes rise inside the screen.
    ParticleSystem* ps = motes->GetParticles();
    EXPECT_GT(ps->liveCount, 5u);
    for (const SpriteRecord* s : ps->GetSpriteGroup()->GetDrawList()) {
        EXPECT_GE(s->position.x, -60.0f);
        EXPECT_LE(s->position.x, 860.0f);
        EXPECT_GE(s->position.y, 40.0f);
    }

    // The additional set, once its resources are in, fades in at speed 1.
    const uint8_t corner[3] = {Pixel(4, 4)[0], Pixel(4, 4)[1], Pixel(4, 4)[2]};
    keeper->LoadAll();
    background->LoadAdditionalLayers();
    ASSERT_EQ(background->GetLayers().size(), 4u);
    GUIBackgroundLayer* vignette = Layer("background/vignette");
    ASSERT_NE(vignette, nullptr);
    EXPECT_TRUE(vignette->IsFading());
    Frames(10);
    EXPECT_NEAR(vignette->GetFadeAlpha(), 0.5f, 0.06f);
    Frames(12);
    EXPECT_FALSE(vignette->IsFading());
    EXPECT_NEAR(vignette->GetWidget()->GetAlpha(), 1.0f, 0.01f);
    EXPECT_LT(Pixel(4, 4)[2] + 0, corner[2] - 10) << "the corners darken";
    EXPECT_EQ(scene.CountErrors(), 0);
}

TEST_F(Background, BadDescriptionsAndResourcesAreLoggedAndLeaveTheWindowsTheirContainer)
{
    // No description at all.
    ASSERT_NO_FATAL_FAILURE(Open());
    background.reset();
    scene.log->ClearHistory();
    DeleteFileA((root + "\\data\\ui\\background\\background.xml").c_str());
    background.reset(new Puzzle::GUIBackground(keeper.get()));
    EXPECT_EQ(ErrorsWith("background.xml"), 1);
    EXPECT_FALSE(background->HasDescription());
    EXPECT_TRUE(background->GetLayers().empty());
    // No layer places, but the windows' margin and the game's levels above it.
    GUIWindow* top = background->GetTopContainer();
    EXPECT_EQ(top->GetHeightLevel(), 0 + 3 + 20);
    EXPECT_NEAR(top->GetDepth(), background->GetRootWidget()->GetDepth() - 0.23f, 1e-4);
    {
        GUITools::GUIBackgroundBase bare(keeper.get(), nullptr, "data\\ui\\background\\none.xml");
        EXPECT_EQ(bare.GetTopContainer()->GetHeightLevel(), 3);
    }
    background->LoadAdditionalLayers();
    background->SetVisible(true, true, 1.0f);
    Frames(3);
    EXPECT_TRUE(background->GetTopContainer()->IsVisible());

    // Malformed.
    background.reset();
    scene.log->ClearHistory();
    ASSERT_TRUE(TestSupport::WriteFileText(root + "\\data\\ui\\background\\background.xml", "<background><model name="));
    background.reset(new Puzzle::GUIBackground(keeper.get()));
    EXPECT_EQ(ErrorsWith("background.xml"), 1);
    EXPECT_TRUE(background->GetLayers().empty());
    EXPECT_EQ(background->GetTopContainer()->GetHeightLevel(), 3 + 20);

    // Unknown resources, a node without a name, an unknown kind, three
    // colour numbers (alpha 0), an explicit speed, only additional layers.
    background.reset();
    scene.log->ClearHistory();
    ASSERT_TRUE(TestSupport::WriteFileText(root + "\\data\\ui\\background\\background.xml",
        "<background resources_prefix=\"background\">"
        "<model name=\"nope\"/>"
        "<particles name=\"no_motes\" shader=\"no_shader\"/>"
        "<model shader=\"clouds_shader\"/>"
        "<picture name=\"sky\"/>"
        "<model name=\"sky\" color=\"1 0 0\" animation_speed=\"2\" animator_model=\"no_path\"/>"
        "<model name=\"clouds\" additional=\"1\"/>"
        "</background>"));
    background.reset(new Puzzle::GUIBackground(keeper.get()));
    EXPECT_EQ(background->GetLayers().size(), 3u);
    EXPECT_EQ(ErrorsWith("\"background/nope\""), 1);
    EXPECT_EQ(ErrorsWith("\"background/no_motes\""), 1);
    EXPECT_EQ(ErrorsWith("\"background/no_shader\""), 1);
    EXPECT_EQ(ErrorsWith("\"background/no_path\""), 1);
    GUIBackgroundLayer* sky = Layer("background/sky");
    ASSERT_NE(sky, nullptr);
    EXPECT_EQ(sky->GetColor().a, 0.0f);
    EXPECT_FLOAT_EQ(sky->GetWidget()->GetModel()->GetAnimation()->speed, 2.0f);
    background->SetVisible(true, false, 1.0f);
    Frames(5);
    // Only additional layers: none now, the windows' container still there.
    background.reset();
    ASSERT_TRUE(TestSupport::WriteFileText(root + "\\data\\ui\\background\\background.xml",
        "<background><model name=\"background/sky\" additional=\"1\"/></background>"));
    background.reset(new Puzzle::GUIBackground(keeper.get()));
    EXPECT_TRUE(background->GetLayers().empty());
    EXPECT_TRUE(background->GetTopContainer()->IsVisible());
    background->LoadAdditionalLayers();
    EXPECT_EQ(background->GetLayers().size(), 1u);
}

} // namespace
