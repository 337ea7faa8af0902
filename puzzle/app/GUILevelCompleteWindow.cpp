#include "puzzle/app/GUILevelCompleteWindow.h"

#include <cmath>

#include "engine/foundation/StringUtils.h"
#include "framework/Stage.h"
#include "gui/GUIButton.h"
#include "gui/GUIWindowControl.h"
#include "gui/GUITextControl.h"
#include "puzzle/app/LevelManager.h"
#include "puzzle/app/MenuControls.h"
#include "puzzle/app/Profile.h"
#include "puzzle/app/ProfileManager.h"

namespace Puzzle {

GUILevelCompleteWindow::GUILevelCompleteWindow(GameFramework::SoundController* sound, LevelManager* levels,
                                               ProfileManager* profiles, GameData* data,
                                               GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                                               KorvaneEngine::GUIWindow* parentWidget)
    : GUILevelCompleteWindowBase(levels),
      GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_level_complete"),
      puzzleLevelManager(levels), profileManager(profiles),
      timeText(GetTextControl(GetName() + "/window/your_time")),
      starsEarnedText(GetTextControl(GetName() + "/window/stars_earned")),
      starsTotalText(GetTextControl(GetName() + "/window/stars_total")),
      okButton(GetGUIButton(GetName() + "/window/button_0"))
{
    SetControlEnabled(titleMountStatic, false);
}

GUILevelCompleteWindow::~GUILevelCompleteWindow() {}

std::wstring GUILevelCompleteWindow::FormatTime(float seconds)
{
    // Not a number or below zero shows as 0:00; beyond 100 days it is cut
    // there rather than wrapping.
    double whole = std::isfinite(seconds) && seconds > 0 ? std::floor(seconds) : 0.0;
    whole = std::fmin(whole, 86400.0 * 100);
    const int total = static_cast<int>(whole);
    return KorvaneEngine::IntToWideString(total / 60) + L":" + KorvaneEngine::IntToWideString(total % 60, 2);
}

void GUILevelCompleteWindow::Show(int32_t m)
{
    GUILevelCompleteWindowBase::Show(m);
    GUIMenuWindow::SetVisible(true);
}

void GUILevelCompleteWindow::ShowWithResult(int32_t m, const GameFramework::Level& p, float t)
{
    // The base's show runs Show: the window is then waiting for its turn.
    GUILevelCompleteWindowBase::ShowWithResult(m, p, t);
    SetControlEnabled(titleMountAnimated, true);
    if (timeText)
        timeText->SetLiteralText(FormatTime(t));
    Profile* profile = profileManager ? profileManager->GetCurrentPuzzleProfile() : nullptr;
    if (starsEarnedText)
        starsEarnedText->SetLiteralText(KorvaneEngine::IntToWideString(profile ? profile->GetLevelStars() : 0));
    if (starsTotalText)
        starsTotalText->SetLiteralText(KorvaneEngine::UnsignedToWideString(profile ? profile->GetStars() : 0));
}

void GUILevelCompleteWindow::Hide()
{
    GUILevelCompleteWindowBase::Hide();
    SetControlEnabled(titleMountAnimated, false);
    GUIMenuWindow::SetVisible(false);
}

void GUILevelCompleteWindow::Update()
{
    GUILevelCompleteWindowBase::Update();
    GUIMenuWindow::Update();
    if (!GUIMenuWindow::IsVisible() || !MenuControls::Clicked(okButton))
        return;
    const GameFramework::Stage* stage = puzzleLevelManager ? puzzleLevelManager->GetStageAt(position.stageIndex) : nullptr;
    eventCode = stage && position.levelIndex + 1 == stage->levelCount ? 21 : 13;
}

} // namespace Puzzle
