#include "gui/GUIWindowControl.h"

#include "gui/GUIManager.h"
#include "gui/GUIWindow.h"

using namespace KorvaneEngine;

namespace GUITools {

GUIWindowControl::GUIWindowControl(GameTools::DataKeeper* registry, GUIWindow* parent, const GUIControlDescription& d)
    : GUIControl(registry, d.key)
{
    // Made at the defaults; Update applies the description's layout.
    GUIWindow* w = Manager().CreateWindow(
        GUIWindow::kColored, position, size, FindModel(d.modelName), FindShader(d.shaderName), parent);
    w->ScaleUV(d.uv);
    AttachWidget(w, d, true);
}

GUIWindowControl::~GUIWindowControl()
{
    if (GUIManager* gui = GUIManager::Instance())
        gui->DestroyWindow(widget);
}

void GUIWindowControl::Update()
{
    GUIControl::Update();
}

} // namespace GUITools
