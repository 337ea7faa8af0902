#include "gui/GUIFontTool.h"

// Before the engine headers: it brings in the Win32 header, whose GetMessage
// macro must rename the error's accessor alike everywhere in this unit.
#include "gui/GUIManager.h"

#include <cmath>
#include <memory>

#include "engine/foundation/Error.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/XMLNode.h"
#include "engine/foundation/XMLParser.h"
#include "engine/render/Shader.h"
#include "engine/render/ShaderDescriptor.h"
#include "gui/GUIFont.h"
#include "gui/GUIFontManager.h"

using namespace GameTools;
using namespace KorvaneEngine;

namespace GUITools {

namespace {

const char kPrefix[] = "(GUIFontTool::GUIFontTool): font with \"";

// The "path" of a path element, the language's own first.
XMLValue* PathOf(XMLNode* entry, XMLNode* local, const std::string& element)
{
    for (XMLNode* n : {local, entry})
        if (n)
            if (XMLNode* e = n->GetChild(element, kReportSilent))
                if (XMLValue* v = e->GetAttribute("path", kReportSilent))
                    return v;
    return nullptr;
}

} // namespace

GUIFontTool::GUIFontTool(const std::string& language_) : language(language_)
{
    if (GUIManager* gui = GUIManager::Instance())
        fontManager = gui->GetFontManager();
    LoadFonts("data\\ui\\fonts\\fonts_basic.xml");
}

GUIFontTool::~GUIFontTool()
{
    if (fontManager)
        for (const auto& f : fontIds)
            fontManager->DeleteFont(f.second);
    if (ShaderManager* shaders = ShaderManager::Instance())
        for (const auto& s : shaderUsers)
            shaders->RemoveShaderUser(s.second);
    fontIds.clear();
    shaderUsers.clear();
}

void GUIFontTool::LoadAdditionalFonts()
{
    LoadFonts("data\\ui\\fonts\\fonts_additional.xml");
}

int32_t GUIFontTool::GetFontId(const std::string& name) const
{
    auto it = fontIds.find(name);
    return it == fontIds.end() ? -1 : it->second;
}

GUIFont* GUIFontTool::GetFont(const std::string& name) const
{
    const int32_t id = GetFontId(name);
    return id < 0 || !fontManager ? nullptr : fontManager->GetFont(id);
}

void GUIFontTool::LoadFonts(const std::string& fileName)
{
    if (!fontManager) {
        LogErrorIfOpen("(GUIFontTool::LoadFonts): there is no GUI manager, \"" + fileName + "\" is not loaded");
        return;
    }
    XMLNode document;
    try {
        XMLParser parser;
        parser.ParseFile(&document, fileName);
    } catch (const FileError& e) {
        LogErrorIfOpen(e.GetMessage());
        return;
    }
    XMLNode* fonts = document.GetChild("fonts", kReportSilent);
    if (!fonts) {
        LogErrorIfOpen("(GUIFontTool::LoadFonts): \"" + fileName + "\" has no \"fonts\" element");
        return;
    }
    uint32_t index = 0;
    for (XMLNode* entry : fonts->GetChildList())
        LoadEntry(entry, index++);
}

void GUIFontTool::LoadEntry(XMLNode* entry, uint32_t index)
{
    XMLValue* nameValue = entry->GetAttribute("name", kReportSilent);
    if (!nameValue) {
        LogErrorIfOpen(kPrefix + UnsignedToString(index) + "\" index have not name");
        return;
    }
    const std::string name = nameValue->GetString();
    XMLNode* local = entry->GetChild(language, kReportSilent);
    XMLValue* sizeValue = local ? local->GetAttribute("size", kReportSilent) : nullptr;
    if (!sizeValue)
        sizeValue = entry->GetAttribute("size", kReportSilent);
    XMLValue* description = PathOf(entry, local, "description_file_path");
    XMLValue* diffuse = PathOf(entry, local, "diffuse_image_path");
    XMLValue* opacity = PathOf(entry, local, "opacity_image_path");
    const std::string opening = kPrefix + name;
    if (!sizeValue) {
        LogErrorIfOpen(opening + "\" name have not size");
        return;
    }
    if (!description) {
        LogErrorIfOpen(opening + "\" name have not description file");
        return;
    }
    if (!diffuse) {
        LogErrorIfOpen(opening + "\" name have not diffuse image");
        return;
    }
    if (!opacity) {
        LogErrorIfOpen(opening + "\" name have not opacity image");
        return;
    }
    // The first font of a name stays the one that name gives; a second would
    // be unreachable and hold its shader for nothing.
    if (fontIds.count(name)) {
        LogErrorIfOpen(opening + "\" name is already loaded, the later entry is left out");
        return;
    }
    ShaderManager* shaders = ShaderManager::Instance();
    if (!shaders) {
        LogErrorIfOpen(opening + "\" name has no shader manager to draw with");
        return;
    }
    XMLValue* temporary = entry->GetAttribute("temporary_textures", kReportSilent);
    const ShaderDescriptor descriptor(true, diffuse->GetString(), opacity->GetString(), true);
    ShaderUser* user = shaders->GetShaderUser(descriptor, temporary && temporary->GetBool());
    GUIFont* font = nullptr;
    try {
        font = fontManager->LoadFont(nextId, user, description->GetString());
    } catch (const FileError& e) {
        // One broken glyph file costs its font, not the start of the game.
        LogErrorIfOpen(e.GetMessage());
    }
    if (!font) {
        shaders->RemoveShaderUser(user);
        return;
    }
    fontIds[name] = nextId;
    shaderUsers[name] = user;
    ++nextId;

    const float size = sizeValue->GetFloat();
    font->size = size;
    XMLValue* monospace = entry->GetAttribute("monospace", kReportSilent);
    if (monospace && monospace->GetBool())
        font->fixedPitch = true;
    if (XMLValue* letterCase = entry->GetAttribute("case", kReportSilent)) {
        if (letterCase->GetString() == "lower")
            font->UseLowerCaseGlyphs();
        else if (letterCase->GetString() == "upper")
            font->UseUpperCaseGlyphs();
    }
    for (XMLNode* owner : {entry, local}) {
        XMLNode* properties = owner ? owner->GetChild("properties", kReportSilent) : nullptr;
        if (!properties)
            continue;
        if (XMLValue* v = properties->GetAttribute("space", kReportSilent))
            font->spaceRatio = v->GetFloat();
        if (XMLValue* v = properties->GetAttribute("shift", kReportSilent))
            font->spacing = v->GetFloat();
        if (XMLValue* v = properties->GetAttribute("virtual_size", kReportSilent)) {
            if (size > 0)
                font->lineFactor = v->GetFloat() / size;
            else
                LogErrorIfOpen(opening + "\" name has a virtual size but no size above 0, the virtual size is left out");
        }
    }
}

} // namespace GUITools
