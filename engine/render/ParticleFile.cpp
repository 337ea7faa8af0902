#include "engine/render/ParticleFile.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/StringUtils.h"

namespace KorvaneEngine {

namespace {

const uint32_t kHeaderSize = 13;
const uint32_t kSize203 = 429;
const uint32_t kSize204 = 453;
const uint32_t kOpenCacheLimit = 0x800000;

// Decodes the body from one in-memory image, so the length is known to be
// right before any field is touched.
class BodyReader {
public:
    explicit BodyReader(const uint8_t* p) : p_(p) {}
    uint8_t U8() { return *p_++; }
    uint32_t U32()
    {
        uint32_t v = uint32_t(p_[0]) | uint32_t(p_[1]) << 8 | uint32_t(p_[2]) << 16 | uint32_t(p_[3]) << 24;
        p_ += 4;
        return v;
    }
    float F32()
    {
        uint32_t v = U32();
        float f;
        std::memcpy(&f, &v, 4);
        finite_ = finite_ && std::isfinite(f);
        return f;
    }
    Vector3 Vec3()
    {
        float x = F32(), y = F32();
        return Vector3(x, y, F32());
    }
    void Keys(float (&out)[ParticleParameters::kKeys])
    {
        for (float& f : out)
            f = F32();
    }
    bool AllFinite() const { return finite_; }

private:
    const uint8_t* p_;
    bool finite_ = true;
};

uint32_t Le32(const uint8_t* b)
{
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

} // namespace

void ReadParticleFile(FileBinary& file, const std::string& name, ParticleParameters& out)
{
    uint8_t header[kHeaderSize];
    file.Read(header, kHeaderSize);
    const std::string formatError = "Incorrect \"" + name + "\" file format";
    if (std::memcmp(header + 4, "KEPSF", 5) != 0 || Le32(header) != file.GetSize())
        throw FileError(formatError);
    const uint32_t version = Le32(header + 9);
    if (version != kParticleFileVersion && version != kParticleFileOldVersion)
        throw FileError("Incorrect \"" + name + "\" format version, current is " +
            UnsignedToString(kParticleFileVersion));
    // The layout has no counts, only a fixed size per version.
    const uint32_t expected = version == kParticleFileVersion ? kSize204 : kSize203;
    if (file.GetSize() != expected)
        throw FileError(formatError);

    uint8_t body[kSize204 - kHeaderSize];
    file.Read(body, expected - kHeaderSize);
    BodyReader r(body);
    ParticleParameters p;
    p.maxParticles = r.U32();
    p.duration = r.F32();
    p.gravityEnabled = r.U8() != 0;
    p.gravity = r.F32();
    p.floorEnabled = r.U8() != 0;
    p.floorHeight = r.F32();
    p.bounce = r.F32();
    p.stopOnRest = r.U8() != 0;
    p.restThreshold = r.F32();
    p.interpolateEmission = r.U8() != 0;
    r.Keys(p.emissionRate);
    r.Keys(p.lifeCentre);
    r.Keys(p.lifeSpread);
    for (Vector3& v : p.directionCentre)
        v = r.Vec3();
    for (Vector3& v : p.directionSpread)
        v = r.Vec3();
    for (Color& c : p.colour) {
        float cr = r.F32(), cg = r.F32(), cb = r.F32();
        c = Color(cr, cg, cb, r.F32());
    }
    r.Keys(p.size);
    r.Keys(p.speedCentre);
    if (version == kParticleFileVersion)
        r.Keys(p.speedSpread);
    else
        for (float& f : p.speedSpread)
            f = 0.0f;
    p.emitterShape = r.U32();
    p.boundsMin = r.Vec3();
    p.boundsMax = r.Vec3();
    if (!r.AllFinite())
        throw FileError(formatError);
    if (p.maxParticles > kMaxParticles)
        p.maxParticles = kMaxParticles;
    out = p;
}

void LoadParticleFile(const std::string& name, ParticleParameters& out)
{
    FileManager* files = FileManager::Instance();
    const std::string path = GetDataPath(name);
    std::unique_ptr<FileBinary> file(files ? files->OpenFile(path, false, kOpenCacheLimit)
                                           : new FileBinary(path, false, kOpenCacheLimit));
    ReadParticleFile(*file, name, out);
}

} // namespace KorvaneEngine
