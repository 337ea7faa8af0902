#include "gui/GUIScrollControl.h"

#include "gui/GUIButton.h"
#include "gui/GUIManager.h"
#include "gui/GUIScroll.h"

using namespace KorvaneEngine;

namespace GUITools {

GUIScrollControl::GUIScrollControl(GameTools::DataKeeper* registry, GUIWindow* parent, const GUIControlDescription& d)
    : GUISliderControl(registry, d.key)
{
    // Made at the defaults (two values, horizontal); Update applies the rest.
    scroll = Manager().CreateScroll(GUIWindow::kColored, position, size, FindModel(d.modelName),
        FindShader(d.shaderName), 0, toddlerMinPosition, toddlerMaxPosition, 2, parent);
    slider = scroll;
    scroll->ScaleUV(d.uv);
    AttachWidget(scroll, d, false);
}

GUIScrollControl::~GUIScrollControl()
{
    if (GUIManager* gui = GUIManager::Instance())
        gui->DestroyScroll(scroll);
    slider = nullptr;
    widget = nullptr;
}

void GUIScrollControl::SetIncreaseButton(const std::string& modelName, const std::string& shaderName,
    const Vector2& uv)
{
    increaseButton.modelName = modelName;
    increaseButton.shaderName = shaderName;
    increaseButton.uv = uv;
    scroll->CreateIncreaseButton(increaseButton.position, increaseButton.size, FindModel(modelName),
        FindShader(shaderName));
    if (GUIButton* b = scroll->GetIncreaseButton())
        b->ScaleUV(uv);
}

void GUIScrollControl::SetDecreaseButton(const std::string& modelName, const std::string& shaderName,
    const Vector2& uv)
{
    decreaseButton.modelName = modelName;
    decreaseButton.shaderName = shaderName;
    decreaseButton.uv = uv;
    scroll->CreateDecreaseButton(decreaseButton.position, decreaseButton.size, FindModel(modelName),
        FindShader(shaderName));
    if (GUIButton* b = scroll->GetDecreaseButton())
        b->ScaleUV(uv);
}

void GUIScrollControl::Apply(GUIButton* button, const StepButton& d)
{
    if (!button)
        return;
    button->SetSize(d.size);
    button->SetPosition(d.position);
    button->customHitArea = d.hitAreaOn;
    if (d.hitAreaOn) {
        button->SetHitAreaOffset(d.hitAreaOffset);
        button->SetHitAreaSize(d.hitAreaSize);
    }
}

void GUIScrollControl::Update()
{
    GUISliderControl::Update();
    if (!scroll || !scroll->IsVisible())
        return;
    Apply(scroll->GetIncreaseButton(), increaseButton);
    Apply(scroll->GetDecreaseButton(), decreaseButton);
    const bool lower = buttonsAlignment == "lower";
    for (GUIButton* b : {scroll->GetIncreaseButton(), scroll->GetDecreaseButton()})
        if (b)
            b->SetHeight(lower ? -1 : 2);
    scroll->SetHeight(lower ? height + 1 : height);
}

} // namespace GUITools
