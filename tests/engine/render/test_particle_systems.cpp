#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "PictureWriters.h"
#include "ResourceTestSupport.h"
#include "engine/foundation/Random.h"
#include "engine/render/IndexBuffer.h"
#include "tools/formats/ParticleFileWriter.h"

using namespace KorvaneEngine;
using namespace ResourceTest;

namespace {

// Straight, weightless, long-lived particles: what the motion tests start from.
void MakeStill(ParticleSystem& s)
{
    s.gravityEnabled = false;
    s.floorEnabled = false;
    s.interpolateEmission = false;
    s.duration = 10.0f;
    for (int k = 0; k < 6; ++k) {
        s.emissionRate[k] = 0.0f;
        s.lifeCentre[k] = 100.0f;
        s.lifeSpread[k] = 0.0f;
        s.speedCentre[k] = 0.0f;
        s.speedSpread[k] = 0.0f;
        s.directionCentre[k] = Vector3(0, 0, 1);
        s.directionSpread[k] = Vector3();
    }
}

class ParticleSystems : public ::testing::Test {
protected:
    void SetUp() override
    {
        scene.StartResources("particle_systems");
        SetRandomSeed(1234);
    }
    void TearDown() override
    {
        owned.clear();
        scene.StopResources();
    }

    // A system not kept by the manager, deleted with the test.
    ParticleSystem* SelfMade()
    {
        owned.emplace_back(scene.particleSystems->CreateSelfMadeParticleSystem(nullptr));
        return owned.back().get();
    }
    ParticleSystem* Load(const std::string& file)
    {
        owned.emplace_back(scene.particleSystems->LoadParticleSystem(scene.Path(file), nullptr, false));
        return owned.back().get();
    }
    std::string LastError() const
    {
        for (int i = scene.log->GetHistorySize() - 1; i >= 0; --i)
            if (scene.log->GetHistoryRecord(i)->level == 3)
                return scene.log->GetHistoryRecord(i)->text;
        return "";
    }

    ResourceScene scene;
    std::vector<std::unique_ptr<ParticleSystem>> owned;
};

} // namespace

TEST_F(ParticleSystems, LoadsFromItsFileWithTheShaderBesideIt)
{
    ContentTools::ParticleFile f;
    f.maxParticles = 12;
    f.duration = 3;
    f.emitterShape = 1;
    scene.PutFile("spark.psf", ContentTools::WriteParticleFile(f));
    scene.PutFile("spark.srf", ContentTools::WriteShaderFile(SceneTest::TexturedShader("spark.bmp")));
    PictureWriters::Picture picture;
    picture.width = picture.height = 4;
    picture.channels = 3;
    picture.data.assign(4 * 4 * 3, 200);
    scene.PutFile("spark.bmp", PictureWriters::EncodeBmp(picture));
    f.maxParticles = 5;
    scene.PutFile("plain.psf", ContentTools::WriteParticleFile(f));

    ParticleSystem* s = Load("spark.psf");
    EXPECT_EQ(s->name, scene.Path("spark.psf"));
    EXPECT_EQ(s->maxParticles, 12u);
    EXPECT_FLOAT_EQ(s->duration, 3.0f);
    EXPECT_EQ(s->emitterShape, 1u);
    EXPECT_EQ(s->bounds.GetWorldMax(), Vector3(0.5f));
    EXPECT_EQ(s->GetSpriteGroup()->GetCapacity(), 12u);
    EXPECT_EQ(s->GetShader()->GetStageCount(), 1u);
    EXPECT_EQ(s->GetParticles().size(), 12u);
    // Particles are taken from the front of the free list: the last index first.
    ASSERT_EQ(s->GetFreeParticles().size(), 12u);
    EXPECT_EQ(s->GetFreeParticles().front(), 11u);
    EXPECT_EQ(s->GetFreeParticles().back(), 0u);
    EXPECT_FALSE(s->emitting);
    EXPECT_EQ(s->lastKey, -1);

    // Without a shader file: the default shader, silently.
    ParticleSystem* plain = Load("plain.psf");
    EXPECT_EQ(plain->name, scene.Path("plain.psf"));
    EXPECT_EQ(plain->GetShader()->GetStageCount(), 0u);
    EXPECT_EQ(scene.CountErrors(), 0) << ::testing::PrintToString(scene.History());
}

