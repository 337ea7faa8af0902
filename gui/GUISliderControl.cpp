#include "gui/GUISliderControl.h"

#include "gui/GUIButton.h"
#include "gui/GUIManager.h"
#include "gui/GUISlider.h"

using namespace KorvaneEngine;

namespace GUITools {

GUISliderControl::GUISliderControl(GameTools::DataKeeper* registry, const std::string& key)
    : GUIControl(registry, key)
{
}

GUISliderControl::GUISliderControl(GameTools::DataKeeper* registry, GUIWindow* parent, const GUIControlDescription& d)
    : GUIControl(registry, d.key)
{
    // Made at the defaults (two values, horizontal); Update applies the rest.
    slider = Manager().CreateSlider(GUIWindow::kColored, position, size, FindModel(d.modelName),
        FindShader(d.shaderName), 0, toddlerMinPosition, toddlerMaxPosition, 2, parent);
    slider->ScaleUV(d.uv);
    AttachWidget(slider, d, false);
}

GUISliderControl::~GUISliderControl()
{
    // A scroll control's widget is destroyed by the scroll control.
    if (widget == slider)
        if (GUIManager* gui = GUIManager::Instance())
            gui->DestroySlider(slider);
}

void GUISliderControl::SetToddler(const std::string& modelName, const std::string& shaderName, const Vector2& uv)
{
    toddlerModelName = modelName;
    toddlerShaderName = shaderName;
    toddlerUV = uv;
    if (!slider)
        return;
    slider->CreateToddler(toddlerSize, FindModel(modelName), FindShader(shaderName));
    if (GUIButton* toddler = slider->GetToddler())
        toddler->ScaleUV(uv);
}

void GUISliderControl::Update()
{
    GUIControl::Update();
    if (!slider || !slider->IsVisible())
        return;
    slider->orientation = orientation.find("vertical") != std::string::npos ? 1 : 0;
    slider->SetToddlerSize(toddlerSize);
    slider->SetToddlerMinPosition(toddlerMinPosition);
    slider->SetToddlerMaxPosition(toddlerMaxPosition);
    if (GUIButton* toddler = slider->GetToddler()) {
        toddler->customHitArea = toddlerHitAreaOn;
        if (toddlerHitAreaOn) {
            toddler->SetHitAreaOffset(toddlerHitAreaOffset);
            toddler->SetHitAreaSize(toddlerHitAreaSize);
        }
    }
}

} // namespace GUITools
