#include <gtest/gtest.h>

#include <memory>

#include "PictureWriters.h"
#include "ResourceTestSupport.h"
#include "engine/render/AnimationControl.h"
#include "engine/foundation/StringUtils.h"
#include "engine/render/DataKeeper.h"
#include "engine/render/TextureManager.h"

using namespace KorvaneEngine;
using namespace ResourceTest;
using GameTools::DataKeeper;

namespace {

typedef std::vector<DataKeeper::LoopVariable> Variables;

DataKeeper::LoopVariable Var(const std::string& name, int32_t value)
{
    DataKeeper::LoopVariable v;
    v.name = name;
    v.value = value;
    return v;
}

// A game-data-like keeper: own steps after step 100, all of them for -1.
class StepKeeper : public DataKeeper {
public:
    StepKeeper(const std::string& language, uint32_t ownSteps) : DataKeeper(language) { extraSteps = ownSteps; }
    bool LoadStep(int32_t s) override
    {
        const bool base = DataKeeper::LoadStep(s);
        EXPECT_FALSE(base);
        calls.push_back(s);
        if (s == -1) {
            done += extraSteps;
            return true;
        }
        if (step >= 101 && step - 101 < extraSteps) {
            ++done;
            return true;
        }
        return false;
    }
    std::vector<int32_t> calls;
    uint32_t done = 0;
};

class DataKeeperTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scene.StartResources("data_keeper");
        CreateDirectoryA((scene.root + "\\data\\" + scene.folder + "\\ui").c_str(), nullptr);
        baseUsers = scene.shaders->GetUserCount();
    }
    void TearDown() override { scene.StopResources(); }

    // Writes a resources file under the test's folder and returns its path.
    std::string Resources(const std::string& body, const std::string& name = "ui\\res.xml")
    {
        const std::string text = "<?xml version=\"1.0\"?>\r\n<resources>\r\n" + body + "\r\n</resources>\r\n";
        scene.PutFile(name, std::vector<uint8_t>(text.begin(), text.end()));
        return "data\\" + scene.Path(name);
    }
    std::vector<std::string> QueuedNames(const DataKeeper& k)
    {
        std::vector<std::string> out;
        for (const DataKeeper::PendingResource* r : k.GetPendingQueue())
            out.push_back(r->name);
        return out;
    }
    int ErrorsWith(const std::string& text) const
    {
        int n = 0;
        for (int i = 0; i < scene.log->GetHistorySize(); ++i)
            n += scene.log->GetHistoryRecord(i)->level == 3 &&
                scene.log->GetHistoryRecord(i)->text.find(text) != std::string::npos;
        return n;
    }

    ResourceScene scene;
    uint32_t baseUsers = 0;
};

} // namespace

TEST(DataKeeperNames, LoopVariablesExpand)
{
    EXPECT_EQ(DataKeeper::ExpandName("tile_%i%", {}), "tile_%i%");
    EXPECT_EQ(DataKeeper::ExpandName("tile_%i%", {Var("i", 7)}), "tile_7");
    EXPECT_EQ(DataKeeper::ExpandName("frame_%k3%", {Var("k", 12)}), "frame_012");
    EXPECT_EQ(DataKeeper::ExpandName("frame_%k1%", {Var("k", 12)}), "frame_12");
    // Every occurrence of the token; both variables in one name, outer first.
    EXPECT_EQ(DataKeeper::ExpandName("%a%_%b2%_%a%", {Var("a", 3), Var("b", 4)}), "3_04_3");
    // No closing percent sign: unchanged.
    EXPECT_EQ(DataKeeper::ExpandName("tile_%i", {Var("i", 7)}), "tile_%i");
    EXPECT_EQ(DataKeeper::ExpandName("plain", {Var("i", 7)}), "plain");
    // A width is capped instead of filling memory with zeros.
    const std::string wide = DataKeeper::ExpandName("%i4000000000%", {Var("i", 5)});
    EXPECT_EQ(wide.size(), DataKeeper::kMaxNameDigits);
    EXPECT_EQ(wide.back(), '5');
    EXPECT_EQ(DataKeeper::ExpandName("x%i%", {Var("i", -3)}), "x-3");
}

