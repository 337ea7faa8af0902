#include <cstdint>
#include <string>

#include "engine/render/d3d7/RenderSystem_D3D7.h"

namespace KorvaneEngine {

namespace {

struct ResultEntry {
    uint32_t code;
    const char* text;
};

// Tested in this order; the first matching code gives the text.
const ResultEntry kResults[] = {
    {0x88760005, "DDERR_ALREADYINITIALIZED: the object was initialized already"},
    {0x8876023E, "DDERR_BLTFASTCANTCLIP: a fast blit cannot go to a surface that has a clipper"},
    {0x8876000A, "DDERR_CANNOTATTACHSURFACE: the surface cannot be attached to the requested surface"},
    {0x88760014, "DDERR_CANNOTDETACHSURFACE: the surface cannot be detached from the requested surface"},
    {0x88760249, "DDERR_CANTCREATEDC: no device context could be made for the surface"},
    {0x88760247, "DDERR_CANTDUPLICATE: primary and 3D surfaces, and surfaces that are implicitly created, cannot be duplicated"},
    {0x887601B3, "DDERR_CANTLOCKSURFACE: the surface cannot be locked"},
    {0x88760280, "DDERR_CANTPAGELOCK: page-locking the surface failed"},
    {0x88760294, "DDERR_CANTPAGEUNLOCK: page-unlocking the surface failed"},
    {0x88760237, "DDERR_CLIPPERISUSINGHWND: a clip list cannot be set on a clipper that already follows a window"},
    {0x88760190, "DDERR_COLORKEYNOTSET: no source colour key is set"},
    {0x88760028, "DDERR_CURRENTLYNOTAVAIL: the support asked for is not available at the moment"},
    {0x8876021E, "DDERR_DDSCAPSCOMPLEXREQUIRED: the surface needs the complex capability"},
    {0x8876026C, "DDERR_DCALREADYCREATED: a device context is already held for the surface"},
    {0x887602BB, "DDERR_DEVICEDOESNTOWNSURFACE: surfaces of one DirectDraw device cannot be used by another"},
    {0x88760232, "DDERR_DIRECTDRAWALREADYCREATED: this process already made a DirectDraw object for the driver"},
    {0x88760037, "DDERR_EXCEPTION: an exception was raised inside the operation"},
    {0x88760245, "DDERR_EXCLUSIVEMODEALREADYSET: another application holds the exclusive mode"},
    {0x887602B3, "DDERR_EXPIRED: the data has expired and is no longer valid"},
    {0x80004005, "There is an undefined error condition."},
    {0x8876005A, "DDERR_HEIGHTALIGN: the rectangle's height is not a multiple of the required alignment"},
    {0x8876023B, "DDERR_HWNDALREADYSET: the cooperative-level window is set already and cannot change while surfaces or palettes exist"},
    {0x8876023A, "DDERR_HWNDSUBCLASSED: DirectDraw cannot restore its state because the window has been subclassed"},
    {0x8876024C, "DDERR_IMPLICITLYCREATED: a surface created implicitly cannot be restored"},
    {0x8876005F, "DDERR_INCOMPATIBLEPRIMARY: the primary surface description does not match the existing primary surface"},
    {0x88760064, "DDERR_INVALIDCAPS: one or more of the capability bits are invalid"},
    {0x8876006E, "DDERR_INVALIDCLIPLIST: the clip list is not supported"},
    {0x88760231, "DDERR_INVALIDDIRECTDRAWGUID: the GUID is not a known DirectDraw driver"},
    {0x88760078, "DDERR_INVALIDMODE: the display mode is not supported"},
    {0x88760082, "DDERR_INVALIDOBJECT: an invalid object pointer was passed"},
    {0x80070057, "One or more of the parameters passed to the method are incorrect."},
    {0x88760091, "DDERR_INVALIDPIXELFORMAT: the pixel format is invalid"},
    {0x88760243, "DDERR_INVALIDPOSITION: the overlay position is not valid on the destination"},
    {0x88760096, "DDERR_INVALIDRECT: the rectangle is invalid"},
    {0x88760209, "DDERR_INVALIDSTREAM: the stream is invalid"},
    {0x88760250, "DDERR_INVALIDSURFACETYPE: the surface is of the wrong type for this operation"},
    {0x887600A0, "DDERR_LOCKEDSURFACES: one or more surfaces are locked"},
    {0x887602B2, "DDERR_MOREDATA: more data is available than the buffer holds"},
    {0x887602B5, "DDERR_NEWMODE: the display mode was changed"},
    {0x887600AA, "DDERR_NO3D: there is no 3D hardware or emulation"},
    {0x887600B4, "DDERR_NOALPHAHW: there is no alpha hardware"},
    {0x8876023F, "DDERR_NOBLTHW: there is no blitter hardware"},
    {0x887600CD, "DDERR_NOCLIPLIST: there is no clip list"},
    {0x88760238, "DDERR_NOCLIPPERATTACHED: no clipper is attached to the surface"},
    {0x887600D2, "DDERR_NOCOLORCONVHW: there is no colour-conversion hardware"},
    {0x887600D7, "DDERR_NOCOLORKEY: the surface has no colour key"},
    {0x887600DC, "DDERR_NOCOLORKEYHW: there is no colour-key hardware"},
    {0x887600D4, "DDERR_NOCOOPERATIVELEVELSET: the cooperative level was not set before the call"},
    {0x8876024A, "DDERR_NODC: the surface never had a device context"},
    {0x88760240, "DDERR_NODDROPSHW: there is no raster-operation hardware"},
    {0x88760233, "DDERR_NODIRECTDRAWHW: there is no DirectDraw hardware for this driver"},
    {0x887600DE, "DDERR_NODIRECTDRAWSUPPORT: the display driver does not support DirectDraw"},
    {0x887602B9, "DDERR_NODRIVERSUPPORT: the driver does not support the operation"},
    {0x88760235, "DDERR_NOEMULATION: software emulation is not available"},
    {0x887600E1, "DDERR_NOEXCLUSIVEMODE: the operation needs the exclusive mode"},
    {0x887600E6, "DDERR_NOFLIPHW: flipping visible surfaces is not supported"},
    {0x8876025A, "DDERR_NOFOCUSWINDOW: there is no focus window for the exclusive mode"},
    {0x887600F0, "DDERR_NOGDI: there is no GDI present"},
    {0x88760239, "DDERR_NOHWND: the clipper or the exclusive mode has no window"},
    {0x8876024F, "DDERR_NOMIPMAPHW: there is no mip-map texture hardware"},
    {0x887600FA, "DDERR_NOMIRRORHW: there is no mirroring hardware"},
    {0x887602B8, "DDERR_NOMONITORINFORMATION: the monitor's capabilities are not known"},
    {0x88760276, "DDERR_NONONLOCALVIDMEM: non-local video memory is not available"},
    {0x88760258, "DDERR_NOOPTIMIZEHW: optimized surfaces are not supported"},
    {0x88760242, "DDERR_NOOVERLAYDEST: the overlay has no destination"},
    {0x88760104, "DDERR_NOOVERLAYHW: there is no overlay hardware"},
    {0x8876023C, "DDERR_NOPALETTEATTACHED: no palette is attached to the surface"},
    {0x8876023D, "DDERR_NOPALETTEHW: there is no hardware support for 16- or 256-colour palettes"},
    {0x88760118, "DDERR_NORASTEROPHW: there is no raster-operation hardware"},
    {0x88760122, "DDERR_NOROTATIONHW: there is no rotation hardware"},
    {0x887600B5, "DDERR_NOSTEREOHARDWARE: there is no stereo hardware"},
    {0x88760136, "DDERR_NOSTRETCHHW: there is no stretching hardware"},
    {0x887600B6, "DDERR_NOSURFACELEFT: no hardware surface is left for the stereo flip chain"},
    {0x8876013C, "DDERR_NOT4BITCOLOR: the operation needs a 4-bit palette"},
    {0x8876013D, "DDERR_NOT4BITCOLORINDEX: the operation needs a 4-bit colour index palette"},
    {0x88760140, "DDERR_NOT8BITCOLOR: the operation needs an 8-bit palette"},
    {0x88760244, "DDERR_NOTAOVERLAYSURFACE: the surface is not an overlay"},
    {0x8876014A, "DDERR_NOTEXTUREHW: there is no texture-mapping hardware"},
    {0x88760246, "DDERR_NOTFLIPPABLE: the surface cannot be flipped"},
    {0x887600FF, "DDERR_NOTFOUND: the requested item was not found"},
    {0x800401F0, "DDERR_NOTINITIALIZED: the object was used before it was initialized"},
    {0x88760259, "DDERR_NOTLOADED: the optimized surface has no memory yet"},
    {0x88760248, "DDERR_NOTLOCKED: the surface is not locked"},
    {0x887602A8, "DDERR_NOTPAGELOCKED: the surface is not page-locked"},
    {0x8876024D, "DDERR_NOTPALETTIZED: the surface is not palettized"},
    {0x8876014F, "DDERR_NOVSYNCHW: there is no vertical-blank hardware"},
    {0x88760154, "DDERR_NOZBUFFERHW: there is no depth-buffer hardware"},
    {0x8876015E, "DDERR_NOZOVERLAYHW: overlays cannot be ordered by depth"},
    {0x88760168, "DDERR_OUTOFCAPS: the hardware needed is already in use"},
    {0x8007000E, "DirectDraw does not have enough memory to perform the operation."},
    {0x8876017C, "DDERR_OUTOFVIDEOMEMORY: there is not enough video memory"},
    {0x8876010E, "DDERR_OVERLAPPINGRECTS: source and destination rectangles on the same surface overlap"},
    {0x8876017E, "DDERR_OVERLAYCANTCLIP: the overlay hardware cannot clip"},
    {0x88760180, "DDERR_OVERLAYCOLORKEYONLYONEACTIVE: only one overlay colour key can be active"},
    {0x88760241, "DDERR_OVERLAYNOTVISIBLE: the overlay is hidden"},
    {0x88760183, "DDERR_PALETTEBUSY: the palette is locked by another thread"},
    {0x88760234, "DDERR_PRIMARYSURFACEALREADYEXISTS: this process already has a primary surface"},
    {0x88760236, "DDERR_REGIONTOOSMALL: the region passed to the clipper is too small"},
    {0x8876019A, "DDERR_SURFACEALREADYATTACHED: the surface is attached already"},
    {0x887601A4, "DDERR_SURFACEALREADYDEPENDENT: the surface is already a dependency"},
    {0x887601AE, "DDERR_SURFACEBUSY: the surface is locked by another thread"},
    {0x887601B8, "DDERR_SURFACEISOBSCURED: the surface is obscured"},
    {0x887601C2, "Access to the surface is refused because the surface memory is gone. Call the IDirectDrawSurface7::Restore method on this surface to restore the memory associated with it."},
    {0x887601CC, "DDERR_SURFACENOTATTACHED: the surface is not attached"},
    {0x887602B4, "DDERR_TESTFINISHED: the mode test has finished"},
    {0x887601D6, "DDERR_TOOBIGHEIGHT: the height is too large"},
    {0x887601E0, "DDERR_TOOBIGSIZE: the size is too large"},
    {0x887601EA, "DDERR_TOOBIGWIDTH: the width is too large"},
    {0x80004001, "DDERR_UNSUPPORTED: the operation is not supported"},
    {0x887601FE, "DDERR_UNSUPPORTEDFORMAT: the pixel format is not supported"},
    {0x88760208, "DDERR_UNSUPPORTEDMASK: the bit mask of the pixel format is not supported"},
    {0x8876024E, "DDERR_UNSUPPORTEDMODE: the display is in a mode that is not supported"},
    {0x88760219, "DDERR_VERTICALBLANKINPROGRESS: a vertical blank is in progress"},
    {0x887602B7, "DDERR_VIDEONOTACTIVE: the video port is not active"},
    {0x8876021C, "DDERR_WASSTILLDRAWING: the previous blit to or from the surface is still running"},
    {0x8876024B, "This surface cannot be restored because it was created in a different mode."},
    {0x88760230, "DDERR_XALIGN: the rectangle is not horizontally aligned as required"},
};

static_assert(sizeof(kResults) / sizeof(kResults[0]) == 117, "the result table has 117 rows");

} // namespace

std::string RenderSystem_D3D7::GetResultText(HRESULT result)
{
    const uint32_t code = static_cast<uint32_t>(result);
    for (const ResultEntry& entry : kResults)
        if (entry.code == code)
            return entry.text;
    return "Unknown error (Code: " + std::to_string(static_cast<int32_t>(code)) + ")";
}

} // namespace KorvaneEngine
