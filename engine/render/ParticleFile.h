#pragma once
#include <cstdint>
#include <string>

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class FileBinary;

// Everything a "KEPSF" particle file holds (versions 203 and 204), with the
// built-in "self_made" values as defaults. Six keys per table; key k stands at
// k/5 of the time line it belongs to.
struct ParticleParameters {
    static constexpr int kKeys = 6;

    uint32_t maxParticles = 100;
    float duration = 1.0f;
    bool gravityEnabled = true;
    float gravity = 1.0f;
    bool floorEnabled = true;
    float floorHeight = -1.0f;
    float bounce = 0.9f;
    bool stopOnRest = true;
    float restThreshold = 0.4f;
    bool interpolateEmission = true;
    float emissionRate[kKeys] = {10, 10, 10, 10, 10, 10};
    float lifeCentre[kKeys] = {1, 1, 1, 1, 1, 1};
    float lifeSpread[kKeys] = {0, 0, 0, 0, 0, 0};
    Vector3 directionCentre[kKeys];
    Vector3 directionSpread[kKeys] = {Vector3(1), Vector3(1), Vector3(1), Vector3(1), Vector3(1), Vector3(1)};
    Color colour[kKeys] = {Color(1), Color(1), Color(1), Color(1), Color(1), Color(1)};
    float size[kKeys] = {1, 1, 1, 1, 1, 1};
    float speedCentre[kKeys] = {1, 1, 1, 1, 1, 1};
    float speedSpread[kKeys] = {0, 0, 0, 0, 0, 0};
    uint32_t emitterShape = 0;
    Vector3 boundsMin = Vector3(-0.5f);
    Vector3 boundsMax = Vector3(0.5f);
};

const uint32_t kParticleFileVersion = 204;
const uint32_t kParticleFileOldVersion = 203;
// Each particle is a sprite of four vertices; the vertices of one draw must
// stay addressable by 16-bit indices (and within the device's 65535-vertex
// limit for a draw), so a system holds at most 65535 / 4 particles.
const uint32_t kMaxParticles = 16383;

// Reads a particle file from an open file; name is the name the messages
// carry. Throws FileError "Incorrect \"<name>\" file format" for a wrong magic,
// a size field other than the file's length, a length other than the version's
// fixed size, or a non-finite number (which would stall or corrupt the
// simulation), and "Incorrect \"<name>\" format version, current is 204" for a
// version other than 203 and 204. A capacity above kMaxParticles is cut to it.
void ReadParticleFile(FileBinary& file, const std::string& name, ParticleParameters& out);

// Opens "data\" + name through the file manager and reads it as above.
void LoadParticleFile(const std::string& name, ParticleParameters& out);

} // namespace KorvaneEngine