TEST_F(DataKeeperTest, ResourcesFileQueuesNamesAndFiles)
{
    DataKeeper keeper("en");
    keeper.LoadResourceFile(Resources(
        "<loop counter=\"i\" count=\"3\"><model name=\"m%i%\" file_name=\"m%i%.mlf\"/></loop>\r\n"
        "<loop counter=\"k\" start=\"1\" count=\"4\"><particles name=\"p%k%\" file_name=\"fx\\p%k%.psf\"/></loop>\r\n"
        "<loop><model name=\"never\"/></loop>\r\n"
        "<loop count=\"-5\"><model name=\"negative\"/></loop>\r\n"
        "<gui><model name=\"arrow\" file_name=\"arrow.mlf\" color_verticies=\"1\" animation_speed=\"2.5\"/>\r\n"
        "  <resources><texture_pack name=\"pack\" file_name=\"icons.tpf\" temporary_textures=\"1\"/></resources>\r\n"
        "  <inner><model name=\"deep\" file_name=\"..\\deep.mlf\" color_verticies=\"true\"/></inner></gui>\r\n"
        "<loop counter=\"a\" count=\"2\"><loop counter=\"b\" count=\"2\">"
        "<model name=\"n%a%_%b2%\" file_name=\"n.mlf\"/></loop></loop>\r\n"
        "<model name=\"nofile\"/><sound name=\"ignored\" file_name=\"x.wav\"/>\r\n"
        "<model name=\"\" file_name=\"empty_name_is_a_group\"/>\r\n"),
        false);
    const std::vector<std::string> expected = {"m0", "m1", "m2", "p1", "p2", "p3", "gui/arrow", "gui/pack",
        "gui/inner/deep", "n0_00", "n0_01", "n1_00", "n1_01", "nofile"};
    EXPECT_EQ(QueuedNames(keeper), expected);
    const std::vector<DataKeeper::PendingResource*>& q = keeper.GetPendingQueue();
    ASSERT_EQ(q.size(), expected.size());
    const std::string dir = scene.folder + "\\ui\\";
    EXPECT_EQ(q[0]->fileName, dir + "m0.mlf");
    EXPECT_EQ(q[2]->fileName, dir + "m2.mlf");
    EXPECT_EQ(q[0]->kind, DataKeeper::kModel);
    EXPECT_FALSE(q[0]->colorVertices);
    EXPECT_FALSE(q[0]->hasAnimationSpeed);
    EXPECT_EQ(q[3]->kind, DataKeeper::kParticleSystem);
    EXPECT_EQ(q[3]->fileName, dir + "fx\\p1.psf");
    EXPECT_TRUE(q[6]->colorVertices);
    EXPECT_TRUE(q[6]->hasAnimationSpeed);
    EXPECT_FLOAT_EQ(q[6]->animationSpeed, 2.5f);
    EXPECT_EQ(q[7]->kind, DataKeeper::kTexturePack);
    EXPECT_TRUE(q[7]->temporaryTextures);
    EXPECT_FALSE(q[6]->temporaryTextures);
    EXPECT_EQ(q[8]->fileName, scene.folder + "\\deep.mlf");
    // Booleans are numbers: "true" reads as false.
    EXPECT_FALSE(q[8]->colorVertices);
    EXPECT_EQ(q[13]->fileName, dir + "unknown_file_name");
    for (const DataKeeper::PendingResource* r : q)
        EXPECT_FALSE(r->unnamed);
    EXPECT_EQ(keeper.GetLoadedCount(), 0u);
    EXPECT_TRUE(keeper.GetModels().empty());
}

