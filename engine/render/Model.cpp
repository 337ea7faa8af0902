#include "engine/render/Model.h"

#include <cstring>
#include <exception>
#include <new>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/MessageManager.h"
#include "engine/render/AnimationControl.h"
#include "engine/render/Camera.h"
#include "engine/render/CameraManager.h"
#include "engine/render/Frustum.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/LightManager.h"
#include "engine/render/RenderSystem.h"
#include "engine/render/Shader.h"
#include "engine/render/Skeleton.h"
#include "engine/render/VertexBuffer.h"

namespace KorvaneEngine {

namespace MF = ModelFlags;

namespace {

const uint32_t kCacheLimit = 8388608;
const float kExtent = 100000.0f;
const uint32_t kBoxFlags = MF::kVisible | MF::kCullClockwise | MF::kOpaque | MF::kDepthTest | MF::kLit |
    MF::kTriangleList | MF::kStatic;

RenderSystem& Renderer()
{
    RenderSystem* rs = RenderSystem::Instance();
    if (!rs)
        throw Error("Model: there is no render system");
    return *rs;
}

ShaderManager& Shaders()
{
    ShaderManager* sm = ShaderManager::Instance();
    if (!sm)
        throw Error("Model: there is no shader manager");
    return *sm;
}

// Position, normal and texture coordinates of vertex i in either layout
// (the 36-byte one has its colour between normal and u, v).
struct VertexView {
    uint8_t* base;
    uint32_t stride;
    float* Position(uint32_t i) const { return reinterpret_cast<float*>(base + size_t(i) * stride); }
    float* Normal(uint32_t i) const { return reinterpret_cast<float*>(base + size_t(i) * stride + 12); }
    float* Uv(uint32_t i) const
    {
        return reinterpret_cast<float*>(base + size_t(i) * stride + (stride == 36 ? 28 : 24));
    }
};

void Put(float* out, const Vector3& v)
{
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}

VertexView LockAll(VertexBuffer& vb)
{
    return VertexView{vb.Lock(0, vb.vertexCount), vb.stride};
}

uint32_t ReadIndex(const IndexBuffer& ib, uint32_t i)
{
    return ib.GetIndex(i);
}

} // namespace

// ---------------------------------------------------------------- construction

void Model::InitMatrices()
{
    Matrix4::SetIdentity(localMatrix);
    Matrix4::SetIdentity(secondMatrix);
}

Model::Model(const std::string& name_, Camera* camera, uint32_t extraFlags, bool shaderFlag) : name(name_)
{
    InitMatrices();
    try {
        LoadFile(extraFlags);
    } catch (const Error& e) {
        // Members built so far go with the unwinding; the caller gets a plain
        // Error and may fall back.
        if (MessageManager* log = MessageManager::Instance())
            log->LogError(e.GetMessage());
        throw Error(e.GetMessage());
    } catch (const std::exception&) {
        // bad_alloc, or length_error from a container asked for more elements
        // than it can ever hold: either way the model does not fit in memory.
        const std::string message = "Not enough memory to load \"" + name + "\" model";
        if (MessageManager* log = MessageManager::Instance())
            log->LogError(message);
        throw Error(message);
    }
    std::string shaderFile = name;
    ChangeExtension(shaderFile, "srf");
    shaderUser_ = Shaders().GetShaderUserFromFile(shaderFile, shaderFlag);
    SetCamera(camera);
    stripFlag_ = (flags_ & MF::kTriangleList) ? 0 : 1;
    UpdatePrimitiveCount();
    visiblePrimitiveCount_ = 0;
}

void Model::LoadFile(uint32_t extraFlags)
{
    ModelFileContents contents;
    {
        FileManager* files = FileManager::Instance();
        if (!files)
            throw FileError("Failed to open \"" + name + "\" file");
        std::unique_ptr<FileBinary> file(files->OpenFile(GetDataPath(name), false, kCacheLimit));
        ReadModelFile(*file, name, extraFlags, contents);
    }
    Build(contents);
}

void Model::CreateBuffers(uint32_t vertexCount, uint32_t indexCount)
{
    RenderSystem& rs = Renderer();
    indexBuffer_.reset(rs.CreateIndexBuffer((flags_ & MF::kIndexUsage) ? 1 : 0, indexCount));
    vertexBuffer_.reset(
        rs.CreateVertexBuffer((flags_ & MF::kVertexUsage) ? 1 : 0, (flags_ & MF::kColor) ? 1 : 0, vertexCount));
    if (!indexBuffer_ || !vertexBuffer_)
        throw Error("Failed to create the buffers of \"" + name + "\" model");
    // Nothing is left uninitialised for a draw or a pick to read: indices 0,
    // vertices at the origin (a colour keeps the white the buffer gave it).
    if (indexCount) {
        std::memset(indexBuffer_->Lock(0, indexCount), 0, size_t(indexCount) * indexBuffer_->indexSize);
        indexBuffer_->Unlock();
    }
    if (vertexCount) {
        VertexView v = LockAll(*vertexBuffer_);
        for (uint32_t i = 0; i < vertexCount; ++i) {
            Put(v.Position(i), Vector3());
            Put(v.Normal(i), Vector3());
            v.Uv(i)[0] = v.Uv(i)[1] = 0.0f;
        }
        vertexBuffer_->Unlock();
    }
}

void Model::Build(const ModelFileContents& c)
{
    flags_ = c.flags;
    const uint32_t frames = c.frameCount;
    if (flags_ & MF::kSkinned) {
        skeleton_.reset(new Skeleton(static_cast<uint16_t>(c.bones.size())));
        for (size_t b = 0; b < c.bones.size(); ++b) {
            Bone& bone = skeleton_->GetBone(static_cast<uint32_t>(b));
            const ModelFileBone& fb = c.bones[b];
            bone.excludeFromBounds = fb.excludeFromBounds;
            bone.name = fb.name;
            bone.pivot = fb.pivot;
            bone.box.Set(fb.boxMin, fb.boxMax);
            bone.value1 = fb.value1;
            bone.value2 = fb.value2;
        }
        keys_ = c.keys;
    }

    CreateBuffers(c.vertexCount, c.indexCount);
    if (c.indexCount) {
        std::memcpy(indexBuffer_->Lock(0, c.indexCount), c.indices.data(), c.indices.size());
        indexBuffer_->Unlock();
    }

    const uint32_t v = c.vertexCount;
    if (flags_ & MF::kStatic) {
        VertexView out = LockAll(*vertexBuffer_);
        for (uint32_t i = 0; i < v; ++i) {
            Put(out.Position(i), c.vertices[i].position);
            Put(out.Normal(i), c.vertices[i].normal);
            out.Uv(i)[0] = c.vertices[i].u;
            out.Uv(i)[1] = c.vertices[i].v;
        }
        vertexBuffer_->Unlock();
    } else if (flags_ & MF::kMorph) {
        morph_ = c.vertices;
        // Frame 0 until the first update blends the frames in.
        VertexView out = LockAll(*vertexBuffer_);
        for (uint32_t i = 0; i < v; ++i) {
            Put(out.Position(i), morph_[i].position);
            Put(out.Normal(i), morph_[i].normal);
            out.Uv(i)[0] = morph_[i].u;
            out.Uv(i)[1] = morph_[i].v;
        }
        vertexBuffer_->Unlock();
    } else if (flags_ & MF::kSkinned) {
        skin_ = c.skin;
        VertexView out = LockAll(*vertexBuffer_);
        for (uint32_t i = 0; i < v; ++i) {
            out.Uv(i)[0] = c.vertices[i].u;
            out.Uv(i)[1] = c.vertices[i].v;
        }
        vertexBuffer_->Unlock();
    }

    if (flags_ & MF::kMorph) {
        frameBoxes_.resize(c.boxMin.size());
        for (size_t i = 0; i < frameBoxes_.size(); ++i)
            frameBoxes_[i].Set(c.boxMin[i], c.boxMax[i]);
        box = frameBoxes_[0];
    } else {
        box.Set(c.boxMin[0], c.boxMax[0]);
    }

    if (flags_ & MF::kSkinned) {
        skeleton_->Update(keys_.data(), 0, 0, 0.0f);
        box = skeleton_->GetBox();
    }
    animation_.reset(new AnimationControl(0, frames));
    animation_->speed = c.speed;
}

Model::Model(uint32_t flags, uint32_t vertexCount, uint32_t indexCount, uint32_t frameCount,
    const ShaderDescriptor* shader, Camera* camera, bool shaderFlag)
    : name("self_made")
{
    InitMatrices();
    flags_ = flags ? flags : MF::kVertexUsage;
    animation_.reset(new AnimationControl(0, frameCount));
    CreateBuffers(vertexCount, indexCount);
    shaderUser_ = shader ? Shaders().GetShaderUser(*shader, shaderFlag)
                         : Shaders().GetShaderUser(ShaderDescriptor(), false);
    box.Set(Vector3(-0.0001f, -0.0001f, -0.0001f), Vector3(0.0001f, 0.0001f, 0.0001f));
    SetCamera(camera);
    stripFlag_ = (flags_ & MF::kTriangleList) ? 0 : 1;
    UpdatePrimitiveCount();
}

Model::Model(const Vector3& m, const Vector3& M, const ShaderDescriptor* shader, Camera* camera, uint32_t extraFlags)
    : name("box")
{
    InitMatrices();
    flags_ = kBoxFlags;
    AddFlags(extraFlags);
    animation_.reset(new AnimationControl(0, 1));
    CreateBuffers(24, 36);

    const Vector3 corners[24] = {
        {m.x, m.y, m.z}, {m.x, M.y, m.z}, {M.x, M.y, m.z}, {M.x, m.y, m.z},
        {m.x, m.y, M.z}, {M.x, m.y, M.z}, {M.x, M.y, M.z}, {m.x, M.y, M.z},
        {m.x, m.y, m.z}, {M.x, m.y, m.z}, {M.x, m.y, M.z}, {m.x, m.y, M.z},
        {M.x, m.y, m.z}, {M.x, M.y, m.z}, {M.x, M.y, M.z}, {M.x, m.y, M.z},
        {M.x, M.y, m.z}, {m.x, M.y, m.z}, {m.x, M.y, M.z}, {M.x, M.y, M.z},
        {m.x, M.y, m.z}, {m.x, m.y, m.z}, {m.x, m.y, M.z}, {m.x, M.y, M.z}};
    const Vector3 normals[6] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}};
    const float firstFaceUv[4][2] = {{1, 0}, {1, 1}, {0, 1}, {0, 0}};
    const float otherFaceUv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    VertexView out = LockAll(*vertexBuffer_);
    for (uint32_t i = 0; i < 24; ++i) {
        Put(out.Position(i), corners[i]);
        Put(out.Normal(i), normals[i / 4]);
        const float* uv = i < 4 ? firstFaceUv[i % 4] : otherFaceUv[i % 4];
        out.Uv(i)[0] = uv[0];
        out.Uv(i)[1] = uv[1];
    }
    vertexBuffer_->Unlock();
    uint32_t indices[36];
    for (uint32_t k = 0; k < 6; ++k) {
        const uint32_t q[6] = {4 * k, 4 * k + 1, 4 * k + 2, 4 * k + 2, 4 * k + 3, 4 * k};
        std::memcpy(indices + 6 * k, q, sizeof q);
    }
    indexBuffer_->SetIndices(0, 36, indices);

    shaderUser_ = shader ? Shaders().GetShaderUser(*shader, false) : Shaders().GetShaderUser(ShaderDescriptor(), false);
    UpdateBoundingBox(box, false);
    SetCamera(camera);
    stripFlag_ = (flags_ & MF::kTriangleList) ? 0 : 1;
    UpdatePrimitiveCount();
}

