#pragma once
// Small null-safe steps the screens repeat on their widgets and controls.
// Setting a widget to what it already is would not be free: a button's
// SetEnabled forgets a press in progress (so a button enabled every frame
// could never be clicked), and a text control lays its text out again after
// every change of font or text. These helpers act only on a change.
#include <string>

namespace KorvaneEngine {
class GUIButton;
class GUICheckBox;
class GUIEditBox;
} // namespace KorvaneEngine

namespace GUITools {
class GUITextControl;
}

namespace Puzzle {
namespace MenuControls {

// The button's clicked flag of this frame (false for null).
bool Clicked(const KorvaneEngine::GUIButton* button);
// The control went down this frame (false without the input service).
bool KeyPressed(const char* control);
bool KeyDown(const char* control);
void SetButtonEnabled(KorvaneEngine::GUIButton* button, bool enabled);
void SetChecked(KorvaneEngine::GUICheckBox* box, bool checked);
void SetFont(GUITools::GUITextControl* text, const std::string& font);
void SetLiteralText(GUITools::GUITextControl* text, const std::wstring& value);

// The name entry of the welcome, new-profile and rename windows, for one
// visible frame: the edit box's text without surrounding blanks goes into
// name, the OK button is enabled exactly while that is not empty, and the
// entry counts as confirmed when OK was clicked or, with OK enabled, "ENTER"
// went down this frame.
bool NameConfirmed(KorvaneEngine::GUIEditBox* edit, KorvaneEngine::GUIButton* ok, std::wstring* name);

} // namespace MenuControls
} // namespace Puzzle
