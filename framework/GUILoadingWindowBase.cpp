#include "framework/GUILoadingWindowBase.h"

#include "engine/render/DataKeeper.h"

namespace GameFramework {

GUILoadingWindowBase::GUILoadingWindowBase() {}

GUILoadingWindowBase::~GUILoadingWindowBase() {}

void GUILoadingWindowBase::Hide()
{
    GUIFrameworkWindow::Hide();
    keeper = nullptr;
    finished = false;
    stepped = false;
}

void GUILoadingWindowBase::ShowWithData(int32_t m, GameTools::DataKeeper* k)
{
    Show(m);
    keeper = k;
    finished = false;
    stepped = false;
}

void GUILoadingWindowBase::LoadAll()
{
    if (keeper)
        keeper->LoadAll();
    finished = true;
    stepped = true;
}

void GUILoadingWindowBase::LoadNextStep()
{
    if (keeper) {
        keeper->LoadNextStep();
        if (keeper->step >= keeper->extraSteps + 101)
            finished = true;
    }
    stepped = true;
}

} // namespace GameFramework
