// The shipped game objects as the engine's readers see them: the resource
// list names every model and particle system the level asks for, the path
// markers run round the board by the heading rule, the level-complete model
// rebuilds the picture in its last frame, the models the game colours have
// colour vertices, every file has its shader, and the same sources give the
// same bytes.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/XMLNode.h"
#include "engine/foundation/XMLParser.h"
#include "engine/foundation/XMLValue.h"
#include "engine/render/ModelFile.h"
#include "engine/render/ParticleFile.h"
#include "engine/render/ShaderDescriptor.h"
#include "support/TestSupport.h"
#include "tools/content/ContentSet.h"
#include "tools/content/GameObjects.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"
#include "tools/formats/ParticleFileWriter.h"

using namespace Content;
using namespace Content::GameObjects;
using KorvaneEngine::ModelFileContents;

namespace {

std::string UnderData(const std::string& path) { return path.substr(5); }

struct Entry {
    std::string kind, file;
    bool colours = false;
};

class GameObjectsContent : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        log = new KorvaneEngine::MessageManager("Game objects test", false, false, "", "");
        dir = TestSupport::MakeTempDir("game_objects_content");
        files = new KorvaneEngine::FileManager(dir, false, "data", 0);
        Options options;
        AddGameObjects(set, options);
        std::string error;
        ASSERT_TRUE(set.Write(dir, true, &error)) << error;
        GameTools::XMLParser parser;
        GameTools::XMLNode* root = nullptr;
        parser.ParseFile(root, kResourceList);
        ASSERT_NE(root, nullptr);
        ASSERT_EQ(root->GetName(), "resources");
        for (GameTools::XMLNode* n : root->GetChildList()) {
            Entry e;
            e.kind = n->GetName();
            e.file = "data\\game_objects\\" + n->GetAttribute("file_name")->GetString();
            e.colours = n->GetAttribute("color_verticies") && n->GetAttribute("color_verticies")->GetBool();
            // Models and particle systems are kept apart: "board/level_complete"
            // names one of each.
            const std::string name = e.kind + ":" + n->GetAttribute("name")->GetString();
            EXPECT_EQ(entries.count(name), 0u) << name;
            entries[name] = e;
        }
        delete root;
    }
    static void TearDownTestSuite()
    {
        delete files;
        delete log;
        TestSupport::RemoveTree(dir);
    }

    static ModelFileContents Model(const std::string& name)
    {
        ModelFileContents m;
        EXPECT_EQ(entries.count("model:" + name), 1u) << name;
        const Entry& e = entries["model:" + name];
        std::unique_ptr<KorvaneEngine::FileBinary> f(files->OpenFile(e.file, false, 0));
        KorvaneEngine::ReadModelFile(*f, e.file, 0, m);
        // Its shader beside it reads too (named under the data folder).
        const std::string shader = UnderData(e.file.substr(0, e.file.size() - 3) + "srf");
        KorvaneEngine::ShaderDescriptor d(shader);
        EXPECT_EQ(d.GetStageCount(), 1u) << shader;
        return m;
    }

    static inline KorvaneEngine::MessageManager* log = nullptr;
    static inline KorvaneEngine::FileManager* files = nullptr;
    static inline std::string dir;
    static inline ContentSet set;
    static inline std::map<std::string, Entry> entries;
};

} // namespace

TEST_F(GameObjectsContent, ThePathRunsRoundTheBoardByTheHeadingRule)
{
    ASSERT_EQ(kPathPointCount, 6);
    KorvaneEngine::Vector3 centres[6];
    for (int i = 0; i < kPathPointCount; ++i) {
        const ModelFileContents m = Model("depository/path/00" + std::to_string(i));
        ASSERT_EQ(m.boxMin.size(), 1u);
        centres[i] = (m.boxMin[0] + m.boxMax[0]) * 0.5f;
        EXPECT_NEAR(centres[i].x, kPath[i].x, 0.001f);
        EXPECT_NEAR(centres[i].y, kPath[i].y, 0.001f);
        // On screen, and clear of the board by more than half a carried piece.
        EXPECT_TRUE(centres[i].x > 20 && centres[i].x < 780 && centres[i].y > 20 && centres[i].y < 580);
        const bool beside = centres[i].x < kBoardLeft - 20 || centres[i].x > kBoardLeft + kBoardWidth + 20 ||
                            centres[i].y < kBoardBottom - 20 || centres[i].y > kBoardBottom + kBoardHeight + 20;
        EXPECT_TRUE(beside) << i;
    }
    // Down the left, right along the bottom, up the right, left along the top.
    auto along = [&](int i) { return centres[i + 1] - centres[i]; };
    EXPECT_TRUE(along(0).y < 0 && along(0).x == 0);
    EXPECT_TRUE(along(1).x > 0 && along(1).y == 0);
    EXPECT_TRUE(along(2).y > 0 && along(2).x == 0);
    EXPECT_TRUE(along(3).x < 0 && along(3).y == 0);
    EXPECT_TRUE(along(4).x < 0 && along(4).y == 0);
    // The finish stays clear of the start.
    EXPECT_GT(centres[5].x - centres[0].x, 100.0f);

    // The obstacle lies over a stretch of the bottom run.
    const ModelFileContents o = Model("depository/obstacle");
    EXPECT_LT(o.boxMin[0].y, centres[1].y);
    EXPECT_GT(o.boxMax[0].y, centres[1].y);
    EXPECT_GT(o.boxMin[0].x, centres[1].x + 100);
    EXPECT_LT(o.boxMax[0].x, centres[2].x - 100);
}