Model::Model(const Model& source, Camera* camera, uint32_t extraFlags)
    : name(source.name), localMatrix(source.localMatrix), secondMatrix(source.secondMatrix), box(source.box),
      viewDepth(source.viewDepth), depthOffset(source.depthOffset), deformationEnabled(source.deformationEnabled)
{
    flags_ = source.flags_ | extraFlags;
    if (flags_ == 0)
        flags_ = MF::kVertexUsage;
    animation_.reset(new AnimationControl(*source.animation_));
    if (source.skeleton_) {
        skeleton_.reset(new Skeleton(*source.skeleton_));
        keys_ = source.keys_;
    }
    RenderSystem& rs = Renderer();
    vertexBuffer_.reset(rs.CreateVertexBufferCopy((flags_ & MF::kVertexUsage) ? 1 : 0, (flags_ & MF::kColor) ? 1 : 0,
        *source.vertexBuffer_));
    morph_ = source.morph_;
    skin_ = source.skin_;
    indexBuffer_.reset(rs.CreateIndexBufferCopy((flags_ & MF::kIndexUsage) ? 1 : 0, *source.indexBuffer_));
    if (!indexBuffer_ || !vertexBuffer_)
        throw Error("Failed to create the buffers of \"" + name + "\" model");
    frameBoxes_ = source.frameBoxes_;
    shaderUser_ = Shaders().GetShaderUser(*source.shaderUser_, false);
    box.SetTransform(localMatrix);
    stripFlag_ = source.stripFlag_;
    hasPrevious_ = source.hasPrevious_;
    previousA_ = source.previousA_;
    previousB_ = source.previousB_;
    previousBlend_ = source.previousBlend_;
    SetCamera(camera ? camera : source.camera_);
    UpdatePrimitiveCount();
    visiblePrimitiveCount_ = 0;
}

