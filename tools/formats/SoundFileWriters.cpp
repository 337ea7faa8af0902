#include "tools/formats/SoundFileWriters.h"

#include <vorbis/vorbisenc.h>

#include <cmath>

#include "tools/formats/ByteWriter.h"

namespace ContentTools {

namespace {

float Clip(float v)
{
    if (!(v > -1.0f))
        return -1.0f;
    return v < 1.0f ? v : 1.0f;
}

} // namespace

std::vector<uint8_t> WriteWavFile(const SoundSamples& samples, uint16_t bitsPerSample)
{
    if ((bitsPerSample != 8 && bitsPerSample != 16) || samples.channels == 0)
        return {};
    const uint32_t bytesPerSample = bitsPerSample / 8;
    const uint32_t frames = samples.Frames();
    const uint32_t dataSize = frames * samples.channels * bytesPerSample;
    ByteWriter w;
    w.Bytes("RIFF", 4);
    // The RIFF size covers "WAVE", both chunk headers, the format body and the
    // data with its pad byte (chunks are word-aligned).
    w.U32(4 + 8 + 16 + 8 + dataSize + (dataSize & 1));
    w.Bytes("WAVE", 4);
    w.Bytes("fmt ", 4);
    w.U32(16);
    w.U16(1);
    w.U16(samples.channels);
    w.U32(samples.rate);
    w.U32(samples.rate * samples.channels * bytesPerSample);
    w.U16(static_cast<uint16_t>(samples.channels * bytesPerSample));
    w.U16(bitsPerSample);
    w.Bytes("data", 4);
    w.U32(dataSize);
    const size_t count = static_cast<size_t>(frames) * samples.channels;
    for (size_t i = 0; i < count; ++i) {
        const float v = Clip(samples.data[i]);
        if (bitsPerSample == 8)
            w.U8(static_cast<uint8_t>(std::lround(128.0f + v * 127.0f)));
        else
            w.U16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767.0f))));
    }
    if (dataSize & 1)
        w.U8(0);
    return w.Data();
}

std::vector<uint8_t> WriteOggVorbisFile(const SoundSamples& samples, float quality, int serialNumber)
{
    std::vector<uint8_t> out;
    if (samples.channels == 0)
        return out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, samples.channels, static_cast<long>(samples.rate), quality) != 0) {
        vorbis_info_clear(&vi);
        return out;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serialNumber);

    ogg_page og;
    auto putPage = [&out](const ogg_page& page) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    // The headers end on a page of their own, as players expect.
    while (ogg_stream_flush(&os, &og))
        putPage(og);

    auto drain = [&]() {
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og))
                    putPage(og);
            }
        }
    };
    const uint32_t frames = samples.Frames();
    const uint32_t kChunk = 4096;
    for (uint32_t done = 0; done < frames; done += kChunk) {
        const uint32_t n = frames - done < kChunk ? frames - done : kChunk;
        float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
        for (uint32_t i = 0; i < n; ++i)
            for (uint16_t c = 0; c < samples.channels; ++c)
                buffer[c][i] = Clip(samples.data[(static_cast<size_t>(done) + i) * samples.channels + c]);
        vorbis_analysis_wrote(&vd, static_cast<int>(n));
        drain();
    }
    vorbis_analysis_wrote(&vd, 0);
    drain();
    while (ogg_stream_flush(&os, &og))
        putPage(og);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

} // namespace ContentTools