TEST_F(ParticleSystems, UnreadableFilesGiveTheSelfMadeSystem)
{
    ParticleSystem* missing = Load("missing.psf");
    EXPECT_EQ(missing->name, "self_made");
    EXPECT_EQ(missing->maxParticles, 100u);
    EXPECT_EQ(scene.CountErrors(), 1);
    EXPECT_NE(LastError().find("Failed to open"), std::string::npos) << LastError();

    ContentTools::ParticleFile f;
    f.version = 205;
    scene.PutFile("new.psf", ContentTools::WriteParticleFile(f));
    ParticleSystem* newer = Load("new.psf");
    EXPECT_EQ(newer->name, "self_made");
    EXPECT_NE(LastError().find("Error: Incorrect \"" + scene.Path("new.psf") + "\" format version, current is 204"),
        std::string::npos);

    f.version = 203;
    f.storedTotalSize = 428;
    scene.PutFile("cut.psf", ContentTools::WriteParticleFile(f));
    EXPECT_EQ(Load("cut.psf")->name, "self_made");
    EXPECT_NE(LastError().find("Error: Incorrect \"" + scene.Path("cut.psf") + "\" file format"), std::string::npos);
    EXPECT_EQ(scene.CountErrors(), 3);

    // The constructor itself raises a plain Error.
    try {
        ParticleSystem direct(scene.Path("cut.psf"), nullptr, false);
        FAIL() << "a bad file loaded";
    } catch (const FileError&) {
        FAIL() << "FileError escaped";
    } catch (const Error& e) {
        EXPECT_EQ(e.GetMessage(), "Incorrect \"" + scene.Path("cut.psf") + "\" file format");
    }

    // The defaults of the built-in system.
    ParticleSystem* d = SelfMade();
    EXPECT_FLOAT_EQ(d->duration, 1.0f);
    EXPECT_TRUE(d->gravityEnabled);
    EXPECT_FLOAT_EQ(d->floorHeight, -1.0f);
    EXPECT_FLOAT_EQ(d->bounce, 0.9f);
    EXPECT_FLOAT_EQ(d->restThreshold, 0.4f);
    EXPECT_TRUE(d->interpolateEmission);
    EXPECT_FLOAT_EQ(d->emissionRate[5], 10.0f);
    EXPECT_EQ(d->directionSpread[2], Vector3(1, 1, 1));
    EXPECT_FLOAT_EQ(d->colour[4].a, 1.0f);
    EXPECT_EQ(d->bounds.GetWorldMin(), Vector3(-0.5f));
    EXPECT_EQ(d->GetSpriteGroup()->GetCapacity(), 100u);
}

TEST_F(ParticleSystems, SteppedEmissionBurstsOncePerKey)
{
    ParticleSystem* s = SelfMade();
    MakeStill(*s);
    s->duration = 1.0f;
    s->emissionRate[0] = 3.0f;
    s->emitting = true;
    s->Update(0.01f);
    EXPECT_EQ(s->liveCount, 3u);
    EXPECT_EQ(s->lastKey, 0);
    for (int i = 0; i < 97; ++i)
        s->Update(0.01f);
    EXPECT_EQ(s->liveCount, 3u);
    EXPECT_EQ(s->lastKey, 4);
    EXPECT_TRUE(s->emitting);
    // The cycle ends: not looping, so emitting stops and the time returns to 0.
    s->Update(0.05f);
    EXPECT_FALSE(s->emitting);
    EXPECT_EQ(s->time, 0.0f);
    EXPECT_EQ(s->lastKey, -1);
    EXPECT_EQ(s->liveCount, 3u);
    EXPECT_EQ(s->peakCount, 3u);

    // Looping: the wrap lands on key 0 again, which bursts again.
    s->emitting = true;
    s->looping = true;
    s->Update(0.9f);
    EXPECT_EQ(s->liveCount, 3u);
    s->Update(0.2f);
    EXPECT_NEAR(s->time, 0.1f, 1e-5f);
    EXPECT_EQ(s->liveCount, 6u);
    EXPECT_TRUE(s->emitting);
}

