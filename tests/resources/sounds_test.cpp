// The sounds: each a PCM WAV file of a sensible length that the platform can play, the loops
// without a click where they wrap, the one-shot sounds starting and ending in silence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "resources/embedded_resources.h"
#include "resources/program_resources.h"

namespace {

uint32_t le32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
uint16_t le16(const unsigned char* p) {
    return uint16_t(p[0] | p[1] << 8);
}

struct Sound {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<int> samples;

    double seconds() const { return rate > 0 ? double(samples.size()) / rate : 0.0; }
};

// Returns "" when the file is a RIFF/WAVE file of PCM samples, otherwise what is wrong with it.
std::string readSound(const EmbeddedResource& r, Sound& out) {
    const unsigned char* p = r.begin;
    size_t size = r.size();
    if (size < 12 || std::string(reinterpret_cast<const char*>(p), 4) != "RIFF" ||
        std::string(reinterpret_cast<const char*>(p + 8), 4) != "WAVE")
        return "not RIFF/WAVE";
    if (le32(p + 4) + 8 != size) return "RIFF size differs from the file";
    bool haveFormat = false;
    for (size_t at = 12; at + 8 <= size;) {
        std::string id(reinterpret_cast<const char*>(p + at), 4);
        size_t length = le32(p + at + 4);
        const unsigned char* body = p + at + 8;
        if (at + 8 + length > size) return "chunk " + id + " runs past the end";
        if (id == "fmt ") {
            if (length < 16 || le16(body) != 1) return "not PCM";
            out.channels = le16(body + 2);
            out.rate = int(le32(body + 4));
            out.bits = le16(body + 14);
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) return "data before fmt";
            if (out.bits != 16 || out.channels != 1) return "not 16-bit mono";
            for (size_t i = 0; i + 1 < length; i += 2) out.samples.push_back(int16_t(le16(body + i)));
            return "";
        }
        at += 8 + length + (length & 1);
    }
    return "no data chunk";
}

Sound sound(const char* name) {
    Sound s;
    const EmbeddedResource* r = findResource(name);
    EXPECT_NE(r, nullptr) << name;
    if (r != nullptr) {
        EXPECT_EQ(readSound(*r, s), "") << name;
    }
    return s;
}

// The step that 99 in 100 neighbouring samples stay within.
int typicalStep(const std::vector<int>& s) {
    std::vector<int> steps;
    for (size_t i = 1; i < s.size(); ++i) steps.push_back(std::abs(s[i] - s[i - 1]));
    std::sort(steps.begin(), steps.end());
    return steps.empty() ? 0 : steps[steps.size() * 99 / 100];
}

}  // namespace

// Format, length and loudness of every sound; together small enough to carry in the program.
TEST(Sounds, FormatAndLength) {
    struct Expected {
        const char* name;
        double minSeconds, maxSeconds;
    };
    size_t totalBytes = 0;
    for (Expected e : {Expected{SOUND_ENGINE_START, 1.2, 2.0}, Expected{SOUND_ENGINE, 0.8, 1.5},
                       Expected{SOUND_HORN, 0.6, 1.5}, Expected{SOUND_CRASH, 1.0, 2.0},
                       Expected{SOUND_CHEERS, 2.0, 3.5}}) {
        Sound s = sound(e.name);
        EXPECT_EQ(s.rate, 22050) << e.name;
        EXPECT_GE(s.seconds(), e.minSeconds) << e.name;
        EXPECT_LE(s.seconds(), e.maxSeconds) << e.name;
        int peak = 0;
        for (int v : s.samples) peak = std::max(peak, std::abs(v));
        EXPECT_GT(peak, 16000) << e.name << " is too quiet";
        EXPECT_LT(peak, 32767) << e.name << " clips";
        totalBytes += findResource(e.name)->size();
    }
    EXPECT_LT(totalBytes, 1000000u);
}

// The engine and the crash play looping: the jump from the last sample back to the first must be
// no larger than the ordinary steps inside the sound, or every loop would click.
TEST(Sounds, LoopsWrapWithoutAClick) {
    for (const char* name : {SOUND_ENGINE, SOUND_CRASH}) {
        Sound s = sound(name);
        ASSERT_FALSE(s.samples.empty()) << name;
        EXPECT_LE(std::abs(s.samples.back() - s.samples.front()), typicalStep(s.samples)) << name;
    }
    // Sounds played once start and end in silence.
    for (const char* name : {SOUND_ENGINE_START, SOUND_HORN, SOUND_CHEERS}) {
        Sound s = sound(name);
        ASSERT_FALSE(s.samples.empty()) << name;
        EXPECT_LT(std::abs(s.samples.front()), 200) << name;
        EXPECT_LT(std::abs(s.samples.back()), 200) << name;
    }
}

// The reader refuses a file that is not a PCM WAV file.
TEST(Sounds, MalformedFilesAreRefused) {
    const EmbeddedResource* horn = findResource(SOUND_HORN);
    ASSERT_NE(horn, nullptr);
    std::vector<unsigned char> copy(horn->begin, horn->end);
    auto check = [&](size_t at, unsigned char value) {
        std::vector<unsigned char> bad = copy;
        bad[at] = value;
        EmbeddedResource r{"bad", ResourceKind::Sound, bad.data(), bad.data() + bad.size()};
        Sound s;
        return readSound(r, s);
    };
    EXPECT_EQ(check(8, 'X'), "not RIFF/WAVE");
    EXPECT_EQ(check(20, 3), "not PCM");
    EXPECT_EQ(check(4, 0), "RIFF size differs from the file");
}
