#include "gui/GUIFontManager.h"

#include <algorithm>
#include <cmath>

#include "gui/GUIFont.h"
#include "gui/GUIWindow.h"

namespace KorvaneEngine {

namespace {
const float kLayerOffset = 0.005f;
const float kTextTolerance = 0.0001f;
} // namespace

GUIFontManager::GUIFontManager(Camera* camera) : camera_(camera) {}

GUIFontManager::~GUIFontManager()
{
    layers_.clear();
    fonts_.clear();
}

GUIFont* GUIFontManager::LoadFont(int32_t id, const ShaderDescriptor* shader, const std::string& fileName)
{
    auto it = fonts_.find(id);
    if (it != fonts_.end())
        return it->second.get();
    std::unique_ptr<GUIFont> font(new GUIFont(camera_, shader, fileName));
    GUIFont* p = font.get();
    fonts_[id] = std::move(font);
    return p;
}

void GUIFontManager::DeleteFont(int32_t id)
{
    auto it = fonts_.find(id);
    if (it == fonts_.end())
        return;
    const GUIFont* font = it->second.get();
    // Layers read the glyphs of their source: they cannot outlive it.
    layers_.erase(std::remove_if(layers_.begin(), layers_.end(),
                      [font](const std::unique_ptr<GUIFont>& l) { return l->GetSource() == font; }),
        layers_.end());
    fonts_.erase(it);
}

GUIFont* GUIFontManager::GetFont(int32_t id) const
{
    auto it = fonts_.find(id);
    return it == fonts_.end() ? nullptr : it->second.get();
}

GUIFont* GUIFontManager::GetTextLayer(int32_t fontId, const GUIWindow& widget)
{
    GUIFont* font = GetFont(fontId);
    if (!font)
        return nullptr;
    const float depth = widget.GetDepth() - kLayerOffset;
    for (const std::unique_ptr<GUIFont>& l : layers_)
        if (l->GetSource() == font && std::fabs(l->GetDepth() - depth) <= kTextTolerance)
            return l.get();
    layers_.emplace_back(new GUIFont(font));
    layers_.back()->SetDepth(depth);
    return layers_.back().get();
}

Vector2& GUIFontManager::GetTextPosition(Vector2& out, int32_t alignment, int32_t fontId, const GUIWindow& widget,
    const Vector2& position, float angle, const std::wstring& text) const
{
    out = Vector2(0, 0);
    const GUIFont* font = GetFont(fontId);
    if (!font)
        return out;
    Vector2 base = widget.GetAbsolutePosition();
    if (widget.textRect)
        base += widget.textRectOffset;
    const Vector2 area = widget.textRect ? widget.textRectSize : widget.GetSize();
    const int32_t horizontal = TextAlign::kCentreH | TextAlign::kLeft | TextAlign::kRight;
    const int32_t vertical = TextAlign::kCentreV | TextAlign::kTop | TextAlign::kBottom;
    if (std::fabs(angle) < kTextTolerance && (alignment & (horizontal | vertical)) == 0) {
        out = base + position;
        return out;
    }
    Vector2 measured;
    font->GetTextSize(measured, text, angle, font->size);
    const float tw = measured.x, th = measured.y;
    if (alignment & TextAlign::kCentreH)
        out.x = base.x + (area.x - tw) * 0.5f;
    else if (alignment & TextAlign::kLeft)
        out.x = base.x;
    else if (alignment & TextAlign::kRight)
        out.x = base.x + area.x - tw;
    else
        out.x = base.x + position.x;
    if ((alignment & horizontal) && std::cos(angle) < 0.0f)
        out.x += tw;
    if (alignment & TextAlign::kCentreV)
        out.y = base.y + (area.y - th) * 0.5f;
    else if (alignment & TextAlign::kTop)
        out.y = base.y + area.y - th;
    else if (alignment & TextAlign::kBottom)
        out.y = base.y;
    else
        out.y = base.y + position.y;
    if ((alignment & vertical) && std::sin(angle) < 0.0f)
        out.y += th;
    return out;
}

void GUIFontManager::PrintText(int32_t alignment, int32_t fontId, float angle, const GUIWindow& widget,
    const Vector2& position, const Color& color, const std::wstring& text)
{
    if (!widget.IsVisible())
        return;
    GUIFont* layer = GetTextLayer(fontId, widget);
    if (!layer)
        return;
    Vector2 pen;
    GetTextPosition(pen, alignment, fontId, widget, position, angle, text);
    layer->Print(pen, angle, color, text);
}

void GUIFontManager::Render()
{
    layers_.erase(std::remove_if(layers_.begin(), layers_.end(),
                      [](const std::unique_ptr<GUIFont>& l) { return l->GetQuadCount() == 0; }),
        layers_.end());
    for (auto& f : fonts_)
        f.second->EndFrame();
    for (auto& l : layers_)
        l->EndFrame();
}

} // namespace KorvaneEngine
