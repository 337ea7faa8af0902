#include "engine/render/SpriteGroup.h"

#include <algorithm>
#include <cmath>

#include "engine/foundation/Matrix.h"
#include "engine/render/Camera.h"
#include "engine/render/CameraManager.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/Model.h"
#include "engine/render/ModelManager.h"
#include "engine/render/VertexBuffer.h"

namespace KorvaneEngine {

namespace {
const uint32_t kVisible = 0x40000;
// Corner order of a sprite's four vertices and their texture coordinates.
const float kCornerUV[4][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
} // namespace

SpriteGroup::SpriteGroup(uint32_t capacity, ShaderDescriptor* shader, Camera* camera, bool shaderFlag)
    : capacity_(std::min(capacity, kMaxCapacity)), records_(capacity_), camera_(camera)
{
    if (!camera_)
        camera_ = CameraManager::Instance()->GetDefaultCamera();
    model_ = ModelManager::Instance()->CreateModel(kModelFlags, 4 * capacity_, 6 * capacity_, 1, shader, camera_,
        shaderFlag);
    IndexBuffer* ib = model_->GetIndexBuffer();
    std::vector<uint32_t> indices(6 * static_cast<size_t>(capacity_));
    for (uint32_t i = 0; i < capacity_; ++i) {
        uint32_t* p = &indices[6 * static_cast<size_t>(i)];
        p[0] = 4 * i;
        p[1] = 4 * i + 1;
        p[2] = 4 * i + 2;
        p[3] = 4 * i + 2;
        p[4] = 4 * i + 1;
        p[5] = 4 * i + 3;
    }
    if (capacity_)
        ib->SetIndices(0, 6 * capacity_, indices.data());
    VertexBuffer* vb = model_->GetVertexBuffer();
    if (capacity_) {
        ColoredVertex* v = vb->LockColoredVertices(0, 4 * capacity_);
        const float white[4] = {1, 1, 1, 1};
        uint32_t packed = vb->VectorToColor(white);
        for (uint32_t i = 0; i < 4 * capacity_; ++i) {
            v[i].position = Vector3();
            v[i].normal = Vector3(0, 0, 1);
            v[i].color = packed;
            v[i].u = kCornerUV[i % 4][0];
            v[i].v = kCornerUV[i % 4][1];
        }
        vb->Unlock();
    }
    ib->SetIndexCount(0);
    ResetFreeList();
}

SpriteGroup::SpriteGroup(const SpriteGroup& source, bool copySprites)
    : capacity_(source.capacity_), records_(source.capacity_), camera_(source.camera_), sorting_(source.sorting_),
      centre_(source.centre_), colour_(source.colour_)
{
    model_ = ModelManager::Instance()->CloneModel(source.model_, source.camera_, 0);
    if (copySprites) {
        freeList_ = source.freeList_;
        records_ = source.records_;
    } else {
        ResetFreeList();
    }
    model_->GetIndexBuffer()->SetIndexCount(0);
}

SpriteGroup::~SpriteGroup()
{
    if (ModelManager* models = ModelManager::Instance())
        models->DeleteModel(model_);
}

void SpriteGroup::ResetFreeList()
{
    freeList_.clear();
    for (uint32_t i = 0; i < capacity_; ++i) {
        records_[i] = SpriteRecord();
        freeList_.push_back(i);
    }
}

uint32_t SpriteGroup::AddSprite(const Vector3& position, float size, const Color& colour)
{
    if (freeList_.empty())
        return 0;
    uint32_t index = freeList_.front();
    freeList_.pop_front();
    SpriteRecord& r = records_[index];
    r.free = 0;
    r.position = position;
    r.size = size;
    r.colour = colour;
    r.angle = 0.0f;
    return index;
}

void SpriteGroup::RemoveSprite(uint32_t index)
{
    // A bad or repeated index would put a slot on the free list twice and
    // hand it to two users later.
    if (index >= capacity_ || records_[index].free)
        return;
    records_[index].free = 1;
    freeList_.push_back(index);
}

void SpriteGroup::UpdateBuffers()
{
    if (!IsVisible())
        return;
    const Vector3 eye = camera_->position;
    const Vector3 R = camera_->rightAxis;
    const Vector3 U = camera_->upAxis;
    const Vector3 D = camera_->zAxis;

    drawList_.clear();
    for (SpriteRecord& r : records_) {
        if (r.free)
            continue;
        if (sorting_)
            r.depth = Vector3::Dot(D, eye - r.position);
        drawList_.push_back(&r);
    }
    const uint32_t n = static_cast<uint32_t>(drawList_.size());
    if (sorting_)
        std::sort(drawList_.begin(), drawList_.end(),
            [](const SpriteRecord* a, const SpriteRecord* b) { return a->depth > b->depth; });

    VertexBuffer* vb = model_->GetVertexBuffer();
    Vector3 centre;
    if (n) {
        ColoredVertex* v = vb->LockColoredVertices(0, 4 * n);
        for (uint32_t k = 0; k < n; ++k) {
            const SpriteRecord& s = *drawList_[k];
            const Vector3& P = s.position;
            centre += P;
            Vector3 corners[4] = {P + (-R - U) * s.size, P + (-R + U) * s.size, P + (R - U) * s.size,
                P + (R + U) * s.size};
            if (std::fabs(s.angle) > 0.0001f) {
                Matrix4 m;
                Matrix4::SetRotationAxis(m, D, s.angle);
                for (Vector3& c : corners)
                    c = m.TransformPoint(c - P) + P;
            }
            const Color c = s.colour * colour_;
            const float rgba[4] = {c.r, c.g, c.b, c.a};
            const uint32_t packed = vb->VectorToColor(rgba);
            for (int j = 0; j < 4; ++j) {
                v[4 * k + j].position = corners[j];
                v[4 * k + j].color = packed;
            }
        }
        vb->Unlock();
        centre /= static_cast<float>(n);
    }
    centre_ = centre;
    model_->GetIndexBuffer()->SetIndexCount(6 * n);
}

ShaderUser* SpriteGroup::GetShader() const { return model_->GetShaderUser(); }

bool SpriteGroup::IsVisible() const { return (model_->GetFlags() & kVisible) != 0; }

void SpriteGroup::SetVisible(bool visible)
{
    if (visible)
        model_->AddFlags(kVisible);
    else
        model_->RemoveFlags(kVisible);
}

void SpriteGroup::SetShader(ShaderDescriptor* shader) { model_->SetShader(shader); }

void SpriteGroup::SetCamera(Camera* camera)
{
    camera_ = camera ? camera : CameraManager::Instance()->GetDefaultCamera();
    model_->SetCamera(camera_);
}

SpriteGroupManager::SpriteGroupManager() {}

SpriteGroupManager::~SpriteGroupManager() { ResetInstance(this); }

void SpriteGroupManager::Update()
{
    for (SpriteGroup* g : groups_.GetObjects())
        if (g)
            g->UpdateBuffers();
}

SpriteGroup* SpriteGroupManager::CreateSpriteGroup(uint32_t capacity, ShaderDescriptor* shader, Camera* camera,
    bool shaderFlag)
{
    SpriteGroup* g = new SpriteGroup(capacity, shader, camera, shaderFlag);
    groups_.AddObject(g);
    return g;
}

SpriteGroup* SpriteGroupManager::CreateSpriteGroupUnregistered(uint32_t capacity, ShaderDescriptor* shader,
    Camera* camera, bool shaderFlag)
{
    return new SpriteGroup(capacity, shader, camera, shaderFlag);
}

SpriteGroup* SpriteGroupManager::CloneSpriteGroup(const SpriteGroup& source, bool copySprites)
{
    SpriteGroup* g = new SpriteGroup(source, copySprites);
    groups_.AddObject(g);
    return g;
}

void SpriteGroupManager::DeleteSpriteGroup(SpriteGroup* group)
{
    if (groups_.RemoveObject(group))
        delete group;
}

} // namespace KorvaneEngine
