#include "gui/GUIEditBoxControl.h"

#include "gui/GUIEditBox.h"
#include "gui/GUIFontTool.h"
#include "gui/GUIManager.h"

using namespace KorvaneEngine;

namespace GUITools {

GUIEditBoxControl::GUIEditBoxControl(GameTools::DataKeeper* registry, GUIFontTool* fontTool_, GUIWindow* parent,
    const GUIControlDescription& d)
    : GUIControl(registry, d.key), fontTool(fontTool_)
{
    // Made at the defaults; Update hands the description's settings on.
    editBox = Manager().CreateEditBox(GUIWindow::kColored, position, size, FindModel(d.modelName),
        FindShader(d.shaderName), fontId, fontColor, textOffset, static_cast<uint32_t>(maxCharacterCount),
        maxTextLength, visibleTextWidth, cursorCharacter, parent);
    editBox->ScaleUV(d.uv);
    AttachWidget(editBox, d, false);
}

GUIEditBoxControl::~GUIEditBoxControl()
{
    if (GUIManager* gui = GUIManager::Instance())
        gui->DestroyEditBox(editBox);
}

void GUIEditBoxControl::SetFont(const std::string& name)
{
    fontName = name;
    fontId = name.empty() || !fontTool ? -1 : fontTool->GetFontId(name);
}

void GUIEditBoxControl::SetMaxCharacterCount(int32_t count)
{
    maxCharacterCount = count < 1 ? 1 : count;
}

void GUIEditBoxControl::Update()
{
    GUIControl::Update();
    if (!editBox || !editBox->IsVisible())
        return;
    editBox->SetFont(fontId);
    editBox->fontColor = fontColor;
    editBox->SetTextOffset(textOffset);
    editBox->SetCursorCharacter(cursorCharacter);
    editBox->maxCount = static_cast<uint32_t>(maxCharacterCount);
    editBox->maxLength = maxTextLength;
    editBox->visibleWidth = visibleTextWidth;
}

} // namespace GUITools
