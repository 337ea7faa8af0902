#include "gui/GUIManager.h"

#include <algorithm>

#include "engine/audio_input/Controls.h"
#include "engine/foundation/Window.h"
#include "engine/render/Camera.h"
#include "engine/render/CameraManager.h"
#include "engine/render/ShaderDescriptor.h"
#include "gui/GUIButton.h"
#include "gui/GUICheckBox.h"
#include "gui/GUICursor.h"
#include "gui/GUIEditBox.h"
#include "gui/GUIFontManager.h"
#include "gui/GUIScroll.h"
#include "gui/GUISlider.h"
#include "gui/GUISoundManager.h"
#include "gui/GUIWindow.h"

namespace KorvaneEngine {

namespace {
const float kFourThirds = 1.3333333730697632f;
const float kBorderDepth = -31.0f;

template <class T> bool Holds(const std::vector<T*>& slots, const GUIWindow* w)
{
    for (T* p : slots)
        if (p && static_cast<const GUIWindow*>(p) == w)
            return true;
    return false;
}
} // namespace

GUIManager::GUIManager()
{
    Instance(this);
    if (CameraManager* cameras = CameraManager::Instance()) {
        camera_ = cameras->CreateCamera(true);
        // The GUI's depth range runs from 500 in front to -500 behind.
        camera_->nearPlane = 500.0f;
        camera_->farPlane = -500.0f;
    }
    fontManager_.reset(new GUIFontManager(camera_));
    soundManager_.reset(new GUISoundManager);
    defaultCursor_ = CreateCursor(nullptr, nullptr, 0.0f);
    const Window* window = Window::Instance();
    if (window) {
        const float aspect = window->GetDesktopAspect();
        if (aspect > 1.34f || aspect < 1.3266667f) {
            const ShaderDescriptor plain;
            for (int i = 0; i < 2; ++i) {
                GUIWindow* b = CreateWindow(GUIWindow::kColored, Vector2(0, 0), Vector2(0, 0), nullptr, &plain, nullptr);
                b->SetColor(Color(0, 0, 0, 1));
                borders_.push_back(b);
            }
        }
    }
    SetScreenSize(4.0f, 3.0f);
}

GUIManager::~GUIManager()
{
    DestroyCursor(defaultCursor_);
    defaultCursor_ = nullptr;
    for (GUIWindow* b : borders_)
        DestroyWindow(b);
    borders_.clear();
    exclusive_.clear();
    fontManager_.reset();
    soundManager_.reset();
    if (camera_)
        if (CameraManager* cameras = CameraManager::Instance())
            cameras->DeleteCamera(camera_);
    camera_ = nullptr;
    ResetInstance(this);
}

GUIWindow* GUIManager::CreateWindow(uint32_t flags, const Vector2& position, const Vector2& size, const Model* source,
    const ShaderDescriptor* shader, GUIWindow* parent)
{
    GUIWindow* w = new GUIWindow(fontManager_.get(), camera_, flags, position, size, source, shader, parent);
    windows_.AddObject(w);
    return w;
}

GUIWindow* GUIManager::CreateContainerWindow(uint32_t flags, GUIWindow* parent)
{
    return CreateWindow(flags, Vector2(0, 0), Vector2(0, 0), nullptr, nullptr, parent);
}

GUICursor* GUIManager::CreateCursor(const Model* source, const ShaderDescriptor* shader, float size)
{
    GUICursor* c = new GUICursor(camera_, source, shader, size);
    cursors_.AddObject(c);
    return c;
}

GUIButton* GUIManager::CreateButton(uint32_t flags, const Vector2& position, const Vector2& size, const Model* source,
    const ShaderDescriptor* shader, GUIWindow* parent)
{
    GUIButton* b = new GUIButton(fontManager_.get(), soundManager_.get(), camera_, flags, position, size, source,
        shader, parent);
    buttons_.AddObject(b);
    return b;
}

GUICheckBox* GUIManager::CreateCheckBox(uint32_t flags, const Vector2& position, const Vector2& size,
    const Model* source, const ShaderDescriptor* shader, GUIWindow* parent)
{
    GUICheckBox* b = new GUICheckBox(fontManager_.get(), soundManager_.get(), camera_, flags, position, size, source,
        shader, parent);
    checkBoxes_.AddObject(b);
    return b;
}

GUISlider* GUIManager::CreateSlider(uint32_t flags, const Vector2& position, const Vector2& size, const Model* source,
    const ShaderDescriptor* shader, int32_t orientation, const Vector2& toddlerMin, const Vector2& toddlerMax,
    uint32_t valueCount, GUIWindow* parent)
{
    GUISlider* s = new GUISlider(fontManager_.get(), soundManager_.get(), camera_, flags, position, size, source,
        shader, orientation, toddlerMin, toddlerMax, valueCount, parent);
    sliders_.AddObject(s);
    return s;
}

GUIScroll* GUIManager::CreateScroll(uint32_t flags, const Vector2& position, const Vector2& size, const Model* source,
    const ShaderDescriptor* shader, int32_t orientation, const Vector2& toddlerMin, const Vector2& toddlerMax,
    uint32_t valueCount, GUIWindow* parent)
{
    GUIScroll* s = new GUIScroll(fontManager_.get(), soundManager_.get(), camera_, flags, position, size, source,
        shader, orientation, toddlerMin, toddlerMax, valueCount, parent);
    scrolls_.AddObject(s);
    return s;
}

GUIEditBox* GUIManager::CreateEditBox(uint32_t flags, const Vector2& position, const Vector2& size,
    const Model* source, const ShaderDescriptor* shader, int32_t fontId, const Color& fontColor,
    const Vector2& textOffset, uint32_t maxCount, float maxLength, float visibleWidth, uint16_t cursorCharacter,
    GUIWindow* parent)
{
    GUIEditBox* e = new GUIEditBox(fontManager_.get(), soundManager_.get(), camera_, flags, position, size, source,
        shader, fontId, fontColor, textOffset, maxCount, maxLength, visibleWidth, cursorCharacter, parent);
    editBoxes_.AddObject(e);
    return e;
}

void GUIManager::RemoveExclusiveWindow(GUIWindow* widget)
{
    exclusive_.erase(std::remove(exclusive_.begin(), exclusive_.end(), widget), exclusive_.end());
}

void GUIManager::AddExclusiveWindow(GUIWindow* widget)
{
    if (widget && !IsExclusive(widget))
        exclusive_.push_back(widget);
}

bool GUIManager::IsExclusive(const GUIWindow* widget) const
{
    return std::find(exclusive_.begin(), exclusive_.end(), widget) != exclusive_.end();
}

void GUIManager::DestroyWindow(GUIWindow* window)
{
    if (window && windows_.RemoveObject(window)) {
        RemoveExclusiveWindow(window);
        delete window;
    }
}

void GUIManager::DestroyButton(GUIButton* button)
{
    if (button && buttons_.RemoveObject(button)) {
        RemoveExclusiveWindow(button);
        delete button;
    }
}

void GUIManager::DestroyCheckBox(GUICheckBox* box)
{
    if (box && checkBoxes_.RemoveObject(box)) {
        RemoveExclusiveWindow(box);
        delete box;
    }
}

void GUIManager::DestroyEditBox(GUIEditBox* box)
{
    if (box && editBoxes_.RemoveObject(box)) {
        RemoveExclusiveWindow(box);
        delete box;
    }
}

void GUIManager::DestroySlider(GUISlider* slider)
{
    if (slider && sliders_.RemoveObject(slider)) {
        RemoveExclusiveWindow(slider);
        delete slider;
    }
}

void GUIManager::DestroyScroll(GUIScroll* scroll)
{
    if (scroll && scrolls_.RemoveObject(scroll)) {
        RemoveExclusiveWindow(scroll);
        delete scroll;
    }
}

void GUIManager::DestroyCursor(GUICursor* cursor)
{
    if (cursor && cursors_.RemoveObject(cursor)) {
        if (cursor == defaultCursor_)
            defaultCursor_ = nullptr;
        delete cursor;
    }
}

void GUIManager::SetScreenSize(float width, float height)
{
    if (camera_) {
        camera_->orthographicWidth = width;
        camera_->orthographicHeight = height;
    }
    PlaceBorders();
}

void GUIManager::PlaceBorders()
{
    const Window* window = Window::Instance();
    if (borders_.size() != 2 || !window)
        return;
    const float width = GetScreenWidth(), height = GetScreenHeight();
    const float r = window->GetDesktopAspect() / kFourThirds;
    if (r > 1.0f) {
        const float b = (r - 1.0f) * width / 2.0f;
        borders_[0]->SetPosition(Vector2(-b - 1.0f, 0));
        borders_[0]->SetSize(Vector2(b + 1.0f, height));
        borders_[1]->SetPosition(Vector2(width, 0));
        borders_[1]->SetSize(Vector2(b + 1.0f, height));
    } else {
        const float b = (1.0f - r) * height / 2.0f;
        borders_[0]->SetPosition(Vector2(0, -b - 1.0f));
        borders_[0]->SetSize(Vector2(width, b + 1.0f));
        borders_[1]->SetPosition(Vector2(0, height));
        borders_[1]->SetSize(Vector2(width, b + 1.0f));
    }
}

float GUIManager::GetScreenWidth() const
{
    return camera_ ? camera_->orthographicWidth : 4.0f;
}

float GUIManager::GetScreenHeight() const
{
    return camera_ ? camera_->orthographicHeight : 3.0f;
}

Vector2 GUIManager::GetCursorPosition() const
{
    return defaultCursor_ ? defaultCursor_->GetPosition() : Vector2(0, 0);
}

uint32_t GUIManager::GetWidgetCount() const
{
    return windows_.GetCount() + buttons_.GetCount() + checkBoxes_.GetCount() + editBoxes_.GetCount() +
        sliders_.GetCount() + scrolls_.GetCount();
}

bool GUIManager::IsRegistered(const GUIWindow* w) const
{
    return Holds(windows_.GetObjects(), w) || Holds(buttons_.GetObjects(), w) || Holds(checkBoxes_.GetObjects(), w) ||
        Holds(editBoxes_.GetObjects(), w) || Holds(sliders_.GetObjects(), w) || Holds(scrolls_.GetObjects(), w);
}

namespace {
// The registries' slot vectors are walked by index: a widget's input update
// may create or destroy widgets, which reuses slots and compacts the vector.
template <class T> void InputPass(const std::vector<T*>& slots, const std::vector<GUIWindow*>& exclusive,
    const Vector2& cursor, bool held, bool pressed)
{
    for (size_t i = 0; i < slots.size(); ++i) {
        T* w = slots[i];
        if (w && std::find(exclusive.begin(), exclusive.end(), static_cast<GUIWindow*>(w)) == exclusive.end())
            w->UpdateInput(cursor, held, pressed);
    }
}

template <class T> void RenderPass(const std::vector<T*>& slots)
{
    for (size_t i = 0; i < slots.size(); ++i)
        if (T* w = slots[i])
            w->Render();
}
} // namespace

void GUIManager::Update()
{
    const Window* window = Window::Instance();
    for (GUIWindow* b : borders_) {
        if (window && window->IsFullscreen())
            b->SetFlags(GUIWindow::kShown);
        else
            b->ClearFlags(GUIWindow::kShown);
        // Behind every widget.
        b->SetDepth(kBorderDepth);
    }
    for (size_t i = 0; i < cursors_.GetObjects().size(); ++i)
        if (GUICursor* c = cursors_.GetObjects()[i])
            c->Update();

    Vector2 cursor = GetCursorPosition();
    const Controls* controls = Controls::Instance();
    bool held = controls && controls->IsDown("MOUSE1");
    bool pressed = controls && controls->IsPressed("MOUSE1");
    if (!exclusive_.empty()) {
        const std::vector<GUIWindow*> list = exclusive_;
        for (GUIWindow* w : list)
            if (w && IsRegistered(w))
                w->UpdateInput(cursor, held, pressed);
        cursor = Vector2(-123456.0f, 123456.0f);
        held = pressed = false;
    }
    InputPass(windows_.GetObjects(), exclusive_, cursor, held, pressed);
    InputPass(buttons_.GetObjects(), exclusive_, cursor, held, pressed);
    InputPass(checkBoxes_.GetObjects(), exclusive_, cursor, held, pressed);
    InputPass(editBoxes_.GetObjects(), exclusive_, cursor, held, pressed);
    InputPass(sliders_.GetObjects(), exclusive_, cursor, held, pressed);
    InputPass(scrolls_.GetObjects(), exclusive_, cursor, held, pressed);
}

void GUIManager::Render()
{
    for (size_t i = 0; i < cursors_.GetObjects().size(); ++i)
        if (GUICursor* c = cursors_.GetObjects()[i])
            c->Render();
    RenderPass(windows_.GetObjects());
    RenderPass(buttons_.GetObjects());
    RenderPass(checkBoxes_.GetObjects());
    RenderPass(editBoxes_.GetObjects());
    RenderPass(sliders_.GetObjects());
    RenderPass(scrolls_.GetObjects());
    fontManager_->Render();
}

} // namespace KorvaneEngine
