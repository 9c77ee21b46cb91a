// Fuzz target: the installation option file ({cfg}/{id}ins.cfg), the
// primary options a product offers.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "product_sandbox.h"
#include "misc/unix_cat.h"
#include "prod/l_prim_opt.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    use_fuzz_reporter();
    static product_sandbox sandbox(fuzz_dir(), fuzz_dir());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_write("kps30ins.cfg", data, size);
    try {
        l_prim_opt options(nullptr, nullptr, path.c_str(), CATALOGUE_FAILED);
        options.parse_config();
    } catch (const fuzz_program_end&) {
    }
    return 0;
}
