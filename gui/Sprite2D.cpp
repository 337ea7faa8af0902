#include "gui/Sprite2D.h"

#include "engine/render/AnimationControl.h"
#include "gui/GUIManager.h"
#include "gui/GUIWindow.h"
#include "gui/SpriteManager.h"

using namespace KorvaneEngine;

namespace GameTools {

Sprite2D::Sprite2D(const Vector2& position, const Vector2& size, const std::vector<const ShaderDescriptor*>& frameShaders,
    float speed, bool loop, GUIWindow* parent)
{
    GUIManager* gui = GUIManager::Instance();
    if (gui) {
        container_ = gui->CreateContainerWindow(GUIWindow::kShown, parent);
        container_->SetPosition(position);
        for (const ShaderDescriptor* shader : frameShaders)
            frames_.push_back(gui->CreateWindow(0, Vector2(0, 0), size, nullptr, shader, container_));
    }
    if (!frames_.empty()) {
        animation_.reset(new AnimationControl(0, static_cast<uint32_t>(frames_.size())));
        animation_->speed = speed;
        animation_->loop = loop ? 1 : 0;
        animation_->Start();
    }
    if (SpriteManager* sprites = SpriteManager::Instance())
        sprites->AddSprite(this);
}

Sprite2D::~Sprite2D()
{
    animation_.reset();
    // The GUI manager may be gone already at shut-down, with every widget.
    if (GUIManager* gui = GUIManager::Instance()) {
        for (GUIWindow* f : frames_)
            gui->DestroyWindow(f);
        gui->DestroyWindow(container_);
    }
    frames_.clear();
    container_ = nullptr;
    if (SpriteManager* sprites = SpriteManager::Instance())
        sprites->RemoveSprite(this);
}

void Sprite2D::Update()
{
    if (frames_.empty())
        return;
    animation_->Update();
    for (size_t i = 0; i < frames_.size(); ++i) {
        if (i == animation_->frameA)
            frames_[i]->SetFlags(GUIWindow::kShown);
        else
            frames_[i]->ClearFlags(GUIWindow::kShown);
    }
}

} // namespace GameTools