TEST_F(GameObjectsContent, TheLevelCompleteModelRebuildsThePictureInItsLastFrame)
{
    const ModelFileContents m = Model("board/level_complete");
    EXPECT_TRUE(entries["model:board/level_complete"].colours);
    EXPECT_NE(m.flags & KorvaneEngine::ModelFlags::kMorph, 0u);
    ASSERT_GE(m.frameCount, 2u);
    EXPECT_GT(m.speed, 0.0f);
    ASSERT_EQ(m.boxMin.size(), m.frameCount);
    const uint32_t last = m.frameCount - 1;
    EXPECT_NEAR(m.boxMin[last].x, 0.0f, 0.01f);
    EXPECT_NEAR(m.boxMin[last].y, 0.0f, 0.01f);
    EXPECT_NEAR(m.boxMax[last].x, kBoardWidth, 0.01f);
    EXPECT_NEAR(m.boxMax[last].y, kBoardHeight, 0.01f);
    // Every vertex of the last frame shows the picture's own pixel; earlier
    // frames are still scattered.
    double area = 0;
    for (uint32_t i = 0; i < m.vertexCount; ++i) {
        const KorvaneEngine::MorphVertex& v = m.vertices[size_t(last) * m.vertexCount + i];
        EXPECT_NEAR(v.u, v.position.x / 1024.0f, 1e-4f);
        EXPECT_NEAR(v.v, v.position.y / 512.0f, 1e-4f);
        EXPECT_GE(v.u, 0.0f);
        EXPECT_LE(v.u, kBoardWidth / 1024.0f + 1e-4f);
        EXPECT_LE(v.v, kBoardHeight / 512.0f + 1e-4f);
    }
    bool moved = false;
    for (uint32_t i = 0; i < m.vertexCount && !moved; ++i)
        moved = m.vertices[i].position.x != m.vertices[size_t(last) * m.vertexCount + i].position.x;
    EXPECT_TRUE(moved);
    // Tiles cover the picture once: their areas add up to the board.
    const uint32_t size = m.IndexSize();
    for (uint32_t t = 0; t + 2 < m.indexCount; t += 3) {
        uint32_t k[3];
        for (int j = 0; j < 3; ++j) {
            k[j] = 0;
            for (uint32_t b = 0; b < size; ++b)
                k[j] |= uint32_t(m.indices[size_t(t + j) * size + b]) << (8 * b);
        }
        const auto& a = m.vertices[size_t(last) * m.vertexCount + k[0]].position;
        const auto& b = m.vertices[size_t(last) * m.vertexCount + k[1]].position;
        const auto& c = m.vertices[size_t(last) * m.vertexCount + k[2]].position;
        area += std::fabs((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y)) / 2;
    }
    EXPECT_NEAR(area, double(kBoardWidth) * kBoardHeight, 1.0);
}

TEST_F(GameObjectsContent, TheCarriageAndTheBonusesAreCentredColouredModels)
{
    for (const char* name : {"carriage/model", "bonuses/magnet", "bonuses/pause", "bonuses/rollback", "bonuses/tip"}) {
        SCOPED_TRACE(name);
        const ModelFileContents m = Model(name);
        EXPECT_TRUE(entries["model:" + std::string(name)].colours);
        const KorvaneEngine::Vector3 c = (m.boxMin[0] + m.boxMax[0]) * 0.5f;
        EXPECT_NEAR(c.x, 0.0f, 0.01f);
        EXPECT_NEAR(c.y, 0.0f, 0.01f);
        const float w = m.boxMax[0].x - m.boxMin[0].x, h = m.boxMax[0].y - m.boxMin[0].y;
        // Small enough for a 60-unit spacing on the path.
        EXPECT_TRUE(w > 20 && w <= 56 && h > 20 && h <= 56) << w << " x " << h;
    }
    EXPECT_FALSE(entries["model:depository/path/000"].colours);
}

TEST_F(GameObjectsContent, TheParticleSystemsAreCurrentFilesWithTheirShaders)
{
    for (const char* name : {"depository/path_start", "depository/path_finish", "board/tip", "board/level_complete"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(entries.count("particles:" + std::string(name)), 1u);
        const Entry& e = entries["particles:" + std::string(name)];
        const std::vector<uint8_t>* bytes = set.Find(e.file);
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(bytes->size(), ContentTools::kParticleFileSize204);
        KorvaneEngine::ParticleParameters p;
        KorvaneEngine::LoadParticleFile(UnderData(e.file), p);
        EXPECT_GT(p.maxParticles, 0u);
        KorvaneEngine::ShaderDescriptor d(UnderData(e.file.substr(0, e.file.size() - 3) + "srf"));
        EXPECT_EQ(d.GetStageCount(), 1u);
        if (std::string(name) == "board/tip") {
            EXPECT_EQ(p.emitterShape, 2u);
        }
        if (std::string(name) == "board/level_complete") {
            // One burst over the whole board.
            EXPECT_EQ(p.emitterShape, 1u);
            EXPECT_NEAR(p.boundsMin.x, kBoardLeft, 0.01f);
            EXPECT_NEAR(p.boundsMax.y, kBoardBottom + kBoardHeight, 0.01f);
        }
    }
    // Nothing else is listed, and the list is the same bytes every time.
    EXPECT_EQ(entries.size(), 6u + 1u + 1u + 4u + 1u + 4u);
    ContentSet again;
    AddGameObjects(again, Options());
    for (const std::string& path : set.Paths())
        if (set.Find(path)) {
            EXPECT_TRUE(again.Find(path) && *again.Find(path) == *set.Find(path)) << path;
        }
    EXPECT_EQ(again.ResourceList(kResourceList), set.ResourceList(kResourceList));
}
