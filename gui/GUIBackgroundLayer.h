#pragma once
#include <string>

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {
class GUIWindow;
class Model;
class ParticleSystem;
} // namespace KorvaneEngine

namespace GameTools {
class DataKeeper;
}

namespace GUITools {

// How one layer of the menu background is made (read from its XML node).
struct GUIBackgroundLayerDescription {
    bool particles = false;        // a particle system instead of a model
    std::string name;              // resource name, prefix included
    std::string shader;            // shader resource, or empty
    std::string animatorModel;     // model whose frames move the layer, or empty
    float animationSpeed = -1.0f;  // below 0: the resource's own speed
    bool randomStartFrame = true;
    bool animationLoop = true;
    KorvaneEngine::Color color = KorvaneEngine::Color(1, 1, 1, 1);
};

// One layer of the animated menu background: a widget showing a model, or a
// particle system placed at the widget, optionally moved by the frames of an
// animator model, with its own fade on top of the background's.
class GUIBackgroundLayer {
public:
    virtual ~GUIBackgroundLayer();
    // The resources come from the keeper (a missing one is logged there and
    // its default object used); height is the layer's draw order under
    // parent. Needs the GUI, model and (for particles) particle managers.
    GUIBackgroundLayer(GameTools::DataKeeper* keeper, const GUIBackgroundLayerDescription& description,
        int32_t height, KorvaneEngine::GUIWindow* parent);
    GUIBackgroundLayer(const GUIBackgroundLayer&) = delete;
    GUIBackgroundLayer& operator=(const GUIBackgroundLayer&) = delete;

    // Once a frame while the widget is visible: animator, particle position,
    // fade.
    void Update();
    void SetVisible(bool visible, bool fade, float speed);
    // The layer's colour with its alpha times factor times the fade's alpha.
    void SetAlpha(float factor);

    const std::string& GetName() const { return name; }
    KorvaneEngine::GUIWindow* GetWidget() const { return widget; }
    KorvaneEngine::ParticleSystem* GetParticles() const { return particles; }
    KorvaneEngine::Model* GetAnimator() const { return animator; }
    bool IsVisible() const { return visible; }
    bool IsFading() const { return fading; }
    float GetFadeAlpha() const { return fadeAlpha; }
    const KorvaneEngine::Color& GetColor() const { return color; }

    // A disabled layer ignores SetVisible and SetAlpha.
    bool enabled = true;

private:
    void RestartAnimations();

    GameTools::DataKeeper* keeper;
    std::string name;
    KorvaneEngine::GUIWindow* widget = nullptr;
    KorvaneEngine::ParticleSystem* particles = nullptr;
    KorvaneEngine::Model* animator = nullptr;
    bool randomStartFrame;
    KorvaneEngine::Color color;
    bool visible = false;
    bool fading = false;
    float fadeSpeed = 1.0f;
    float fadeTime = 0.0f;
    float fadeAlpha = 1.0f;
};

} // namespace GUITools