TEST_F(DataKeeperTest, LanguageAndShaderAttributes)
{
    PictureWriters::Picture p = PictureWriters::Pattern(8, 8, 3);
    scene.PutFile("ui\\wood.bmp", PictureWriters::EncodeBmp(p));
    const std::string path = Resources(
        "<shader name=\"flag\" language=\"de\" diffuse_file_name=\"wood.bmp\"/>\r\n"
        "<shader name=\"wood\" diffuse_file_name=\"wood.bmp\" opacity_file_name=\"32bit\" clamp=\"0\"/>\r\n"
        "<shader name=\"grid\" diffuse_file_name=\"grid_%i%.bmp\" opacity_file_name=\"grid_a.bmp\""
        " animation_type=\"net\" net_size=\"4 2\" frame_count=\"8\" animation_speed=\"12\"/>\r\n"
        "<shader name=\"seq\" diffuse_file_name=\"wood.bmp\" animation_type=\"diffuse_and_opacity\"/>\r\n"
        "<shader name=\"odd\" diffuse_file_name=\"wood.bmp\" animation_type=\"other\"/>\r\n");
    DataKeeper en("en");
    en.LoadResourceFile(path, false);
    EXPECT_EQ(QueuedNames(en), (std::vector<std::string>{"wood", "grid", "seq", "odd"}));
    DataKeeper de("de");
    de.LoadResourceFile(path, false);
    ASSERT_EQ(de.GetPendingQueue().size(), 5u);
    EXPECT_EQ(de.GetPendingQueue()[0]->name, "flag");

    const ShaderDescriptor& wood = *en.GetPendingQueue()[0]->descriptor;
    EXPECT_EQ(wood.GetFlags() & 1u, 1u);
    EXPECT_EQ(wood.GetSourceBlend(), 4u);
    ASSERT_EQ(wood.GetStageCount(), 1u);
    EXPECT_EQ(wood.GetStage(0).diffuse, ToLowerCopy(scene.folder) + "\\ui\\wood.bmp");
    EXPECT_EQ(wood.GetStage(0).opacity, "");
    EXPECT_EQ(wood.GetStage(0).addressU, 1u);
    EXPECT_EQ(wood.GetStage(0).flags & 1u, 1u);  // mip maps
    const ShaderDescriptor& grid = *en.GetPendingQueue()[1]->descriptor;
    EXPECT_EQ(grid.GetStage(0).type, 1u);
    EXPECT_EQ(grid.GetStage(0).columns, 4u);
    EXPECT_EQ(grid.GetStage(0).rows, 2u);
    EXPECT_EQ(grid.GetStage(0).frameCount, 8u);
    EXPECT_FLOAT_EQ(grid.GetStage(0).speed, 12.0f);
    EXPECT_EQ(grid.GetStage(0).addressU, 0u);
    EXPECT_EQ(grid.GetStage(0).opacity, ToLowerCopy(scene.folder) + "\\ui\\grid_a.bmp");
    // Outside a loop a variable is left as written.
    EXPECT_EQ(grid.GetStage(0).diffuse, ToLowerCopy(scene.folder) + "\\ui\\grid_%i%.bmp");
    EXPECT_EQ(en.GetPendingQueue()[2]->descriptor->GetStage(0).type, 4u);
    EXPECT_EQ(en.GetPendingQueue()[3]->descriptor->GetStage(0).type, 0u);

    // Loaded at once: the shader user is there straight away.
    DataKeeper now("en");
    now.LoadResourceFile(path, true);
    EXPECT_TRUE(now.GetPendingQueue().empty());
    ASSERT_EQ(now.GetShaderUsers().size(), 4u);
    EXPECT_EQ(now.GetShaderUser("wood")->GetStage(0).diffuse, wood.GetStage(0).diffuse);
}

TEST_F(DataKeeperTest, BadResourcesFilesAreFatal)
{
    DataKeeper keeper("en");
    EXPECT_THROW(keeper.LoadResourceFile("data\\" + scene.Path("ui\\missing.xml"), false), FatalError);
    EXPECT_EQ(scene.CountLevel(4), 1);
    scene.PutFile("ui\\broken.xml", {'<', 'a', '>', '<', '/', 'b', '>'});
    EXPECT_THROW(keeper.LoadResourceFile("data\\" + scene.Path("ui\\broken.xml"), false), FatalError);
    EXPECT_EQ(scene.CountLevel(4), 2);
    EXPECT_NE(scene.log->GetHistoryRecord(scene.log->GetHistorySize() - 1)->text.find("PROGRAM ABORTING: XML format"),
        std::string::npos);

    // A path outside the data folder keeps its own folder for the names.
    const std::string outside = scene.root + "\\tmp_outside_resources";
    CreateDirectoryA(outside.c_str(), nullptr);
    ASSERT_TRUE(TestSupport::WriteFileText(outside + "\\res.xml",
        "<resources><model name=\"m\" file_name=\"m.mlf\"/></resources>"));
    keeper.LoadResourceFile("tmp_outside_resources\\res.xml", false);
    ASSERT_EQ(keeper.GetPendingQueue().size(), 1u);
    EXPECT_EQ(keeper.GetPendingQueue()[0]->fileName, "tmp_outside_resources\\m.mlf");
    TestSupport::RemoveTree(outside);
}

