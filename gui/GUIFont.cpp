#include "gui/GUIFont.h"

#include <cmath>
#include <cstring>
#include <cwctype>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/foundation/FileManager.h"
#include "engine/foundation/Paths.h"
#include "engine/render/IndexBuffer.h"
#include "engine/render/Model.h"
#include "engine/render/ModelManager.h"
#include "engine/render/VertexBuffer.h"

namespace KorvaneEngine {

namespace {
const uint32_t kBatchFlags = ModelFlags::kStatic | ModelFlags::kTriangleList | ModelFlags::kColor |
    ModelFlags::kBlended | ModelFlags::kFixedDepth | ModelFlags::kRecomputeBounds | ModelFlags::kVisible |
    ModelFlags::kVertexUsage;
const uint32_t kHeaderSize = 17;
const uint32_t kRecordSize = 22;
const uint32_t kCodeCount = 65536;
const float kLayerDepth = -9.0f;

uint32_t U32At(const uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

float F32At(const uint8_t* p)
{
    uint32_t v = U32At(p);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

bool IsBlank(wchar_t c)
{
    return c == 10 || std::iswspace(c);
}
} // namespace

GUIFont::GUIFont(Camera* camera, const ShaderDescriptor* shader, const std::string& fileName)
{
    // The whole file is read and checked first: nothing is created for a file
    // that is refused.
    const std::string formatError = "Incorrect \"" + fileName + "\" file format";
    std::vector<uint8_t> bytes;
    {
        const std::string path = GetDataPath(fileName);
        FileManager* files = FileManager::Instance();
        std::unique_ptr<FileBinary> file(files ? files->OpenFile(path, false, 0) : new FileBinary(path, false));
        bytes.resize(file->GetSize());
        if (!bytes.empty())
            file->Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    }
    if (bytes.size() < 13 || std::memcmp(&bytes[4], "KEFNT", 5) != 0 || U32At(&bytes[0]) != bytes.size())
        throw FileError(formatError);
    if (U32At(&bytes[9]) != kFileVersion)
        throw FileError("Incorrect \"" + fileName + "\" format version, current is " + std::to_string(kFileVersion));
    if (bytes.size() < kHeaderSize)
        throw FileError(formatError);
    const uint64_t count = U32At(&bytes[13]);
    if (count * kRecordSize != bytes.size() - kHeaderSize)
        throw FileError(formatError);
    glyphs_.resize(kCodeCount);
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* r = &bytes[kHeaderSize + i * kRecordSize];
        const uint16_t code = static_cast<uint16_t>(r[0] | r[1] << 8);
        GUIGlyph g;
        g.uv = Vector2(F32At(r + 2), F32At(r + 6));
        g.uvSize = Vector2(F32At(r + 10), F32At(r + 14));
        g.ratio = F32At(r + 18);
        if (!std::isfinite(g.uv.x) || !std::isfinite(g.uv.y) || !std::isfinite(g.uvSize.x) ||
            !std::isfinite(g.uvSize.y) || !std::isfinite(g.ratio)) {
            glyphs_.clear();
            throw FileError(formatError);
        }
        // The first record of a code wins.
        if (glyphs_[code])
            continue;
        glyphs_[code].reset(new GUIGlyph(g));
        if (g.ratio > fixedAdvance_)
            fixedAdvance_ = g.ratio;
    }
    glyphTable_ = &glyphs_;
    CreateBatch(camera, shader);
}

GUIFont::GUIFont(const GUIFont* source) : source_(source), glyphTable_(source->glyphTable_)
{
    ModelManager* models = ModelManager::Instance();
    if (models && source->model_) {
        model_ = models->CloneModel(source->model_, nullptr, ModelFlags::kVisible);
        model_->GetIndexBuffer()->SetIndexCount(0);
        model_->UpdatePrimitiveCount();
    }
    SetDepth(kLayerDepth);
    CopySettings(*source);
    fixedAdvance_ = source->fixedAdvance_;
}

GUIFont::~GUIFont()
{
    if (model_) {
        if (locked_)
            model_->GetVertexBuffer()->Unlock();
        if (ModelManager* models = ModelManager::Instance())
            models->DeleteModel(model_);
    }
}

void GUIFont::CreateBatch(Camera* camera, const ShaderDescriptor* shader)
{
    ModelManager* models = ModelManager::Instance();
    if (!models)
        return;
    model_ = models->CreateModel(kBatchFlags, kMaxQuads * 4, kMaxQuads * 6, 1, shader, camera, false);
    model_->name = "font_model";
    std::vector<uint32_t> indices(kMaxQuads * 6);
    for (uint32_t q = 0; q < kMaxQuads; ++q) {
        const uint32_t quad[6] = {4 * q, 4 * q + 1, 4 * q + 2, 4 * q + 2, 4 * q + 1, 4 * q + 3};
        std::memcpy(&indices[6 * q], quad, sizeof quad);
    }
    IndexBuffer* ib = model_->GetIndexBuffer();
    ib->SetIndices(0, kMaxQuads * 6, indices.data());
    ib->SetIndexCount(0);
    VertexBuffer* vb = model_->GetVertexBuffer();
    ColoredVertex* v = vb->LockColoredVertices(0, kMaxQuads * 4);
    for (uint32_t i = 0; i < kMaxQuads * 4; ++i) {
        v[i].position = Vector3(0, 0, 0);
        v[i].normal = Vector3(0, 0, 1);
        v[i].color = 0xFFFFFFFFu;
        v[i].u = v[i].v = 0.0f;
    }
    vb->Unlock();
    model_->UpdatePrimitiveCount();
    SetDepth(kLayerDepth);
}

void GUIFont::CopySettings(const GUIFont& from)
{
    size = from.size;
    spaceRatio = from.spaceRatio;
    spacing = from.spacing;
    lineFactor = from.lineFactor;
    fixedPitch = from.fixedPitch;
}

bool GUIFont::HasGlyph(wchar_t c) const
{
    return GetGlyph(c) != nullptr;
}

const GUIGlyph* GUIFont::GetGlyph(wchar_t c) const
{
    const uint32_t code = static_cast<uint32_t>(c) & 0xFFFFu;
    if (!glyphTable_ || code >= glyphTable_->size())
        return nullptr;
    return (*glyphTable_)[code].get();
}

float GUIFont::GetDepth() const
{
    return model_ ? model_->viewDepth : kLayerDepth;
}

void GUIFont::SetDepth(float depth)
{
    if (model_)
        model_->viewDepth = depth;
}

void GUIFont::AddGlyphQuad(const Vector2& p, float angle, wchar_t c, uint32_t color)
{
    if (!model_ || quadCount_ >= kMaxQuads || IsBlank(c))
        return;
    const GUIGlyph* g = GetGlyph(c);
    if (!g)
        return;
    VertexBuffer* vb = model_->GetVertexBuffer();
    if (!locked_)
        locked_ = vb->LockColoredVertices(0, kMaxQuads * 4);
    const float s = size, w = size * g->ratio, co = std::cos(angle), si = std::sin(angle);
    ColoredVertex* v = locked_ + quadCount_ * 4;
    v[0].position = Vector3(p.x - si * s, p.y + co * s, 0);
    v[0].u = g->uv.x;
    v[0].v = g->uv.y + g->uvSize.y;
    v[1].position = Vector3(p.x, p.y, 0);
    v[1].u = g->uv.x;
    v[1].v = g->uv.y;
    v[2].position = Vector3(p.x + co * w - si * s, p.y + si * w + co * s, 0);
    v[2].u = g->uv.x + g->uvSize.x;
    v[2].v = g->uv.y + g->uvSize.y;
    v[3].position = Vector3(p.x + co * w, p.y + si * w, 0);
    v[3].u = g->uv.x + g->uvSize.x;
    v[3].v = g->uv.y;
    for (int i = 0; i < 4; ++i)
        v[i].color = color;
    ++quadCount_;
    model_->GetIndexBuffer()->SetIndexCount(quadCount_ * 6);
}

void GUIFont::Print(const Vector2& position, float angle, const Color& color, const std::wstring& text)
{
    if (source_)
        CopySettings(*source_);
    if (!model_ || text.empty())
        return;
    const float rgba[4] = {color.r, color.g, color.b, color.a};
    const uint32_t packed = model_->GetVertexBuffer()->VectorToColor(rgba);
    const Vector2 dir(std::cos(angle), std::sin(angle));
    Vector2 pen = position;
    for (wchar_t c : text) {
        const GUIGlyph* g = IsBlank(c) ? nullptr : GetGlyph(c);
        if (!fixedPitch) {
            AddGlyphQuad(pen, angle, c, packed);
            pen += dir * (g ? size * g->ratio * spacing : size * spaceRatio);
        } else if (!g) {
            pen += dir * (size * fixedAdvance_ * spacing);
        } else {
            const Vector2 half = dir * ((fixedAdvance_ - g->ratio) * size * spacing * 0.5f);
            pen += half;
            AddGlyphQuad(pen, angle, c, packed);
            pen += dir * (size * g->ratio * spacing);
            pen += half;
        }
    }
}

Vector2& GUIFont::GetTextSize(Vector2& out, const std::wstring& text, float angle, float requested) const
{
    out = Vector2(0, 0);
    if (text.empty())
        return out;
    const float s = requested < 0.0f ? size : requested;
    const float co = std::cos(angle), si = std::sin(angle);
    const Vector2 dir(co, si);
    Vector2 lo(10000.0f, 10000.0f), hi(-10000.0f, -10000.0f);
    auto fold = [&](const Vector2& p, float w) {
        const Vector2 corners[4] = {p, Vector2(p.x - si * size, p.y + co * size),
            Vector2(p.x + co * w - si * size, p.y + si * w + co * size), Vector2(p.x + co * w, p.y + si * w)};
        for (const Vector2& c : corners) {
            lo.x = std::fmin(lo.x, c.x);
            lo.y = std::fmin(lo.y, c.y);
            hi.x = std::fmax(hi.x, c.x);
            hi.y = std::fmax(hi.y, c.y);
        }
    };
    Vector2 pen(0, 0);
    for (wchar_t c : text) {
        const GUIGlyph* g = IsBlank(c) ? nullptr : GetGlyph(c);
        if (!fixedPitch || !g) {
            const float w = g ? s * g->ratio : s * spaceRatio;
            fold(pen, w);
            if (!fixedPitch)
                pen += dir * (g ? s * g->ratio * spacing : s * spaceRatio);
            else
                pen += dir * (s * fixedAdvance_ * spacing);
        } else {
            const Vector2 half = dir * ((fixedAdvance_ - g->ratio) * s * spacing * 0.5f);
            pen += half;
            fold(pen, s * g->ratio);
            pen += dir * (s * g->ratio * spacing);
            pen += half;
        }
    }
    out = hi - lo;
    out.y *= lineFactor;
    return out;
}

void GUIFont::EndFrame()
{
    if (!model_)
        return;
    if (quadCount_ == 0)
        model_->GetIndexBuffer()->SetIndexCount(0);
    quadCount_ = 0;
    if (locked_) {
        model_->GetVertexBuffer()->Unlock();
        locked_ = nullptr;
    }
}

void GUIFont::CopyCase(bool toUpper)
{
    if (glyphs_.empty())
        return;
    for (uint32_t c = 0; c < kCodeCount; ++c) {
        const wchar_t ch = static_cast<wchar_t>(c);
        // c takes the glyph of its other case when c is of the case that
        // gives way.
        const wchar_t self = toUpper ? static_cast<wchar_t>(std::towlower(ch)) : static_cast<wchar_t>(std::towupper(ch));
        if (self != ch)
            continue;
        const wchar_t other = toUpper ? static_cast<wchar_t>(std::towupper(ch)) : static_cast<wchar_t>(std::towlower(ch));
        if (other == ch || (static_cast<uint32_t>(other) & 0xFFFFu) != static_cast<uint32_t>(other))
            continue;
        const GUIGlyph* g = glyphs_[static_cast<uint32_t>(other)].get();
        if (g)
            glyphs_[c].reset(new GUIGlyph(*g));
    }
}

void GUIFont::UseLowerCaseGlyphs()
{
    CopyCase(false);
}

void GUIFont::UseUpperCaseGlyphs()
{
    CopyCase(true);
}

} // namespace KorvaneEngine