Model::~Model()
{
    ReleaseShaderUser();
}

void Model::ReleaseShaderUser()
{
    if (shaderUser_)
        if (ShaderManager* sm = ShaderManager::Instance())
            sm->RemoveShaderUser(shaderUser_);
    shaderUser_ = nullptr;
}

// ---------------------------------------------------------------- flags and settings

void Model::AddFlags(uint32_t bits)
{
    flags_ |= bits;
    if (bits & MF::kOpaque)
        flags_ &= ~MF::kBlended;
    else if (bits & MF::kBlended)
        flags_ &= ~MF::kOpaque;
    if (bits & MF::kCullClockwise)
        flags_ &= ~(MF::kTwoSided | MF::kCullCounterClockwise);
    else if (bits & MF::kCullCounterClockwise)
        flags_ &= ~(MF::kTwoSided | MF::kCullClockwise);
    else if (bits & MF::kTwoSided)
        flags_ &= ~(MF::kCullClockwise | MF::kCullCounterClockwise);
}

void Model::RemoveFlags(uint32_t bits)
{
    if (bits & (MF::kOpaque | MF::kBlended))
        flags_ |= MF::kOpaque | MF::kBlended;
    flags_ &= ~bits;
}

void Model::ScaleTexCoords(const float uv[2])
{
    if (!vertexBuffer_->vertexCount)
        return;
    VertexView v = LockAll(*vertexBuffer_);
    for (uint32_t i = 0; i < vertexBuffer_->vertexCount; ++i) {
        v.Uv(i)[0] *= uv[0];
        v.Uv(i)[1] *= uv[1];
    }
    vertexBuffer_->Unlock();
}

