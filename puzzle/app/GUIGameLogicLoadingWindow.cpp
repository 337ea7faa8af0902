#include "puzzle/app/GUIGameLogicLoadingWindow.h"

#include "gui/GUITextControl.h"

namespace Puzzle {

GUIGameLogicLoadingWindow::GUIGameLogicLoadingWindow(GameFramework::LevelManagerBase* levels,
                                                     GameFramework::SoundController* sound, GameData* data,
                                                     GUITools::GUIToolManager* toolManager,
                                                     GUIMenuWindowManager* manager,
                                                     KorvaneEngine::GUIWindow* parentWidget)
    : GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_game_logic_loading"),
      levelManager(levels)
{
}

GUIGameLogicLoadingWindow::~GUIGameLogicLoadingWindow() {}

bool GUIGameLogicLoadingWindow::TitleDone() const
{
    return !titleControl || (titleControl->IsVisible() && titleControl->IsPrintingDone());
}

void GUIGameLogicLoadingWindow::ShowWithData(int32_t m, GameTools::DataKeeper* k)
{
    GUILoadingWindowBase::ShowWithData(m, k);
    GUIMenuWindow::SetVisible(true);
    ready = false;
}

void GUIGameLogicLoadingWindow::Hide()
{
    GUILoadingWindowBase::Hide();
    GUIMenuWindow::SetVisible(false);
}

void GUIGameLogicLoadingWindow::Update()
{
    GUILoadingWindowBase::Update();
    GUIMenuWindow::Update();
    if (!GUIMenuWindow::IsVisible())
        return;
    if (ready && keeper) {
        LoadAll();
        eventCode = 1;
    }
    if (TitleDone())
        ready = true;
}

} // namespace Puzzle
