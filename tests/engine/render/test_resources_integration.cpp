#include <gtest/gtest.h>

#include <memory>

#include "PictureWriters.h"
#include "ResourceTestSupport.h"
#include "engine/foundation/StringUtils.h"
#include "engine/render/AnimationControl.h"
#include "engine/render/DataKeeper.h"
#include "engine/render/TexturePack.h"
#include "engine/render/TextureManager.h"
#include "tools/formats/ParticleFileWriter.h"
#include "tools/formats/TexturePackWriter.h"

using namespace KorvaneEngine;
using namespace ResourceTest;
using GameTools::DataKeeper;
using RenderTest::PixelNear;

namespace {

// The game's data keeper in miniature: one step of its own after step 100.
class GameLikeData : public DataKeeper {
public:
    explicit GameLikeData(const std::string& language) : DataKeeper(language) {}
    bool LoadStep(int32_t s) override
    {
        DataKeeper::LoadStep(s);
        if (s == -1 || step == 101) {
            ++ownSteps;
            return true;
        }
        return false;
    }
    int ownSteps = 0;
};

PictureWriters::Picture Solid(uint8_t r, uint8_t g, uint8_t b)
{
    PictureWriters::Picture p;
    p.width = p.height = 8;
    p.channels = 3;
    p.data.resize(8 * 8 * 3);
    for (size_t i = 0; i < p.data.size(); i += 3) {
        p.data[i] = r;
        p.data[i + 1] = g;
        p.data[i + 2] = b;
    }
    return p;
}

const uint32_t kDrawn = ModelFlags::kStatic | ModelFlags::kTriangleList | ModelFlags::kVisible |
    ModelFlags::kOpaque | ModelFlags::kDepthTest;

class ResourcesIntegration : public ::testing::Test {
protected:
    void SetUp() override
    {
        scene.StartResources("resources_integration");
        const std::string base = scene.root + "\\data\\" + scene.folder;
        for (const char* sub : {"\\ui", "\\ui\\models", "\\ui\\fx", "\\ui\\packs"})
            CreateDirectoryA((base + sub).c_str(), nullptr);
    }
    void TearDown() override { scene.StopResources(); }

    void WriteContent()
    {
        scene.PutFile("ui\\models\\square.kml", ContentTools::WriteModelFile(SceneTest::Square(kDrawn)));
        scene.PutFile("ui\\models\\square.srf", ContentTools::WriteShaderFile(SceneTest::TexturedShader("red.bmp")));
        scene.PutFile("ui\\models\\red.bmp", PictureWriters::EncodeBmp(Solid(255, 0, 0)));
        for (int i = 0; i < 3; ++i) {
            const std::string n = "tile_0" + std::to_string(i);
            scene.PutFile("ui\\models\\" + n + ".kml", ContentTools::WriteModelFile(SceneTest::Square(kDrawn)));
            scene.PutFile("ui\\models\\" + n + ".srf", ContentTools::WriteShaderFile(SceneTest::TexturedShader("red.bmp")));
        }
        scene.PutFile("ui\\blue.bmp", PictureWriters::EncodeBmp(Solid(0, 0, 255)));
        scene.PutFile("ui\\packs\\green.bmp", PictureWriters::EncodeBmp(Solid(0, 255, 0)));

        ContentTools::ParticleFile spark;
        spark.maxParticles = 150;
        spark.gravityEnabled = 0;
        spark.floorEnabled = 0;
        for (int k = 0; k < 6; ++k) {
            spark.emissionRate[k] = 300;
            spark.lifeCentre[k] = 2;
            spark.size[k] = 0.2f;
            spark.speedCentre[k] = 0.02f;
            spark.colour[k][0] = 1;
            spark.colour[k][1] = 1;
            spark.colour[k][2] = 0;
        }
        scene.PutFile("ui\\fx\\spark.psf", ContentTools::WriteParticleFile(spark));

        ContentTools::TexturePackFile pack;
        ContentTools::TexturePackTexture t;
        t.name = "icon";
        t.frames.resize(2);
        pack.textures.push_back(t);
        scene.PutFile("ui\\packs\\icons.tpf", ContentTools::WriteTexturePackFile(pack));
        scene.PutFile("ui\\packs\\icons.srf", ContentTools::WriteShaderFile(SceneTest::TexturedShader("green.bmp")));

        const std::string xml =
            "<?xml version=\"1.0\"?>\r\n"
            "<resources>\r\n"
            "  <!-- basic resources of the game -->\r\n"
            "  <gui>\r\n"
            "    <model name=\"button\" file_name=\"models\\square.kml\"/>\r\n"
            "    <shader name=\"back\" diffuse_file_name=\"blue.bmp\" clamp=\"1\"/>\r\n"
            "    <texture_pack name=\"icons\" file_name=\"packs\\icons.tpf\"/>\r\n"
            "    <shader name=\"title\" language=\"de\" diffuse_file_name=\"packs\\\\green.bmp\"/>\r\n"
            "  </gui>\r\n"
            "  <particles name=\"spark\" file_name=\"fx\\spark.psf\"/>\r\n"
            "  <loop counter=\"i\" count=\"3\">\r\n"
            "    <model name=\"tile_%i2%\" file_name=\"models\\tile_%i2%.kml\" animation_speed=\"4\"/>\r\n"
            "  </loop>\r\n"
            "</resources>\r\n";
        scene.PutFile("ui\\resources_basic.xml", std::vector<uint8_t>(xml.begin(), xml.end()));
    }

