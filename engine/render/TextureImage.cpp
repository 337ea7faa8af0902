#include "engine/render/TextureImage.h"

#include <new>

#include "engine/foundation/Config.h"
#include "engine/foundation/Error.h"
#include "engine/foundation/ObjectManager.h"
#include "engine/foundation/StringUtils.h"
#include "engine/render/DeviceLimits.h"
#include "engine/render/FileDDS.h"
#include "engine/render/Image.h"
#include "engine/render/PictureFile.h"

namespace KorvaneEngine {

namespace {

bool IsDdsName(const std::string& name)
{
    std::string::size_type dot = name.rfind('.');
    return dot != std::string::npos && ToLowerCopy(name.substr(dot + 1)) == "dds";
}

// The power of two nearest to n (a tie goes up), then at most limit (0: none).
uint32_t FitSide(uint32_t n, uint32_t limit)
{
    uint32_t p = 1;
    while (p < n)
        p <<= 1;
    uint32_t target = p - n > n - p / 2 ? p / 2 : p;
    if (limit && target > limit)
        target = limit;
    return target;
}

uint32_t DepthOf(bool hasOpacity, const Image& diffuse)
{
    return hasOpacity || diffuse.GetBits() == 32 ? 32 : 24;
}

} // namespace

bool IsPowerOfTwo(uint32_t n)
{
    return n <= 65536 && (n & (n - 1)) == 0;
}

TextureImage::~TextureImage()
{
    delete diffuse_;
    delete opacity_;
    DeleteAll(levels_);
}

TextureImage::TextureImage(Image* diffuse, Image* opacity, bool mips)
    : settings_(Config::Instance()), fromFiles_(0), diffuse_(diffuse), opacity_(opacity),
      useMipMaps_(mips && (!settings_ || settings_->useMipMapping)), width_(0), height_(0), depth_(0),
      formatCode_(0)
{
}

TextureImage::TextureImage(const std::string& diffuse, const std::string& opacity, bool mips)
    : settings_(Config::Instance()), diffuseName_(diffuse), opacityName_(opacity), fromFiles_(1),
      diffuse_(nullptr), opacity_(nullptr), useMipMaps_(mips && (!settings_ || settings_->useMipMapping)),
      width_(0), height_(0), depth_(0), formatCode_(0)
{
}

void TextureImage::ReleaseImages()
{
    if (fromFiles_) {
        delete diffuse_;
        diffuse_ = nullptr;
        delete opacity_;
        opacity_ = nullptr;
    }
    DeleteAll(levels_);
}

bool TextureImage::LoadDds()
{
    diffuse_ = new Image;
    FileDDS* dds = nullptr;
    bool ok = false;
    try {
        dds = new FileDDS(diffuseName_);
        ok = dds->ReadLevel(0, *diffuse_);
        if (ok && useMipMaps_) {
            for (uint32_t level = 1; level < dds->GetMipCount(); ++level) {
                Image* picture = new Image;
                levels_.push_back(picture);
                if (!dds->ReadLevel(level, *picture)) {
                    ok = false;
                    break;
                }
            }
        }
    } catch (const Error& e) {
        LogPictureMessage(e.GetMessage());
        ok = false;
    }
    if (ok) {
        width_ = diffuse_->GetWidth();
        height_ = diffuse_->GetHeight();
        depth_ = DepthOf(opacity_ != nullptr, *diffuse_);
        formatCode_ = dds->GetFormatCode();
    }
    delete dds;
    if (!ok) {
        ReleaseImages();
        diffuse_ = new Image;
        diffuse_->MakeDefault();
    }
    return ok;
}

void TextureImage::Load()
{
    // Levels of an earlier Load that was not released are built again.
    DeleteAll(levels_);
    if (!diffuse_ && IsDdsName(diffuseName_)) {
        if (LoadDds())
            return;
    } else {
        if (!diffuse_) {
            diffuse_ = new Image;
            diffuse_->Load(diffuseName_, true);
        }
        if (diffuse_->IsEmpty() || !diffuse_->GetPixels())
            diffuse_->MakeDefault();
        if (!opacityName_.empty() && !opacity_) {
            opacity_ = new Image;
            if (opacityName_ != diffuseName_)
                opacity_->Load(opacityName_, true);
            else
                opacity_->CopyFrom(*diffuse_);
            if (opacity_->IsEmpty()) {
                delete opacity_;
                opacity_ = nullptr;
            }
        }
    }
    FitAndBuildLevels();
}

void TextureImage::FitAndBuildLevels()
{
    Image& diffuse = *diffuse_;
    if (!IsPowerOfTwo(diffuse.GetWidth()) || !IsPowerOfTwo(diffuse.GetHeight()))
        LogPictureWarning("Texture Image: \"" + diffuseName_ + "\" image size should be power of two");
    uint32_t targetW = FitSide(diffuse.GetWidth(), DeviceMaxTextureWidth());
    uint32_t targetH = FitSide(diffuse.GetHeight(), DeviceMaxTextureHeight());
    if (targetW != diffuse.GetWidth() || targetH != diffuse.GetHeight())
        diffuse.Resize(targetW, targetH, Image::kBilinear);

    if (opacity_ && (opacity_->GetWidth() != diffuse.GetWidth() || opacity_->GetHeight() != diffuse.GetHeight())) {
        LogPictureWarning("Texture Image: \"" + opacityName_ + "\" image size should be the same as \"" +
                          diffuseName_ + "\"");
        if (!opacity_->Resize(diffuse.GetWidth(), diffuse.GetHeight(), Image::kBilinear)) {
            delete opacity_;
            opacity_ = nullptr;
        }
    }

    width_ = diffuse.GetWidth();
    height_ = diffuse.GetHeight();
    depth_ = DepthOf(opacity_ != nullptr, diffuse);
    formatCode_ = depth_ == 24 ? 1 : 3;

    if (!useMipMaps_)
        return;
    const bool showMipMaps = settings_ && settings_->showMipMaps;
    for (uint32_t s = (width_ > height_ ? width_ : height_) >> 1; s != 0; s >>= 1) {
        Image* level = new Image;
        if (levels_.empty()) {
            MakeHalf(diffuse, opacity_, *level);
            // Colours the first level so that the switch to mip maps can be seen.
            if (showMipMaps && level->GetPixels()) {
                const uint32_t bpp = level->GetBytesPerPixel();
                const size_t count = size_t(level->GetWidth()) * level->GetHeight();
                uint8_t* p = level->GetPixels();
                for (size_t i = 0; i < count; ++i, p += bpp) {
                    p[0] = 255;
                    if (bpp >= 3)
                        p[1] = p[2] = 0;
                }
            }
        } else {
            MakeHalf(*levels_.back(), nullptr, *level);
        }
        levels_.push_back(level);
    }
}

void TextureImage::MakeHalf(const Image& source, const Image* opacity, Image& out)
{
    if (source.IsEmpty() || !source.GetPixels()) {
        out.Clear();
        return;
    }
    if (opacity && (opacity->IsEmpty() || !opacity->GetPixels()))
        opacity = nullptr;
    const uint32_t w = source.GetWidth(), h = source.GetHeight(), sb = source.GetBytesPerPixel();
    const uint32_t ow = w / 2 ? w / 2 : 1, oh = h / 2 ? h / 2 : 1;
    if (!out.Create(ow, oh, opacity ? 32 : source.GetBits(), true))
        return;
    auto average = [](const uint8_t* a, const uint8_t* b, const uint8_t* c, const uint8_t* d, uint32_t i) {
        return uint8_t((a[i] + b[i] + c[i] + d[i] + 2) >> 2);
    };
    for (uint32_t y = 0; y < oh; ++y) {
        const uint32_t y0 = 2 * y < h ? 2 * y : h - 1, y1 = y0 + 1 < h ? y0 + 1 : y0;
        for (uint32_t x = 0; x < ow; ++x) {
            const uint32_t x0 = 2 * x < w ? 2 * x : w - 1, x1 = x0 + 1 < w ? x0 + 1 : x0;
            const uint8_t* p1 = source.GetPixel(x0, y0);
            const uint8_t* p2 = source.GetPixel(x1, y0);
            const uint8_t* p3 = source.GetPixel(x0, y1);
            const uint8_t* p4 = source.GetPixel(x1, y1);
            uint8_t* d = out.GetPixel(x, y);
            if (!opacity) {
                for (uint32_t i = 0; i < sb; ++i)
                    d[i] = average(p1, p2, p3, p4, i);
                continue;
            }
            if (sb == 1) {
                d[0] = d[1] = d[2] = average(p1, p2, p3, p4, 0);
            } else {
                for (uint32_t i = 0; i < 3; ++i)
                    d[i] = average(p1, p2, p3, p4, i);
            }
            // The opacity picture has the source's size after fitting; clamp
            // anyway so a caller's mismatched picture cannot be overrun.
            const uint32_t qw = opacity->GetWidth(), qh = opacity->GetHeight();
            auto q = [&](uint32_t qx, uint32_t qy) {
                return opacity->GetPixel(qx < qw ? qx : qw - 1, qy < qh ? qy : qh - 1);
            };
            const uint32_t ai = opacity->GetBits() == 32 ? 3 : 0;
            d[3] = average(q(x0, y0), q(x1, y0), q(x0, y1), q(x1, y1), ai);
        }
    }
}

void TextureImage::ReadInfo()
{
    if (diffuse_ && !diffuse_->IsEmpty()) {
        width_ = diffuse_->GetWidth();
        height_ = diffuse_->GetHeight();
        depth_ = DepthOf(opacity_ != nullptr, *diffuse_);
        formatCode_ = depth_ == 24 ? 1 : 3;
        return;
    }
    if (IsDdsName(diffuseName_)) {
        try {
            FileDDS dds(diffuseName_);
            width_ = dds.GetWidth();
            height_ = dds.GetHeight();
            depth_ = 32;
            formatCode_ = dds.GetFormatCode();
            return;
        } catch (const Error& e) {
            LogPictureMessage(e.GetMessage());
        }
    }
    Image picture;
    picture.Load(diffuseName_, false);
    if (picture.IsEmpty())
        picture.MakeDefault();
    if (!IsPowerOfTwo(picture.GetWidth()) || !IsPowerOfTwo(picture.GetHeight()))
        LogPictureWarning("Texture Image: \"" + diffuseName_ + "\" image size should be power of two");
    width_ = picture.GetWidth();
    height_ = picture.GetHeight();
    depth_ = DepthOf(opacity_ != nullptr || !opacityName_.empty(), picture);
    formatCode_ = depth_ == 24 ? 1 : 3;
}

} // namespace KorvaneEngine
