#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class Camera;
struct ColoredVertex;
class Model;
class ShaderDescriptor;

// One glyph of a bitmap font: its texture rectangle (v at the baseline side,
// counted from the picture's bottom row) and its width as a fraction of the
// font size, which is also its advance.
struct GUIGlyph {
    Vector2 uv;
    Vector2 uvSize;
    float ratio = 0.0f;
};

// A bitmap font read from a "KEFNT" file, and its batch: one model of up to
// 1024 quads, refilled every frame from Print and closed by EndFrame. A text
// layer is a copy that shares the source font's glyphs and has a batch of its
// own at another depth (see GUIFontManager).
class GUIFont {
public:
    static const uint32_t kMaxQuads = 1024;
    static const uint32_t kFileVersion = 201;

    virtual ~GUIFont();
    // Reads and checks the whole file (a name under the data folder) before
    // creating the batch, so a bad file leaves no model behind. Throws
    // FileError.
    GUIFont(Camera* camera, const ShaderDescriptor* shader, const std::string& fileName);
    // A text layer of source.
    explicit GUIFont(const GUIFont* source);
    GUIFont(const GUIFont&) = delete;
    GUIFont& operator=(const GUIFont&) = delete;

    bool HasGlyph(wchar_t c) const;
    const GUIGlyph* GetGlyph(wchar_t c) const;
    // The extent of the text's quads (missing glyphs, blanks and line feeds
    // count with the space ratio); height times the line factor. size below 0
    // means the font's size.
    Vector2& GetTextSize(Vector2& out, const std::wstring& text, float angle, float size) const;
    // Appends the text's quads, the pen starting at position; line feeds do
    // not start a new line.
    void Print(const Vector2& position, float angle, const Color& color, const std::wstring& text);
    float GetDepth() const;
    void SetDepth(float depth);
    // Closes the frame's batch: what was printed this frame is what is drawn.
    void EndFrame();
    // Upper-case codes take the glyphs of their lower-case forms, or the other
    // way round.
    void UseLowerCaseGlyphs();
    void UseUpperCaseGlyphs();

    const GUIFont* GetSource() const { return source_; }
    Model* GetModel() const { return model_; }
    uint32_t GetQuadCount() const { return quadCount_; }
    float GetFixedAdvance() const { return fixedAdvance_; }

    // Set by the font table; a text layer copies them from its source before
    // each Print.
    float size = 1.0f;         // glyph height in GUI units
    float spaceRatio = 1.0f;   // advance of a character without glyph, by size
    float spacing = 1.0f;      // factor on every advance
    float lineFactor = 1.0f;   // factor on a measured height
    bool fixedPitch = false;   // every character advances by the widest glyph

private:
    typedef std::vector<std::unique_ptr<GUIGlyph>> GlyphTable;

    void CreateBatch(Camera* camera, const ShaderDescriptor* shader);
    void AddGlyphQuad(const Vector2& pen, float angle, wchar_t c, uint32_t color);
    void CopySettings(const GUIFont& from);
    void CopyCase(bool toUpper);

    const GUIFont* source_ = nullptr;
    GlyphTable glyphs_;
    const GlyphTable* glyphTable_ = nullptr;
    Model* model_ = nullptr;
    ColoredVertex* locked_ = nullptr;
    float fixedAdvance_ = 0.0f;
    uint32_t quadCount_ = 0;
};

} // namespace KorvaneEngine
