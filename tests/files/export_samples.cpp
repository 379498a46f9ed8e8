// Writes the sample exports that the outside DXF and VRML readers check: one .DXF and one .WRL per
// sample bridge into the folder given as the only argument, made if needed.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "files/dxf_export.h"
#include "files/vrml_export.h"
#include "tests/files/export_bridges.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    ::mkdir(argv[1], 0755);  // may exist already
    const struct {
        const char* name;
        TestBridge bridge;
    } samples[] = {
        {"empty", TestBridge{}},  {"single_member", singleMemberBridge()}, {"chords", chordBridge()},
        {"pratt", prattBridge()}, {"many_panels", manyPanelsBridge()},
    };
    int failures = 0;
    for (const auto& sample : samples) {
        const std::string stem = std::string(argv[1]) + "/" + sample.name;
        for (const ExportResult& r :
             {exportDxf(stem.c_str(), sample.bridge.model), exportVrml(stem.c_str(), sample.bridge.model)}) {
            if (!r.ok) {
                std::fprintf(stderr, "%s: %s\n", r.path.c_str(), r.message);
                ++failures;
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
