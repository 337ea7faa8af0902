#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class Camera;
class GUIFont;
class GUIWindow;
class ShaderDescriptor;

// Text alignment flags: one horizontal and one vertical choice each (centre
// wins over left over right, centre over top over bottom); 0 uses the
// position as given.
namespace TextAlign {
const int32_t kCentreH = 1;
const int32_t kCentreV = 2;
const int32_t kLeft = 4;
const int32_t kRight = 8;
const int32_t kTop = 16;
const int32_t kBottom = 32;
} // namespace TextAlign

// The fonts under their ids, text layout with alignment and rotation, and the
// text layers: one copy of a font per depth, so each widget's text is drawn
// just in front of its widget. Owned by the GUI manager.
class GUIFontManager {
public:
    virtual ~GUIFontManager();
    explicit GUIFontManager(Camera* camera);
    GUIFontManager(const GUIFontManager&) = delete;
    GUIFontManager& operator=(const GUIFontManager&) = delete;

    // An id already mapped keeps its font, which is returned (nothing is
    // loaded). A bad file throws FileError and maps nothing.
    GUIFont* LoadFont(int32_t id, const ShaderDescriptor* shader, const std::string& fileName);
    // Deletes the font and its text layers; an unknown id does nothing.
    void DeleteFont(int32_t id);
    GUIFont* GetFont(int32_t id) const;

    // The layer of the font just in front of the widget, made on demand; null
    // for an unknown id.
    GUIFont* GetTextLayer(int32_t fontId, const GUIWindow& widget);
    // Where the pen starts for the text in the widget's rectangle (or its text
    // rectangle) under the alignment flags.
    Vector2& GetTextPosition(Vector2& out, int32_t alignment, int32_t fontId, const GUIWindow& widget,
        const Vector2& position, float angle, const std::wstring& text) const;
    void PrintText(int32_t alignment, int32_t fontId, float angle, const GUIWindow& widget, const Vector2& position,
        const Color& color, const std::wstring& text);
    // End of the GUI render pass: layers that got no text this frame go, and
    // every batch is closed.
    void Render();

    Camera* GetCamera() const { return camera_; }
    const std::map<int32_t, std::unique_ptr<GUIFont>>& GetFonts() const { return fonts_; }
    const std::vector<std::unique_ptr<GUIFont>>& GetTextLayers() const { return layers_; }

private:
    Camera* camera_;
    std::map<int32_t, std::unique_ptr<GUIFont>> fonts_;
    std::vector<std::unique_ptr<GUIFont>> layers_;
};

} // namespace KorvaneEngine
