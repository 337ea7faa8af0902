#include "gui/GUIWindowBase.h"

#include <algorithm>

#include "engine/foundation/Error.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/XMLNode.h"
#include "engine/foundation/XMLQuery.h"
#include "gui/GUIButtonControl.h"
#include "gui/GUICheckBoxControl.h"
#include "gui/GUIControl.h"
#include "gui/GUIEditBoxControl.h"
#include "gui/GUIManager.h"
#include "gui/GUIScrollControl.h"
#include "gui/GUISliderControl.h"
#include "gui/GUITextControl.h"
#include "gui/GUIToolManager.h"
#include "gui/GUIWindow.h"
#include "gui/GUIWindowControl.h"

using namespace GameTools;
using namespace KorvaneEngine;

namespace GUITools {

namespace {

template <class T> T* FindByKey(const std::vector<T*>& list, const std::string& key)
{
    for (T* c : list)
        if (c->GetKey() == key)
            return c;
    return nullptr;
}

template <class T> T* Lookup(const std::vector<T*>& list, const std::string& key, const char* operation)
{
    T* c = FindByKey(list, key);
    if (!c)
        LogErrorIfOpen(std::string("(GUIWindowBase::") + operation + "): Unknown \"" + key + "\" control");
    return c;
}

} // namespace

GUIWindowBase::GUIWindowBase(DataKeeper* registry_, GUIToolManager* toolManager_, GUIWindow* parent,
    const std::string& name_)
    : registry(registry_), toolManager(toolManager_), fontTool(toolManager_ ? toolManager_->GetFontTool() : nullptr),
      textTool(toolManager_ ? toolManager_->GetTextTool() : nullptr), name(name_)
{
    GUIManager* gui = GUIManager::Instance();
    if (!gui || !toolManager)
        Fatal("(GUIWindowBase::GUIWindowBase): \"" + name + "\" window needs the GUI manager and the tool manager");
    rootWidget = gui->CreateWindow(0, Vector2(0, 0), Vector2(0, 0), nullptr, nullptr, parent);
    try {
        LoadControls(toolManager->GetRoot(), name);
    } catch (...) {
        // A fatal description fault leaves nothing of the window behind.
        for (auto it = controls.rbegin(); it != controls.rend(); ++it)
            delete *it;
        controls.clear();
        gui->DestroyWindow(rootWidget);
        throw;
    }
}

GUIWindowBase::~GUIWindowBase()
{
    // Children before their parents.
    for (auto it = controls.rbegin(); it != controls.rend(); ++it)
        delete *it;
    controls.clear();
    if (GUIManager* gui = GUIManager::Instance())
        gui->DestroyWindow(rootWidget);
}

void GUIWindowBase::Fatal(const std::string& message) const
{
    if (MessageManager* log = MessageManager::Instance())
        log->LogFatal(message);
    throw FatalError(message);
}

void GUIWindowBase::LoadControls(XMLNode* root, const std::string& windowName)
{
    ParseControls(root, std::vector<XMLNode*>{root}, windowName, std::string(), rootWidget, 0);
}

void GUIWindowBase::FindTemplateNodes(XMLNode* root, const std::vector<XMLNode*>& searchList,
    const std::string& controlName, std::vector<XMLNode*>& out)
{
    for (XMLNode* s : searchList) {
        // Each element found starts a chain of its own: an element's child
        // and its template's child may both name one template without a loop,
        // so only the chain being followed is checked.
        const size_t chainStart = out.size();
        std::string lookedFor = controlName;
        XMLNode* found = FindXMLNode(s, "/[name=\"" + controlName + "\"]");
        while (found) {
            if (std::find(out.begin() + chainStart, out.end(), found) != out.end()) {
                LogErrorIfOpen("(GUIWindowBase::FindTemplateNodes): \"" + lookedFor + "\" template of \"" + name +
                               "\" window leads back into its own template chain");
                break;
            }
            out.push_back(found);
            XMLValue* t = found->GetAttribute("template", kReportSilent);
            if (!t)
                break;
            lookedFor = t->GetString();
            found = FindXMLNode(root, "/[name=\"" + lookedFor + "\"]");
        }
    }
}

XMLValue* GUIWindowBase::FindAttribute(const std::vector<XMLNode*>& nodes, const std::string& attribute)
{
    for (XMLNode* n : nodes)
        if (XMLValue* v = n->GetAttribute(attribute, kReportSilent))
            return v;
    return nullptr;
}

void GUIWindowBase::ApplyCommon(GUIControl* c, XMLNode* root, const std::vector<XMLNode*>& nodes)
{
    if (XMLValue* v = FindAttribute(nodes, "show_action"))
        c->showAction = v->GetString();
    if (XMLValue* v = FindAttribute(nodes, "hide_action"))
        c->hideAction = v->GetString();
    if (XMLValue* v = FindAttribute(nodes, "height"))
        c->height = v->GetInt();
    if (XMLValue* v = FindAttribute(nodes, "position"))
        c->position = v->GetVector2();
    if (XMLValue* v = FindAttribute(nodes, "size"))
        c->size = v->GetVector2();
    if (XMLValue* v = FindAttribute(nodes, "selection_position")) {
        c->hitAreaOffset = v->GetVector2();
        c->hitAreaOn = true;
    }
    if (XMLValue* v = FindAttribute(nodes, "selection_size")) {
        c->hitAreaSize = v->GetVector2();
        c->hitAreaOn = true;
    }
    XMLValue* faderValue = FindAttribute(nodes, "fader");
    if (!faderValue || faderValue->GetString().empty())
        return;
    const std::string fader = faderValue->GetString();
    XMLNode* f = FindXMLNode(root, "/faders/fader[name='" + fader + "']");
    if (!f)
        Fatal("(GUIWindowBase::ParseControls): Unknown \"" + fader + "\" fader");
    // A fader's values come from its own entry only.
    c->faderName = fader;
    if (XMLValue* v = f->GetAttribute("type", kReportSilent))
        c->faderType = v->GetString();
    struct {
        const char* attribute;
        float* field;
    } const floats[] = {{"show_speed", &c->showSpeed}, {"hide_speed", &c->hideSpeed}, {"min", &c->min},
        {"max", &c->max}, {"fade_offset", &c->fadeOffset}, {"show_offset", &c->showOffset},
        {"hide_offset", &c->hideOffset}};
    for (const auto& entry : floats)
        if (XMLValue* v = f->GetAttribute(entry.attribute, kReportSilent))
            *entry.field = v->GetFloat();
    // A timed fade that never falls would keep the window open for ever; the
    // control ends such hides at once.
    if (c->faderType != "model_animation" && !(c->hideSpeed > 0))
        LogErrorIfOpen("(GUIWindowBase::ParseControls): \"" + fader + "\" fader of \"" + c->GetKey() +
                       "\" control has no hide speed above 0, its hides end at once");
}

void GUIWindowBase::ParseControls(XMLNode* root, const std::vector<XMLNode*>& searchList,
    const std::string& controlName, const std::string& parentKey, GUIWindow* parent, int depth)
{
    const std::string key = parentKey.empty() ? controlName : parentKey + "/" + controlName;
    std::vector<XMLNode*> nodes;
    FindTemplateNodes(root, searchList, controlName, nodes);
    if (nodes.empty()) {
        if (parentKey.empty())
            Fatal("(GUIWindowBase::ParseControls): Unknown \"" + controlName + "\" window");
        // A name the lookup query cannot hold (a double quote in it).
        LogErrorIfOpen("(GUIWindowBase::ParseControls): Failed to find \"" + key + "\" control");
        return;
    }
    // A template that names one of its ancestors would nest for ever.
    if (depth >= kMaxDepth)
        Fatal("(GUIWindowBase::ParseControls): \"" + key + "\" control is nested deeper than 32 levels");
    const std::string kind = nodes.front()->GetName();
    if (kind == "fader")
        return;
    if (XMLValue* language = FindAttribute(nodes, "language"))
        if (language->GetString() != toolManager->GetLanguage())
            return;

    GUIControlDescription d;
    d.key = key;
    if (XMLValue* v = FindAttribute(nodes, "model"))
        d.modelName = v->GetString();
    if (XMLValue* v = FindAttribute(nodes, "model_start_frame"))
        d.modelStartFrame = v->GetInt();
    if (XMLValue* v = FindAttribute(nodes, "model_end_frame"))
        d.modelEndFrame = v->GetInt();
    if (XMLValue* v = FindAttribute(nodes, "shader"))
        d.shaderName = v->GetString();
    if (XMLValue* v = FindAttribute(nodes, "uv"))
        d.uv = v->GetVector2();
    if (XMLValue* v = FindAttribute(nodes, "animator_model"))
        d.animatorModelName = v->GetString();
    if (XMLValue* v = FindAttribute(nodes, "animator_model_start_frame"))
        d.animatorStartFrame = v->GetInt();
    if (XMLValue* v = FindAttribute(nodes, "animator_model_end_frame"))
        d.animatorEndFrame = v->GetInt();

    GUIControl* control = nullptr;
    GUITextControl* text = nullptr;
    GUIEditBoxControl* edit = nullptr;
    GUISliderControl* slider = nullptr;
    GUIScrollControl* scroll = nullptr;
    if (kind == "window") {
        GUIWindowControl* c = new GUIWindowControl(registry, parent, d);
        windowControls.push_back(c);
        control = c;
    } else if (kind == "button") {
        GUIButtonControl* c = new GUIButtonControl(registry, parent, d);
        buttonControls.push_back(c);
        control = c;
    } else if (kind == "check_box") {
        GUICheckBoxControl* c = new GUICheckBoxControl(registry, parent, d);
        checkBoxControls.push_back(c);
        control = c;
    } else if (kind == "edit_box") {
        edit = new GUIEditBoxControl(registry, fontTool, parent, d);
        editBoxControls.push_back(edit);
        control = edit;
    } else if (kind == "slider") {
        slider = new GUISliderControl(registry, parent, d);
        sliderControls.push_back(slider);
        control = slider;
    } else if (kind == "scroll") {
        scroll = new GUIScrollControl(registry, parent, d);
        slider = scroll;
        scrollControls.push_back(scroll);
        control = scroll;
    } else if (kind == "text_label") {
        text = new GUITextControl(registry, fontTool, textTool, parent, d);
        textControls.push_back(text);
        control = text;
    } else {
        Fatal("(GUIWindowBase::ParseControls): Unknown \"" + kind + "\" control type");
    }
    // Listed at once, so a fault further on still frees it with the others.
    controls.push_back(control);
    enabled.push_back(true);

    ApplyCommon(control, root, nodes);

    if (text) {
        if (XMLValue* v = FindAttribute(nodes, "alignment_h"))
            text->horizontalAlignment = v->GetString();
        if (XMLValue* v = FindAttribute(nodes, "alignment_v"))
            text->verticalAlignment = v->GetString();
        if (XMLValue* v = FindAttribute(nodes, "font"))
            text->SetFont(v->GetString());
        if (XMLValue* v = FindAttribute(nodes, "text"))
            text->SetText(v->GetString());
        if (XMLValue* v = FindAttribute(nodes, "color"))
            text->color = v->GetVector4();
        if (XMLValue* v = FindAttribute(nodes, "angle"))
            text->angle = v->GetFloat();
        if (XMLValue* v = FindAttribute(nodes, "font_size")) {
            text->SetFontSize(v->GetFloat());
            text->Layout();
        }
        if (XMLValue* v = FindAttribute(nodes, "multiline")) {
            text->SetMultiline(v->GetBool());
            text->Layout();
        }
        if (XMLValue* v = FindAttribute(nodes, "line_space"))
            text->lineSpace = v->GetFloat();
        if (XMLValue* v = FindAttribute(nodes, "printing_mode"))
            text->printingMode = v->GetBool();
        if (XMLValue* v = FindAttribute(nodes, "printing_speed"))
            text->printingSpeed = v->GetFloat();
        if (XMLValue* v = FindAttribute(nodes, "max_printing_time"))
            text->maxPrintingTime = v->GetFloat();
        if (XMLValue* v = FindAttribute(nodes, "auto_font_size")) {
            text->SetAutoFontSize(v->GetBool());
            text->Layout();
        }
    }

    if (edit) {
        if (XMLValue* v = FindAttribute(nodes, "font"))
            edit->SetFont(v->GetString());
        if (XMLValue* v = FindAttribute(nodes, "font_color"))
            edit->fontColor = v->GetVector4();
        if (XMLValue* v = FindAttribute(nodes, "text_offset"))
            edit->textOffset = v->GetVector2();
        if (XMLValue* v = FindAttribute(nodes, "cursor_character")) {
            const std::wstring& c = v->GetWideString();
            edit->cursorCharacter = c.empty() ? uint16_t(' ') : static_cast<uint16_t>(c[0]);
        }
        if (XMLValue* v = FindAttribute(nodes, "max_character_count"))
            edit->SetMaxCharacterCount(v->GetInt());
        if (XMLValue* v = FindAttribute(nodes, "max_text_length"))
            edit->maxTextLength = v->GetFloat();
        if (XMLValue* v = FindAttribute(nodes, "visible_text_width"))
            edit->visibleTextWidth = v->GetFloat();
    }

    if (slider) {
        XMLValue* model = FindAttribute(nodes, "toddler_model");
        XMLValue* shader = FindAttribute(nodes, "toddler_shader");
        XMLValue* uv = FindAttribute(nodes, "toddler_uv");
        slider->SetToddler(model ? model->GetString() : std::string(), shader ? shader->GetString() : std::string(),
            uv ? uv->GetVector2() : Vector2(1, 1));
        if (XMLValue* v = FindAttribute(nodes, "toddler_size"))
            slider->toddlerSize = v->GetVector2();
        if (XMLValue* v = FindAttribute(nodes, "toddler_min_position"))
            slider->toddlerMinPosition = v->GetVector2();
        if (XMLValue* v = FindAttribute(nodes, "toddler_max_position"))
            slider->toddlerMaxPosition = v->GetVector2();
        if (XMLValue* v = FindAttribute(nodes, "orientation"))
            slider->orientation = v->GetString();
        if (XMLValue* v = FindAttribute(nodes, "toddler_selection_position")) {
            slider->toddlerHitAreaOffset = v->GetVector2();
            slider->toddlerHitAreaOn = true;
        }
        if (XMLValue* v = FindAttribute(nodes, "toddler_selection_size")) {
            slider->toddlerHitAreaSize = v->GetVector2();
            slider->toddlerHitAreaOn = true;
        }
    }

    if (scroll) {
        for (int which = 0; which < 2; ++which) {
            const std::string prefix = which == 0 ? "increase_button_" : "decrease_button_";
            GUIScrollControl::StepButton& b = which == 0 ? scroll->increaseButton : scroll->decreaseButton;
            XMLValue* model = FindAttribute(nodes, prefix + "model");
            XMLValue* shader = FindAttribute(nodes, prefix + "shader");
            XMLValue* uv = FindAttribute(nodes, prefix + "uv");
            const std::string m = model ? model->GetString() : std::string();
            const std::string s = shader ? shader->GetString() : std::string();
            const Vector2 u = uv ? uv->GetVector2() : Vector2(1, 1);
            if (which == 0)
                scroll->SetIncreaseButton(m, s, u);
            else
                scroll->SetDecreaseButton(m, s, u);
            if (XMLValue* v = FindAttribute(nodes, prefix + "size"))
                b.size = v->GetVector2();
            if (XMLValue* v = FindAttribute(nodes, prefix + "position"))
                b.position = v->GetVector2();
            if (XMLValue* v = FindAttribute(nodes, prefix + "selection_position")) {
                b.hitAreaOffset = v->GetVector2();
                b.hitAreaOn = true;
            }
            if (XMLValue* v = FindAttribute(nodes, prefix + "selection_size")) {
                b.hitAreaSize = v->GetVector2();
                b.hitAreaOn = true;
            }
        }
        if (XMLValue* v = FindAttribute(nodes, "buttons_alignment"))
            scroll->buttonsAlignment = v->GetString();
    }

    // The element's own children first, then those only its templates add;
    // a name in both is one control, resolved element first.
    std::vector<std::string> names;
    for (XMLNode* n : nodes)
        for (XMLNode* child : n->GetChildList()) {
            XMLValue* childName = child->GetAttribute("name", kReportSilent);
            if (!childName)
                Fatal("(GUIWindowBase::ParseControls): Failed to find attribute \"name\" in node with \"" +
                      child->GetName() + "\" name");
            if (std::find(names.begin(), names.end(), childName->GetString()) == names.end())
                names.push_back(childName->GetString());
        }
    for (const std::string& childName : names)
        ParseControls(root, nodes, childName, key, control->GetWidget(), depth + 1);
}

void GUIWindowBase::Update()
{
    if (!rootWidget || !rootWidget->IsVisible())
        return;
    for (GUIControl* c : controls)
        c->Update();
    for (size_t i = 0; i < controls.size(); ++i)
        if (enabled[i] && controls[i]->IsVisible())
            return;
    rootWidget->ClearFlags(GUIWindow::kShown);
}

void GUIWindowBase::SetVisible(bool visible)
{
    if (visible && rootWidget)
        rootWidget->SetFlags(GUIWindow::kShown);
    for (size_t i = 0; i < controls.size(); ++i)
        if (enabled[i])
            controls[i]->SetVisible(visible, true);
}

bool GUIWindowBase::IsVisible() const
{
    return rootWidget && rootWidget->IsVisible();
}

GUITextControl* GUIWindowBase::GetTextControl(const std::string& key) const
{
    return Lookup(textControls, key, "GetTextControl");
}

GUIScrollControl* GUIWindowBase::GetScrollControl(const std::string& key) const
{
    return Lookup(scrollControls, key, "GetScrollControl");
}

GUIEditBoxControl* GUIWindowBase::GetEditBoxControl(const std::string& key) const
{
    return Lookup(editBoxControls, key, "GetEditBoxControl");
}

GUICheckBoxControl* GUIWindowBase::GetCheckBoxControl(const std::string& key) const
{
    return Lookup(checkBoxControls, key, "GetCheckBoxControl");
}

GUIButtonControl* GUIWindowBase::GetButtonControl(const std::string& key) const
{
    return Lookup(buttonControls, key, "GetButtonControl");
}

GUIWindowControl* GUIWindowBase::GetWindowControl(const std::string& key) const
{
    return Lookup(windowControls, key, "GetWindowControl");
}

GUIControl* GUIWindowBase::GetControl(const std::string& key) const
{
    return Lookup(controls, key, "GetControl");
}

bool GUIWindowBase::HasTextControl(const std::string& key) const
{
    return FindByKey(textControls, key) != nullptr;
}

bool GUIWindowBase::HasCheckBoxControl(const std::string& key) const
{
    return FindByKey(checkBoxControls, key) != nullptr;
}

bool GUIWindowBase::HasWindowControl(const std::string& key) const
{
    return FindByKey(windowControls, key) != nullptr;
}

GUIScroll* GUIWindowBase::GetGUIScroll(const std::string& key) const
{
    GUIScrollControl* c = GetScrollControl(key);
    return c ? c->GetScroll() : nullptr;
}

GUIEditBox* GUIWindowBase::GetGUIEditBox(const std::string& key) const
{
    GUIEditBoxControl* c = GetEditBoxControl(key);
    return c ? c->GetEditBox() : nullptr;
}

GUICheckBox* GUIWindowBase::GetGUICheckBox(const std::string& key) const
{
    GUICheckBoxControl* c = GetCheckBoxControl(key);
    return c ? c->GetCheckBox() : nullptr;
}

GUIButton* GUIWindowBase::GetGUIButton(const std::string& key) const
{
    GUIButtonControl* c = GetButtonControl(key);
    return c ? c->GetButton() : nullptr;
}

GUIWindow* GUIWindowBase::GetGUIWindow(const std::string& key) const
{
    GUIWindowControl* c = GetWindowControl(key);
    return c ? c->GetWidget() : nullptr;
}

void GUIWindowBase::EnableControl(const std::string& key, bool enable)
{
    for (size_t i = 0; i < controls.size(); ++i) {
        if (controls[i]->GetKey() != key)
            continue;
        enabled[i] = enable;
        if (!enable) {
            controls[i]->SetVisible(false, false);
            if (GUIWindow* w = controls[i]->GetWidget())
                w->ClearFlags(GUIWindow::kShown);
        }
        return;
    }
    LogErrorIfOpen("(GUIWindowBase::EnableControl): Unknown \"" + key + "\" control");
}

void GUIWindowBase::SetControlEnabled(GUIControl* control, bool enable)
{
    if (control)
        EnableControl(control->GetKey(), enable);
}

bool GUIWindowBase::IsControlEnabled(const std::string& key) const
{
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i]->GetKey() == key)
            return enabled[i];
    return false;
}

} // namespace GUITools
