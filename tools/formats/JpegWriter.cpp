#include "tools/formats/JpegWriter.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "tools/formats/ByteWriter.h"

namespace ContentTools {

namespace {

// JPEG's own limit on a side.
const uint32_t kMaxSide = 65500;

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

void ErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void SilentMessage(j_common_ptr, int) {}

// Kept free of C++ objects: the error exit's longjmp must skip no destructor.
int Compress(jpeg_compress_struct* c, ErrorManager* err, const uint8_t* pixels, uint32_t width, uint32_t height,
             uint32_t channels, const JpegOptions* options, unsigned char** out, unsigned long* outSize)
{
    if (setjmp(err->jump))
        return 0;
    jpeg_create_compress(c);
    jpeg_mem_dest(c, out, outSize);
    c->image_width = width;
    c->image_height = height;
    c->input_components = int(channels);
    c->in_color_space = channels == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(c);
    int quality = options->quality < 1 ? 1 : (options->quality > 100 ? 100 : options->quality);
    jpeg_set_quality(c, quality, TRUE);
    c->optimize_coding = options->optimiseCoding ? TRUE : FALSE;
    c->dct_method = JDCT_ISLOW;  // the exact integer transform: same bytes on every machine
    if (channels == 3 && options->fullColour) {
        for (int i = 0; i < c->num_components; ++i) {
            c->comp_info[i].h_samp_factor = 1;
            c->comp_info[i].v_samp_factor = 1;
        }
    }
    jpeg_start_compress(c, TRUE);
    const size_t rowBytes = size_t(width) * channels;
    while (c->next_scanline < c->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + size_t(c->next_scanline) * rowBytes);
        jpeg_write_scanlines(c, &row, 1);
    }
    jpeg_finish_compress(c);
    return 1;
}

} // namespace

std::vector<uint8_t> WriteJpeg(const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t channels,
                               const JpegOptions& options)
{
    std::vector<uint8_t> bytes;
    if (!pixels || width == 0 || height == 0 || width > kMaxSide || height > kMaxSide ||
        (channels != 1 && channels != 3))
        return bytes;
    jpeg_compress_struct c;
    std::memset(&c, 0, sizeof c);
    ErrorManager err;
    std::memset(&err, 0, sizeof err);
    c.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = SilentMessage;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    int ok = Compress(&c, &err, pixels, width, height, channels, &options, &out, &outSize);
    jpeg_destroy_compress(&c);
    if (ok && out)
        bytes.assign(out, out + outSize);
    // The memory destination allocates with malloc and leaves freeing to us.
    std::free(out);
    return bytes;
}

bool SaveJpeg(const std::string& path, const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t channels,
              const JpegOptions& options)
{
    std::vector<uint8_t> bytes = WriteJpeg(pixels, width, height, channels, options);
    return !bytes.empty() && SaveBytes(path, bytes);
}

} // namespace ContentTools
