#include "engine/render/ParticleSystem.h"

#include <algorithm>
#include <cmath>

#include "engine/foundation/Error.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/Random.h"
#include "engine/foundation/TimerManager.h"
#include "engine/render/ShaderDescriptor.h"
#include "engine/render/SpriteGroup.h"

namespace KorvaneEngine {

namespace {

const uint32_t kSelfMadeCapacity = 100;

// Position on a six-key time line: keys k0 and k1 with weights g and f.
struct KeyPosition {
    int k0, k1;
    float f, g;
};

KeyPosition Locate(float u)
{
    KeyPosition p;
    p.k0 = static_cast<int>(u);
    // Rounding can put u on 5.0 (or a hair below 0 for a negative age); the
    // tables have six entries.
    if (p.k0 < 0)
        p.k0 = 0;
    if (p.k0 > 5)
        p.k0 = 5;
    p.k1 = p.k0 + 1 == 6 ? 0 : p.k0 + 1;
    p.f = u - static_cast<float>(p.k0);
    p.g = 1.0f - p.f;
    return p;
}

template <class T> T Blend(const T (&keys)[6], const KeyPosition& p) { return keys[p.k1] * p.f + keys[p.k0] * p.g; }

float FrameTime()
{
    TimerManager* timers = TimerManager::Instance();
    return timers ? timers->frameTime : 0.0f;
}

SpriteGroupManager& Groups() { return *SpriteGroupManager::Instance(); }

} // namespace

void ParticleSystem::SetParameters(const ParticleParameters& p)
{
    maxParticles = p.maxParticles;
    duration = p.duration;
    gravityEnabled = p.gravityEnabled;
    gravity = p.gravity;
    floorEnabled = p.floorEnabled;
    floorHeight = p.floorHeight;
    bounce = p.bounce;
    stopOnRest = p.stopOnRest;
    restThreshold = p.restThreshold;
    interpolateEmission = p.interpolateEmission;
    for (int k = 0; k < kKeys; ++k) {
        emissionRate[k] = p.emissionRate[k];
        lifeCentre[k] = p.lifeCentre[k];
        lifeSpread[k] = p.lifeSpread[k];
        directionCentre[k] = p.directionCentre[k];
        directionSpread[k] = p.directionSpread[k];
        colour[k] = p.colour[k];
        size[k] = p.size[k];
        speedCentre[k] = p.speedCentre[k];
        speedSpread[k] = p.speedSpread[k];
    }
    emitterShape = p.emitterShape;
    bounds.Set(p.boundsMin, p.boundsMax);
}

void ParticleSystem::ResetParticles()
{
    particles.assign(maxParticles, Particle());
    // Taken from the front, so the first particle used is the last index.
    freeParticles.clear();
    for (uint32_t i = maxParticles; i-- > 0;)
        freeParticles.push_back(i);
}

ParticleSystem::ParticleSystem(const std::string& fileName, Camera* camera, bool shaderFlag) : name(fileName)
{
    ParticleParameters p;
    try {
        LoadParticleFile(name, p);
    } catch (const FileError& e) {
        LogErrorIfOpen(e.GetMessage());
        throw Error(e.GetMessage());
    }
    SetParameters(p);

    std::string shaderFile = name;
    ChangeExtension(shaderFile, "srf");
    ShaderDescriptor* descriptor;
    try {
        descriptor = new ShaderDescriptor(shaderFile);
    } catch (const Error&) {
        descriptor = new ShaderDescriptor();
    }
    try {
        spriteGroup = Groups().CreateSpriteGroup(maxParticles, descriptor, camera, shaderFlag);
    } catch (...) {
        delete descriptor;
        throw;
    }
    delete descriptor;
    ResetParticles();
}

ParticleSystem::ParticleSystem(Camera* camera) : name("self_made")
{
    ParticleParameters defaults;
    defaults.maxParticles = kSelfMadeCapacity;
    SetParameters(defaults);
    ShaderDescriptor descriptor;
    spriteGroup = Groups().CreateSpriteGroup(kSelfMadeCapacity, &descriptor, camera, false);
    ResetParticles();
}

ParticleSystem::ParticleSystem(const ParticleSystem& s)
    : name(s.name), duration(s.duration), gravityEnabled(s.gravityEnabled), gravity(s.gravity),
      floorEnabled(s.floorEnabled), floorHeight(s.floorHeight), bounce(s.bounce), stopOnRest(s.stopOnRest),
      restThreshold(s.restThreshold), interpolateEmission(s.interpolateEmission), maxParticles(s.maxParticles),
      emitterShape(s.emitterShape), bounds(s.bounds)
{
    for (int k = 0; k < kKeys; ++k) {
        emissionRate[k] = s.emissionRate[k];
        lifeCentre[k] = s.lifeCentre[k];
        lifeSpread[k] = s.lifeSpread[k];
        directionCentre[k] = s.directionCentre[k];
        directionSpread[k] = s.directionSpread[k];
        colour[k] = s.colour[k];
        size[k] = s.size[k];
        speedCentre[k] = s.speedCentre[k];
        speedSpread[k] = s.speedSpread[k];
    }
    spriteGroup = Groups().CloneSpriteGroup(*s.spriteGroup, false);
    ResetParticles();
}

ParticleSystem::~ParticleSystem()
{
    if (SpriteGroupManager* groups = SpriteGroupManager::Instance())
        groups->DeleteSpriteGroup(spriteGroup);
}

void ParticleSystem::SetShader(ShaderDescriptor* shader) { spriteGroup->SetShader(shader); }
ShaderUser* ParticleSystem::GetShader() const { return spriteGroup->GetShader(); }
Model* ParticleSystem::GetModel() const { return spriteGroup->GetModel(); }
bool ParticleSystem::IsVisible() const { return spriteGroup->IsVisible(); }
void ParticleSystem::SetVisible(bool visible) { spriteGroup->SetVisible(visible); }
void ParticleSystem::SetColor(const Color& c) { spriteGroup->SetColor(c); }

void ParticleSystem::Update() { Update(FrameTime()); }

Vector3 ParticleSystem::BirthPoint() const
{
    switch (emitterShape) {
    case 1: {
        const Vector3& lo = bounds.GetWorldMin();
        const Vector3& hi = bounds.GetWorldMax();
        float x = RandomFloat(lo.x, hi.x);
        float y = RandomFloat(lo.y, hi.y);
        float z = RandomFloat(lo.z, hi.z);
        return position + Vector3(x, y, z);
    }
    case 2: {
        const int count = static_cast<int>(pathPoints.size());
        if (count == 0)
            return Vector3();
        if (!pathInterpolated)
            return pathPoints[RandomInt(0, count - 1)];
        if (count == 1)
            return pathPoints[0];
        const int i = RandomInt(0, count - 2);
        return pathPoints[i] + (pathPoints[i + 1] - pathPoints[i]) * RandomUnit();
    }
    default:
        return position;
    }
}

void ParticleSystem::Emit(float lifeC, float lifeS)
{
    const uint32_t index = freeParticles.front();
    freeParticles.pop_front();
    Particle& p = particles[index];
    p.free = 0;
    p.sprite = spriteGroup->AddSprite(BirthPoint(), size[0], colour[0]);
    p.lifetime = RandomFloatAround(lifeC, lifeS);
    p.age = 0.0f;
    p.direction = Vector3();
    for (int k = 0; k < kKeys; ++k) {
        if (k > 0 && directionCentre[k].GetSquaredLength() < 0.05f * 0.05f &&
            directionSpread[k].GetSquaredLength() < 0.05f * 0.05f) {
            p.directionKeys[k] = p.directionKeys[k - 1];
        } else {
            float x = RandomFloatAround(directionCentre[k].x, directionSpread[k].x);
            float y = RandomFloatAround(directionCentre[k].y, directionSpread[k].y);
            float z = RandomFloatAround(directionCentre[k].z, directionSpread[k].z);
            p.directionKeys[k] = Vector3(x, y, z);
        }
        p.directionKeys[k].SetLength(1.0f);
    }
    for (int k = 0; k < kKeys; ++k)
        p.speedKeys[k] = RandomFloatAround(speedCentre[k], speedSpread[k]);
    p.fallSpeed = 0.0f;
    p.damping = 1.0f;
}

void ParticleSystem::Update(float dt)
{
    if (!IsVisible() || paused)
        return;

    if (emitting) {
        time += dt;
        if (!looping) {
            if (time >= duration) {
                time = 0.0f;
                lastKey = -1;
                emitting = false;
            }
        } else if (!(duration > 0.0f)) {
            // A cycle of no length cannot be wrapped: it ends instead.
            time = 0.0f;
            lastKey = -1;
            emitting = false;
        } else if (time >= duration) {
            // One step, not repeated subtraction: a tiny cycle must not stall.
            time = std::fmod(time, duration);
        }
    }

    if (emitting) {
        const KeyPosition key = Locate(time / duration * 5.0f);
        float lifeC, lifeS;
        if (!interpolateEmission) {
            if (key.k0 != lastKey)
                emissionAccumulator += emissionRate[key.k0];
            lifeC = lifeCentre[key.k0];
            lifeS = lifeSpread[key.k0];
        } else {
            emissionAccumulator += Blend(emissionRate, key) * dt;
            lifeC = Blend(lifeCentre, key);
            lifeS = Blend(lifeSpread, key);
        }
        const float whole = std::trunc(emissionAccumulator);
        if (whole > 0.0f) {
            emissionAccumulator -= whole;
            // Owed particles beyond the free ones are dropped; the count is
            // bounded before it becomes an integer.
            const float free = static_cast<float>(freeParticles.size());
            const uint32_t n = static_cast<uint32_t>(whole < free ? whole : free);
            for (uint32_t i = 0; i < n && !freeParticles.empty(); ++i)
                Emit(lifeC, lifeS);
        }
        lastKey = key.k0;
    }

    liveCount = 0;
    for (uint32_t i = 0; i < maxParticles; ++i) {
        Particle& p = particles[i];
        if (p.free)
            continue;
        p.age += dt;
        if (p.age >= p.lifetime) {
            spriteGroup->RemoveSprite(p.sprite);
            p.free = 1;
            freeParticles.push_back(i);
            continue;
        }
        const KeyPosition key = Locate(p.age / p.lifetime * 5.0f);
        const float speed = Blend(p.speedKeys, key) * p.damping;
        p.direction = Blend(p.directionKeys, key);
        p.direction.SetLength(1.0f);
        Vector3 move = p.direction * speed * 100.0f * dt;
        if (gravityEnabled) {
            p.fallSpeed += gravity * dt;
            move.z -= p.fallSpeed * 100.0f * dt;
        }
        SpriteRecord& sprite = spriteGroup->GetSprite(p.sprite);
        sprite.position += move;
        if (floorEnabled && sprite.position.z < floorHeight) {
            sprite.position.z = floorHeight + 0.001f;
            p.fallSpeed = 0.0f;
            p.damping *= bounce;
            if (p.damping < restThreshold) {
                p.damping = 0.0f;
                if (stopOnRest)
                    p.age = p.lifetime + 0.0001f;
            }
            p.direction = Vector3(move.x, move.y, std::fabs(move.z));
            p.direction.SetLength(1.0f);
            for (Vector3& d : p.directionKeys)
                d = p.direction;
        }
        sprite.colour = Blend(colour, key);
        sprite.size = Blend(size, key);
        ++liveCount;
    }
    peakCount = std::max(peakCount, liveCount);
}

ParticleSystemManager::ParticleSystemManager() {}

ParticleSystemManager::~ParticleSystemManager() { ResetInstance(this); }

ParticleSystem* ParticleSystemManager::LoadParticleSystem(const std::string& name, Camera* camera, bool shaderFlag)
{
    try {
        return new ParticleSystem(name, camera, shaderFlag);
    } catch (const Error&) {
        return new ParticleSystem(camera);
    }
}

ParticleSystem* ParticleSystemManager::CreateSelfMadeParticleSystem(Camera* camera)
{
    return new ParticleSystem(camera);
}

ParticleSystem* ParticleSystemManager::CreateParticleSystem(const ParticleSystem& source)
{
    ParticleSystem* s = new ParticleSystem(source);
    systems.AddObject(s);
    return s;
}

void ParticleSystemManager::DeleteParticleSystem(ParticleSystem* system)
{
    if (!systems.RemoveObject(system))
        return;
    for (ParticleSystem*& s : oneShotSystems)
        if (s == system)
            s = nullptr;
    delete system;
}

void ParticleSystemManager::Update()
{
    for (ParticleSystem* s : systems.GetObjects())
        if (s)
            s->Update();
    for (ParticleSystem*& s : oneShotSystems) {
        if (s && !s->emitting && s->liveCount == 0) {
            s->SetVisible(false);
            s = nullptr;
        }
    }
    oneShotSystems.erase(std::remove(oneShotSystems.begin(), oneShotSystems.end(), nullptr), oneShotSystems.end());
}

} // namespace KorvaneEngine
