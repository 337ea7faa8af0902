#include "gui/GUIToolManager.h"

#include <memory>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/MessageManager.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/XMLNode.h"
#include "engine/foundation/XMLParser.h"
#include "gui/GUIFontTool.h"
#include "gui/GUITextTool.h"

using namespace GameTools;
using namespace KorvaneEngine;

namespace GUITools {

GUIToolManager::GUIToolManager(const std::string& language_) : language(language_)
{
    fontTool = new GUIFontTool(language);
    textTool = new GUITextTool(language);
    root = new XMLNode("", "", nullptr);
    LoadDescriptions();
}

GUIToolManager::~GUIToolManager()
{
    delete fontTool;
    delete textTool;
    delete root;
}

void GUIToolManager::LoadDescriptions()
{
    std::vector<std::string> files;
    if (FileManager* manager = FileManager::Instance())
        manager->FindFiles("data\\ui\\windows", "*.xml", files);
    for (const std::string& path : files) {
        const size_t slash = path.find_last_of('\\');
        const std::string name = ToLowerCopy(slash == std::string::npos ? path : path.substr(slash + 1));
        // A holder of our own: the parser's own top-node mode keeps only the
        // first of several top elements and loses the rest.
        std::unique_ptr<XMLNode> holder(new XMLNode("", "", nullptr));
        try {
            XMLParser parser;
            parser.ParseFile(holder.get(), path);
        } catch (const FileError& e) {
            LogErrorIfOpen("(GUIToolManager::GUIToolManager): \"" + path + "\" window description: " +
                           e.GetMessage());
            continue;
        }
        // A skipped file is always logged: a window missing later is then
        // explained by the file, not only by the lookup that fails.
        if (holder->GetChildList().size() != 1) {
            LogErrorIfOpen("(GUIToolManager::GUIToolManager): \"" + path +
                           "\" window description must hold exactly one top element, it holds " +
                           UnsignedToString(static_cast<uint32_t>(holder->GetChildList().size())));
            continue;
        }
        XMLNode* description = holder->GetChildList().front();
        root->AddChild(description);
        windowNames.push_back(name);
        windowDescriptions.push_back(description);
    }
}

} // namespace GUITools
