// The relax offer after a lost game: data\ui\windows\window_relax.xml, over
// the shared templates, faders and art the windows module writes.
#include <stdexcept>
#include <string>

#include "tools/content/ContentSet.h"
#include "tools/content/FontTable.h"
#include "tools/content/Modules.h"
#include "tools/content/Screens.h"
#include "tools/content/Texts.h"
#include "tools/content/Windows.h"
#include "tools/formats/XmlWriter.h"

namespace Content {

namespace {

using ContentTools::XmlElement;

const char kName[] = "window_relax";

XmlElement Text(const std::string& name, const std::string& key, float x, float y, float w, float h,
                const std::string& font, float size)
{
    XmlElement t("text_label");
    t.Set("name", name)
        .Set("position", x, y)
        .Set("size", w, h)
        .Set("height", 2)
        .Set("font", font)
        .Set("font_size", size)
        .Set("auto_font_size", 1)
        .Set("text", key)
        .Set("alignment_h", "center")
        .Set("alignment_v", "center")
        .Set("fader", "menu_fade");
    return t;
}

XmlElement OfferButton(const std::string& name, const std::string& key, float x, float width)
{
    XmlElement b("button");
    b.Set("name", name).Set("template", "template_button").Set("position", x, 30.0f).Set("size", width, 46.0f);
    b.Add("text_label").Set("name", "title").Set("text", key).Set("size", width, 46.0f);
    return b;
}

XmlElement RelaxWindow()
{
    XmlElement w("window");
    w.Set("name", kName).Set("size", 800.0f, 600.0f).Set("fader", "window_hold");
    // Two frames behind the heading: the opening one (which this window
    // switches off, being shown over the game-over window's) and a still one.
    w.Add("window")
        .Set("name", "title_mount_animated")
        .Set("template", "template_panel")
        .Set("position", 200.0f, 478.0f)
        .Set("size", 400.0f, 94.0f);
    w.Add("window")
        .Set("name", "title_mount_static")
        .Set("model", "menu_frame")
        .Set("model_start_frame", 7)
        .Set("model_end_frame", 7)
        .Set("position", 200.0f, 478.0f)
        .Set("size", 400.0f, 94.0f)
        .Set("fader", "menu_fade");
    XmlElement title = Text("title", "relax/title", 220, 490, 360, 70, "main_menu_0", 40);
    title.Set("height", 3).Set("printing_mode", 1).Set("printing_speed", 40.0f).Set("max_printing_time", 1.2f);
    w.Add(std::move(title));
    // The panel in this window's own colour where the colour table places it,
    // like every other screen's, so the offer is told apart on screen.
    const Screens::Panel* p = Screens::FindPanel(kName);
    if (!p)
        throw std::runtime_error(std::string("window \"") + kName + "\" has no panel colour");
    XmlElement& frame = w.Add("window");
    frame.Set("name", "window")
        .Set("model", "panel_relax")
        .Set("model_start_frame", 0)
        .Set("model_end_frame", 7)
        .Set("fader", "frame_fade")
        .Set("position", p->x, p->y)
        .Set("size", p->width, p->height);
    const float buttonWidth = (p->width - 60) / 2;
    frame.Add(Text("text", "relax/text", 20, 90, p->width - 40, p->height - 110, "common_0", 24));
    frame.Add(OfferButton("button_0", "relax/decline", 20, buttonWidth));
    frame.Add(OfferButton("button_1", "relax/accept", 40 + buttonWidth, buttonWidth));
    return w;
}

// What the description names must exist, or the window would come up with
// holes and log errors in the game.
void Check(const ContentSet& set, const XmlElement& root)
{
    Windows::References r;
    Windows::CollectReferences(root, r);
    const std::string where = std::string(" in ") + kName + ".xml";
    for (const std::string& key : r.textKeys)
        for (const char* code : Texts::kLanguages)
            if (!Texts::Find(key, code))
                throw std::runtime_error("text \"" + key + "\" has no " + code + " text" + where);
    for (const std::string& t : r.templates)
        if (!set.Has(std::string(Windows::kFolder) + t + ".xml"))
            throw std::runtime_error("template \"" + t + "\" is not a description" + where);
    for (const std::string& f : r.fonts) {
        bool known = false;
        for (const FontTable::Entry& e : FontTable::kEntries)
            known |= f == e.name;
        if (!known)
            throw std::runtime_error("font \"" + f + "\" is not in the font table" + where);
    }
    for (const std::string& m : r.models) {
        bool made = false;
        for (const std::string& name : Windows::ModelNames())
            made |= m == name;
        if (!made)
            throw std::runtime_error("model \"" + m + "\" is not made" + where);
    }
}

} // namespace

void AddRelaxWindow(ContentSet& set, const Options&)
{
    const XmlElement root = RelaxWindow();
    Check(set, root);
    set.AddText(std::string(Windows::kFolder) + kName + ".xml", ContentTools::WriteXml(root));
}

} // namespace Content
