#include "gui/GUIControl.h"

#include <algorithm>
#include <cmath>

#include "engine/foundation/MessageManager.h"
#include "engine/foundation/TimerManager.h"
#include "engine/render/AnimationControl.h"
#include "engine/render/DataKeeper.h"
#include "engine/render/Model.h"
#include "engine/render/ModelFile.h"
#include "engine/render/ModelManager.h"
#include "engine/render/Shader.h"
#include "engine/foundation/Error.h"
#include "gui/GUIManager.h"
#include "gui/GUIWindow.h"

using namespace KorvaneEngine;

namespace GUITools {

namespace {

void StartKey(AnimationControl* a, int key)
{
    if (!a)
        return;
    a->SetAnimation(key); // time 0, a held end released
    a->Start();
}

} // namespace

GUIControl::GUIControl(GameTools::DataKeeper* registry_, const std::string& key_) : registry(registry_), key(key_) {}

GUIControl::~GUIControl()
{
    // The animator is ours and in no registry: the model manager would not
    // delete it.
    delete animatorModel;
}

GUIManager& GUIControl::Manager()
{
    GUIManager* gui = GUIManager::Instance();
    if (!gui) {
        const std::string message = "(GUIControl::GUIControl): there is no GUI manager";
        if (MessageManager* log = MessageManager::Instance())
            log->LogFatal(message);
        throw FatalError(message);
    }
    return *gui;
}

Model* GUIControl::FindModel(const std::string& name) const
{
    return name.empty() || !registry ? nullptr : registry->GetModel("ui/" + name);
}

const ShaderDescriptor* GUIControl::FindShader(const std::string& name) const
{
    return name.empty() || !registry ? nullptr : registry->GetShaderUser("ui/" + name);
}

AnimationControl* GUIControl::SetUpFrames(Model* m, int32_t start, int32_t end, bool played)
{
    AnimationControl* a = m ? m->GetAnimation() : nullptr;
    if (!a || a->frameCount == 0)
        return nullptr;
    a->loop = 0;
    const int64_t lastFrame = static_cast<int64_t>(a->frameCount) - 1;
    int64_t first = 0, last = lastFrame;
    // Frames below 0 (other than "not given") count as 0: they would wrap
    // into huge unsigned frame numbers.
    if (start != -1)
        first = std::max<int64_t>(0, std::min<int64_t>(start, last));
    if (end != -1)
        last = std::max<int64_t>(std::min<int64_t>(end, last), first);
    if (first == last) {
        // Held on that one frame: stopped on the whole range at that step.
        a->SetAnimation(-1);
        a->running = 0;
        a->time = static_cast<float>(first);
        return nullptr;
    }
    if (played && !(a->speed > kEpsilon)) {
        // Without speed the frames never advance, a backward play never ends
        // and the window would never close: the frames are not played. A
        // kind that never plays them has nothing to wait on.
        LogErrorIfOpen("(GUIControl::AttachWidget): \"" + m->name + "\" model of \"" + key +
                       "\" control has no animation speed, its frames are not played");
        return nullptr;
    }
    // Written directly: adding keeps a key that is already there (a shared
    // model's control may have been set up by another control before).
    a->ranges[0] = AnimationControl::Range{static_cast<uint32_t>(first), static_cast<uint32_t>(last)};
    a->ranges[1] = AnimationControl::Range{static_cast<uint32_t>(last), static_cast<uint32_t>(first)};
    return a;
}

void GUIControl::AttachWidget(GUIWindow* widget_, const GUIControlDescription& d, bool playModelFrames)
{
    widget = widget_;
    model = widget ? widget->GetModel() : nullptr;
    // Every kind's model gets the same range (a one-frame range holds its
    // frame); a kind whose widget shows its states by frame drops the
    // animation afterwards, so only window and text controls play it.
    modelAnimation = SetUpFrames(model, d.modelStartFrame, d.modelEndFrame, playModelFrames);
    if (!playModelFrames)
        modelAnimation = nullptr;
    if (!d.animatorModelName.empty()) {
        Model* source = FindModel(d.animatorModelName);
        ModelManager* models = ModelManager::Instance();
        if (source && models)
            animatorModel = models->CloneModelUnregistered(source, nullptr, 0);
        if (animatorModel) {
            animatorAnimation = SetUpFrames(animatorModel, d.animatorStartFrame, d.animatorEndFrame, true);
            // Its box is only kept up to date while it counts as drawn.
            animatorModel->AddFlags(ModelFlags::kVisible);
        }
    }
    if (widget)
        widget->ClearFlags(GUIWindow::kShown);
}

void GUIControl::SetVisible(bool visible, bool useActions)
{
    if (!useActions) {
        showing = visible;
    } else {
        const std::string& action = visible ? showAction : hideAction;
        if (action == "show")
            showing = true;
        else if (action == "hide")
            showing = false;
        else
            return; // kept out of group shows and hides
    }
    pending = true;
    actionClock = 0;
    fadeClock = 0;
    if (widget) {
        // A show appears in Update (after the show offset); a hide needs the
        // widget drawn while its frames or its fade run.
        if (showing)
            widget->ClearFlags(GUIWindow::kShown);
        else
            widget->SetFlags(GUIWindow::kShown);
    }
    fadeValue = showing ? min : max;
}

bool GUIControl::IsVisible() const
{
    return showing || (widget && widget->IsVisible());
}

float GUIControl::FadeProgress(float dt)
{
    if (faderType != "model_animation") {
        fadeClock += dt;
        // A hide speed that is not above 0 would never bring the fade down,
        // and the window would wait for ever: such a hide ends at once
        // (reading the description logs the fault).
        if (!showing && !(hideSpeed > 0))
            return 0;
        const float t = std::max(fadeClock - fadeOffset, 0.0f);
        return showing ? t * showSpeed : 1 - t * hideSpeed;
    }
    AnimationControl* a = animatorModel ? animatorAnimation : modelAnimation;
    if (!a)
        return 0;
    float length = 0;
    auto range = a->ranges.find(a->currentKey);
    if (range != a->ranges.end())
        length = std::fabs(static_cast<float>(range->second.first) - static_cast<float>(range->second.last));
    // The time counts steps from the range's start whichever way it plays.
    float p = a->currentKey == 1 ? length - a->time : a->time;
    p = length > 0 ? p / length : 1;
    return p * (showing ? showSpeed : hideSpeed);
}

void GUIControl::Update()
{
    if (!widget)
        return;
    TimerManager* timers = TimerManager::Instance();
    const float dt = timers ? timers->frameTime : 0.0f;

    // 1. Show: after the show offset (with a fader) the widget appears and
    // the forward frames start.
    if (showing && pending) {
        actionClock += dt;
        if (!(HasFader() && actionClock < showOffset)) {
            widget->SetFlags(GUIWindow::kShown);
            StartKey(modelAnimation, 0);
            StartKey(animatorAnimation, 0);
            pending = false;
        }
    }

    // 2. Nothing to lay out while not drawn; a hide under a hidden parent ends.
    if (!widget->IsVisible()) {
        if (!showing && (widget->GetFlags() & GUIWindow::kShown)) {
            widget->ClearFlags(GUIWindow::kShown);
            pending = false;
        }
        return;
    }

    // 3. Hide: after the hide offset the backward frames start; with nothing
    // to play out the widget goes at once.
    if (!showing && pending) {
        actionClock += dt;
        if (!(HasFader() && actionClock < hideOffset)) {
            StartKey(modelAnimation, 1);
            StartKey(animatorAnimation, 1);
            pending = false;
            if (!HasFader() && !modelAnimation && !animatorAnimation) {
                widget->ClearFlags(GUIWindow::kShown);
                return;
            }
        }
    }

    // 4. A finished backward play ends the hide (a timed fader ends it itself).
    if (!HasFader() || faderType == "model_animation") {
        if (modelAnimation && !animatorAnimation && modelAnimation->currentKey == 1 && !modelAnimation->running)
            widget->ClearFlags(GUIWindow::kShown);
        if (animatorAnimation && animatorAnimation->currentKey == 1 && !animatorAnimation->running)
            widget->ClearFlags(GUIWindow::kShown);
    }

    // 5. Layout, moved by the animator's frames.
    widget->SetHeight(height);
    Vector2 p = position;
    if (animatorModel) {
        animatorModel->Update(false);
        p.x += animatorModel->box.GetWorldMin().x;
        p.y += animatorModel->box.GetWorldMin().y;
    }
    widget->SetPosition(p);
    widget->SetSize(size);
    widget->customHitArea = hitAreaOn;
    if (hitAreaOn) {
        widget->SetHitAreaOffset(hitAreaOffset);
        widget->SetHitAreaSize(hitAreaSize);
    }

    // 6. The fader sets the alpha every frame while drawn.
    if (!HasFader())
        return;
    if (!showing && actionClock < hideOffset)
        return; // the fade has not begun
    float progress = FadeProgress(dt);
    progress = std::min(1.0f, std::max(0.0f, progress));
    if (!showing && progress < kEpsilon)
        widget->ClearFlags(GUIWindow::kShown);
    fadeValue = progress * max + (1 - progress) * min;
    if (std::fabs(fadeValue - widget->GetAlpha()) > kEpsilon)
        widget->SetAlpha(fadeValue);
}

} // namespace GUITools
