#include "tools/formats/ParticleFileWriter.h"

#include "tools/formats/ByteWriter.h"

namespace ContentTools {

namespace {
void Keys(ByteWriter& w, const float (&keys)[6])
{
    for (float f : keys)
        w.F32(f);
}
} // namespace

std::vector<uint8_t> WriteParticleFile(const ParticleFile& p)
{
    ByteWriter w;
    w.U32(0);
    w.Bytes("KEPSF", 5);
    w.U32(p.version);
    w.U32(p.maxParticles);
    w.F32(p.duration);
    w.U8(p.gravityEnabled);
    w.F32(p.gravity);
    w.U8(p.floorEnabled);
    w.F32(p.floorHeight);
    w.F32(p.bounce);
    w.U8(p.stopOnRest);
    w.F32(p.restThreshold);
    w.U8(p.interpolateEmission);
    Keys(w, p.emissionRate);
    Keys(w, p.lifeCentre);
    Keys(w, p.lifeSpread);
    for (const auto& v : p.directionCentre)
        for (float f : v)
            w.F32(f);
    for (const auto& v : p.directionSpread)
        for (float f : v)
            w.F32(f);
    for (const auto& c : p.colour)
        for (float f : c)
            w.F32(f);
    Keys(w, p.size);
    Keys(w, p.speedCentre);
    if (p.version != 203)
        Keys(w, p.speedSpread);
    w.U32(p.emitterShape);
    for (float f : p.boundsMin)
        w.F32(f);
    for (float f : p.boundsMax)
        w.F32(f);
    if (!p.trailing.empty())
        w.Bytes(p.trailing.data(), p.trailing.size());
    w.PatchU32(0, p.storedTotalSize != ParticleFile::kAuto ? p.storedTotalSize : static_cast<uint32_t>(w.Size()));
    return std::move(w.Data());
}

bool SaveParticleFile(const std::string& path, const ParticleFile& file)
{
    return SaveBytes(path, WriteParticleFile(file));
}

} // namespace ContentTools