    ResourceScene scene;
};

} // namespace

TEST_F(ResourcesIntegration, StepByStepLoadResolvesEveryNameAndDraws)
{
    WriteContent();
    GameLikeData data("en");
    data.LoadResourceFile("data\\" + scene.Path("ui\\resources_basic.xml"), false);
    ASSERT_EQ(data.GetPendingQueue().size(), 7u);
    EXPECT_EQ(scene.CountErrors(), 0) << ::testing::PrintToString(scene.History());

    // One step a frame, as the start-up loading window does.
    uint32_t calls = 0, last = 0;
    while (data.step < data.extraSteps + 101 && calls < 10000) {
        data.LoadNextStep();
        ++calls;
        ASSERT_LE(data.step - last, 1u);
        last = data.step;
        EXPECT_FLOAT_EQ(data.progress, static_cast<float>(data.step) / 102.0f);
        if (data.step == 1) {
            // After the pre-pass every texture has a hidden step ahead of its resource.
            EXPECT_EQ(data.GetPendingQueue().size(), 7u + 6u);
        }
    }
    EXPECT_EQ(data.step, 102u);
    EXPECT_FLOAT_EQ(data.progress, 1.0f);
    EXPECT_EQ(data.ownSteps, 1);
    // Small content loads within each step's time slice: one call a step.
    EXPECT_EQ(calls, 102u);
    EXPECT_EQ(data.GetLoadedCount(), 13u);
    EXPECT_EQ(data.GetKeptShaderUserCount(), 6u);
    EXPECT_EQ(scene.CountErrors(), 0) << ::testing::PrintToString(scene.History());

    // Every name resolves to what its file holds, not to a default.
    Model* button = data.GetModel("gui/button");
    EXPECT_NE(button, data.GetDefaultModel());
    EXPECT_EQ(button->name, scene.Path("ui\\models\\square.kml"));
    EXPECT_EQ(button->GetShaderUser()->GetStageCount(), 1u);
    for (int i = 0; i < 3; ++i) {
        Model* tile = data.GetModel("tile_0" + std::to_string(i));
        EXPECT_EQ(tile->name, scene.Path("ui\\models\\tile_0" + std::to_string(i) + ".kml"));
        EXPECT_FLOAT_EQ(tile->GetAnimation()->speed, 4.0f);
    }
    ShaderUser* back = data.GetShaderUser("gui/back");
    EXPECT_NE(back, data.GetDefaultShaderUser());
    EXPECT_EQ(back->GetStage(0).diffuse, ToLowerCopy(scene.folder) + "\\ui\\blue.bmp");
    ParticleSystem* spark = data.GetParticleSystem("spark");
    EXPECT_EQ(spark->name, scene.Path("ui\\fx\\spark.psf"));
    EXPECT_EQ(spark->maxParticles, 150u);
    ASSERT_EQ(data.GetTexturePacks().count("gui/icons"), 1u);
    GameTools::TexturePack* icons = data.GetTexturePacks().at("gui/icons");
    EXPECT_EQ(icons->GetTextures().at("icon").size(), 2u);
    EXPECT_EQ(icons->GetShaderUser()->GetStageCount(), 1u);
    EXPECT_EQ(data.GetShaderUsers().size(), 1u);  // the German title was skipped
    EXPECT_EQ(data.GetModels().size(), 4u);
    // Red, blue, green: each texture loaded once, shared by its hidden step.
    EXPECT_EQ(scene.shaders->GetTextureManager()->GetTextureCount(), 3u);
    EXPECT_EQ(scene.CountErrors(), 0) << ::testing::PrintToString(scene.History());

    // A missing name: the default, with one logged error.
    EXPECT_EQ(data.GetModel("gui/nothing"), data.GetDefaultModel());
    EXPECT_EQ(data.GetParticleSystem("nothing"), data.GetDefaultParticleSystem());
    EXPECT_EQ(scene.CountErrors(), 2);
    EXPECT_NE(scene.History().back().find("(DataKeeper::GetParticleSystem): There is no \"nothing\" resource"),
        std::string::npos);

    // Drawn: a clone of the loaded model and a copy of the particle template.
    Model* shown = scene.models->CloneModel(button, nullptr, 0);
    Matrix4::SetTranslation(shown->localMatrix, Vector3(-3, 0, -10));
    shown->box.SetTransform(shown->localMatrix);
    ParticleSystem* effect = scene.particleSystems->CreateParticleSystem(*spark);
    effect->position = Vector3(3, 0, -10);
    effect->looping = true;
    scene.timers->AdvanceFrame(0.05f);
    scene.ResourceFrame();
    Camera* camera = scene.cameras->GetDefaultCamera();
    const Vector2 square = SceneTest::WorldToPixel(*camera, scene.cameras->viewport, Vector3(-3, 0, -10));
    const Vector2 fire = SceneTest::WorldToPixel(*camera, scene.cameras->viewport, Vector3(3, 0, -10));
    EXPECT_TRUE(PixelNear(scene.Screenshot(), uint32_t(square.x), uint32_t(square.y), 255, 0, 0, 8));
    EXPECT_TRUE(PixelNear(scene.Screenshot(), uint32_t(fire.x), uint32_t(fire.y), 0, 0, 0, 0));
    effect->emitting = true;
    for (int i = 0; i < 4; ++i) {
        scene.timers->AdvanceFrame(0.05f);
        scene.ResourceFrame();
    }
    EXPECT_GT(effect->liveCount, 20u);
    const uint8_t* p = RenderTest::ScreenPixel(scene.Screenshot(), uint32_t(fire.x), uint32_t(fire.y));
    EXPECT_GT(p[0], 128);
    EXPECT_GT(p[1], 128);
    EXPECT_TRUE(PixelNear(scene.Screenshot(), uint32_t(square.x), uint32_t(square.y), 255, 0, 0, 8));
    scene.particleSystems->DeleteParticleSystem(effect);
    scene.models->DeleteModel(shown);
}

TEST_F(ResourcesIntegration, LevelStyleLoadAllAndTheOtherLanguage)
{
    WriteContent();
    GameLikeData data("de");
    data.LoadResourceFile("data\\" + scene.Path("ui\\resources_basic.xml"), false);
    EXPECT_EQ(data.GetPendingQueue().size(), 8u);
    data.LoadAll();
    EXPECT_EQ(data.step, 101u);
    EXPECT_FLOAT_EQ(data.progress, 1.0f);
    EXPECT_EQ(data.ownSteps, 1);
    EXPECT_EQ(data.GetShaderUsers().size(), 2u);
    EXPECT_NE(data.GetShaderUser("gui/title"), data.GetDefaultShaderUser());
    EXPECT_EQ(data.GetModels().size(), 4u);
    EXPECT_EQ(data.GetKeptShaderUserCount(), 0u);  // no pre-pass without steps
    EXPECT_EQ(scene.CountErrors(), 0) << ::testing::PrintToString(scene.History());
}