TEST_F(DataKeeperTest, MissingNamesGiveTheDefaultsAndDuplicatesAreRefused)
{
    DataKeeper keeper("en");
    Model* box = keeper.GetModel("nothing");
    EXPECT_EQ(box, keeper.GetDefaultModel());
    EXPECT_EQ(box->name, "box");
    EXPECT_EQ(keeper.GetModel("other"), box);
    EXPECT_EQ(ErrorsWith("(DataKeeper::GetModel): There is no \"nothing\" resource"), 1);
    EXPECT_EQ(keeper.GetShaderUser("s"), keeper.GetDefaultShaderUser());
    EXPECT_EQ(ErrorsWith("(DataKeeper::GetShaderUser): There is no \"s\" resource"), 1);
    ParticleSystem* ps = keeper.GetParticleSystem("p");
    EXPECT_EQ(ps, keeper.GetDefaultParticleSystem());
    EXPECT_EQ(ps->name, "self_made");
    EXPECT_FALSE(ps->IsVisible());
    EXPECT_EQ(ErrorsWith("(DataKeeper::GetParticleSystem): There is no \"p\" resource"), 1);
    EXPECT_EQ(scene.CountErrors(), 4);

    // Registration: null ignored, the first of a name stays.
    Model* first = scene.models->CreateModelUnregistered(Vector3(-1), Vector3(1), nullptr, nullptr, 0);
    std::unique_ptr<Model> second(scene.models->CreateModelUnregistered(Vector3(-2), Vector3(2), nullptr, nullptr, 0));
    EXPECT_FALSE(keeper.AddModel("x", nullptr));
    EXPECT_TRUE(keeper.AddModel("x", first));
    EXPECT_FALSE(keeper.AddModel("x", second.get()));
    EXPECT_EQ(ErrorsWith("(DataKeeper::AddModel): Model \"x\" is duplicated"), 1);
    EXPECT_EQ(keeper.GetModel("x"), first);

    // Duplicate resources in a file: the second is refused and released.
    keeper.AddShader("dup", ShaderDescriptor(), false, true, false);
    const uint32_t users = scene.shaders->GetUserCount();
    keeper.AddShader("dup", ShaderDescriptor(), false, true, false);
    EXPECT_EQ(ErrorsWith("(DataKeeper::AddShaderUser): Shader User \"dup\" is duplicated"), 1);
    EXPECT_EQ(scene.shaders->GetUserCount(), users);
    keeper.AddParticleSystemResource("ps", scene.Path("none.psf"), false, true, false);
    keeper.AddParticleSystemResource("ps", scene.Path("none.psf"), false, true, false);
    EXPECT_EQ(ErrorsWith("(DataKeeper::AddParticleSystem): Particle System \"ps\" is duplicated"), 1);
    EXPECT_EQ(scene.spriteGroups->GetGroupCount(), 2u);  // the default's and the first "ps"

    // Unnamed objects are kept and released with the keeper.
    keeper.AddShader("ignored", ShaderDescriptor(), false, true, true);
    EXPECT_EQ(keeper.GetKeptShaderUserCount(), 1u);
    EXPECT_EQ(keeper.GetShaderUsers().count("ignored"), 0u);
}

TEST_F(DataKeeperTest, DestructionReleasesEverything)
{
    const uint32_t groups = scene.spriteGroups->GetGroupCount();
    {
        DataKeeper keeper("en");
        keeper.AddShader("a", ShaderDescriptor(), false, true, false);
        keeper.AddShader("b", ShaderDescriptor(), false, false, false);
        keeper.AddShader("c", ShaderDescriptor(), false, true, true);
        keeper.AddParticleSystemResource("p", scene.Path("none.psf"), false, true, false);
        keeper.AddModelResource("m", scene.Path("none.kml"), false, true, 3.0f, false, true, false);
        EXPECT_EQ(keeper.GetModel("m")->name, scene.Path("none.kml"));
        EXPECT_FLOAT_EQ(keeper.GetModel("m")->GetAnimation()->speed, 3.0f);
        keeper.LoadAll();
        EXPECT_GT(scene.shaders->GetUserCount(), baseUsers);
        EXPECT_GT(scene.spriteGroups->GetGroupCount(), groups);
    }
    EXPECT_EQ(scene.shaders->GetUserCount(), baseUsers);
    EXPECT_EQ(scene.spriteGroups->GetGroupCount(), groups);
}

