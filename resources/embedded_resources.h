// The pictures, sounds and help pages built into the program at build time, so that it finds them
// wherever it runs from: looked up by the name the program uses for them, read as bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

enum class ResourceKind : uint8_t {
    Picture,   // a BMP file
    Sound,     // a WAV file
    HelpPage,  // an HTML page
};

struct EmbeddedResource {
    const char* name;  // "RcQXBrd", "truck.wav", "qx4menu.hlp" (see program_resources.h)
    ResourceKind kind;
    const unsigned char*
        begin;  // the file's bytes; one 0 byte follows end, so text can be read as a C string
    const unsigned char* end;

    size_t size() const {
        return size_t(reinterpret_cast<uintptr_t>(end) - reinterpret_cast<uintptr_t>(begin));
    }
    std::span<const unsigned char> bytes() const { return {begin, size()}; }
};

// The resource called name, or nullptr when there is none. Names are compared without regard to
// the case of ASCII letters, so "TRUCK.WAV" finds "truck.wav".
const EmbeddedResource* findResource(const char* name);

// Every embedded resource, pictures first, then sounds, then help pages.
std::span<const EmbeddedResource> embeddedResources();
