#pragma once
#include <cstdint>
#include <string>

#include "engine/foundation/Vector.h"
#include "gui/GUIControlDescription.h"

namespace GameTools {
class DataKeeper;
}

namespace KorvaneEngine {
class AnimationControl;
class GUIManager;
class GUIWindow;
class Model;
class ShaderDescriptor;
} // namespace KorvaneEngine

namespace GUITools {

// The common part of every control an XML window builds: the bookkeeping
// around one engine widget. It holds the widget's layout (position, size,
// drawing level, custom hit rectangle) and the control's show and hide
// behaviour inside its window (show/hide actions, offsets, the model's
// forward and backward frames, an optional animator model that moves the
// widget, and a fader that drives the widget's alpha), and re-applies all of
// it to the widget every frame in Update.
//
// The widget is made and destroyed by the derived kind; the animator model
// is a private clone this control owns.
class GUIControl {
public:
    // Above this no fade value or animation time is worth a change.
    static constexpr float kEpsilon = 0.0001f;

    virtual ~GUIControl();
    // The per-frame step; every kind's Update calls this first.
    virtual void Update();
    // A show or hide request. With actions the control's show/hide action
    // words decide what the request does ("show", "hide"; any other word
    // leaves the control alone); without, it is taken as it stands.
    virtual void SetVisible(bool visible, bool useActions);
    // True while showing, else while the widget is still effectively visible:
    // a control that is fading out still counts.
    virtual bool IsVisible() const;

    GUIControl(GameTools::DataKeeper* registry, const std::string& key);
    GUIControl(const GUIControl&) = delete;
    GUIControl& operator=(const GUIControl&) = delete;

    const std::string& GetKey() const { return key; }
    KorvaneEngine::GUIWindow* GetWidget() const { return widget; }
    KorvaneEngine::Model* GetModel() const { return model; }
    // Null when the control does not play the model's frames.
    KorvaneEngine::AnimationControl* GetModelAnimation() const { return modelAnimation; }
    KorvaneEngine::Model* GetAnimatorModel() const { return animatorModel; }
    KorvaneEngine::AnimationControl* GetAnimatorAnimation() const { return animatorAnimation; }
    bool HasFader() const { return !faderName.empty(); }
    bool IsShowing() const { return showing; }
    bool IsPending() const { return pending; }
    float GetFadeValue() const { return fadeValue; }
    float GetFadeClock() const { return fadeClock; }
    float GetActionClock() const { return actionClock; }

    // Filled from the window's description after construction.
    std::string showAction = "show";
    std::string hideAction = "hide";
    int32_t height = 1;
    KorvaneEngine::Vector2 position = KorvaneEngine::Vector2(0, 0);
    KorvaneEngine::Vector2 size = KorvaneEngine::Vector2(1, 1);
    bool hitAreaOn = false;
    KorvaneEngine::Vector2 hitAreaOffset = KorvaneEngine::Vector2(0, 0);
    KorvaneEngine::Vector2 hitAreaSize = KorvaneEngine::Vector2(0, 0);
    std::string faderName;
    std::string faderType = "timed";  // "model_animation": the fade follows the frames
    float showSpeed = 1;
    float hideSpeed = 1;
    float min = 0;   // fade value at progress 0
    float max = 1;   // fade value at progress 1
    float fadeOffset = 0;  // seconds the timed fade starts later
    float showOffset = 0;  // seconds from a show request to the widget appearing (with a fader)
    float hideOffset = 0;  // seconds from a hide request to the hide starting (with a fader)

protected:
    // The GUI manager every kind makes its widget with; its absence is fatal
    // (a window cannot be built without it).
    static KorvaneEngine::GUIManager& Manager();
    // "ui/" + name from the registry, or null for an empty name. A name the
    // registry lacks is logged there and gives its default object.
    KorvaneEngine::Model* FindModel(const std::string& name) const;
    const KorvaneEngine::ShaderDescriptor* FindShader(const std::string& name) const;

    // The last step of every kind's constructor: keeps the widget, sets up
    // the show/hide frames of its model and of the animator model, and hides
    // the widget. A kind that does not play its model's frames (its widget
    // shows its states by them) keeps no model animation.
    void AttachWidget(KorvaneEngine::GUIWindow* widget, const GUIControlDescription& description,
        bool playModelFrames);

    GameTools::DataKeeper* registry;
    std::string key;
    KorvaneEngine::GUIWindow* widget = nullptr;
    KorvaneEngine::Model* model = nullptr;
    KorvaneEngine::AnimationControl* modelAnimation = nullptr;
    KorvaneEngine::Model* animatorModel = nullptr;
    KorvaneEngine::AnimationControl* animatorAnimation = nullptr;

private:
    // Clears the loop flag and sets keys 0 (forward, played on show) and 1
    // (backward, on hide) over the given range of the model's frames; null
    // when the range is one frame (then the model is held on it) or, for
    // frames the control plays, when they cannot advance (logged).
    KorvaneEngine::AnimationControl* SetUpFrames(KorvaneEngine::Model* m, int32_t start, int32_t end, bool played);
    float FadeProgress(float dt);

    bool showing = false;
    float fadeClock = 0;
    float fadeValue = 0;
    bool pending = false;
    float actionClock = 0;
};

} // namespace GUITools
