#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "engine/foundation/Geometry.h"
#include "engine/foundation/ObjectManager.h"
#include "engine/foundation/Vector.h"
#include "engine/render/ParticleFile.h"

namespace KorvaneEngine {

class Camera;
class Model;
class ShaderDescriptor;
class ShaderUser;
class SpriteGroup;

struct Particle {
    uint8_t free = 1;
    uint32_t sprite = 0;
    float lifetime = 0.0f;
    float age = 0.0f;
    Vector3 direction;
    Vector3 directionKeys[ParticleParameters::kKeys];
    float speedKeys[ParticleParameters::kKeys] = {};
    float damping = 1.0f;
    float fallSpeed = 0.0f;
};

// Emits and moves up to maxParticles particles, each drawn as one sprite of
// its own sprite group. Parameters come from a "KEPSF" file or the built-in
// "self_made" defaults; the game starts an effect by making it visible and
// setting emitting.
class ParticleSystem {
public:
    static constexpr int kKeys = ParticleParameters::kKeys;

    virtual ~ParticleSystem();
    // From "data\" + name; its shader from the same name with the extension
    // "srf" (the default shader when that cannot be read). Throws Error, after
    // logging it, when the particle file is missing or malformed.
    ParticleSystem(const std::string& name, Camera* camera, bool shaderFlag);
    // The "self_made" system.
    explicit ParticleSystem(Camera* camera);
    // A fresh copy of a template: its parameters, a clone of its group, all
    // particles free and the runtime state reset.
    ParticleSystem(const ParticleSystem& source);
    ParticleSystem& operator=(const ParticleSystem&) = delete;

    // One frame of emission and motion, by the timer manager's frame time.
    void Update();
    // The same with an explicit frame time.
    void Update(float dt);

    void SetShader(ShaderDescriptor* shader);
    ShaderUser* GetShader() const;
    Model* GetModel() const;
    bool IsVisible() const;
    void SetVisible(bool visible);
    void SetColor(const Color& colour);
    SpriteGroup* GetSpriteGroup() const { return spriteGroup; }
    const std::vector<Particle>& GetParticles() const { return particles; }
    const std::deque<uint32_t>& GetFreeParticles() const { return freeParticles; }

    std::string name;
    float duration;
    bool gravityEnabled;
    float gravity;
    bool floorEnabled;
    float floorHeight;
    float bounce;
    bool stopOnRest;
    float restThreshold;
    bool interpolateEmission;
    float emissionRate[kKeys];
    float lifeCentre[kKeys];
    float lifeSpread[kKeys];
    Vector3 directionCentre[kKeys];
    Vector3 directionSpread[kKeys];
    Color colour[kKeys];
    float size[kKeys];
    float speedCentre[kKeys];
    float speedSpread[kKeys];
    SpriteGroup* spriteGroup = nullptr;
    bool paused = false;
    float time = 0.0f;
    bool looping = false;
    bool emitting = false;
    float emissionAccumulator = 0.0f;
    std::deque<uint32_t> freeParticles;
    uint32_t maxParticles;
    std::vector<Particle> particles;
    uint32_t liveCount = 0;
    uint32_t peakCount = 0;
    int32_t lastKey = -1;
    Vector3 position;
    uint32_t emitterShape;
    BoundingBox bounds;
    std::vector<Vector3> pathPoints;
    bool pathInterpolated = false;

private:
    void SetParameters(const ParticleParameters& p);
    void ResetParticles();
    void Emit(float lifeC, float lifeS);
    Vector3 BirthPoint() const;
};

// Creates particle systems (from files, the defaults, or as copies of loaded
// templates), keeps the copies and updates them once a frame.
class ParticleSystemManager : public GlobalPointerHolder<ParticleSystemManager> {
public:
    virtual ~ParticleSystemManager();
    ParticleSystemManager();
    ParticleSystemManager(const ParticleSystemManager&) = delete;
    ParticleSystemManager& operator=(const ParticleSystemManager&) = delete;

    // Not kept. A file that cannot be read gives the "self_made" system.
    ParticleSystem* LoadParticleSystem(const std::string& name, Camera* camera, bool shaderFlag);
    ParticleSystem* CreateSelfMadeParticleSystem(Camera* camera);
    // A kept copy of a template.
    ParticleSystem* CreateParticleSystem(const ParticleSystem& source);
    void DeleteParticleSystem(ParticleSystem* system);
    void Update();

    // Systems hidden once they have finished (not emitting, nothing alive).
    std::vector<ParticleSystem*> oneShotSystems;
    uint32_t GetSystemCount() const { return systems.GetCount(); }

private:
    ObjectManager<ParticleSystem> systems;
};

} // namespace KorvaneEngine
