#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace ContentTools {

// The layout of a "KEPSF" particle-system file (versions 203 and 204), as
// data. Serialised exactly as given, so tests can build malformed files too.
// Version 203 has no speed-spread keys; they are left out of the bytes.
struct ParticleFile {
    static const uint32_t kAuto = 0xFFFFFFFFu;

    uint32_t version = 204;
    uint32_t maxParticles = 100;
    float duration = 1;
    uint8_t gravityEnabled = 1;
    float gravity = 1;
    uint8_t floorEnabled = 1;
    float floorHeight = -1;
    float bounce = 0.9f;
    uint8_t stopOnRest = 1;
    float restThreshold = 0.4f;
    uint8_t interpolateEmission = 1;
    float emissionRate[6] = {10, 10, 10, 10, 10, 10};
    float lifeCentre[6] = {1, 1, 1, 1, 1, 1};
    float lifeSpread[6] = {0, 0, 0, 0, 0, 0};
    float directionCentre[6][3] = {};
    float directionSpread[6][3] = {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
    float colour[6][4] = {{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}};
    float size[6] = {1, 1, 1, 1, 1, 1};
    float speedCentre[6] = {1, 1, 1, 1, 1, 1};
    float speedSpread[6] = {0, 0, 0, 0, 0, 0};  // written in version 204 only
    uint32_t emitterShape = 0;
    float boundsMin[3] = {-0.5f, -0.5f, -0.5f};
    float boundsMax[3] = {0.5f, 0.5f, 0.5f};

    // Total-size field; kAuto writes the real length.
    uint32_t storedTotalSize = kAuto;
    // Bytes appended after the last field (a file that is too long).
    std::vector<uint8_t> trailing;
};

// Byte lengths of the two versions.
const uint32_t kParticleFileSize203 = 429;
const uint32_t kParticleFileSize204 = 453;

std::vector<uint8_t> WriteParticleFile(const ParticleFile& file);
bool SaveParticleFile(const std::string& path, const ParticleFile& file);

} // namespace ContentTools
