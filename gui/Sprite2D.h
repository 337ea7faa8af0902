#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {
class AnimationControl;
class GUIWindow;
class ShaderDescriptor;
} // namespace KorvaneEngine

namespace GameTools {

// A screen-space animation: a container widget with one quad widget a frame,
// of which only the current frame of the animation is shown. A sprite
// registers itself with the sprite manager, which owns it from then on.
class Sprite2D {
public:
    virtual ~Sprite2D();
    // One frame widget a shader, size in GUI units at position (relative to
    // parent, or absolute for a root); speed in frames a second; loop plays
    // the frames round, else the last frame stays.
    Sprite2D(const KorvaneEngine::Vector2& position, const KorvaneEngine::Vector2& size,
        const std::vector<const KorvaneEngine::ShaderDescriptor*>& frameShaders, float speed, bool loop,
        KorvaneEngine::GUIWindow* parent);
    Sprite2D(const Sprite2D&) = delete;
    Sprite2D& operator=(const Sprite2D&) = delete;

    // Advances the animation and shows its current frame only.
    void Update();

    KorvaneEngine::GUIWindow* GetContainer() const { return container_; }
    const std::vector<KorvaneEngine::GUIWindow*>& GetFrames() const { return frames_; }
    KorvaneEngine::AnimationControl* GetAnimation() const { return animation_.get(); }

private:
    KorvaneEngine::GUIWindow* container_ = nullptr;
    std::vector<KorvaneEngine::GUIWindow*> frames_;
    std::unique_ptr<KorvaneEngine::AnimationControl> animation_;
};

} // namespace GameTools
