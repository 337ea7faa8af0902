// JPEG pictures through libjpeg, fed from the engine's file layer.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>
#include <jerror.h>

#include "engine/foundation/Error.h"
#include "engine/foundation/FileBinary.h"
#include "engine/render/Image.h"
#include "engine/render/PictureFile.h"

namespace KorvaneEngine {

namespace {

const uint32_t kJpegBufferSize = 4096;

struct JpegFileSource {
    jpeg_source_mgr pub;
    FileBinary* file;      // null when reading a block of memory
    const JOCTET* buffer;
    uint32_t position;
    uint32_t end;
    JOCTET endOfImage[2];
    boolean startOfFile;
};

void JpegInitSource(j_decompress_ptr cinfo)
{
    reinterpret_cast<JpegFileSource*>(cinfo->src)->startOfFile = TRUE;
}

boolean JpegFillInputBuffer(j_decompress_ptr cinfo)
{
    JpegFileSource* src = reinterpret_cast<JpegFileSource*>(cinfo->src);
    uint32_t count = 0;
    if (src->file) {
        // No exception may cross the library's C frames.
        try {
            src->file->Read(const_cast<JOCTET*>(src->buffer), kJpegBufferSize, &count);
        } catch (...) {
            count = 0;
        }
    } else {
        count = src->end - src->position < kJpegBufferSize ? src->end - src->position : kJpegBufferSize;
    }
    if (count > 0) {
        src->pub.next_input_byte = src->buffer;
        src->pub.bytes_in_buffer = count;
        if (!src->file) {
            src->buffer += count;
            src->position += count;
        }
    } else {
        // A cut-short file still ends with an end-of-image marker, so the
        // library stops cleanly; the warning marks the picture as damaged
        // (a progressive file cut between scans gives no other sign).
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->pub.next_input_byte = src->endOfImage;
        src->pub.bytes_in_buffer = 2;
    }
    src->startOfFile = FALSE;
    return TRUE;
}

void JpegSkipInputData(j_decompress_ptr cinfo, long n)
{
    if (n < 1)
        return;
    jpeg_source_mgr* src = cinfo->src;
    while (n > long(src->bytes_in_buffer)) {
        n -= long(src->bytes_in_buffer);
        JpegFillInputBuffer(cinfo);
    }
    src->next_input_byte += n;
    src->bytes_in_buffer -= size_t(n);
}

void JpegTermSource(j_decompress_ptr) {}

// The library's errors come back here instead of ending the program.
struct JpegErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    int corrupt; // a warning that means picture data were lost
    char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo)
{
    JpegErrorManager* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    err->pub.format_message(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void JpegEmitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return; // trace output
    JpegErrorManager* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    int code = err->pub.msg_code;
    err->pub.num_warnings++;
    // Warnings about damaged data: the decoder filled the gap with grey.
    if (code == JWRN_HIT_MARKER || code == JWRN_JPEG_EOF || code == JWRN_HUFF_BAD_CODE ||
        code == JWRN_MUST_RESYNC || code == JWRN_NOT_SEQUENTIAL || code == JWRN_BOGUS_PROGRESSION ||
        code == JWRN_TOO_MUCH_DATA) {
        if (!err->corrupt)
            err->pub.format_message(cinfo, err->message);
        err->corrupt = 1;
    }
}

// The engine's source manager: reads through the file object, or straight
// from its memory block when the whole file is held in memory.
void JpegUseFileSource(jpeg_decompress_struct* cinfo, FileBinary* file)
{
    if (!cinfo->src) {
        cinfo->src = static_cast<jpeg_source_mgr*>(
            (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(JpegFileSource)));
    }
    JpegFileSource* src = reinterpret_cast<JpegFileSource*>(cinfo->src);
    src->pub.init_source = JpegInitSource;
    src->pub.fill_input_buffer = JpegFillInputBuffer;
    src->pub.skip_input_data = JpegSkipInputData;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = JpegTermSource;
    src->pub.bytes_in_buffer = 0;
    src->pub.next_input_byte = nullptr;
    src->endOfImage[0] = 0xFF;
    src->endOfImage[1] = JPEG_EOI;
    src->startOfFile = FALSE;
    if (file->GetMemory()) {
        src->file = nullptr;
        src->buffer = file->GetMemory();
        src->position = 0;
        src->end = file->GetSize();
    } else {
        src->file = file;
        src->buffer = static_cast<JOCTET*>(
            (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kJpegBufferSize));
        src->position = 0;
        src->end = 0;
    }
}

// The stages that call into the library keep no C++ objects in their frames,
// so the error exit's longjmp skips no destructor.
int JpegOpenStage(jpeg_decompress_struct* cinfo, JpegErrorManager* err, FileBinary* file)
{
    if (setjmp(err->jump))
        return 0;
    jpeg_create_decompress(cinfo);
    JpegUseFileSource(cinfo, file);
    jpeg_read_header(cinfo, TRUE);
    return 1;
}

int JpegDecodeStage(jpeg_decompress_struct* cinfo, JpegErrorManager* err, uint8_t* pixels, uint32_t rowBytes,
                    uint32_t height)
{
    if (setjmp(err->jump))
        return 0;
    jpeg_start_decompress(cinfo);
    if (cinfo->output_width * uint64_t(cinfo->output_components) != rowBytes || cinfo->output_height != height)
        return 0;
    // The file's first line is the top of the picture: it becomes the last row.
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = pixels + size_t(height - 1 - cinfo->output_scanline) * rowBytes;
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1)
            return 0;
    }
    jpeg_finish_decompress(cinfo);
    return 1;
}

} // namespace

bool Image::LoadJpeg(const std::string& file, bool withPixels)
{
    std::unique_ptr<FileBinary> f;
    try {
        f.reset(OpenPictureFile(file));
    } catch (const Error& e) {
        LogPictureError(e.GetMessage());
        return false;
    }

    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    JpegErrorManager err;
    std::memset(&err, 0, sizeof err);
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegErrorExit;
    err.pub.emit_message = JpegEmitMessage;

    std::string failure;
    if (!JpegOpenStage(&cinfo, &err, f.get())) {
        failure = IncorrectFormat(file) + " (" + err.message + ")";
    } else if (uint64_t(cinfo.image_width) * cinfo.image_height == 0) {
        failure = IncorrectFormat(file);
    } else if (cinfo.num_components != 1 && cinfo.num_components != 3) {
        failure = UnsupportedFormat(file);
    } else if (!Create(cinfo.image_width, cinfo.image_height, 8 * uint32_t(cinfo.num_components), withPixels)) {
        failure = IncorrectFormat(file);
    } else if (withPixels) {
        if (!JpegDecodeStage(&cinfo, &err, pixels_, GetRowSize(), height_))
            failure = IncorrectFormat(file) + (err.message[0] ? std::string(" (") + err.message + ")" : "");
        else if (err.corrupt)
            failure = IncorrectFormat(file) + " (" + err.message + ")";
    }
    jpeg_destroy_decompress(&cinfo);
    if (failure.empty())
        return true;
    LogPictureError(failure);
    return false;
}

} // namespace KorvaneEngine
