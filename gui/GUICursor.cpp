#include "gui/GUICursor.h"

#include "engine/audio_input/Controls.h"
#include "engine/foundation/Window.h"
#include "engine/render/Camera.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/Model.h"
#include "engine/render/ModelManager.h"
#include "engine/render/VertexBuffer.h"

namespace KorvaneEngine {

namespace {
// In front of the front layer (-30) by ten height steps.
const float kCursorDepth = -30.1f;
} // namespace

GUICursor::GUICursor(Camera* camera, const Model* source, const ShaderDescriptor* shader, float size)
    : camera_(camera)
{
    Matrix4::SetIdentity(baseMatrix_);
    ModelManager* models = ModelManager::Instance();
    if (models && source) {
        model_ = models->CloneModel(source, camera, ModelFlags::kBlended | ModelFlags::kFixedDepth);
        model_->RemoveFlags(ModelFlags::kVisible | ModelFlags::kLit | ModelFlags::kDepthTest);
    } else if (models && shader) {
        model_ = models->CreateModel(ModelFlags::kStatic | ModelFlags::kBlended | ModelFlags::kFixedDepth |
                ModelFlags::kRecomputeBounds | ModelFlags::kVisible, 4, 4, 1, shader, camera, false);
        const float corners[4][4] = {{size, -size, 1, 0}, {size, 0, 1, 1}, {0, -size, 0, 0}, {0, 0, 0, 1}};
        Vertex* v = model_->GetVertexBuffer()->LockVertices(0, 4);
        for (int i = 0; i < 4; ++i) {
            v[i].position = Vector3(corners[i][0], corners[i][1], 0);
            v[i].normal = Vector3(0, 0, 1);
            v[i].u = corners[i][2];
            v[i].v = corners[i][3];
        }
        model_->GetVertexBuffer()->Unlock();
        const uint32_t strip[4] = {0, 1, 2, 3};
        model_->GetIndexBuffer()->SetIndices(0, 4, strip);
        model_->GetIndexBuffer()->SetIndexCount(4);
        model_->UpdatePrimitiveCount();
        model_->UpdateBoundingBox();
    }
    if (model_) {
        model_->viewDepth = kCursorDepth;
        baseMatrix_ = model_->localMatrix;
    }
}

GUICursor::~GUICursor()
{
    if (model_)
        if (ModelManager* models = ModelManager::Instance())
            models->DeleteModel(model_);
}

void GUICursor::Update()
{
    const Controls* controls = Controls::Instance();
    const Window* window = Window::Instance();
    if (!controls || !window || !camera_)
        return;
    const float w = static_cast<float>(window->GetWidth()), h = static_cast<float>(window->GetHeight());
    if (w <= 0.0f || h <= 0.0f)
        return;
    const Vector2 p = controls->GetCursorPosition();
    position = Vector2(p.x / w * camera_->orthographicWidth, (h - p.y - 1.0f) / h * camera_->orthographicHeight);
}

void GUICursor::Render()
{
    if (!model_)
        return;
    Matrix4 t;
    Matrix4::SetTranslation(t, Vector3(position.x, position.y, 0));
    model_->localMatrix = t * baseMatrix_;
    model_->box.SetTransform(model_->localMatrix);
    if (visible)
        model_->AddFlags(ModelFlags::kVisible);
    else
        model_->RemoveFlags(ModelFlags::kVisible);
}

} // namespace KorvaneEngine