TEST_F(ParticleSystems, InterpolatedEmissionAccumulatesByTime)
{
    ParticleSystem* s = SelfMade();
    MakeStill(*s);
    s->interpolateEmission = true;
    for (float& r : s->emissionRate)
        r = 8.0f;
    s->emitting = true;
    for (int i = 0; i < 4; ++i)
        s->Update(0.25f);
    EXPECT_EQ(s->liveCount, 8u);
    EXPECT_NEAR(s->emissionAccumulator, 0.0f, 1e-5f);
    // Fractions are owed, not lost.
    s->Update(0.0625f);
    EXPECT_EQ(s->liveCount, 8u);
    EXPECT_NEAR(s->emissionAccumulator, 0.5f, 1e-5f);
    s->Update(0.0625f);
    EXPECT_EQ(s->liveCount, 9u);
}

TEST_F(ParticleSystems, ParticleKeysFollowItsAge)
{
    ParticleSystem* s = SelfMade();
    MakeStill(*s);
    s->emissionRate[0] = 1.0f;
    for (int k = 0; k < 6; ++k) {
        s->lifeCentre[k] = 2.0f;
        s->colour[k] = Color(k / 5.0f, 1.0f - k / 5.0f, 0, 1);
        s->size[k] = 10.0f * k;
    }
    s->emitting = true;
    // Born and aged by the same update: lifetime 2.0 at age 1.0 is u = 2.5.
    s->Update(1.0f);
    ASSERT_EQ(s->liveCount, 1u);
    const Particle& p = s->GetParticles()[99];
    EXPECT_EQ(p.free, 0u);
    EXPECT_FLOAT_EQ(p.lifetime, 2.0f);
    const SpriteRecord& sprite = s->GetSpriteGroup()->GetSprite(p.sprite);
    EXPECT_NEAR(sprite.colour.r, 0.5f, 1e-5f);
    EXPECT_NEAR(sprite.size, 25.0f, 1e-4f);

    // At the end of its life the particle dies and its slots return.
    s->emitting = false;
    s->Update(1.0f);
    EXPECT_EQ(s->liveCount, 0u);
    EXPECT_EQ(s->GetFreeParticles().back(), 99u);
    EXPECT_EQ(s->GetSpriteGroup()->GetFreeCount(), 100u);
    EXPECT_EQ(s->peakCount, 1u);
}

TEST_F(ParticleSystems, FloorBouncesAndRests)
{
    ParticleSystem* s = SelfMade();
    MakeStill(*s);
    s->emissionRate[0] = 1.0f;
    s->floorEnabled = true;
    s->floorHeight = -1.0f;
    s->gravityEnabled = true;
    s->gravity = 1.0f;
    s->bounce = 0.5f;
    s->restThreshold = 0.3f;
    for (int k = 0; k < 6; ++k) {
        s->directionCentre[k] = Vector3(1, 0, -1);
        s->speedCentre[k] = 1.0f;
    }
    s->emitting = true;
    s->Update(0.1f);  // 10 units down at once: through the floor
    const Particle& p = s->GetParticles()[99];
    const SpriteRecord& sprite = s->GetSpriteGroup()->GetSprite(p.sprite);
    EXPECT_FLOAT_EQ(sprite.position.z, -1.0f + 0.001f);
    EXPECT_FLOAT_EQ(p.damping, 0.5f);
    EXPECT_EQ(p.fallSpeed, 0.0f);
    for (const Vector3& d : p.directionKeys)
        EXPECT_GT(d.z, 0.0f);
    EXPECT_NEAR(std::sqrt(p.direction.GetSquaredLength()), 1.0f, 1e-5f);
    // It now rises, slowed by the damping.
    s->emitting = false;
    const float x = sprite.position.x;
    s->Update(0.01f);
    EXPECT_GT(sprite.position.z, -1.0f + 0.001f);
    EXPECT_GT(sprite.position.x, x);
    // Falling back: the damping drops below the threshold, it rests and dies
    // at the next update.
    for (int i = 0; i < 200 && s->GetParticles()[99].damping > 0.0f; ++i)
        s->Update(0.05f);
    EXPECT_EQ(p.damping, 0.0f);
    EXPECT_GT(p.age, p.lifetime);
    EXPECT_EQ(s->liveCount, 1u);
    s->Update(0.01f);
    EXPECT_EQ(s->liveCount, 0u);

    // Without stopOnRest a resting particle stays.
    s->stopOnRest = false;
    s->emissionRate[0] = 1.0f;
    s->emitting = true;
    s->time = 0.0f;
    s->lastKey = -1;
    for (int i = 0; i < 100; ++i)
        s->Update(0.05f);
    EXPECT_EQ(s->liveCount, 1u);
}