void Model::ScaleTexCoords(float u, float v)
{
    const float uv[2] = {u, v};
    ScaleTexCoords(uv);
}

void Model::SetColor(const float rgba[4])
{
    if (vertexBuffer_->hasColor)
        vertexBuffer_->SetColor(rgba);
}

void Model::SetColor(const Color& color)
{
    const float rgba[4] = {color.r, color.g, color.b, color.a};
    SetColor(rgba);
}

void Model::SetCamera(Camera* camera)
{
    if (!camera)
        if (CameraManager* cameras = CameraManager::Instance())
            camera = cameras->GetDefaultCamera();
    camera_ = camera;
}

void Model::SetShader(const ShaderDescriptor* descriptor)
{
    ShaderUser* next = descriptor ? Shaders().GetShaderUser(*descriptor, false)
                                  : Shaders().GetShaderUser(ShaderDescriptor(), false);
    ShaderUser* previous = shaderUser_;
    shaderUser_ = next;
    if (previous)
        Shaders().RemoveShaderUser(previous);
}

void Model::UpdatePrimitiveCount()
{
    const uint32_t n = indexBuffer_ ? indexBuffer_->indexCount : 0;
    // Fewer than three indices make no triangle (and must not wrap around).
    primitiveCount_ = stripFlag_ ? (n >= 3 ? n - 2 : 0) : n / 3;
}

void Model::GetWorldMatrix(Matrix4& out) const
{
    out = localMatrix;
    if (camera_ && camera_->cameraRelative)
        out = camera_->relativeSecond * (localMatrix * camera_->relativeFirst);
}

Vector3 Model::PositionOf(uint32_t vertex) const
{
    const float* p = reinterpret_cast<const float*>(vertexBuffer_->vertices + size_t(vertex) * vertexBuffer_->stride);
    return Vector3(p[0], p[1], p[2]);
}

