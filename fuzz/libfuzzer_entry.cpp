// libFuzzer's entry point for one target, chosen when this file is compiled: FUZZ_TARGET names one
// of the functions of fuzz_targets.h. A broken property is printed and ends the run as a crash, so
// libFuzzer keeps the input that broke it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string fault = FUZZ_TARGET(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!fault.empty()) {
        std::fprintf(stderr, "\nbroken property: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
