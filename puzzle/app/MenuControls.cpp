#include "puzzle/app/MenuControls.h"

#include "engine/audio_input/Controls.h"
#include "gui/GUIButton.h"
#include "engine/foundation/StringUtils.h"
#include "gui/GUICheckBox.h"
#include "gui/GUIEditBox.h"
#include "gui/GUITextControl.h"

namespace Puzzle {
namespace MenuControls {

bool Clicked(const KorvaneEngine::GUIButton* button) { return button && button->clicked; }

bool KeyPressed(const char* control)
{
    const KorvaneEngine::Controls* controls = KorvaneEngine::Controls::Instance();
    return controls && controls->IsPressed(control);
}

bool KeyDown(const char* control)
{
    const KorvaneEngine::Controls* controls = KorvaneEngine::Controls::Instance();
    return controls && controls->IsDown(control);
}

void SetButtonEnabled(KorvaneEngine::GUIButton* button, bool enabled)
{
    if (button && button->IsEnabled() != enabled)
        button->SetEnabled(enabled);
}

void SetChecked(KorvaneEngine::GUICheckBox* box, bool checked)
{
    if (box)
        box->checked = checked ? 1 : 0;
}

void SetFont(GUITools::GUITextControl* text, const std::string& font)
{
    if (text && text->GetFontName() != font)
        text->SetFont(font);
}

void SetLiteralText(GUITools::GUITextControl* text, const std::wstring& value)
{
    if (text && (text->GetText() != value || text->GetExpression().empty()))
        text->SetLiteralText(value);
}

bool NameConfirmed(KorvaneEngine::GUIEditBox* edit, KorvaneEngine::GUIButton* ok, std::wstring* name)
{
    const std::wstring entered = edit ? KorvaneEngine::TrimCopy(edit->GetText()) : std::wstring();
    if (name)
        *name = entered;
    SetButtonEnabled(ok, !entered.empty());
    if (Clicked(ok))
        return true;
    return ok && ok->GetState() != KorvaneEngine::GUIButton::kDisabled && KeyPressed("ENTER");
}

} // namespace MenuControls
} // namespace Puzzle