void Model::UpdateBoundingBox(BoundingBox& out, bool transformed) const
{
    Vector3 lo(kExtent, kExtent, kExtent), hi(-kExtent, -kExtent, -kExtent);
    const uint32_t vertexCount = vertexBuffer_->vertexCount;
    for (uint32_t i = 0; i < indexBuffer_->indexCount; ++i) {
        uint32_t index = ReadIndex(*indexBuffer_, i);
        if (index >= vertexCount)
            continue;
        Vector3 p = PositionOf(index);
        for (int k = 0; k < 3; ++k) {
            if (p[k] < lo[k])
                lo[k] = p[k];
            if (p[k] > hi[k])
                hi[k] = p[k];
        }
    }
    if (transformed) {
        lo = localMatrix.TransformPoint(lo);
        hi = localMatrix.TransformPoint(hi);
    }
    out.Set(lo, hi);
}

void Model::UpdateBoundingBox()
{
    UpdateBoundingBox(box, false);
    box.SetTransform(localMatrix);
}

// ---------------------------------------------------------------- per frame

void Model::Update(bool cull)
{
    uint32_t a = 0, b = 0;
    float t = 0.0f;
    if (flags_ & (MF::kMorph | MF::kSkinned)) {
        animation_->Update();
        a = animation_->frameA;
        b = animation_->frameB;
        t = animation_->blend;
    }
    if (!(flags_ & MF::kVisible))
        return;

    if ((flags_ & MF::kRecomputeBounds) && (flags_ & MF::kStatic)) {
        UpdateBoundingBox(box, false);
        box.SetTransform(localMatrix);
    }
    if (flags_ & MF::kMorph) {
        if (a < frameBoxes_.size() && b < frameBoxes_.size()) {
            box = BoundingBox::Lerp(frameBoxes_[a], frameBoxes_[b], t);
            box.SetTransform(localMatrix);
        }
    } else if (flags_ & MF::kSkinned) {
        if (skeleton_ && (size_t(a) + 1) * skeleton_->GetBoneCount() * kFloatsPerKey <= keys_.size() &&
            (size_t(b) + 1) * skeleton_->GetBoneCount() * kFloatsPerKey <= keys_.size()) {
            skeleton_->Update(keys_.data(), a, b, t);
            box = skeleton_->GetBox();
            box.SetTransform(localMatrix);
        }
    }

    UpdatePrimitiveCount();
    visiblePrimitiveCount_ = primitiveCount_;
    if (cull && camera_) {
        bool inside;
        if (!camera_->cameraRelative) {
            inside = camera_->GetFrustum().IsVisible(box);
        } else {
            BoundingBox world = box;
            Matrix4 m;
            GetWorldMatrix(m);
            world.SetTransform(m);
            inside = camera_->GetFrustum().IsVisible(world);
        }
        if (!inside)
            visiblePrimitiveCount_ = 0;
    }
    if (visiblePrimitiveCount_ == 0)
        return;

    if (!(flags_ & MF::kFixedDepth) && camera_)
        viewDepth = Vector3::Dot(camera_->zAxis, camera_->position - box.GetCenter());
    const bool changed =
        !(hasPrevious_ && previousA_ == a && previousB_ == b && std::fabs(previousBlend_ - t) < 0.0001f);
    hasPrevious_ = true;
    previousA_ = a;
    previousB_ = b;
    previousBlend_ = t;
    if (changed && deformationEnabled)
        Deform(a, b, t);
}

void Model::Deform(uint32_t a, uint32_t b, float t)
{
    const uint32_t v = vertexBuffer_->vertexCount;
    if (v == 0)
        return;
    if (flags_ & MF::kMorph) {
        const size_t frames = v ? morph_.size() / v : 0;
        if (a >= frames || b >= frames)
            return;
        VertexView out = LockAll(*vertexBuffer_);
        const MorphVertex* fa = morph_.data() + size_t(a) * v;
        const MorphVertex* fb = morph_.data() + size_t(b) * v;
        for (uint32_t i = 0; i < v; ++i) {
            Put(out.Position(i), fb[i].position * t + fa[i].position * (1.0f - t));
            Put(out.Normal(i), fb[i].normal * t + fa[i].normal * (1.0f - t));
            out.Uv(i)[0] = fb[i].u * t + fa[i].u * (1.0f - t);
            out.Uv(i)[1] = fb[i].v * t + fa[i].v * (1.0f - t);
        }
        vertexBuffer_->Unlock();
        ++deformations_;
    } else if ((flags_ & MF::kSkinned) && skeleton_ && skin_.size() == v) {
        VertexView out = LockAll(*vertexBuffer_);
        for (uint32_t i = 0; i < v; ++i) {
            const SkinRecord& s = skin_[i];
            Vector3 normal, position;
            for (uint16_t k = 0; k < s.count && k < SkinRecord::kMaxInfluences; ++k) {
                const SkinInfluence& in = s.influences[k];
                const Bone& bone = skeleton_->GetBone(in.bone);
                normal += bone.normalMatrix.TransformPoint(in.normalOffset) * in.weight;
                position += bone.fullMatrix.TransformPoint(in.positionOffset) * in.weight;
            }
            Put(out.Normal(i), normal);
            Put(out.Position(i), position);
        }
        vertexBuffer_->Unlock();
        ++deformations_;
    }
}

