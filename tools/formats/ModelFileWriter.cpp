#include "tools/formats/ModelFileWriter.h"

#include <algorithm>

#include "tools/formats/ByteWriter.h"

namespace ContentTools {

namespace {

void Vec(ByteWriter& w, const ModelVec3& v)
{
    w.F32(v.x);
    w.F32(v.y);
    w.F32(v.z);
}

uint32_t VertexCountOf(const ModelFile& m)
{
    if (m.storedVertexCount != ModelFile::kAuto)
        return m.storedVertexCount;
    if (m.flags & ModelFile::kStatic)
        return static_cast<uint32_t>(m.vertices.size());
    if (m.flags & ModelFile::kMorph)
        return m.frameCount ? static_cast<uint32_t>(m.vertices.size() / m.frameCount) : 0;
    if (m.flags & ModelFile::kSkinned)
        return static_cast<uint32_t>(m.skinVertices.size());
    return 0;
}

} // namespace

std::vector<uint8_t> WriteModelFile(const ModelFile& m)
{
    ByteWriter w;
    w.U32(0);
    w.Bytes("KEMLF", 5);
    w.U32(m.version);
    w.U32(m.flags);
    if (m.flags & (ModelFile::kMorph | ModelFile::kSkinned)) {
        w.U32(m.frameCount);
        w.F32(m.speed);
    }
    if (m.flags & ModelFile::kSkinned) {
        uint32_t boneCount = m.storedBoneCount != ModelFile::kAuto ? m.storedBoneCount
                                                                   : static_cast<uint32_t>(m.bones.size());
        w.U16(static_cast<uint16_t>(boneCount));
        for (const ModelBone& b : m.bones) {
            w.U8(b.excludeFromBounds);
            w.String(b.name);
            if (m.version >= 202)
                Vec(w, b.pivot);
            Vec(w, b.boxMin);
            Vec(w, b.boxMax);
            w.U16(b.value1);
            w.U16(b.value2);
        }
        for (const ModelKey& k : m.keys) {
            Vec(w, k.position);
            for (float r : k.rotation)
                w.F32(r);
            Vec(w, k.scale);
        }
    }
    uint32_t indexCount = m.storedIndexCount != ModelFile::kAuto ? m.storedIndexCount
                                                                 : static_cast<uint32_t>(m.indices.size());
    w.U32(indexCount);
    w.U32(VertexCountOf(m));
    // The index width follows the stored count, as the reader expects.
    bool wide = indexCount >= 65536;
    for (uint32_t i : m.indices) {
        if (wide)
            w.U32(i);
        else
            w.U16(static_cast<uint16_t>(i));
    }
    if (m.flags & (ModelFile::kStatic | ModelFile::kMorph)) {
        for (const ModelVertex& v : m.vertices) {
            w.F32(v.u);
            w.F32(v.v);
            Vec(w, v.normal);
            Vec(w, v.position);
        }
    } else if (m.flags & ModelFile::kSkinned) {
        for (const ModelSkinVertex& v : m.skinVertices) {
            w.F32(v.u);
            w.F32(v.v);
            w.U16(static_cast<uint16_t>(v.influences.size()));
            for (const ModelInfluence& in : v.influences) {
                w.U16(in.bone);
                w.F32(in.weight);
                Vec(w, in.normalOffset);
                Vec(w, in.positionOffset);
            }
        }
    }
    if (m.flags & ModelFile::kMorph) {
        for (const ModelBox& b : m.boxes) {
            Vec(w, b.min);
            Vec(w, b.max);
        }
    } else {
        ModelBox b = m.boxes.empty() ? ModelBox() : m.boxes.front();
        Vec(w, b.min);
        Vec(w, b.max);
    }
    w.PatchU32(0, m.storedTotalSize != ModelFile::kAuto ? m.storedTotalSize : static_cast<uint32_t>(w.Size()));
    return std::move(w.Data());
}

bool SaveModelFile(const std::string& path, const ModelFile& model)
{
    return SaveBytes(path, WriteModelFile(model));
}

ModelBox BoundsOf(const std::vector<ModelVertex>& vertices)
{
    ModelBox b;
    if (vertices.empty())
        return b;
    b.min = b.max = vertices.front().position;
    for (const ModelVertex& v : vertices) {
        b.min.x = std::min(b.min.x, v.position.x);
        b.min.y = std::min(b.min.y, v.position.y);
        b.min.z = std::min(b.min.z, v.position.z);
        b.max.x = std::max(b.max.x, v.position.x);
        b.max.y = std::max(b.max.y, v.position.y);
        b.max.z = std::max(b.max.z, v.position.z);
    }
    return b;
}

} // namespace ContentTools
