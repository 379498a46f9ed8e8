// The RIFF/WAVE reader: walks the chunks, takes the first "fmt " and the first "data" after it.
#include "resources/wav_clip.h"

#include <cstring>

namespace {

uint32_t le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t le16(const unsigned char* p) {
    return uint16_t(p[0] | p[1] << 8);
}

constexpr uint16_t WAVE_FORMAT_PCM = 1;

}  // namespace

uint32_t WavClip::lengthMs() const {
    const uint64_t frames = samples.size() / uint64_t(bytesPerFrame());
    return uint32_t((frames * 1000 + uint64_t(sampleRate) - 1) / uint64_t(sampleRate));
}

std::optional<WavClip> readWavClip(std::span<const unsigned char> file) {
    const unsigned char* p = file.data();
    const size_t size = file.size();
    if (size < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0) return {};
    WavClip clip;
    bool haveFormat = false;
    size_t at = 12;
    while (at + 8 <= size) {
        const unsigned char* id = p + at;
        const size_t length = le32(p + at + 4);
        const unsigned char* body = p + at + 8;
        if (length > size - at - 8) return {};
        if (std::memcmp(id, "fmt ", 4) == 0 && !haveFormat) {
            if (length < 16 || le16(body) != WAVE_FORMAT_PCM) return {};
            clip.channels = le16(body + 2);
            clip.sampleRate = int(le32(body + 4));
            clip.bitsPerSample = le16(body + 14);
            if (clip.channels < 1 || clip.channels > 2) return {};
            if (clip.bitsPerSample != 8 && clip.bitsPerSample != 16) return {};
            if (clip.sampleRate < 1000 || clip.sampleRate > 192000) return {};
            haveFormat = true;
        } else if (std::memcmp(id, "data", 4) == 0) {
            if (!haveFormat) return {};
            const size_t whole = length - length % size_t(clip.bytesPerFrame());
            clip.samples = file.subspan(at + 8, whole);
            return clip;
        }
        at += 8 + length + (length & 1);  // chunks are padded to an even length
    }
    return {};
}
