#include "engine/render/RenderSystem.h"

#include <cmath>

#include "engine/foundation/Config.h"
#include "engine/foundation/Window.h"
#include "engine/render/Image.h"

namespace KorvaneEngine {

ModeInfo::~ModeInfo() = default;

DeviceInfo::~DeviceInfo() { DeleteAll(modes); }

AdapterInfo::~AdapterInfo() { DeleteAll(devices); }

RenderSystem::RenderSystem(bool useStencil_, bool allowAnyWindowSize_)
    : videoSettings(Config::Instance()), useStencil(useStencil_), allowAnyWindowSize(allowAnyWindowSize_),
      clearColor(0.0f, 0.0f, 0.0f, 1.0f)
{
    Instance(this);
}

RenderSystem::~RenderSystem()
{
    DeleteAll(adapters);
    currentAdapter = nullptr;
    ResetInstance(this);
}

void RenderSystem::Refresh()
{
    int32_t anisotropy = videoSettings->textureAnisotropy;
    if (anisotropy > maxAnisotropy)
        anisotropy = maxAnisotropy;
    if (anisotropy < 1)
        anisotropy = 1;
    videoSettings->textureAnisotropy = anisotropy;
    for (uint32_t stage = 0; stage < stageAnisotropy.size(); ++stage) {
        if (forceStateUpdate || stageAnisotropy[stage] != static_cast<uint32_t>(anisotropy)) {
            stageAnisotropy[stage] = static_cast<uint32_t>(anisotropy);
            UpdateMaxTextureAnisotropy(stage);
        }
    }
}

void RenderSystem::CheckVideoMode()
{
    uint32_t width, height, bits;
    ParseVideoMode(videoSettings->videoMode, &width, &height, &bits);
    DeviceInfo* device = GetCurrentDevice();
    ModeInfo* mode = GetCurrentMode();
    if (device && mode && device->fullscreen == videoSettings->fullscreen && mode->width == width &&
        mode->height == height && mode->bitsPerPixel == bits)
        return;
    deviceLost = true;
}

void RenderSystem::ResetDevice(uint32_t flags)
{
    if (flags & 1) {
        deviceLost = false;
        surfacesRestored = true;
    }
    if (flags & 2)
        texturesLost = false;
}

void RenderSystem::AllocateTextureStageStates()
{
    stageTextures.assign(textureStageCount, nullptr);
    stageAnisotropy.assign(textureStageCount, 0);
    stageFilter.assign(textureStageCount, 0);
    stageAddressU.assign(textureStageCount, 0);
    stageAddressV.assign(textureStageCount, 0);
    stageTextureMatrix.assign(textureStageCount, Vector4());
    surfacesRestored = true;
    SetDefaultStates();
}

void RenderSystem::SetDefaultStates()
{
    // A reset may bring a device with another stage count; the per-stage
    // vectors follow it so that no stage is addressed past their end.
    if (stageTextures.size() != textureStageCount) {
        stageTextures.resize(textureStageCount, nullptr);
        stageAnisotropy.resize(textureStageCount, 0);
        stageFilter.resize(textureStageCount, 0);
        stageAddressU.resize(textureStageCount, 0);
        stageAddressV.resize(textureStageCount, 0);
        stageTextureMatrix.resize(textureStageCount, Vector4());
    }
    SetMaterial(Color(0.6f, 0.6f, 0.6f, 1.0f), Color(1.0f, 1.0f, 1.0f, 1.0f), Color(0.0f, 0.0f, 0.0f, 0.0f),
                Color(0.0f, 0.0f, 0.0f, 1.0f), 0.0f);
    forceStateUpdate = true;

    Matrix4 identity;
    Matrix4::SetIdentity(identity);
    SetViewMatrix(identity);
    SetWorldMatrix(identity);
    SetAmbientColor(Color(0.0f, 0.0f, 0.0f, 1.0f));

    alphaBlend = false;
    UpdateAlphaBlend();
    sourceBlend = destinationBlend = kBlendZero;
    UpdateBlend();

    for (uint32_t stage = 0; stage < textureStageCount; ++stage) {
        stageTextures[stage] = nullptr;
        UpdateTexture(stage);
        stageAnisotropy[stage] = 1;
        UpdateMaxTextureAnisotropy(stage);
        stageFilter[stage] = kFilterLinear;
        UpdateTextureFilter(stage);
        stageAddressU[stage] = kAddressWrap;
        UpdateTextureAdressU(stage);
        stageAddressV[stage] = kAddressWrap;
        UpdateTextureAdressV(stage);
        SetTextureMatrix(stage, 1.0f, 1.0f, 0.0f, 0.0f);
    }

    cullMode = kCullNone;
    UpdateCullMode();
    lighting = false;
    UpdateLighting();
    normalizeNormals = false;
    UpdatenormalizeNormals();

    SetZEnable(false);
    SetZWriteEnable(true);
    SetStencilEnable(false);

    forceStateUpdate = false;
    lightsNeedRestore = false;
}

void RenderSystem::SetViewMatrix(const Matrix4& matrix)
{
    if (forceStateUpdate || !(viewMatrix == matrix)) {
        viewMatrix = matrix;
        UpdateViewMatrix();
    }
}

void RenderSystem::SetWorldMatrix(const Matrix4& matrix)
{
    if (forceStateUpdate || !(worldMatrix == matrix)) {
        worldMatrix = matrix;
        UpdateWorldMatrix();
    }
}

void RenderSystem::SetAmbientColor(const Color& color)
{
    if (forceStateUpdate || IsEqual(ambientColor.r, color.r) == 0.0f || IsEqual(ambientColor.g, color.g) == 0.0f ||
        IsEqual(ambientColor.b, color.b) == 0.0f || IsEqual(ambientColor.a, color.a) == 0.0f) {
        ambientColor = color;
        UpdateAmbientColor();
    }
}

void RenderSystem::SetTextureMatrix(uint32_t stage, float scaleU, float scaleV, float offsetU, float offsetV)
{
    if (stage >= stageTextureMatrix.size())
        return;
    Vector4& cached = stageTextureMatrix[stage];
    // A difference of exactly the tolerance still counts as unchanged here.
    if (forceStateUpdate || std::fabs(cached.x - scaleU) > kTolerance || std::fabs(cached.y - scaleV) > kTolerance ||
        std::fabs(cached.z - offsetU) > kTolerance || std::fabs(cached.w - offsetV) > kTolerance) {
        cached = Vector4(scaleU, scaleV, offsetU, offsetV);
        UpdateTextureMatrix(stage);
    }
}

void RenderSystem::SetZEnable(bool enable)
{
    if (forceStateUpdate || depthTest != enable) {
        depthTest = enable;
        UpdateZ();
    }
}

void RenderSystem::SetZWriteEnable(bool enable)
{
    if (forceStateUpdate || depthWrite != enable) {
        depthWrite = enable;
        UpdateZWrite();
    }
}

void RenderSystem::SetStencilEnable(bool enable)
{
    if (forceStateUpdate || stencil != enable) {
        stencil = enable;
        UpdateStencil();
    }
}

void RenderSystem::ScreenshotAspectFit(Image& image)
{
    Window* window = Window::Instance();
    if (!window || !window->IsFullscreen() || (!window->IsDesktopWide() && !window->IsDesktopNarrow()))
        return;
    const float aspect = window->GetDesktopAspect();
    const uint32_t w = image.GetWidth(), h = image.GetHeight();
    if (w == 0 || h == 0 || !(aspect > 0.0f))
        return;
    const float ratio = window->IsDesktopWide() ? aspect / (4.0f / 3.0f) : (4.0f / 3.0f) / aspect;
    const float m = (static_cast<float>(w) * ratio - static_cast<float>(w)) / 2.0f;
    // A margin that would leave nothing to keep leaves the picture as it is.
    if (!(m >= 0.0f) || m >= static_cast<float>(w))
        return;
    const uint32_t margin = static_cast<uint32_t>(m) + 1;
    Image part;
    bool cropped;
    if (window->IsDesktopWide()) {
        if (2 * static_cast<uint64_t>(margin) >= w)
            return;
        cropped = image.Crop(margin, 0, w - 2 * margin, h, &part);
    } else {
        if (2 * static_cast<uint64_t>(margin) >= h)
            return;
        cropped = image.Crop(0, margin, w, h - 2 * margin, &part);
    }
    if (cropped)
        part.Resize(w, h, Image::kBilinear, &image);
}

} // namespace KorvaneEngine
