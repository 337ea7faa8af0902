#include "puzzle/app/GUIGameLoadingWindow.h"

#include "gui/GUITextControl.h"

namespace Puzzle {

GUIGameLoadingWindow::GUIGameLoadingWindow(GameFramework::SoundController* sound, GameData* data,
                                           GUITools::GUIToolManager* toolManager, GUIMenuWindowManager* manager,
                                           KorvaneEngine::GUIWindow* parentWidget)
    : GUIMenuWindow(sound, data, toolManager, manager, parentWidget, "window_game_loading")
{
}

GUIGameLoadingWindow::~GUIGameLoadingWindow() {}

bool GUIGameLoadingWindow::TitleDone() const
{
    return !titleControl || (titleControl->IsVisible() && titleControl->IsPrintingDone());
}

void GUIGameLoadingWindow::ShowWithData(int32_t m, GameTools::DataKeeper* k)
{
    GUILoadingWindowBase::ShowWithData(m, k);
    GUIMenuWindow::SetVisible(true);
    ready = false;
}

void GUIGameLoadingWindow::Hide()
{
    GUILoadingWindowBase::Hide();
    GUIMenuWindow::SetVisible(false);
}

void GUIGameLoadingWindow::Update()
{
    GUILoadingWindowBase::Update();
    GUIMenuWindow::Update();
    if (!GUIMenuWindow::IsVisible())
        return;
    if (ready && !finished && keeper) {
        LoadNextStep();
        if (finished)
            eventCode = 1;
    }
    if (TitleDone())
        ready = true;
}

} // namespace Puzzle