TEST_F(ParticleSystems, DegenerateSettingsNeitherHangNorOverrun)
{
    // Capacity 0: nothing is ever emitted.
    ContentTools::ParticleFile f;
    f.maxParticles = 0;
    scene.PutFile("none.psf", ContentTools::WriteParticleFile(f));
    ParticleSystem* none = Load("none.psf");
    ASSERT_EQ(none->name, scene.Path("none.psf"));
    none->emitting = true;
    none->looping = true;
    for (int i = 0; i < 10; ++i)
        none->Update(0.1f);
    EXPECT_EQ(none->liveCount, 0u);
    EXPECT_EQ(none->GetSpriteGroup()->GetCapacity(), 0u);

    // A looping cycle of no length stops emitting instead of wrapping forever.
    ParticleSystem* s = SelfMade();
    MakeStill(*s);
    s->looping = true;
    s->emitting = true;
    s->duration = 0.0f;
    s->Update(0.1f);
    EXPECT_FALSE(s->emitting);
    s->duration = -1.0f;
    s->emitting = true;
    s->Update(0.1f);
    EXPECT_FALSE(s->emitting);

    // A tiny cycle wraps in one step.
    s->duration = 1e-30f;
    s->emitting = true;
    s->Update(0.1f);
    EXPECT_TRUE(s->emitting);
    EXPECT_LT(s->time, s->duration);
    EXPECT_GE(s->time, 0.0f);

    // An enormous burst fills the free records and drops the rest.
    s->duration = 10.0f;
    s->time = 0.0f;
    s->lastKey = -1;
    s->emissionRate[0] = 1e30f;
    s->Update(0.01f);
    EXPECT_EQ(s->liveCount, 100u);
    EXPECT_TRUE(s->GetFreeParticles().empty());
    EXPECT_EQ(s->GetSpriteGroup()->GetFreeCount(), 0u);
}

TEST_F(ParticleSystems, EmitterShapes)
{
    std::vector<Vector3> path;
    bool interpolated = false;
    BoundingBox bounds(Vector3(-1, -2, -3), Vector3(1, 2, 3));
    // Birth points of 50 motionless particles of a fresh system.
    auto births = [&](uint32_t shape) {
        ParticleSystem* s = SelfMade();
        MakeStill(*s);
        s->emissionRate[0] = 50.0f;
        s->position = Vector3(10, 0, 0);
        s->emitterShape = shape;
        s->bounds = bounds;
        s->pathPoints = path;
        s->pathInterpolated = interpolated;
        s->emitting = true;
        s->Update(0.001f);
        std::vector<Vector3> out;
        for (const Particle& p : s->GetParticles())
            if (!p.free)
                out.push_back(s->GetSpriteGroup()->GetSprite(p.sprite).position);
        EXPECT_EQ(out.size(), 50u);
        return out;
    };

    for (const Vector3& p : births(0))
        EXPECT_EQ(p, Vector3(10, 0, 0));
    for (const Vector3& p : births(9))
        EXPECT_EQ(p, Vector3(10, 0, 0));
    bool spread = false;
    for (const Vector3& p : births(1)) {
        EXPECT_TRUE(p.x >= 9 && p.x <= 11 && p.y >= -2 && p.y <= 2 && p.z >= -3 && p.z <= 3);
        spread = spread || std::fabs(p.y) > 0.5f;
    }
    EXPECT_TRUE(spread);

    for (const Vector3& p : births(2))
        EXPECT_EQ(p, Vector3());
    path = {Vector3(0, 0, 0), Vector3(4, 0, 0), Vector3(4, 4, 0)};
    int atPoints = 0;
    for (const Vector3& p : births(2))
        atPoints += p == Vector3(0, 0, 0) || p == Vector3(4, 0, 0) || p == Vector3(4, 4, 0);
    EXPECT_EQ(atPoints, 50);
    interpolated = true;
    int between = 0;
    for (const Vector3& p : births(2)) {
        const bool onFirst = std::fabs(p.y) < 1e-5f && p.x >= 0 && p.x <= 4;
        const bool onSecond = std::fabs(p.x - 4) < 1e-5f && p.y >= 0 && p.y <= 4;
        EXPECT_TRUE(onFirst || onSecond) << p.x << " " << p.y;
        between += (p.x > 0.1f && p.x < 3.9f) || (p.y > 0.1f && p.y < 3.9f);
    }
    EXPECT_GT(between, 25);
    path = {Vector3(7, 7, 7)};
    for (const Vector3& p : births(2))
        EXPECT_EQ(p, Vector3(7, 7, 7));
}

