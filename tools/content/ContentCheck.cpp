#include "tools/content/ContentCheck.h"

#include <algorithm>
#include <list>
#include <map>
#include <memory>
#include <set>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/Paths.h"
#include "engine/foundation/StringUtils.h"
#include "engine/foundation/XMLNode.h"
#include "engine/foundation/XMLParser.h"
#include "engine/render/DataKeeper.h"
#include "engine/render/ShaderDescriptor.h"
#include "tools/content/ContentSet.h"
#include "tools/content/FontTable.h"
#include "tools/content/ResourceLists.h"
#include "tools/content/Windows.h"
#include "tools/formats/PictureSize.h"

namespace Content {

namespace {

using GameTools::XMLNode;
using KorvaneEngine::ToLowerCopy;

const char kBackground[] = "data\\ui\\background\\background.xml";
const char kStartUpLoadingWindow[] = "data\\ui\\windows\\window_game_loading.xml";

// Pictures the game's own code draws by file name (under the data folder;
// no opacity picture where none is given). The logos are left out by the
// game when they are missing, the rest is always drawn.
struct CodePicture {
    const char* diffuse;
    const char* opacity;
    bool optional;
};
const CodePicture kCodePictures[] = {
    {"ui\\console\\console.jpg", "", false},
    {"ui\\cursors\\cursor.jpg", "ui\\cursors\\cursor_alpha.jpg", false},
    {"ui\\textures\\publishers\\0_logo_big.jpg", "", true},
    {"ui\\textures\\publishers\\1_logo_big.jpg", "", true},
    {"ui\\textures\\publishers\\0_logo_small.jpg", "ui\\textures\\publishers\\0_logo_small_alpha.jpg", true},
    {"ui\\textures\\publishers\\1_logo_small.jpg", "ui\\textures\\publishers\\1_logo_small_alpha.jpg", true},
};

// The engine's largest power of two for a texture side, 0 included.
bool IsPowerOfTwo(uint32_t n) { return n <= 65536 && (n & (n - 1)) == 0; }

// The side the engine stretches a picture to: the nearer power of two, a
// tie going up.
uint32_t FittedSide(uint32_t n)
{
    uint32_t p = 1;
    while (p < n && p < 65536)
        p <<= 1;
    return p - n > n - p / 2 ? p / 2 : p;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string WithExtension(std::string path, const std::string& extension)
{
    KorvaneEngine::ChangeExtension(path, extension);
    return path;
}

std::string Attribute(XMLNode* node, const std::string& name, const std::string& fallback = std::string())
{
    GameTools::XMLValue* v = node->GetAttribute(name);
    return v ? v->GetString() : fallback;
}

// Loop variables in a resource name, as the resource registry replaces them:
// "%k3%" with k = 12 gives "012".
using GameTools::DataKeeper;
using LoopVariable = DataKeeper::LoopVariable;

class Checker {
public:
    explicit Checker(const ContentSet& set)
    {
        for (const std::string& path : set.Paths()) {
            const std::vector<uint8_t>* bytes = set.Find(path);
            if (!bytes) {
                const std::string text = set.ResourceListText(path);
                lists_.emplace_back(text.begin(), text.end());
                bytes = &lists_.back();
            }
            paths_.push_back(path);
            index_[ToLowerCopy(path)] = bytes;
        }
    }

    std::vector<std::string> Run()
    {
        for (const ResourceLists::List& list : ResourceLists::kLists)
            ReadList(list);
        for (const std::string& path : paths_)
            if (IsWindowDescription(path))
                CheckWindow(path);
        CheckBackground();
        for (const char* table : {FontTable::kBasicFile, FontTable::kAdditionalFile})
            CheckFontTable(table);
        CheckCodePictures();
        return faults_;
    }

private:
    // Where a resource is registered, by kind ("model", "shader",
    // "particles", "texture_pack") and name.
    struct Resource {
        std::string list;
        bool atOnce;
    };

    void Fault(const std::string& text)
    {
        if (seen_.insert(text).second)
            faults_.push_back(text);
    }
    // A file by its path under the program folder, in any letter case (the
    // engine's file manager does not tell case apart).
    const std::vector<uint8_t>* Find(const std::string& path) const
    {
        auto it = index_.find(ToLowerCopy(path));
        return it == index_.end() ? nullptr : it->second;
    }
    // The engine's names are under the data folder.
    bool InData(const std::string& name) const { return Find("data\\" + name) != nullptr; }

    static bool IsWindowDescription(const std::string& path)
    {
        const std::string folder = Windows::kFolder;
        return path.compare(0, folder.size(), folder) == 0 && path.find('\\', folder.size()) == std::string::npos &&
               KorvaneEngine::HasExtension(path, "xml");
    }

    // The file's elements under a nameless root, as the engine's parser
    // gives them; null (with a fault) when the set lacks it or it does not
    // parse.
    std::unique_ptr<XMLNode> Parse(const std::string& path)
    {
        const std::vector<uint8_t>* bytes = Find(path);
        if (!bytes) {
            Fault(Quoted(path) + " is not written, and the game reads it");
            return nullptr;
        }
        size_t start = bytes->size() >= 3 && (*bytes)[0] == 0xEF && (*bytes)[1] == 0xBB && (*bytes)[2] == 0xBF ? 3 : 0;
        // Names and paths are ASCII; other bytes pass as they are.
        std::wstring text(bytes->begin() + start, bytes->end());
        std::unique_ptr<XMLNode> root(new XMLNode());
        XMLNode* top = nullptr;
        try {
            GameTools::XMLParser().ParseString(top, text);
        } catch (const KorvaneEngine::Error& e) {
            Fault(Quoted(path) + ": " + e.GetMessage());
            return nullptr;
        }
        if (top)
            root->AddChild(top);
        return root;
    }

    // ---------------------------------------------------------- resource lists

    void ReadList(const ResourceLists::List& list)
    {
        std::unique_ptr<XMLNode> root = Parse(list.path);
        if (!root)
            return;
        // Files are named from the list's own folder under the data folder.
        const std::string directory = KorvaneEngine::GetDirectory(std::string(list.path).substr(5));
        std::vector<LoopVariable> variables;
        ReadNode(root.get(), list, directory, std::string(), variables);
    }

    void ReadNode(XMLNode* node, const ResourceLists::List& list, const std::string& directory,
                  const std::string& prefix, std::vector<LoopVariable>& variables)
    {
        const std::string& element = node->GetName();
        if (element == "loop") {
            LoopVariable counter;
            counter.name = Attribute(node, "counter", "i");
            GameTools::XMLValue* start = node->GetAttribute("start");
            GameTools::XMLValue* count = node->GetAttribute("count");
            variables.push_back(counter);
            for (int v = start ? start->GetInt() : 0; v < (count ? count->GetInt() : 0); ++v) {
                variables.back().value = v;
                for (XMLNode* child : node->GetChildList())
                    ReadNode(child, list, directory, prefix, variables);
            }
            variables.pop_back();
            return;
        }
        const std::string name = Attribute(node, "name");
        if (!name.empty()) {
            ReadResource(node, list, directory, prefix + DataKeeper::ExpandName(name, variables), variables);
            return;
        }
        const std::string inner = element.empty() || element == "resources" ? prefix : prefix + element + "/";
        for (XMLNode* child : node->GetChildList())
            ReadNode(child, list, directory, inner, variables);
    }

    void ReadResource(XMLNode* node, const ResourceLists::List& list, const std::string& directory,
                      const std::string& name, const std::vector<LoopVariable>& variables)
    {
        const std::string& kind = node->GetName();
        if (kind != "model" && kind != "shader" && kind != "particles" && kind != "texture_pack")
            return;
        const std::string who = Quoted(list.path) + ": " + kind + " " + Quoted(name);
        // Each kind has a name space of its own.
        if (!registered_.emplace(kind + ":" + name, Resource{list.path, list.atOnce}).second) {
            Fault(who + " is registered twice");
            return;
        }
        if (kind == "shader") {
            CheckShader(who, DataKeeper::ShaderElement(node, directory, variables));
            return;
        }
        const std::string file = KorvaneEngine::CombinePath(
            directory, DataKeeper::ExpandName(Attribute(node, "file_name", "unknown_file_name"), variables));
        if (!InData(file))
            Fault(who + " names " + Quoted("data\\" + file) + ", which is not written");
        // Models, particle systems and texture packs each draw with the
        // shader file of their own name.
        CheckShaderFile(who, WithExtension(file, "srf"));
    }

    // ---------------------------------------------------------- shaders, pictures

    void CheckShaderFile(const std::string& who, const std::string& file)
    {
        const std::vector<uint8_t>* bytes = Find("data\\" + file);
        if (!bytes) {
            Fault(who + " draws with " + Quoted("data\\" + file) + ", which is not written");
            return;
        }
        // Read as the engine reads it, from the set's bytes.
        uint8_t none = 0;
        KorvaneEngine::FileBinary stream("data\\" + file, false, 0, static_cast<uint32_t>(bytes->size()),
                                         bytes->empty() ? &none : const_cast<uint8_t*>(bytes->data()), false);
        std::unique_ptr<KorvaneEngine::ShaderDescriptor> shader;
        try {
            shader.reset(new KorvaneEngine::ShaderDescriptor(stream, file));
        } catch (const KorvaneEngine::Error& e) {
            Fault(Quoted("data\\" + file) + ": " + e.GetMessage());
            return;
        }
        CheckShader(Quoted("data\\" + file), *shader);
    }

    // A picture drawn through a plain shader the engine makes of it.
    void CheckPicture(const std::string& who, bool mips, const std::string& diffuse, const std::string& opacity)
    {
        CheckShader(who, KorvaneEngine::ShaderDescriptor(mips, diffuse, opacity, true));
    }

    void CheckShader(const std::string& who, const KorvaneEngine::ShaderDescriptor& shader)
    {
        for (uint32_t i = 0; i < shader.GetStageCount(); ++i)
            CheckStage(who, shader.GetStage(i));
    }

    // The pictures one shader stage loads, named and substituted by the
    // engine's own rule over the files of the set.
    void CheckStage(const std::string& who, const KorvaneEngine::ShaderStage& stage)
    {
        // Bit 2: the stage names no pictures.
        if (stage.diffuse.empty() || (stage.flags & 4))
            return;
        std::vector<std::string> names;
        KorvaneEngine::ShaderDescriptor::StageTextureNames(
            stage, [this](const std::string& path) { return Find(path) != nullptr; }, names);
        for (size_t f = 0; f + 1 < names.size(); f += 2)
            CheckTexture(who, names[f], names[f + 1]);
    }

    // One texture: both pictures there, the colour picture's sides powers of
    // two, the opacity picture the size the colour picture is used at.
    void CheckTexture(const std::string& who, const std::string& diffuse, const std::string& opacity)
    {
        uint32_t w = 0, h = 0;
        if (!Size(who, diffuse, &w, &h))
            return;
        if (!IsPowerOfTwo(w) || !IsPowerOfTwo(h))
            Fault(Quoted(diffuse) + " is " + Dimensions(w, h) + ": a texture's sides must be powers of two");
        uint32_t ow = 0, oh = 0;
        if (opacity.empty() || !Size(who, opacity, &ow, &oh))
            return;
        const uint32_t fw = FittedSide(w), fh = FittedSide(h);
        if (ow != fw || oh != fh)
            Fault(Quoted(opacity) + " is " + Dimensions(ow, oh) + ": an opacity picture must be the size of " +
                  Quoted(diffuse) + ", " + Dimensions(fw, fh));
    }

    // A DDS file keeps its own levels and is never fitted: no size to check.
    bool Size(const std::string& who, const std::string& picture, uint32_t* w, uint32_t* h)
    {
        const std::vector<uint8_t>* bytes = Find(picture);
        if (!bytes) {
            Fault(who + " names the picture " + Quoted(picture) + ", which is not written");
            return false;
        }
        const std::string extension = ToLowerCopy(KorvaneEngine::GetExtension(picture));
        if (extension == "dds")
            return false;
        if (!ContentTools::ReadPictureSize(extension, *bytes, w, h)) {
            Fault(Quoted(picture) + " is no picture the engine reads");
            return false;
        }
        return true;
    }

    static std::string Dimensions(uint32_t w, uint32_t h) { return std::to_string(w) + " x " + std::to_string(h); }

    // ---------------------------------------------------------- who looks resources up

    // A resource looked up by name: registered as that kind, and loaded at
    // once where the lookup comes before the queued lists are in.
    void Lookup(const std::string& who, const std::string& kind, const std::string& name, bool needsAtOnce)
    {
        auto it = registered_.find(kind + ":" + name);
        if (it == registered_.end()) {
            Fault(who + " names the " + kind + " " + Quoted(name) + ", which no resource list registers");
            return;
        }
        if (needsAtOnce && !it->second.atOnce)
            Fault(who + " names the " + kind + " " + Quoted(name) + ", which " + Quoted(it->second.list) +
                  " only queues: it is not loaded yet");
    }

    void CheckWindow(const std::string& path)
    {
        std::unique_ptr<XMLNode> root = Parse(path);
        if (root)
            CheckWindowNode(Quoted(path), root.get(), ToLowerCopy(path) == ToLowerCopy(kStartUpLoadingWindow));
    }

    void CheckWindowNode(const std::string& who, XMLNode* node, bool startUp)
    {
        for (const char* a : Windows::kModelAttributes)
            if (!Attribute(node, a).empty())
                Lookup(who, "model", "ui/" + Attribute(node, a), startUp);
        for (const char* a : Windows::kShaderAttributes)
            if (!Attribute(node, a).empty())
                Lookup(who, "shader", "ui/" + Attribute(node, a), startUp);
        for (XMLNode* child : node->GetChildList())
            CheckWindowNode(who, child, startUp);
    }

    void CheckBackground()
    {
        std::unique_ptr<XMLNode> root = Parse(kBackground);
        if (!root || root->GetChildList().empty())
            return;
        XMLNode* top = root->GetChildList().front();
        const std::string prefix = top->HasAttribute("resources_prefix") ? Attribute(top, "resources_prefix") + "/" : "";
        for (XMLNode* layer : top->GetChildList()) {
            const std::string name = Attribute(layer, "name");
            const std::string& kind = layer->GetName();
            if (name.empty() || (kind != "model" && kind != "particles"))
                continue;
            // Basic layers are made as soon as the lists loaded at once are in.
            GameTools::XMLValue* additional = layer->GetAttribute("additional");
            const bool atOnce = !(additional && additional->GetBool());
            const std::string who = Quoted(kBackground) + ": layer " + Quoted(name);
            Lookup(who, kind, prefix + name, atOnce);
            if (kind != "model")
                continue;
            if (!Attribute(layer, "shader").empty())
                Lookup(who, "shader", prefix + Attribute(layer, "shader"), atOnce);
            if (!Attribute(layer, "animator_model").empty())
                Lookup(who, "model", prefix + Attribute(layer, "animator_model"), atOnce);
        }
    }

    // Every font entry, and each language's own files within it.
    void CheckFontTable(const std::string& path)
    {
        std::unique_ptr<XMLNode> root = Parse(path);
        if (root)
            CheckFontNode(Quoted(path), root.get());
    }

    void CheckFontNode(const std::string& who, XMLNode* node)
    {
        std::string paths[3];
        const char* const names[3] = {"description_file_path", "diffuse_image_path", "opacity_image_path"};
        for (XMLNode* child : node->GetChildList()) {
            for (int i = 0; i < 3; ++i)
                if (child->GetName() == names[i])
                    paths[i] = Attribute(child, "path");
            CheckFontNode(who, child);
        }
        if (!paths[0].empty() && !InData(paths[0]))
            Fault(who + " names the font file " + Quoted("data\\" + paths[0]) + ", which is not written");
        if (!paths[1].empty())
            CheckPicture(who, true, paths[1], paths[2]);
    }

    void CheckCodePictures()
    {
        for (const CodePicture& p : kCodePictures)
            if (!p.optional || (InData(p.diffuse) && (!*p.opacity || InData(p.opacity))))
                CheckPicture("the game", true, p.diffuse, p.opacity);
        // The catalogue's previews: one a picture of each theme (the other
        // pictures are read whole into the board's own texture), and one a
        // puzzle folder.
        std::map<std::string, int> pictures;
        std::set<std::string> puzzles;
        for (const std::string& p : paths_) {
            const std::string path = ToLowerCopy(p);
            const std::string folder = KorvaneEngine::GetDirectory(path);
            if (KorvaneEngine::GetDirectory(folder) == "data\\themes" && KorvaneEngine::HasExtension(path, "jpg") &&
                KorvaneEngine::GetFileName(path).find("preview") == std::string::npos)
                ++pictures[KorvaneEngine::GetFileName(folder)];
            if (KorvaneEngine::GetDirectory(folder) == "data\\puzzles")
                puzzles.insert(folder);
        }
        for (const auto& theme : pictures)
            for (int i = 0; i < theme.second; ++i)
                CheckPicture("the theme " + Quoted(theme.first), false,
                             "themes\\" + theme.first + "\\" + KorvaneEngine::UnsignedToString(unsigned(i), 2) +
                                 "_preview.jpg",
                             "");
        for (size_t i = 0; i < puzzles.size(); ++i)
            CheckPicture("the puzzles", false,
                         "puzzles\\" + KorvaneEngine::UnsignedToString(unsigned(i), 2) + "\\preview.jpg", "");
    }

    std::vector<std::string> paths_;
    std::list<std::vector<uint8_t>> lists_;  // the resource lists' text, which the set makes when written
    std::map<std::string, const std::vector<uint8_t>*> index_;
    std::map<std::string, Resource> registered_;
    std::vector<std::string> faults_;
    std::set<std::string> seen_;
};

} // namespace

std::vector<std::string> FindContentFaults(const ContentSet& set)
{
    return Checker(set).Run();
}

} // namespace Content
