#include "gui/GUICheckBoxControl.h"

#include "gui/GUICheckBox.h"
#include "gui/GUIManager.h"

using namespace KorvaneEngine;

namespace GUITools {

GUICheckBoxControl::GUICheckBoxControl(GameTools::DataKeeper* registry, GUIWindow* parent, const GUIControlDescription& d)
    : GUIControl(registry, d.key)
{
    // Made at the defaults; Update applies the description's layout.
    GUICheckBox* w = Manager().CreateCheckBox(
        GUIWindow::kColored, position, size, FindModel(d.modelName), FindShader(d.shaderName), parent);
    w->ScaleUV(d.uv);
    checkBox = w;
    AttachWidget(w, d, false);
}

GUICheckBoxControl::~GUICheckBoxControl()
{
    if (GUIManager* gui = GUIManager::Instance())
        gui->DestroyCheckBox(checkBox);
}

void GUICheckBoxControl::Update()
{
    GUIControl::Update();
}

} // namespace GUITools
