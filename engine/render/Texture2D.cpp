#include "engine/render/Texture2D.h"

#include "engine/render/TextureImage.h"

namespace KorvaneEngine {

Texture2D::~Texture2D()
{
    delete image_;
}

Texture2D::Texture2D(const std::string& name, Image* diffuse, Image* opacity, bool mips, bool deferred)
    : name_(name), deferred_(deferred), image_(new TextureImage(diffuse, opacity, mips)), width_(0), height_(0),
      memorySize_(0), referenceCount_(1), idleFrames_(0)
{
}

Texture2D::Texture2D(const std::string& name, const std::string& diffuse, const std::string& opacity, bool mips,
                     bool deferred)
    : name_(name), deferred_(deferred), image_(new TextureImage(diffuse, opacity, mips)), width_(0), height_(0),
      memorySize_(0), referenceCount_(1), idleFrames_(0)
{
}

bool Texture2D::HasMipMaps() const
{
    return image_->UseMipMaps();
}

} // namespace KorvaneEngine