void Model::Render()
{
    RenderSystem* rs = RenderSystem::Instance();
    if (!rs || !camera_ || !shaderUser_)
        return;
    if (!(flags_ & MF::kVisible) || visiblePrimitiveCount_ == 0 || shaderUser_->GetStageCount() > rs->textureStageCount)
        return;
    if ((flags_ & MF::kStencil) && !rs->stencilPresent)
        return;

    if (CameraManager* cameras = CameraManager::Instance())
        cameras->SetCamera(camera_, (flags_ & MF::kDepthBias) != 0);
    const bool lit = (flags_ & MF::kLit) != 0;
    if (LightManager* lights = LightManager::Instance()) {
        lights->SetLighting(lit);
    } else if (rs->forceStateUpdate || rs->lighting != lit) {
        rs->lighting = lit;
        rs->UpdateLighting();
    }
    if (rs->forceStateUpdate || rs->normalizeNormals != lit) {
        rs->normalizeNormals = lit;
        rs->UpdatenormalizeNormals();
    }
    Matrix4 world;
    GetWorldMatrix(world);
    rs->SetWorldMatrix(world);
    rs->SetZEnable((flags_ & MF::kDepthTest) != 0);
    rs->SetZWriteEnable((flags_ & MF::kNoDepthWrite) == 0);
    rs->SetStencilEnable((flags_ & MF::kStencil) != 0);

    const int passes = (flags_ & MF::kTwoSided) ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        uint32_t cull = 0;
        if (flags_ & MF::kTwoSided)
            cull = pass == 0 ? 2 : 1;
        else if (flags_ & MF::kCullClockwise)
            cull = 1;
        else if (flags_ & MF::kCullCounterClockwise)
            cull = 2;
        if (rs->forceStateUpdate || rs->cullMode != cull) {
            rs->cullMode = cull;
            rs->UpdateCullMode();
        }
        shaderUser_->Apply();
        rs->DrawIndexedPrimitive(stripFlag_ != 0, indexBuffer_.get(), vertexBuffer_.get(), primitiveCount_);
    }
}

bool Model::IntersectRay(const Ray& ray, float* distance) const
{
    const bool relative = camera_ && camera_->cameraRelative;
    Matrix4 m;
    if (relative) {
        GetWorldMatrix(m);
        BoundingBox world = box;
        world.SetTransform(m);
        if (!world.IntersectSegment(ray))
            return false;
    } else {
        if (!box.IntersectSegment(ray))
            return false;
        m = localMatrix;
    }
    float best = 100000.0f;
    bool hit = false;
    m.Invert();
    Ray local = m.TransformRay(ray);
    local.direction.SetLength(1.0f);

    const bool list = (flags_ & MF::kTriangleList) != 0;
    const uint32_t indexCount = indexBuffer_->indexCount;
    const uint32_t vertexCount = vertexBuffer_->vertexCount;
    for (uint32_t tri = 0; tri < primitiveCount_; ++tri) {
        const uint32_t first = list ? 3 * tri : tri;
        if (uint64_t(first) + 2 >= indexCount)
            break;
        uint32_t i0 = ReadIndex(*indexBuffer_, first), i1 = ReadIndex(*indexBuffer_, first + 1),
                 i2 = ReadIndex(*indexBuffer_, first + 2);
        if (i0 >= vertexCount || i1 >= vertexCount || i2 >= vertexCount)
            continue;
        const Vector3 a = PositionOf(i0), b = PositionOf(i1), c = PositionOf(i2);
        Plane plane;
        plane.SetFromPoints(a, b, c);
        float d;
        if (plane.IntersectRay(local, d) && IsPointInTriangle(plane, a, b, c, local.origin + local.direction * d)) {
            hit = true;
            if (d < best)
                best = d;
            if (!distance)
                break;
        }
    }
    if (distance)
        *distance = best;
    return hit;
}

} // namespace KorvaneEngine