TEST_F(ParticleSystems, HiddenOrPausedSystemsStandStill)
{
    ParticleSystem* s = SelfMade();
    MakeStill(*s);
    s->emissionRate[0] = 2.0f;
    s->emitting = true;
    s->paused = true;
    s->Update(0.5f);
    EXPECT_EQ(s->time, 0.0f);
    EXPECT_EQ(s->liveCount, 0u);
    s->paused = false;
    s->SetVisible(false);
    EXPECT_FALSE(s->IsVisible());
    EXPECT_EQ(s->GetModel()->GetFlags() & 0x40000u, 0u);
    s->Update(0.5f);
    EXPECT_EQ(s->time, 0.0f);
    s->SetVisible(true);
    s->Update(0.5f);
    EXPECT_EQ(s->liveCount, 2u);
    s->SetColor(Color(0.5f, 0.5f, 0.5f, 1));
    EXPECT_FLOAT_EQ(s->GetSpriteGroup()->GetColor().r, 0.5f);
}

TEST_F(ParticleSystems, CopiesAreKeptAndUpdatedByTheManager)
{
    ContentTools::ParticleFile f;
    f.maxParticles = 20;
    f.emitterShape = 1;
    f.gravity = 7;
    f.interpolateEmission = 0;
    f.emissionRate[0] = 4;
    for (float& r : f.emissionRate)
        r = 0;
    f.emissionRate[0] = 4;
    scene.PutFile("burst.psf", ContentTools::WriteParticleFile(f));
    ParticleSystem* t = Load("burst.psf");
    t->position = Vector3(5, 5, 5);
    t->looping = true;
    t->pathPoints.push_back(Vector3(1, 1, 1));

    ParticleSystem* c = scene.particleSystems->CreateParticleSystem(*t);
    EXPECT_EQ(scene.particleSystems->GetSystemCount(), 1u);
    EXPECT_EQ(c->name, t->name);
    EXPECT_EQ(c->maxParticles, 20u);
    EXPECT_FLOAT_EQ(c->gravity, 7.0f);
    EXPECT_EQ(c->emitterShape, 1u);
    EXPECT_EQ(c->position, Vector3());
    EXPECT_FALSE(c->looping);
    EXPECT_TRUE(c->pathPoints.empty());
    EXPECT_EQ(c->lastKey, -1);
    EXPECT_EQ(c->GetFreeParticles().size(), 20u);
    EXPECT_NE(c->GetSpriteGroup(), t->GetSpriteGroup());
    EXPECT_EQ(c->GetSpriteGroup()->GetFreeCount(), 20u);

    // The manager updates its copies by the frame time, not the templates.
    scene.timers->AdvanceFrame(0.02f);
    c->emitting = true;
    t->emitting = true;
    scene.particleSystems->Update();
    EXPECT_EQ(c->liveCount, 4u);
    EXPECT_EQ(t->liveCount, 0u);
    EXPECT_NEAR(c->time, scene.timers->frameTime, 1e-6f);

    // A one-shot system is hidden once it is done.
    ParticleSystem* d = scene.particleSystems->CreateParticleSystem(*t);
    scene.particleSystems->oneShotSystems = {c, d};
    scene.particleSystems->Update();
    EXPECT_FALSE(d->IsVisible());
    EXPECT_TRUE(c->IsVisible());
    ASSERT_EQ(scene.particleSystems->oneShotSystems.size(), 1u);
    EXPECT_EQ(scene.particleSystems->oneShotSystems[0], c);

    // Deleting takes it out of the one-shot list too; strangers are ignored.
    scene.particleSystems->DeleteParticleSystem(c);
    EXPECT_TRUE(scene.particleSystems->oneShotSystems.empty() ||
        scene.particleSystems->oneShotSystems[0] == nullptr);
    scene.particleSystems->Update();
    EXPECT_TRUE(scene.particleSystems->oneShotSystems.empty());
    scene.particleSystems->DeleteParticleSystem(t);
    scene.particleSystems->DeleteParticleSystem(nullptr);
    EXPECT_EQ(scene.particleSystems->GetSystemCount(), 1u);
    EXPECT_EQ(t->maxParticles, 20u);
}
