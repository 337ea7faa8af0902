#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/foundation/Matrix.h"
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

class AnimationControl;
class Camera;
class GUIFontManager;
class Model;
class ShaderDescriptor;

// The base of every engine widget: a rectangle in GUI units (x right, y up,
// origin bottom-left) with a parent, children, a depth, a visibility flag, an
// optional textured quad or cloned model drawn through the GUI camera, a
// mouse-over flag and the texts queued for this frame. Widgets are made and
// destroyed by the GUI manager; the manager's passes call UpdateInput and
// Render once a frame.
class GUIWindow {
public:
    // Flag word bits.
    static const uint32_t kShown = 1;
    static const uint32_t kColored = 2;   // read at construction only
    static const uint32_t kLayerTop = 4;     // root depth -10
    static const uint32_t kLayerMiddle = 8;  // root depth -20
    static const uint32_t kLayerFront = 16;  // root depth -30
    static const uint32_t kLayerBits = kLayerTop | kLayerMiddle | kLayerFront;

    // One PrintText request, kept in a pool that is reused frame after frame.
    struct TextRecord {
        int32_t alignment = 0;
        int32_t fontId = -1;
        float angle = 0.0f;
        float fontSize = -1.0f;  // below 0: the font's own size
        Vector2 position;
        Color color;
        std::wstring text;
    };

    virtual ~GUIWindow();
    // Mouse over from the strict hit test; false when not effectively visible.
    virtual bool UpdateInput(const Vector2& cursor, bool held, bool pressed);
    // Places the model and hands the queued texts to the font manager; false
    // (and the texts dropped) when not effectively visible.
    virtual bool Render();
    // Depth = parent's depth - level x 0.01; the whole subtree follows.
    virtual void SetHeight(int32_t level);
    virtual void SetColor(const Color& color);
    virtual void SetAlpha(float alpha);
    virtual void UpdateVisibility();

    // source: a model to clone, or null; shader: the clone's shader, or for a
    // widget without source the shader of a unit quad; neither: no model.
    GUIWindow(GUIFontManager* fontManager, Camera* camera, uint32_t flags, const Vector2& position,
        const Vector2& size, const Model* source, const ShaderDescriptor* shader, GUIWindow* parent);
    GUIWindow(const GUIWindow&) = delete;
    GUIWindow& operator=(const GUIWindow&) = delete;

    // SetFlags(kShown) shows, ClearFlags(kShown) hides.
    void SetFlags(uint32_t bits);
    void ClearFlags(uint32_t bits);
    uint32_t GetFlags() const { return flags_; }
    // Own flag and every ancestor shown.
    bool IsVisible() const { return visible_; }

    void SetParent(GUIWindow* parent);
    void AddChild(GUIWindow* child);
    void RemoveChild(GUIWindow* child);
    GUIWindow* GetParent() const { return parent_; }
    const std::vector<GUIWindow*>& GetChildren() const { return children_; }

    void SetPosition(const Vector2& p) { position = p; }
    void SetSize(const Vector2& s) { size = s; }
    const Vector2& GetPosition() const { return position; }
    const Vector2& GetSize() const { return size; }
    // Sum of the ancestors' positions ((0, 0) for a root).
    void GetParentAbsolutePosition(Vector2& out) const;
    Vector2 GetAbsolutePosition() const;

    int32_t GetHeightLevel() const { return heightLevel_; }
    float GetDepth() const { return depth_; }
    // Writes the depth to the model too; the next SetHeight or layer change
    // replaces it.
    void SetDepth(float depth);

    void SetHitAreaOffset(const Vector2& offset) { hitAreaOffset = offset; }
    void SetHitAreaSize(const Vector2& s) { hitAreaSize = s; }

    // Empty texts are not queued.
    void PrintText(int32_t alignment, int32_t fontId, const Vector2& position, const Color& color,
        const std::wstring& text, float angle, float fontSize);
    uint32_t GetTextCount() const { return textCount_; }
    const TextRecord& GetText(uint32_t i) const { return *texts_[i]; }

    // The first vertex's colour and alpha; white and 1 without a coloured model.
    void GetColor(float out[4]) const;
    float GetAlpha() const;
    void ScaleUV(const Vector2& uv);
    void SetShader(const ShaderDescriptor* shader);
    AnimationControl* GetModelAnimation() const;
    Model* GetModel() const { return model_; }
    Camera* GetCamera() const { return camera_; }
    GUIFontManager* GetFontManager() const { return fontManager_; }

    Vector2 position;
    Vector2 size;
    // Hit testing uses hitAreaOffset (from the position) and hitAreaSize.
    bool customHitArea = false;
    Vector2 hitAreaOffset;
    Vector2 hitAreaSize;
    // Text alignment works inside this rectangle (offset from the absolute
    // position) instead of the widget's own.
    bool textRect = false;
    Vector2 textRectOffset;
    Vector2 textRectSize;
    bool mouseOver = false;
    // Render rebuilds the model's transform from position and size; owners
    // that place the model themselves clear it.
    bool autoTransform = true;
    // The model's own transform at creation, which Render composes with.
    Matrix4 baseMatrix;

protected:
    // Shows frame number frame of a morph or skinned model with more than
    // one frame: the animation is stopped and its time pinned every call, so
    // the draw pass's animation step keeps that frame.
    void ShowModelFrame(float frame);

private:
    GUIFontManager* fontManager_;
    Camera* camera_;
    uint32_t flags_ = 0;
    bool visible_ = false;
    GUIWindow* parent_ = nullptr;
    std::vector<GUIWindow*> children_;
    int32_t heightLevel_ = 1;
    float depth_ = 0.0f;
    Model* model_ = nullptr;
    uint32_t textCount_ = 0;
    std::vector<std::unique_ptr<TextRecord>> texts_;
};

} // namespace KorvaneEngine
