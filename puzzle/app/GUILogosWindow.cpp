#include "puzzle/app/GUILogosWindow.h"

#include <algorithm>

#include "engine/foundation/FileManager.h"
#include "engine/foundation/TimerManager.h"
#include "engine/render/ShaderDescriptor.h"
#include "gui/GUIManager.h"
#include "gui/GUIWindow.h"
#include "puzzle/app/GameData.h"

namespace Puzzle {

namespace {

const float kTextureSize = 1024.0f;
const float kScreenWidth = 800.0f, kScreenHeight = 600.0f;
const float kEpsilon = 0.0001f;

} // namespace

GUILogosWindow::GUILogosWindow()
{
    KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance();
    KorvaneEngine::FileManager* files = KorvaneEngine::FileManager::Instance();
    if (!gui)
        return;
    root = gui->CreateContainerWindow(KorvaneEngine::GUIWindow::kShown | KorvaneEngine::GUIWindow::kLayerMiddle,
                                      nullptr);
    for (uint32_t n = 0; n < 2; ++n) {
        const std::string file = GameData::LogoFile(n, "big");
        if (!files || !files->FileExists(file))
            continue;
        // The picture's own alpha, no mip maps (it is drawn at its size),
        // clamped so the edges do not bleed.
        KorvaneEngine::ShaderDescriptor shader(false, file.substr(5), "32bit", true);
        logo[n] = gui->CreateWindow(KorvaneEngine::GUIWindow::kShown | KorvaneEngine::GUIWindow::kColored,
                                    KorvaneEngine::Vector2(0, 0), KorvaneEngine::Vector2(kScreenWidth, kScreenHeight),
                                    nullptr, &shader, root);
        if (logo[n])
            logo[n]->ScaleUV(KorvaneEngine::Vector2(kScreenWidth / kTextureSize, kScreenHeight / kTextureSize));
    }
    if (!logo[0] && logo[1]) {
        logo[0] = logo[1];
        logo[1] = nullptr;
    }
    // The first logo lies over the second.
    if (logo[0])
        logo[0]->SetHeight(101);
    if (logo[1])
        logo[1]->SetHeight(100);
}

GUILogosWindow::~GUILogosWindow()
{
    if (KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance()) {
        for (KorvaneEngine::GUIWindow*& w : logo) {
            gui->DestroyWindow(w);
            w = nullptr;
        }
        gui->DestroyWindow(root);
    }
}

void GUILogosWindow::Show(int32_t m)
{
    GUILogosWindowBase::Show(m);
    active = true;
}

void GUILogosWindow::Hide()
{
    GUILogosWindowBase::Hide();
    active = false;
    KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance();
    for (KorvaneEngine::GUIWindow*& w : logo) {
        if (gui)
            gui->DestroyWindow(w);
        w = nullptr;
    }
}

void GUILogosWindow::Update()
{
    GUILogosWindowBase::Update();
    if (!active)
        return;
    if (!logo[0]) {
        eventCode = 1;
        return;
    }
    KorvaneEngine::TimerManager* timers = KorvaneEngine::TimerManager::Instance();
    time += timers ? timers->frameTime : 0.0f;
    const float alpha = std::max(0.0f, 1.0f - std::max(0.0f, time - kHoldSeconds));
    KorvaneEngine::GUIWindow* current = nullptr;
    if (logo[0]->IsVisible())
        current = logo[0];
    else if (logo[1] && logo[1]->IsVisible())
        current = logo[1];
    if (!current) {
        eventCode = 1;
        return;
    }
    current->SetColor(KorvaneEngine::Color(1, 1, 1, alpha));
    if (alpha < kEpsilon) {
        time = 0.0f;
        current->ClearFlags(KorvaneEngine::GUIWindow::kShown);
    }
}

} // namespace Puzzle
