#include "engine/render/ModelFile.h"

#include <cstring>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/StringUtils.h"

namespace KorvaneEngine {

namespace {

// Without a vertex section no data stand behind the vertex count, yet the
// vertex buffer is made for it. No index can reach a vertex beyond the index
// count, so that many are allowed, or a few for a model its caller fills and
// draws itself.
const uint32_t kMinBareVertexLimit = 16;
// In-memory records of a skinned model are far larger than its file's: their
// total is kept below what one block of a 32-bit process can be.
const uint64_t kMaxRecordBytes = 0x7FFFFFFFu;
const uint32_t kStaticRecord = 32, kBoxRecord = 24, kKeyRecord = 40, kInfluenceRecord = 30;
const uint32_t kSkinVertexMinimum = 10;
// A bone record holds at least its flag, an empty name's count byte, its box
// and its two values, whatever the version.
const uint32_t kBoneMinimum = 30;

class Reader {
public:
    Reader(FileBinary& f, const std::string& name) : f_(f), name_(name) {}

    [[noreturn]] void Fail(const std::string& detail) const
    {
        throw FileError("Incorrect \"" + name_ + "\" file format: " + detail);
    }
    uint64_t Left() const
    {
        uint32_t size = f_.GetSize(), pos = f_.GetPosition();
        return pos < size ? size - pos : 0;
    }
    // Refuses a section before allocating for it when the data cannot hold it.
    void Need(uint64_t bytes, const char* what) const
    {
        if (bytes > Left())
            Fail(std::string(what) + " need " + std::to_string(bytes) + " bytes, " + std::to_string(Left()) +
                " are left");
    }
    void Bytes(void* out, uint32_t count) { f_.Read(out, count); }
    uint8_t U8()
    {
        uint8_t b;
        f_.Read(&b, 1);
        return b;
    }
    uint16_t U16()
    {
        uint8_t b[2];
        f_.Read(b, 2);
        return static_cast<uint16_t>(b[0] | b[1] << 8);
    }
    uint32_t U32()
    {
        uint8_t b[4];
        f_.Read(b, 4);
        return Le32(b);
    }
    float F32()
    {
        uint32_t v = U32();
        float out;
        std::memcpy(&out, &v, 4);
        return out;
    }
    Vector3 Vec()
    {
        float x = F32(), y = F32();
        return Vector3(x, y, F32());
    }
    void String(std::string& out) { f_.ReadString(out); }

    static uint32_t Le32(const uint8_t* b)
    {
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }
    static float LeF32(const uint8_t* b)
    {
        uint32_t v = Le32(b);
        float out;
        std::memcpy(&out, &v, 4);
        return out;
    }
    static Vector3 LeVec(const uint8_t* b) { return Vector3(LeF32(b), LeF32(b + 4), LeF32(b + 8)); }

private:
    FileBinary& f_;
    const std::string& name_;
};

// u, v, normal, position: the file's 32-byte vertex.
void DecodeVertices(const std::vector<uint8_t>& raw, std::vector<MorphVertex>& out)
{
    size_t n = raw.size() / kStaticRecord;
    out.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* p = raw.data() + i * kStaticRecord;
        out[i].u = Reader::LeF32(p);
        out[i].v = Reader::LeF32(p + 4);
        out[i].normal = Reader::LeVec(p + 8);
        out[i].position = Reader::LeVec(p + 20);
    }
}

} // namespace

