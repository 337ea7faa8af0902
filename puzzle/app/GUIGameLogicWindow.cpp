#include "puzzle/app/GUIGameLogicWindow.h"

#include "engine/foundation/Config.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/TimerManager.h"
#include "engine/render/ModelManager.h"
#include "framework/GameLogicBase.h"
#include "framework/ProfileBase.h"
#include "framework/ProfileManagerBase.h"
#include "gui/GUIButton.h"
#include "gui/GUICheckBox.h"
#include "gui/GUIFontTool.h"
#include "gui/GUIManager.h"
#include "gui/GUITextControl.h"
#include "gui/GUIWindow.h"
#include "gui/GUIWindowControl.h"
#include "puzzle/app/GUIMenuWindowManager.h"
#include "puzzle/app/GameData.h"
#include "puzzle/app/MenuControls.h"
#include "puzzle/app/Profile.h"
#include "puzzle/app/ProfileManager.h"

namespace Puzzle {

namespace {

const char kName[] = "window_game_logic";
const float kStatisticsX = 8.0f, kStatisticsY = 512.0f, kStatisticsLine = 15.0f;

} // namespace

GUIGameLogicWindow::GUIGameLogicWindow(ProfileManager* profiles, GameData* data,
                                       GUITools::GUIToolManager* descriptions, GUIMenuWindowManager* windows,
                                       KorvaneEngine::GUIWindow* parentWidget)
    : GUIGameLogicWindowBase(profiles), GUIWindowBase(data, descriptions, parentWidget, kName), manager(windows),
      owner(data), puzzleProfiles(profiles)
{
    const std::string n = GetName();
    menuButton = GetGUIButton(n + "/menu");
    minimizeButton = GetGUIButton(n + "/minimize");
    fullscreenCheckBox = GetGUICheckBox(n + "/fullscreen");
    closeButton = GetGUIButton(n + "/close");
    starsText = GetTextControl(n + "/money/text_1");
    rootControl = GetWindowControl(n);
    if (manager)
        manager->SetupAdditionalLogos(this);
    if (KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance()) {
        statistics = gui->CreateContainerWindow(KorvaneEngine::GUIWindow::kShown, rootWidget);
        if (statistics)
            statistics->SetHeight(20);
    }
}

GUIGameLogicWindow::~GUIGameLogicWindow()
{
    if (KorvaneEngine::GUIManager* gui = KorvaneEngine::GUIManager::Instance())
        gui->DestroyWindow(statistics);
}

void GUIGameLogicWindow::ShowWithGameLogic(int32_t m, GameFramework::GameLogicBase* logic)
{
    GUIGameLogicWindowBase::ShowWithGameLogic(m, logic);
    shownLogic = logic;
    const GameFramework::ProfileBase* player = profileManager ? profileManager->GetCurrentProfile() : nullptr;
    const bool relax = player && player->GetPlayValue() != 0;
    EnableControl(GetName() + "/eater_bottom", !relax);
    EnableControl(GetName() + "/eater_arrow", !relax);
    GUIWindowBase::SetVisible(true);
    MenuControls::SetChecked(fullscreenCheckBox, fullscreenCopy);
}

void GUIGameLogicWindow::Hide()
{
    GUIGameLogicWindowBase::Hide();
    GUIWindowBase::SetVisible(false);
    if (manager) {
        if (!manager->IsTurnFree())
            manager->ReleaseTurn();
        manager->TakeTurn(nullptr);
    }
    shownLogic = nullptr;
}

void GUIGameLogicWindow::SetActive(bool a)
{
    GUIGameLogicWindowBase::SetActive(a);
    MenuControls::SetButtonEnabled(menuButton, a);
    MenuControls::SetButtonEnabled(closeButton, a);
}

void GUIGameLogicWindow::PrintStatistics()
{
    KorvaneEngine::Config* config = KorvaneEngine::Config::Instance();
    if (!statistics || !config || !KorvaneEngine::StringToBool(config->GetValueString("d_show_statistics")))
        return;
    const int32_t font = GetFontTool() ? GetFontTool()->GetFontId("console") : -1;
    const KorvaneEngine::TimerManager* timers = KorvaneEngine::TimerManager::Instance();
    const KorvaneEngine::ModelManager* models = KorvaneEngine::ModelManager::Instance();
    const std::wstring lines[4] = {
        L"FPS: " + KorvaneEngine::UnsignedToWideString(timers ? timers->framesPerSecond : 0),
        L"Model count: " + KorvaneEngine::UnsignedToWideString(models ? models->drawnModels : 0),
        L"Triangle count: " + KorvaneEngine::UnsignedToWideString(models ? models->drawnPrimitives : 0),
        L"Time: " + KorvaneEngine::FloatToWideString(shownLogic ? shownLogic->GetTime() : 0.0f, 1)};
    for (int i = 0; i < 4; ++i)
        statistics->PrintText(0, font, KorvaneEngine::Vector2(kStatisticsX, kStatisticsY - i * kStatisticsLine),
                              KorvaneEngine::Color(1, 1, 1, 1), lines[i], 0.0f, -1.0f);
}

void GUIGameLogicWindow::Update()
{
    GUIGameLogicWindowBase::Update();
    GUIWindowBase::Update();
    if (videoSettings && !videoSettings->IsCommandDone("v_window_change_mode"))
        MenuControls::SetChecked(fullscreenCheckBox, fullscreenCopy);
    if (!rootControl || !rootControl->IsVisible()) {
        // Gone: the menus may have their turn again.
        if (manager && !manager->IsTurnFree() && !manager->GetTurnHolder())
            manager->ReleaseTurn();
        return;
    }
    if (!shownLogic)
        return;
    if (MenuControls::Clicked(minimizeButton))
        MinimizeWindow();
    if (MenuControls::Clicked(fullscreenCheckBox)) {
        fullscreenCopy = fullscreenCheckBox->checked != 0;
        if (videoSettings) {
            videoSettings->fullscreen = fullscreenCopy;
            videoSettings->Save();
            videoSettings->SetCommandDone("v_window_change_mode", false);
        }
    }
    PrintStatistics();
    const Profile* player = puzzleProfiles ? puzzleProfiles->GetCurrentPuzzleProfile() : nullptr;
    MenuControls::SetLiteralText(starsText, KorvaneEngine::IntToWideString(player ? player->GetLevelStars() : 0));
    if (!active)
        return;
    if (MenuControls::Clicked(closeButton))
        eventCode = 4;
    if (MenuControls::KeyPressed("SPACE") || MenuControls::KeyPressed("P"))
        eventCode = 15;
    if (MenuControls::KeyPressed("ESCAPE") || MenuControls::Clicked(menuButton))
        eventCode = 16;
}

} // namespace Puzzle
