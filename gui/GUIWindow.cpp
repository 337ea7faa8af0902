#include "gui/GUIWindow.h"

#include <algorithm>

#include "engine/render/AnimationControl.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/Model.h"
#include "engine/render/ModelManager.h"
#include "engine/render/VertexBuffer.h"
#include "gui/GUIFont.h"
#include "gui/GUIFontManager.h"

namespace KorvaneEngine {

namespace {
const float kHeightStep = 0.01f;
const float kRootDepth = -15.0f;

Matrix4 Identity()
{
    Matrix4 m;
    Matrix4::SetIdentity(m);
    return m;
}
} // namespace

GUIWindow::GUIWindow(GUIFontManager* fontManager, Camera* camera, uint32_t flags, const Vector2& position_,
    const Vector2& size_, const Model* source, const ShaderDescriptor* shader, GUIWindow* parent)
    : position(position_), size(size_), baseMatrix(Identity()), fontManager_(fontManager), camera_(camera)
{
    ModelManager* models = ModelManager::Instance();
    const bool colored = (flags & kColored) != 0;
    if (models && source) {
        model_ = models->CloneModel(source, camera, colored ? ModelFlags::kColor : 0);
        model_->RemoveFlags(ModelFlags::kVisible | ModelFlags::kLit | ModelFlags::kDepthTest);
        model_->AddFlags(ModelFlags::kBlended | ModelFlags::kFixedDepth);
        if (shader)
            model_->SetShader(shader);
    } else if (models && shader) {
        // A unit quad as a strip; Render scales it to the widget's rectangle.
        const uint32_t quadFlags = ModelFlags::kStatic | ModelFlags::kBlended | ModelFlags::kFixedDepth |
            (colored ? ModelFlags::kColor : 0);
        model_ = models->CreateModel(quadFlags, 4, 4, 1, shader, camera, false);
        const float corners[4][4] = {{1, 0, 1, 0}, {1, 1, 1, 1}, {0, 0, 0, 0}, {0, 1, 0, 1}};
        VertexBuffer* vb = model_->GetVertexBuffer();
        if (colored) {
            ColoredVertex* v = vb->LockColoredVertices(0, 4);
            const float white[4] = {1, 1, 1, 1};
            for (int i = 0; i < 4; ++i) {
                v[i].position = Vector3(corners[i][0], corners[i][1], 0);
                v[i].normal = Vector3(0, 0, 1);
                v[i].color = vb->VectorToColor(white);
                v[i].u = corners[i][2];
                v[i].v = corners[i][3];
            }
        } else {
            Vertex* v = vb->LockVertices(0, 4);
            for (int i = 0; i < 4; ++i) {
                v[i].position = Vector3(corners[i][0], corners[i][1], 0);
                v[i].normal = Vector3(0, 0, 1);
                v[i].u = corners[i][2];
                v[i].v = corners[i][3];
            }
        }
        vb->Unlock();
        const uint32_t strip[4] = {0, 1, 2, 3};
        model_->GetIndexBuffer()->SetIndices(0, 4, strip);
        model_->GetIndexBuffer()->SetIndexCount(4);
        model_->UpdatePrimitiveCount();
        model_->UpdateBoundingBox();
    }
    if (model_)
        baseMatrix = model_->localMatrix;

    SetFlags(flags);
    SetParent(parent);
}

GUIWindow::~GUIWindow()
{
    if (parent_)
        parent_->RemoveChild(this);
    parent_ = nullptr;
    // The children live on as roots.
    std::vector<GUIWindow*> orphans;
    orphans.swap(children_);
    for (GUIWindow* c : orphans) {
        c->parent_ = nullptr;
        c->SetParent(nullptr);
    }
    if (model_)
        if (ModelManager* models = ModelManager::Instance())
            models->DeleteModel(model_);
    model_ = nullptr;
}

void GUIWindow::SetDepth(float depth)
{
    depth_ = depth;
    if (model_)
        model_->viewDepth = depth;
}

void GUIWindow::SetFlags(uint32_t bits)
{
    if ((flags_ & bits) == bits)
        return;
    flags_ |= bits;
    if (bits & kShown)
        UpdateVisibility();
    if (parent_)
        return;
    if (flags_ & kLayerTop)
        SetDepth(-10.0f);
    else if (flags_ & kLayerMiddle)
        SetDepth(-20.0f);
    else if (flags_ & kLayerFront)
        SetDepth(-30.0f);
    else
        SetDepth(kRootDepth);
}

void GUIWindow::ClearFlags(uint32_t bits)
{
    if ((flags_ & bits) == 0)
        return;
    flags_ &= ~bits;
    if (bits & kShown)
        UpdateVisibility();
    if (bits & kLayerBits)
        SetDepth(kRootDepth);
}

void GUIWindow::SetParent(GUIWindow* parent)
{
    if (parent_)
        parent_->RemoveChild(this);
    parent_ = parent;
    if (parent_) {
        parent_->AddChild(this);
        ClearFlags(kLayerBits);
        SetHeight(heightLevel_);
    } else if (!(flags_ & kLayerBits)) {
        SetDepth(kRootDepth);
    }
    UpdateVisibility();
}

void GUIWindow::AddChild(GUIWindow* child)
{
    if (child && std::find(children_.begin(), children_.end(), child) == children_.end())
        children_.push_back(child);
}

void GUIWindow::RemoveChild(GUIWindow* child)
{
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it != children_.end())
        children_.erase(it);
}