void ReadModelFile(FileBinary& file, const std::string& name, uint32_t extraFlags, ModelFileContents& out)
{
    using namespace ModelFlags;
    Reader r(file, name);

    uint8_t header[13];
    r.Bytes(header, sizeof header);
    if (std::memcmp(header + 4, "KEMLF", 5) != 0 || Reader::Le32(header) != file.GetSize())
        throw FileError("Incorrect \"" + name + "\" file format");
    out.version = Reader::Le32(header + 9);
    if (out.version != 202 && out.version != 201)
        throw FileError("Incorrect \"" + name + "\" format version, current is " +
            UnsignedToString(ModelFileContents::kCurrentVersion));

    out.flags = r.U32() | extraFlags;
    if (out.flags == 0)
        out.flags = kVertexUsage;
    const uint32_t flags = out.flags;

    out.frameCount = 1;
    out.speed = 0.0f;
    if (flags & (kMorph | kSkinned)) {
        out.frameCount = r.U32();
        out.speed = r.F32();
        if (out.frameCount == 0)
            r.Fail("an animated model needs at least one frame");
    }
    const uint64_t frames = out.frameCount;

    uint32_t boneCount = 0;
    if (flags & kSkinned) {
        boneCount = r.U16();
        if (boneCount == 0)
            r.Fail("a skinned model needs at least one bone");
        r.Need(uint64_t(boneCount) * kBoneMinimum, "the bones");
        out.bones.resize(boneCount);
        for (ModelFileBone& b : out.bones) {
            b.excludeFromBounds = r.U8();
            r.String(b.name);
            if (out.version == 202)
                b.pivot = r.Vec();
            b.boxMin = r.Vec();
            b.boxMax = r.Vec();
            b.value1 = r.U16();
            b.value2 = r.U16();
        }
        uint64_t keyBytes = uint64_t(boneCount) * frames * kKeyRecord;
        r.Need(keyBytes, "the key frames");
        std::vector<uint8_t> raw(static_cast<size_t>(keyBytes));
        r.Bytes(raw.data(), static_cast<uint32_t>(keyBytes));
        out.keys.resize(raw.size() / 4);
        for (size_t i = 0; i < out.keys.size(); ++i)
            out.keys[i] = Reader::LeF32(raw.data() + 4 * i);
    }

    out.indexCount = r.U32();
    out.vertexCount = r.U32();
    const uint64_t indexBytes = uint64_t(out.indexCount) * out.IndexSize();
    r.Need(indexBytes, "the indices");
    out.indices.resize(static_cast<size_t>(indexBytes));
    if (indexBytes)
        r.Bytes(out.indices.data(), static_cast<uint32_t>(indexBytes));
    const uint32_t vertexCount = out.vertexCount;
    for (uint32_t i = 0; i < out.indexCount; ++i) {
        const uint8_t* p = out.indices.data() + size_t(i) * out.IndexSize();
        uint32_t index = out.IndexSize() == 4 ? Reader::Le32(p) : uint32_t(p[0] | p[1] << 8);
        if (index >= vertexCount)
            r.Fail("index " + std::to_string(index) + " is beyond the vertex count " + std::to_string(vertexCount));
    }

    if (flags & kStatic) {
        uint64_t bytes = uint64_t(vertexCount) * kStaticRecord;
        r.Need(bytes, "the vertices");
        std::vector<uint8_t> raw(static_cast<size_t>(bytes));
        if (bytes)
            r.Bytes(raw.data(), static_cast<uint32_t>(bytes));
        DecodeVertices(raw, out.vertices);
    } else if (flags & kMorph) {
        uint64_t bytes = uint64_t(vertexCount) * frames * kStaticRecord;
        r.Need(bytes, "the morph frames");
        std::vector<uint8_t> raw(static_cast<size_t>(bytes));
        if (bytes)
            r.Bytes(raw.data(), static_cast<uint32_t>(bytes));
        DecodeVertices(raw, out.vertices);
    } else if (flags & kSkinned) {
        r.Need(uint64_t(vertexCount) * kSkinVertexMinimum, "the skinned vertices");
        if (uint64_t(vertexCount) * (sizeof(MorphVertex) + sizeof(SkinRecord)) > kMaxRecordBytes)
            r.Fail("vertex count " + std::to_string(vertexCount) + " is more than a skinned model can hold");
        out.vertices.resize(vertexCount);
        out.skin.resize(vertexCount);
        for (uint32_t i = 0; i < vertexCount; ++i) {
            out.vertices[i].u = r.F32();
            out.vertices[i].v = r.F32();
            SkinRecord& s = out.skin[i];
            uint16_t count = r.U16();
            if (count > SkinRecord::kMaxInfluences)
                r.Fail("vertex " + std::to_string(i) + " has " + std::to_string(count) + " bone influences");
            r.Need(uint64_t(count) * kInfluenceRecord, "the bone influences");
            s.count = count;
            for (uint16_t k = 0; k < count; ++k) {
                SkinInfluence& in = s.influences[k];
                in.bone = r.U16();
                if (in.bone >= boneCount)
                    r.Fail("vertex " + std::to_string(i) + " names bone " + std::to_string(in.bone) + " of " +
                        std::to_string(boneCount));
                in.weight = r.F32();
                in.normalOffset = r.Vec();
                in.positionOffset = r.Vec();
            }
        }
    } else if (vertexCount > out.indexCount && vertexCount > kMinBareVertexLimit) {
        r.Fail("vertex count " + std::to_string(vertexCount) + " without vertex data");
    }

    const uint64_t boxes = (flags & kMorph) ? frames : 1;
    r.Need(boxes * kBoxRecord, "the bounds");
    out.boxMin.resize(static_cast<size_t>(boxes));
    out.boxMax.resize(static_cast<size_t>(boxes));
    for (size_t i = 0; i < boxes; ++i) {
        out.boxMin[i] = r.Vec();
        out.boxMax[i] = r.Vec();
    }
}

} // namespace KorvaneEngine
