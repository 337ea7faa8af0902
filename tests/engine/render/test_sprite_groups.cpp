#include <gtest/gtest.h>

#include <cmath>

#include "ResourceTestSupport.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/VertexBuffer.h"

using namespace KorvaneEngine;
using namespace ResourceTest;
using RenderTest::PixelNear;

namespace {

class SpriteGroups : public ::testing::Test {
protected:
    void SetUp() override { scene.StartResources("sprite_groups"); }
    void TearDown() override { scene.StopResources(); }

    SpriteGroup* Create(uint32_t capacity)
    {
        ShaderDescriptor plain;
        return scene.spriteGroups->CreateSpriteGroup(capacity, &plain, nullptr, false);
    }
    static ColoredVertex* Vertices(SpriteGroup* g)
    {
        VertexBuffer* vb = g->GetModel()->GetVertexBuffer();
        return reinterpret_cast<ColoredVertex*>(vb->vertices);
    }
    static Vector3 Corner(SpriteGroup* g, uint32_t k, uint32_t j) { return Vertices(g)[4 * k + j].position; }

    ResourceScene scene;
};

} // namespace

TEST_F(SpriteGroups, ConstructionBuildsTheQuadModel)
{
    SpriteGroup* g = Create(3);
    Model* m = g->GetModel();
    EXPECT_EQ(m->GetFlags(), 0x2c84a9u);
    EXPECT_EQ(m->GetVertexBuffer()->vertexCount, 12u);
    EXPECT_EQ(m->GetVertexBuffer()->stride, 36u);
    IndexBuffer* ib = m->GetIndexBuffer();
    ASSERT_EQ(ib->capacity, 18u);
    const uint32_t expected[6] = {4, 5, 6, 6, 5, 7};  // sprite 1
    for (uint32_t i = 0; i < 6; ++i)
        EXPECT_EQ(ib->GetIndex(6 + i), expected[i]);
    const float uv[4][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
    for (uint32_t j = 0; j < 4; ++j) {
        EXPECT_EQ(Vertices(g)[8 + j].u, uv[j][0]);
        EXPECT_EQ(Vertices(g)[8 + j].v, uv[j][1]);
    }
    EXPECT_EQ(g->GetFreeCount(), 3u);
    EXPECT_TRUE(g->GetSorting());
    EXPECT_EQ(g->GetCamera(), scene.cameras->GetDefaultCamera());
    EXPECT_EQ(scene.spriteGroups->GetGroupCount(), 1u);
    EXPECT_EQ(scene.models->GetModelCount(), 1u);

    // The capacity stays within what four vertices a sprite can index.
    SpriteGroup* big = Create(100000);
    EXPECT_EQ(big->GetCapacity(), SpriteGroup::kMaxCapacity);
    EXPECT_LE(big->GetModel()->GetVertexBuffer()->vertexCount, 65535u);
}

TEST_F(SpriteGroups, SlotsAreReusedFrontFirstAndFreedToTheBack)
{
    SpriteGroup* g = Create(3);
    EXPECT_EQ(g->AddSprite(Vector3(1, 0, 0), 1, Color(1)), 0u);
    EXPECT_EQ(g->AddSprite(Vector3(2, 0, 0), 1, Color(1)), 1u);
    EXPECT_EQ(g->AddSprite(Vector3(3, 0, 0), 1, Color(1)), 2u);
    // Full: 0 again, record 0 untouched.
    EXPECT_EQ(g->AddSprite(Vector3(9, 9, 9), 5, Color(0)), 0u);
    EXPECT_EQ(g->GetSprite(0).position, Vector3(1, 0, 0));
    EXPECT_EQ(g->GetSprite(0).size, 1.0f);
    g->RemoveSprite(1);
    EXPECT_EQ(g->AddSprite(Vector3(4, 0, 0), 1, Color(1)), 1u);

    g->RemoveSprite(2);
    g->RemoveSprite(0);
    // Removing a free record again must not list it twice.
    g->RemoveSprite(2);
    g->RemoveSprite(7);
    EXPECT_EQ(g->GetFreeCount(), 2u);
    EXPECT_EQ(g->AddSprite(Vector3(), 1, Color(1)), 2u);
    EXPECT_EQ(g->AddSprite(Vector3(), 1, Color(1)), 0u);
    EXPECT_EQ(g->GetFreeCount(), 0u);
    EXPECT_EQ(g->GetSprite(1).angle, 0.0f);
}

TEST_F(SpriteGroups, RebuildWritesCameraFacingCornersAndColours)
{
    Camera* camera = scene.cameras->GetDefaultCamera();
    const Vector3 R = camera->rightAxis, U = camera->upAxis;
    ASSERT_GT(R.GetSquaredLength(), 0.5f);

    SpriteGroup* g = Create(4);
    g->SetColor(Color(0.5f, 1, 1, 1));
    g->AddSprite(Vector3(1, 2, -10), 0.5f, Color(1, 0, 0, 1));
    g->AddSprite(Vector3(-3, 0, -10), 2.0f, Color(1, 1, 1, 0.5f));
    g->UpdateBuffers();

    EXPECT_EQ(g->GetModel()->GetIndexBuffer()->indexCount, 12u);
    EXPECT_EQ(g->GetCentre(), Vector3(-1, 1, -10));
    ASSERT_EQ(g->GetDrawList().size(), 2u);
    // Equal depths: either order; find sprite 0's quad.
    uint32_t k = g->GetDrawList()[0] == &g->GetSprite(0) ? 0 : 1;
    const Vector3 P(1, 2, -10);
    EXPECT_EQ(Corner(g, k, 0), P + (-R - U) * 0.5f);
    EXPECT_EQ(Corner(g, k, 1), P + (-R + U) * 0.5f);
    EXPECT_EQ(Corner(g, k, 2), P + (R - U) * 0.5f);
    EXPECT_EQ(Corner(g, k, 3), P + (R + U) * 0.5f);
    const float half[4] = {0.5f, 0, 0, 1};
    EXPECT_EQ(Vertices(g)[4 * k].color, g->GetModel()->GetVertexBuffer()->VectorToColor(half));
    const float other[4] = {0.5f, 1, 1, 0.5f};
    EXPECT_EQ(Vertices(g)[4 * (1 - k) + 3].color, g->GetModel()->GetVertexBuffer()->VectorToColor(other));

    // Nothing in use: nothing drawn, centre back at the origin.
    g->RemoveSprite(0);
    g->RemoveSprite(1);
    g->UpdateBuffers();
    EXPECT_EQ(g->GetModel()->GetIndexBuffer()->indexCount, 0u);
    EXPECT_EQ(g->GetCentre(), Vector3());
}

TEST_F(SpriteGroups, AnglesBelowTheToleranceDoNotRotate)
{
    Camera* camera = scene.cameras->GetDefaultCamera();
    const Vector3 R = camera->rightAxis, U = camera->upAxis;
    SpriteGroup* g = Create(1);
    const Vector3 P(0, 0, -5);
    g->AddSprite(P, 1, Color(1));
    g->GetSprite(0).angle = 0.00005f;
    g->UpdateBuffers();
    EXPECT_EQ(Corner(g, 0, 3), P + R + U);
    g->GetSprite(0).angle = 0.0002f;
    g->UpdateBuffers();
    Vector3 c = Corner(g, 0, 3);
    EXPECT_GT(std::fabs(c.x - (P + R + U).x) + std::fabs(c.y - (P + R + U).y), 1e-5f);
    // Rotation about the view axis keeps the distance from the centre.
    EXPECT_NEAR((c - P).GetSquaredLength(), (R + U).GetSquaredLength(), 1e-4f);
    g->GetSprite(0).angle = 3.14159265f / 2;
    g->UpdateBuffers();
    // A quarter turn maps corner (R + U) onto one of its neighbours' places.
    c = Corner(g, 0, 3) - P;
    const bool turned = (c == -R + U) || (c == R - U);
    EXPECT_TRUE(turned) << c.x << " " << c.y << " " << c.z;
}

TEST_F(SpriteGroups, SortingOrdersFarthestFirstAndCanBeSwitchedOff)
{
    SpriteGroup* g = Create(3);
    g->AddSprite(Vector3(0, 0, -2), 1, Color(1));
    g->AddSprite(Vector3(0, 0, -9), 1, Color(1));
    g->AddSprite(Vector3(0, 0, -5), 1, Color(1));
    g->UpdateBuffers();
    ASSERT_EQ(g->GetDrawList().size(), 3u);
    EXPECT_EQ(g->GetDrawList()[0], &g->GetSprite(1));
    EXPECT_EQ(g->GetDrawList()[1], &g->GetSprite(2));
    EXPECT_EQ(g->GetDrawList()[2], &g->GetSprite(0));
    EXPECT_GT(g->GetSprite(1).depth, g->GetSprite(2).depth);
    EXPECT_FLOAT_EQ(Corner(g, 0, 0).z, -9.0f);

    g->SetSorting(false);
    const float kept = g->GetSprite(1).depth;
    g->GetSprite(1).position = Vector3(0, 0, -1);
    g->UpdateBuffers();
    EXPECT_EQ(g->GetDrawList()[0], &g->GetSprite(0));
    EXPECT_EQ(g->GetDrawList()[1], &g->GetSprite(1));
    EXPECT_EQ(g->GetSprite(1).depth, kept);
    EXPECT_FLOAT_EQ(Corner(g, 1, 0).z, -1.0f);
}

TEST_F(SpriteGroups, InvisibleGroupLeavesItsBuffersAlone)
{
    SpriteGroup* g = Create(2);
    g->AddSprite(Vector3(0, 0, -3), 1, Color(1));
    g->SetVisible(false);
    EXPECT_FALSE(g->IsVisible());
    EXPECT_EQ(g->GetModel()->GetFlags() & 0x40000u, 0u);
    const Vector3 before = Corner(g, 0, 0);
    g->UpdateBuffers();
    EXPECT_EQ(Corner(g, 0, 0), before);
    EXPECT_EQ(g->GetModel()->GetIndexBuffer()->indexCount, 0u);
    g->SetVisible(true);
    g->UpdateBuffers();
    EXPECT_EQ(g->GetModel()->GetIndexBuffer()->indexCount, 6u);
}

TEST_F(SpriteGroups, CopiesAndTheManager)
{
    SpriteGroup* g = Create(3);
    g->SetColor(Color(0.25f, 0.5f, 0.75f, 1));
    g->SetSorting(false);
    g->AddSprite(Vector3(1, 1, -4), 2, Color(1));
    g->AddSprite(Vector3(2, 1, -4), 2, Color(1));

    SpriteGroup* same = scene.spriteGroups->CloneSpriteGroup(*g, true);
    EXPECT_EQ(same->GetCapacity(), 3u);
    EXPECT_EQ(same->GetFreeCount(), 1u);
    EXPECT_EQ(same->GetSprite(1).position, Vector3(2, 1, -4));
    EXPECT_FALSE(same->GetSorting());
    EXPECT_FLOAT_EQ(same->GetColor().b, 0.75f);
    EXPECT_NE(same->GetModel(), g->GetModel());
    EXPECT_EQ(same->AddSprite(Vector3(), 1, Color(1)), 2u);

    // Without the sprites every record of the copy is free, not zero-filled
    // and "in use".
    SpriteGroup* fresh = scene.spriteGroups->CloneSpriteGroup(*g, false);
    EXPECT_EQ(fresh->GetFreeCount(), 3u);
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(fresh->GetSprite(i).free, 1u);
    EXPECT_EQ(scene.spriteGroups->GetGroupCount(), 3u);

    // The manager rebuilds what it holds.
    scene.spriteGroups->Update();
    EXPECT_EQ(g->GetModel()->GetIndexBuffer()->indexCount, 12u);
    EXPECT_EQ(same->GetModel()->GetIndexBuffer()->indexCount, 18u);
    EXPECT_EQ(fresh->GetModel()->GetIndexBuffer()->indexCount, 0u);

    // An unregistered group is the caller's: the manager neither updates nor deletes it.
    ShaderDescriptor plain;
    std::unique_ptr<SpriteGroup> own(scene.spriteGroups->CreateSpriteGroupUnregistered(2, &plain, nullptr, false));
    own->AddSprite(Vector3(), 1, Color(1));
    scene.spriteGroups->Update();
    EXPECT_EQ(own->GetModel()->GetIndexBuffer()->indexCount, 0u);
    scene.spriteGroups->DeleteSpriteGroup(own.get());
    EXPECT_EQ(own->GetCapacity(), 2u);
    EXPECT_EQ(scene.spriteGroups->GetGroupCount(), 3u);
    scene.spriteGroups->DeleteSpriteGroup(nullptr);

    const uint32_t modelsBefore = scene.models->GetModelCount();
    scene.spriteGroups->DeleteSpriteGroup(same);
    EXPECT_EQ(scene.spriteGroups->GetGroupCount(), 2u);
    EXPECT_EQ(scene.models->GetModelCount(), modelsBefore - 1);
}

TEST_F(SpriteGroups, ManySpritesDrawAsOneModel)
{
    SpriteGroup* g = Create(8);
    const Color colours[3] = {Color(1, 0, 0, 1), Color(0, 1, 0, 1), Color(0, 0, 1, 1)};
    const Vector3 at[3] = {Vector3(-3, 0, -10), Vector3(0, 0, -10), Vector3(3, 0, -10)};
    for (int i = 0; i < 3; ++i)
        g->AddSprite(at[i], 0.8f, colours[i]);

    scene.ResourceFrame();
    EXPECT_EQ(scene.models->drawnModels, 1u);
    EXPECT_EQ(scene.models->drawnPrimitives, 6u);
    EXPECT_EQ(scene.CountErrors(), 0) << ::testing::PrintToString(scene.History());
    const Image& shot = scene.Screenshot();
    Camera* camera = scene.cameras->GetDefaultCamera();
    for (int i = 0; i < 3; ++i) {
        Vector2 p = SceneTest::WorldToPixel(*camera, scene.cameras->viewport, at[i]);
        EXPECT_TRUE(PixelNear(shot, uint32_t(p.x), uint32_t(p.y), int(colours[i].r * 255), int(colours[i].g * 255),
            int(colours[i].b * 255), 8))
            << "sprite " << i;
    }
    // Between the sprites the clear colour shows.
    Vector2 gap = SceneTest::WorldToPixel(*camera, scene.cameras->viewport, Vector3(-1.5f, 0, -10));
    EXPECT_TRUE(PixelNear(shot, uint32_t(gap.x), uint32_t(gap.y), 0, 0, 0, 0));

    // Moving a record moves its square at the next rebuild.
    g->GetSprite(1).position = Vector3(0, 3, -10);
    scene.ResourceFrame();
    Vector2 old = SceneTest::WorldToPixel(*camera, scene.cameras->viewport, at[1]);
    Vector2 moved = SceneTest::WorldToPixel(*camera, scene.cameras->viewport, Vector3(0, 3, -10));
    EXPECT_TRUE(PixelNear(scene.Screenshot(), uint32_t(old.x), uint32_t(old.y), 0, 0, 0, 0));
    EXPECT_TRUE(PixelNear(scene.Screenshot(), uint32_t(moved.x), uint32_t(moved.y), 0, 255, 0, 8));
}
