#pragma once
#include <cstdint>
#include <vector>

namespace ContentTools {

// PCM samples for the sound writers: interleaved floats in -1..1, frames of
// `channels` samples each. Values outside -1..1 are clipped when written.
struct SoundSamples {
    uint16_t channels = 1;
    uint32_t rate = 22050;
    std::vector<float> data;

    uint32_t Frames() const { return channels ? static_cast<uint32_t>(data.size() / channels) : 0; }
};

// A RIFF/WAVE file: one "fmt " chunk (PCM, tag 1) and one "data" chunk, with
// 8-bit (unsigned, centred on 128) or 16-bit (signed little-endian) samples.
// Other sample sizes give an empty result.
std::vector<uint8_t> WriteWavFile(const SoundSamples& samples, uint16_t bitsPerSample);

// An Ogg Vorbis file encoded by libvorbisenc at the given VBR quality
// (-0.1..1). The stream serial number is fixed, so the same samples give the
// same bytes. Empty when the encoder refuses the rate or channel count.
std::vector<uint8_t> WriteOggVorbisFile(const SoundSamples& samples, float quality, int serialNumber = 0x5e11);

} // namespace ContentTools
