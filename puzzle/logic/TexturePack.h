#pragma once
// First: it takes in the Win32 header and drops its CreateWindow macro, so
// the member below keeps its name in every unit.
#include "gui/GUIManager.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {
class GUIWindow;
class Image;
class ShaderUser;
class TextureManager;
} // namespace KorvaneEngine

namespace Puzzle {

// The atlas pages of one puzzle as textures with a shader user each, and the
// named piece images on them (not the engine's ".tpf" packs: these pages are
// made in memory when a puzzle loads).
class TexturePack {
public:
    // Where one image lies: its page's shader user and its rectangle in
    // texture units (u, v from the page's row 0).
    struct ImageRecord {
        KorvaneEngine::ShaderUser* user = nullptr;
        KorvaneEngine::Vector2 topLeft;
        KorvaneEngine::Vector2 bottomRight;
    };

    // Takes the page images over (the texture manager owns them from here;
    // the list is emptied). Page i becomes texture "pack_" + name + "_" + i.
    TexturePack(std::vector<KorvaneEngine::Image*>& pages, const std::string& name);
    virtual ~TexturePack();
    TexturePack(const TexturePack&) = delete;
    TexturePack& operator=(const TexturePack&) = delete;

    // Stores the name as given. A page index past the pages is fatal: the
    // record would draw with no texture.
    void AddImage(const std::string& name, uint32_t page, const KorvaneEngine::Vector2& topLeft,
                  const KorvaneEngine::Vector2& bottomRight);
    // Looks up the lower-case form of the name; a missing image is fatal
    // ("Texture pack \"<pack>\" is not contain \"<name>\" texture").
    const ImageRecord& FindImage(const std::string& name) const;
    // A widget of the GUI manager showing just that image (looked up as by
    // FindImage): a quad with the image's page shader user whose corner
    // texture coordinates are moved onto the image's rectangle. Flag 2 makes
    // it a coloured widget. The caller destroys it through the GUI manager,
    // before this pack.
    KorvaneEngine::GUIWindow* CreateWindow(const std::string& name, uint32_t flags,
                                           const KorvaneEngine::Vector2& position, const KorvaneEngine::Vector2& size,
                                           KorvaneEngine::GUIWindow* parent) const;

    const std::string& GetName() const { return name_; }
    const std::vector<KorvaneEngine::ShaderUser*>& GetPages() const { return pages_; }
    const std::map<std::string, std::unique_ptr<ImageRecord>>& GetImages() const { return images_; }

private:
    KorvaneEngine::TextureManager* textures_;
    std::string name_;
    std::vector<KorvaneEngine::ShaderUser*> pages_;
    std::map<std::string, std::unique_ptr<ImageRecord>> images_;
};

} // namespace Puzzle
