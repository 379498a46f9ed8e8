// PCM WAV files read in place: the sample format and the span of sample bytes of a RIFF/WAVE file
// held in memory, for the desktop's sound player and the replay's sound lengths. Nothing is copied;
// the clip points into the file's bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

struct WavClip {
    int channels = 0;                        // 1 or 2
    int sampleRate = 0;                      // frames per second, 1000..192000
    int bitsPerSample = 0;                   // 8 or 16
    std::span<const unsigned char> samples;  // whole frames only

    int bytesPerFrame() const { return channels * bitsPerSample / 8; }
    // The playing time in milliseconds, rounded up.
    uint32_t lengthMs() const;
};

// The clip of a PCM file with 1 or 2 channels of 8 or 16 bits; nothing for anything else, for a
// truncated file, or for one whose chunks run past its end.
std::optional<WavClip> readWavClip(std::span<const unsigned char> file);