TEST_F(DataKeeperTest, StepsLoadByPercentAndEndWithTheDerivedSteps)
{
    StepKeeper keeper("en", 1);
    for (int i = 0; i < 29; ++i)
        keeper.AddShader("s" + std::to_string(i), ShaderDescriptor(), false, false, false);
    keeper.LoadNextStep();  // the pre-pass: no textures, so nothing is added
    EXPECT_EQ(keeper.step, 1u);
    EXPECT_EQ(keeper.GetPendingQueue().size(), 29u);
    EXPECT_EQ(keeper.GetLoadedCount(), 0u);
    while (keeper.step < 100)
        keeper.LoadNextStep();
    EXPECT_EQ(keeper.GetLoadedCount(), 28u);  // 29 x 99 / 100
    keeper.LoadNextStep();
    EXPECT_EQ(keeper.step, 101u);
    EXPECT_EQ(keeper.GetLoadedCount(), 29u);
    EXPECT_EQ(keeper.GetShaderUsers().size(), 29u);
    EXPECT_EQ(keeper.done, 0u);
    keeper.LoadNextStep();
    EXPECT_EQ(keeper.step, 102u);
    EXPECT_EQ(keeper.done, 1u);
    EXPECT_FLOAT_EQ(keeper.progress, 1.0f);
    // Past the end nothing more is done.
    keeper.LoadNextStep();
    EXPECT_EQ(keeper.step, 102u);
    EXPECT_EQ(keeper.done, 1u);

    // The base keeper has no step of its own: its counter stays at 101.
    DataKeeper base("en");
    for (int i = 0; i < 105; ++i)
        base.LoadNextStep();
    EXPECT_EQ(base.step, 101u);
    EXPECT_FLOAT_EQ(base.progress, 101.0f / 102.0f);
}

TEST_F(DataKeeperTest, AnEmptyQueueAdvancesOneStepPerCall)
{
    StepKeeper keeper("en", 3);
    uint32_t calls = 0;
    while (keeper.step < keeper.extraSteps + 101 && calls < 1000) {
        keeper.LoadNextStep();
        ++calls;
        EXPECT_EQ(keeper.step, calls);
        EXPECT_FLOAT_EQ(keeper.progress, static_cast<float>(calls) / 104.0f);
    }
    EXPECT_EQ(calls, 104u);
    EXPECT_EQ(keeper.done, 3u);
    // The hook saw the steps it was offered: 101, 102, 103.
    EXPECT_EQ(keeper.calls, (std::vector<int32_t>{101, 102, 103}));
}

TEST_F(DataKeeperTest, LoadAllLoadsEachRecordOnce)
{
    StepKeeper keeper("en", 1);
    for (int i = 0; i < 10; ++i)
        keeper.AddShader("s" + std::to_string(i), ShaderDescriptor(), false, false, false);
    keeper.LoadNextStep();
    for (int i = 0; i < 50; ++i)
        keeper.LoadNextStep();
    EXPECT_EQ(keeper.GetLoadedCount(), 5u);
    keeper.LoadAll();
    EXPECT_EQ(keeper.GetLoadedCount(), 10u);
    EXPECT_EQ(keeper.GetShaderUsers().size(), 10u);
    EXPECT_EQ(scene.CountErrors(), 0) << ::testing::PrintToString(scene.History());
    EXPECT_EQ(keeper.calls.back(), -1);
    EXPECT_EQ(keeper.done, 1u);
    EXPECT_EQ(keeper.step, 101u);
    EXPECT_FLOAT_EQ(keeper.progress, 1.0f);
}

TEST_F(DataKeeperTest, TexturePrePassPutsTextureStepsAheadOfTheirResource)
{
    PictureWriters::Picture p = PictureWriters::Pattern(8, 8, 3);
    scene.PutFile("ui\\a.bmp", PictureWriters::EncodeBmp(p));
    scene.PutFile("ui\\b.bmp", PictureWriters::EncodeBmp(p));
    StepKeeper keeper("en", 1);
    keeper.LoadResourceFile(Resources("<shader name=\"a\" diffuse_file_name=\"a.bmp\"/>"
                                      "<shader name=\"b\" diffuse_file_name=\"b.bmp\"/>"),
        false);
    keeper.LoadNextStep();
    EXPECT_EQ(keeper.step, 1u);
    const std::vector<DataKeeper::PendingResource*>& q = keeper.GetPendingQueue();
    ASSERT_EQ(q.size(), 4u);
    for (int i = 0; i < 4; i += 2) {
        EXPECT_TRUE(q[i]->unnamed);
        EXPECT_EQ(q[i]->name.rfind("temp_loading_", 0), 0u) << q[i]->name;
        EXPECT_FALSE(q[i + 1]->unnamed);
        // The texture step names the resource's own picture.
        EXPECT_EQ(q[i]->descriptor->GetStage(0).diffuse, q[i + 1]->descriptor->GetStage(0).diffuse);
    }
    while (keeper.step < 102)
        keeper.LoadNextStep();
    EXPECT_EQ(keeper.GetShaderUsers().size(), 2u);
    EXPECT_EQ(keeper.GetKeptShaderUserCount(), 2u);
    // The hidden users share the resources' textures.
    EXPECT_EQ(scene.shaders->GetTextureManager()->GetTextureCount(), 2u);
    EXPECT_EQ(scene.CountErrors(), 0) << ::testing::PrintToString(scene.History());
}
