#include "gui/GUIBackgroundBase.h"

#include <cmath>

// Before the engine headers: the Win32 header renames GetMessage, and Error
// must be declared under the same name it is called by here.
#include <windows.h>

#include "engine/foundation/Error.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/TimerManager.h"
#include "engine/foundation/XMLNode.h"
#include "engine/foundation/XMLParser.h"
#include "engine/foundation/XMLValue.h"
#include "gui/GUIBackgroundLayer.h"
#include "gui/GUIManager.h"
#include "gui/GUIWindow.h"

namespace GUITools {

using namespace KorvaneEngine;
using GameTools::XMLNode;
using GameTools::XMLValue;

namespace {

const float kFadeEnd = 0.0001f;
// Layers loaded while the background is on screen come in at this speed.
const float kLayerFadeSpeed = 1.0f;
// The top container lies this many levels above the last layer.
const int32_t kTopMargin = 3;

} // namespace

GUIBackgroundBase::GUIBackgroundBase(GameTools::DataKeeper* keeper_, GUIWindow* parent, const std::string& fileName)
    : keeper(keeper_)
{
    if (GUIManager* gui = GUIManager::Instance()) {
        rootWidget = gui->CreateContainerWindow(GUIWindow::kShown, parent);
        layerContainer = gui->CreateContainerWindow(0, rootWidget);
        topContainer = gui->CreateContainerWindow(GUIWindow::kShown, rootWidget);
    }
    try {
        GameTools::XMLParser parser;
        parser.ParseFile(description, fileName);
    } catch (const Error& e) {
        // The menus work without their background.
        LogErrorIfOpen("Background \"" + fileName + "\" was not read: " + e.GetMessage());
        delete description;
        description = nullptr;
    }
    if (description) {
        if (XMLValue* prefix = description->GetAttribute("resources_prefix"))
            resourcesPrefix = prefix->GetString() + "/";
    }
    // The margin holds without a description too: where the windows lie does
    // not depend on whether the file could be read.
    const size_t places = description ? description->GetChildList().size() : 0;
    if (topContainer)
        topContainer->SetHeight(static_cast<int32_t>(places) + kTopMargin);
}

GUIBackgroundBase::~GUIBackgroundBase()
{
    for (GUIBackgroundLayer* l : layers)
        delete l;
    layers.clear();
    if (GUIManager* gui = GUIManager::Instance()) {
        gui->DestroyWindow(topContainer);
        gui->DestroyWindow(layerContainer);
        gui->DestroyWindow(rootWidget);
    }
    delete description;
}

void GUIBackgroundBase::LoadBasicLayers() { LoadLayers(true); }

void GUIBackgroundBase::LoadAdditionalLayers() { LoadLayers(false); }

bool GUIBackgroundBase::IsAdditionalLayer(XMLNode* node)
{
    XMLValue* v = node ? node->GetAttribute("additional") : nullptr;
    return v && v->GetBool();
}

void GUIBackgroundBase::LoadLayers(bool basic)
{
    if (!description)
        return;
    const XMLNode::NodeList& nodes = description->GetChildList();
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (IsAdditionalLayer(nodes[i]) == basic)
            continue;
        GUIBackgroundLayer* layer = CreateLayer(nodes[i], static_cast<int32_t>(i) + 1);
        if (!layer)
            continue;
        if (IsVisible())
            layer->SetVisible(true, true, kLayerFadeSpeed);
        layers.push_back(layer);
    }
}

GUIBackgroundLayer* GUIBackgroundBase::CreateLayer(XMLNode* node, int32_t height)
{
    if (!node || !layerContainer)
        return nullptr;
    GUIBackgroundLayerDescription d;
    if (node->GetName() == "particles")
        d.particles = true;
    else if (node->GetName() != "model")
        return nullptr;
    XMLValue* name = node->GetAttribute("name");
    if (!name)
        return nullptr;
    d.name = resourcesPrefix + name->GetString();
    if (XMLValue* v = node->GetAttribute("shader"))
        d.shader = resourcesPrefix + v->GetString();
    if (XMLValue* v = node->GetAttribute("animator_model"))
        d.animatorModel = resourcesPrefix + v->GetString();
    if (XMLValue* v = node->GetAttribute("animation_speed"))
        d.animationSpeed = v->GetFloat();
    if (XMLValue* v = node->GetAttribute("random_start_frame"))
        d.randomStartFrame = v->GetBool();
    if (XMLValue* v = node->GetAttribute("animation_loop"))
        d.animationLoop = v->GetBool();
    if (XMLValue* v = node->GetAttribute("color"))
        d.color = v->GetVector4();
    return new GUIBackgroundLayer(keeper, d, height, layerContainer);
}

bool GUIBackgroundBase::IsVisible() const
{
    return layerContainer && (layerContainer->GetFlags() & GUIWindow::kShown) != 0;
}

void GUIBackgroundBase::SetVisible(bool visible_, bool fade, float speed)
{
    visible = visible_;
    fading = fade;
    fadeSpeed = speed;
    fadeTime = 0.0f;
    if (!layerContainer)
        return;
    if (visible) {
        layerContainer->SetFlags(GUIWindow::kShown);
        for (GUIBackgroundLayer* l : layers)
            l->SetVisible(true, false, speed);
    } else if (!fade) {
        layerContainer->ClearFlags(GUIWindow::kShown);
        for (GUIBackgroundLayer* l : layers)
            l->SetVisible(false, false, speed);
    }
}

void GUIBackgroundBase::Update()
{
    if (!IsVisible())
        return;
    for (GUIBackgroundLayer* l : layers)
        l->Update();
    if (!fading)
        return;
    const TimerManager* timers = TimerManager::Instance();
    fadeTime += timers ? timers->frameTime : 0.0f;
    float p = fadeSpeed * fadeTime;
    p = p < 0.0f ? 0.0f : (p > 1.0f ? 1.0f : p);
    const float alpha = visible ? p : 1.0f - p;
    if (visible && std::fabs(p - 1.0f) < kFadeEnd) {
        fading = false;
    } else if (!visible && std::fabs(alpha) < kFadeEnd) {
        fading = false;
        layerContainer->ClearFlags(GUIWindow::kShown);
        for (GUIBackgroundLayer* l : layers)
            l->SetVisible(false, false, fadeSpeed);
    }
    for (GUIBackgroundLayer* l : layers)
        l->SetAlpha(alpha);
}

} // namespace GUITools
