#include "gui/GUIButtonControl.h"

#include "gui/GUIButton.h"
#include "gui/GUIManager.h"

using namespace KorvaneEngine;

namespace GUITools {

GUIButtonControl::GUIButtonControl(GameTools::DataKeeper* registry, GUIWindow* parent, const GUIControlDescription& d)
    : GUIControl(registry, d.key)
{
    // Made at the defaults; Update applies the description's layout.
    GUIButton* w = Manager().CreateButton(
        GUIWindow::kColored, position, size, FindModel(d.modelName), FindShader(d.shaderName), parent);
    w->ScaleUV(d.uv);
    button = w;
    AttachWidget(w, d, false);
}

GUIButtonControl::~GUIButtonControl()
{
    if (GUIManager* gui = GUIManager::Instance())
        gui->DestroyButton(button);
}

void GUIButtonControl::Update()
{
    GUIControl::Update();
}

} // namespace GUITools
