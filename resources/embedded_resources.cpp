// Lookup of the embedded resources. The table itself is generated at build time
// (embedded_data.cpp.in), with the files' bytes included by the assembler.
#include "resources/embedded_resources.h"

extern const EmbeddedResource embeddedTable[];
extern const size_t embeddedTableCount;

namespace {

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool sameName(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (asciiLower(*a) != asciiLower(*b)) return false;
    }
    return *a == *b;
}

}  // namespace

const EmbeddedResource* findResource(const char* name) {
    if (name == nullptr) return nullptr;
    for (const EmbeddedResource& r : embeddedResources()) {
        if (sameName(r.name, name)) return &r;
    }
    return nullptr;
}

std::span<const EmbeddedResource> embeddedResources() {
    return {embeddedTable, embeddedTableCount};
}
