#include "gui/GUITextTool.h"

#include "engine/foundation/Error.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/XMLNode.h"
#include "engine/foundation/XMLParser.h"
#include "engine/foundation/XMLQuery.h"

using namespace GameTools;
using namespace KorvaneEngine;

namespace GUITools {

GUITextTool::GUITextTool(const std::string& language_) : language(language_), root(new XMLNode())
{
    ReadFile("data\\ui\\texts\\texts.xml");
    ReadFile("data\\ui\\texts\\default_texts.xml");
}

GUITextTool::~GUITextTool()
{
    delete root;
}

void GUITextTool::ReadFile(const std::string& fileName)
{
    // Each file gets its own holder, so a file's "texts" is found in that file
    // alone and a broken file can be dropped without touching the other.
    XMLNode* holder = new XMLNode("", root);
    try {
        XMLParser parser;
        parser.ParseFile(holder, fileName);
    } catch (const FileError& e) {
        LogErrorIfOpen(e.GetMessage());
        delete holder;
        return;
    }
    XMLNode* table = holder->GetChild("texts", kReportSilent);
    if (!table) {
        LogErrorIfOpen("Incorrect \"text file\" format");
        delete holder;
        return;
    }
    tables.push_back(table);
}

std::wstring GUITextTool::GetText(const std::string& key) const
{
    const std::string query = key + "/" + language;
    for (XMLNode* table : tables)
        if (XMLValue* text = FindXMLAttribute(table, query, "text"))
            return text->GetWideString();
    return L"UNKNOWN";
}

} // namespace GUITools
