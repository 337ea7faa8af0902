// PNG pictures through libpng, fed from the engine's file layer.
#include <csetjmp>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <png.h>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/render/Image.h"
#include "engine/render/PictureFile.h"

namespace KorvaneEngine {

namespace {

struct PngErrorState {
    char message[256];
    char warning[256]; // the first warning, e.g. a damaged ancillary chunk that was dropped
};

void CopyMessage(char* to, size_t size, png_const_charp message)
{
    std::strncpy(to, message ? message : "", size - 1);
    to[size - 1] = 0;
}

void PngError(png_structp png, png_const_charp message)
{
    PngErrorState* state = static_cast<PngErrorState*>(png_get_error_ptr(png));
    if (state)
        CopyMessage(state->message, sizeof state->message, message);
    png_longjmp(png, 1);
}

void PngWarning(png_structp png, png_const_charp message)
{
    PngErrorState* state = static_cast<PngErrorState*>(png_get_error_ptr(png));
    if (state && !state->warning[0])
        CopyMessage(state->warning, sizeof state->warning, message);
}

void PngReadData(png_structp png, png_bytep data, png_size_t length)
{
    FileBinary* file = static_cast<FileBinary*>(png_get_io_ptr(png));
    uint32_t count = 0;
    if (length <= 0xFFFFFFFFu) {
        // No exception may cross the library's C frames.
        try {
            file->Read(data, uint32_t(length), &count);
        } catch (...) {
            count = 0;
        }
    }
    if (count != length)
        png_error(png, "Read Error");
}

struct PngInfo {
    png_uint_32 width;
    png_uint_32 height;
    int colourType;
    size_t rowBytes;
    // The filtered rows as stored before compression, without interlacing
    // (which only adds to them).
    uint64_t storedBytes;
};

// Deflate turns at most 258 bytes into 2 bits, so compressed data expand at
// most 1032-fold: a picture larger than that is not behind the file's bytes.
const uint64_t kMaxInflation = 1032;

// The stages that call into the library keep no C++ objects in their frames,
// so the error exit's longjmp skips no destructor.
int PngInfoStage(png_structp png, png_infop info, FileBinary* file, PngInfo* out)
{
    if (setjmp(png_jmpbuf(png)))
        return 0;
    png_set_read_fn(png, file, PngReadData);
    png_set_user_limits(png, Image::kMaxSide, Image::kMaxSide);
    png_read_info(png, info);
    png_uint_32 width, height;
    int bitDepth, colourType, interlace;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);
    out->storedBytes = uint64_t(height) * (1 + (uint64_t(width) * png_get_channels(png, info) * bitDepth + 7) / 8);
    if (bitDepth == 16)
        png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (bitDepth < 8 && colourType != PNG_COLOR_TYPE_PALETTE)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);
    out->width = width;
    out->height = height;
    out->colourType = colourType;
    out->rowBytes = png_get_rowbytes(png, info);
    return 1;
}

int PngImageStage(png_structp png, png_infop info, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return 0;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return 1;
}

} // namespace

bool Image::LoadPng(const std::string& file, bool withPixels)
{
    std::unique_ptr<FileBinary> f;
    try {
        f.reset(OpenPictureFile(file));
    } catch (const Error& e) {
        LogPictureError(e.GetMessage());
        return false;
    }

    PngErrorState state;
    state.message[0] = 0;
    state.warning[0] = 0;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, PngError, PngWarning);
    if (!png) {
        LogPictureError(IncorrectFormat(file));
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        LogPictureError(IncorrectFormat(file));
        return false;
    }

    std::string failure;
    PngInfo pi = {};
    if (!PngInfoStage(png, info, f.get(), &pi)) {
        failure = IncorrectFormat(file) + " (" + state.message + ")";
    } else {
        uint32_t bits = (pi.colourType & PNG_COLOR_MASK_ALPHA) ? 32 : (pi.colourType & PNG_COLOR_MASK_COLOR) ? 24 : 8;
        if (pi.width == 0 || pi.height == 0 ||
            (withPixels && pi.storedBytes > (uint64_t(f->GetSize()) + 1) * kMaxInflation) ||
            !Create(pi.width, pi.height, bits, withPixels)) {
            failure = IncorrectFormat(file);
        } else if (withPixels) {
            if (pi.rowBytes != GetRowSize()) {
                failure = UnsupportedFormat(file);
            } else {
                // The file's first row is the top line: it goes to the last row.
                std::vector<png_bytep> rows;
                try {
                    rows.resize(height_);
                } catch (const std::bad_alloc&) {
                    failure = IncorrectFormat(file);
                }
                if (failure.empty()) {
                    for (uint32_t i = 0; i < height_; ++i)
                        rows[i] = GetPixel(0, height_ - 1 - i);
                    if (!PngImageStage(png, info, rows.data()))
                        failure = IncorrectFormat(file) + " (" + state.message + ")";
                }
            }
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (failure.empty()) {
        if (state.warning[0])
            LogPictureWarning("\"" + file + "\" file: " + state.warning);
        return true;
    }
    LogPictureError(failure);
    return false;
}

} // namespace KorvaneEngine
