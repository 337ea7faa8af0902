#pragma once
#include <windows.h>

#include <ddraw.h>
#include <d3d.h>

#include <string>

#include "engine/render/Texture2D.h"

namespace KorvaneEngine {

// The device texture of the Direct3D 7 back-end: one texture surface with its
// mip levels attached, in a format the device offers. The surface can be
// dropped (device reset, idle deferred texture) and is made again on next use.
class Texture2D_D3D7 : public Texture2D {
public:
    ~Texture2D_D3D7() override;
    void ReleaseSurface() override;

    // Both register with the render system. A deferred texture only reads its
    // size now and makes its surface on first use.
    Texture2D_D3D7(const std::string& name, Image* diffuse, Image* opacity, bool mips, bool deferred);
    Texture2D_D3D7(const std::string& name, const std::string& diffuse, const std::string& opacity, bool mips,
                   bool deferred);

    // Makes the surface first when there is none.
    IDirectDrawSurface7* GetSurface();
    void CreateSurface();

    IDirectDraw7** directDrawRef;   // the render system's fields, so a reset is seen
    IDirect3DDevice7** deviceRef;
    IDirectDrawSurface7* surface = nullptr;

private:
    void Register();
    void UploadLevel(IDirectDrawSurface7* level, const Image& picture, const Image* opacity, bool fourCC);
};

} // namespace KorvaneEngine
