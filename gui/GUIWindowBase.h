#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace GameTools {
class DataKeeper;
class XMLNode;
class XMLValue;
} // namespace GameTools

namespace KorvaneEngine {
class GUIButton;
class GUICheckBox;
class GUIEditBox;
class GUIScroll;
class GUIWindow;
} // namespace KorvaneEngine

namespace GUITools {

class GUIButtonControl;
class GUICheckBoxControl;
class GUIControl;
class GUIEditBoxControl;
class GUIFontTool;
class GUIScrollControl;
class GUISliderControl;
class GUITextControl;
class GUITextTool;
class GUIToolManager;
class GUIWindowControl;

// The base of every window described in XML. The constructor builds a
// hidden root widget and, from the description of the window's name among
// the tool manager's descriptions, one control a control element, depth
// first, parents before children. An element inherits the attributes and
// children of its template, and that template's template; an element whose
// "language" is not the current one is left out with its subtree.
//
// Controls are found by key: the window's name and the "name"s of the nested
// elements joined by "/" ("window_main_menu/window/start"). Show and hide
// requests go to every enabled control; Update runs every control and hides
// the root once no enabled control is visible any more, so a window closes
// itself when its controls have played their hide out.
//
// Description faults (an unknown kind, fader or window, a nameless child,
// nesting beyond kMaxDepth) are fatal: logged, then FatalError.
class GUIWindowBase {
public:
    // The shipped windows nest fewer than 8 levels; deeper means a template
    // that names one of its own ancestors.
    static const int kMaxDepth = 32;

    GUIWindowBase(GameTools::DataKeeper* registry, GUIToolManager* toolManager, KorvaneEngine::GUIWindow* parent,
        const std::string& name);
    virtual ~GUIWindowBase();
    GUIWindowBase(const GUIWindowBase&) = delete;
    GUIWindowBase& operator=(const GUIWindowBase&) = delete;

    virtual void Update();
    // Showing shows the root at once; both ask every enabled control, with
    // its show/hide actions. Hiding leaves the root to Update.
    virtual void SetVisible(bool visible);
    // The root widget's effective visibility.
    virtual bool IsVisible() const;

    // Exact keys, first in creation order; a miss is logged and gives null.
    GUITextControl* GetTextControl(const std::string& key) const;
    GUIScrollControl* GetScrollControl(const std::string& key) const;
    GUIEditBoxControl* GetEditBoxControl(const std::string& key) const;
    GUICheckBoxControl* GetCheckBoxControl(const std::string& key) const;
    GUIButtonControl* GetButtonControl(const std::string& key) const;
    GUIWindowControl* GetWindowControl(const std::string& key) const;
    GUIControl* GetControl(const std::string& key) const;
    // Silent probes.
    bool HasTextControl(const std::string& key) const;
    bool HasCheckBoxControl(const std::string& key) const;
    bool HasWindowControl(const std::string& key) const;
    // The widgets of those controls (null after the lookup's message).
    KorvaneEngine::GUIScroll* GetGUIScroll(const std::string& key) const;
    KorvaneEngine::GUIEditBox* GetGUIEditBox(const std::string& key) const;
    KorvaneEngine::GUICheckBox* GetGUICheckBox(const std::string& key) const;
    KorvaneEngine::GUIButton* GetGUIButton(const std::string& key) const;
    KorvaneEngine::GUIWindow* GetGUIWindow(const std::string& key) const;

    // A disabled control is hidden at once, left out of group shows and
    // hides and of the "still visible" test, but still updated.
    void EnableControl(const std::string& key, bool enable);
    void SetControlEnabled(GUIControl* control, bool enable);
    bool IsControlEnabled(const std::string& key) const;

    const std::string& GetName() const { return name; }
    KorvaneEngine::GUIWindow* GetRootWidget() const { return rootWidget; }
    const std::vector<GUIControl*>& GetControls() const { return controls; }
    GUIFontTool* GetFontTool() const { return fontTool; }
    GUITextTool* GetTextTool() const { return textTool; }

protected:
    void LoadControls(GameTools::XMLNode* root, const std::string& windowName);
    void ParseControls(GameTools::XMLNode* root, const std::vector<GameTools::XMLNode*>& searchList,
        const std::string& controlName, const std::string& parentKey, KorvaneEngine::GUIWindow* parent, int depth);
    // The element of that name among the children of the search list's nodes,
    // then its template, that template's template..., one chain for each node
    // of the search list; a chain that comes back to one of its own elements
    // stops there with one logged error.
    void FindTemplateNodes(GameTools::XMLNode* root, const std::vector<GameTools::XMLNode*>& searchList,
        const std::string& name, std::vector<GameTools::XMLNode*>& out);
    // The first node of the list that has the attribute.
    static GameTools::XMLValue* FindAttribute(const std::vector<GameTools::XMLNode*>& nodes,
        const std::string& attribute);

    GameTools::DataKeeper* registry;
    GUIToolManager* toolManager;
    GUIFontTool* fontTool;
    GUITextTool* textTool;
    KorvaneEngine::GUIWindow* rootWidget = nullptr;
    std::string name;
    std::vector<GUIControl*> controls;
    std::vector<GUIWindowControl*> windowControls;
    std::vector<GUIButtonControl*> buttonControls;
    std::vector<GUICheckBoxControl*> checkBoxControls;
    std::vector<GUIEditBoxControl*> editBoxControls;
    std::vector<GUISliderControl*> sliderControls;
    std::vector<GUIScrollControl*> scrollControls;
    std::vector<GUITextControl*> textControls;
    std::vector<bool> enabled;

private:
    [[noreturn]] void Fatal(const std::string& message) const;
    void ApplyCommon(GUIControl* control, GameTools::XMLNode* root, const std::vector<GameTools::XMLNode*>& nodes);
};

} // namespace GUITools