void GUIWindow::SetHeight(int32_t level)
{
    heightLevel_ = level;
    if (parent_)
        SetDepth(parent_->depth_ - static_cast<float>(level) * kHeightStep);
    for (GUIWindow* c : children_)
        c->SetHeight(c->heightLevel_);
}

void GUIWindow::UpdateVisibility()
{
    const bool was = visible_;
    visible_ = (!parent_ || parent_->visible_) && (flags_ & kShown);
    if (visible_ && !was)
        mouseOver = false;
    if (model_) {
        if (visible_)
            model_->AddFlags(ModelFlags::kVisible);
        else
            model_->RemoveFlags(ModelFlags::kVisible);
    }
    for (GUIWindow* c : children_)
        c->UpdateVisibility();
}

void GUIWindow::SetColor(const Color& color)
{
    if (!model_ || !model_->GetVertexBuffer()->hasColor)
        return;
    const float rgba[4] = {color.r, color.g, color.b, color.a};
    model_->GetVertexBuffer()->SetColor(rgba);
}

void GUIWindow::SetAlpha(float alpha)
{
    if (!model_ || !model_->GetVertexBuffer()->hasColor)
        return;
    model_->GetVertexBuffer()->SetAlpha(alpha);
}

void GUIWindow::GetColor(float out[4]) const
{
    out[0] = out[1] = out[2] = out[3] = 1.0f;
    if (model_ && model_->GetVertexBuffer()->hasColor && model_->GetVertexBuffer()->vertexCount)
        model_->GetVertexBuffer()->GetVertexColor(out, 0);
}

float GUIWindow::GetAlpha() const
{
    if (model_ && model_->GetVertexBuffer()->hasColor && model_->GetVertexBuffer()->vertexCount)
        return model_->GetVertexBuffer()->GetVertexAlpha(0);
    return 1.0f;
}

void GUIWindow::ScaleUV(const Vector2& uv)
{
    if (model_)
        model_->ScaleTexCoords(uv.x, uv.y);
}

void GUIWindow::SetShader(const ShaderDescriptor* shader)
{
    if (model_)
        model_->SetShader(shader);
}

AnimationControl* GUIWindow::GetModelAnimation() const
{
    return model_ ? model_->GetAnimation() : nullptr;
}

void GUIWindow::ShowModelFrame(float frame)
{
    if (!model_ || !(model_->GetFlags() & (ModelFlags::kMorph | ModelFlags::kSkinned)))
        return;
    AnimationControl* a = model_->GetAnimation();
    if (!a || a->frameCount <= 1)
        return;
    a->running = 0;
    a->hold = 0;
    a->currentKey = -1;
    a->time = frame;
}

void GUIWindow::GetParentAbsolutePosition(Vector2& out) const
{
    out = Vector2(0, 0);
    for (const GUIWindow* p = parent_; p; p = p->parent_)
        out += p->position;
}

Vector2 GUIWindow::GetAbsolutePosition() const
{
    Vector2 a;
    GetParentAbsolutePosition(a);
    return a + position;
}

bool GUIWindow::UpdateInput(const Vector2& cursor, bool held, bool pressed)
{
    mouseOver = false;
    if (!visible_)
        return false;
    Vector2 low;
    GetParentAbsolutePosition(low);
    low += position;
    if (customHitArea)
        low += hitAreaOffset;
    const Vector2 high = low + (customHitArea ? hitAreaSize : size);
    mouseOver = cursor.x > low.x && cursor.y > low.y && cursor.x < high.x && cursor.y < high.y;
    return true;
}

void GUIWindow::PrintText(int32_t alignment, int32_t fontId, const Vector2& at, const Color& color,
    const std::wstring& text, float angle, float fontSize)
{
    if (text.empty())
        return;
    if (textCount_ == texts_.size())
        texts_.emplace_back(new TextRecord);
    TextRecord& r = *texts_[textCount_++];
    r.alignment = alignment;
    r.fontId = fontId;
    r.angle = angle;
    r.fontSize = fontSize;
    r.position = at;
    r.color = color;
    r.text = text;
}

bool GUIWindow::Render()
{
    if (!visible_) {
        textCount_ = 0;
        return false;
    }
    if (autoTransform && model_) {
        const Vector2 a = GetAbsolutePosition();
        Matrix4 t, s;
        Matrix4::SetTranslation(t, Vector3(a.x, a.y, 0));
        Matrix4::SetScale(s, Vector3(size.x, size.y, 1));
        model_->localMatrix = t * s * baseMatrix;
        model_->box.SetTransform(model_->localMatrix);
    }
    if (fontManager_) {
        for (uint32_t i = 0; i < textCount_; ++i) {
            const TextRecord& r = *texts_[i];
            GUIFont* font = r.fontSize >= 0.0f ? fontManager_->GetFont(r.fontId) : nullptr;
            const float kept = font ? font->size : 0.0f;
            if (font)
                font->size = r.fontSize;
            fontManager_->PrintText(r.alignment, r.fontId, r.angle, *this, r.position, r.color, r.text);
            if (font)
                font->size = kept;
        }
    }
    textCount_ = 0;
    return true;
}

} // namespace KorvaneEngine
