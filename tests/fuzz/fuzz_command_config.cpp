// Fuzz target: the command configuration file ({cfg}/{KARCH}/{id}cmd.cfg),
// read into a product's eight command templates.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "product_sandbox.h"
#include "cmds/l_cmd.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    use_fuzz_reporter();
    static product_sandbox sandbox(fuzz_dir(), fuzz_dir());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_write("kps30cmd.cfg", data, size);
    try {
        l_cmd templates(nullptr, nullptr, "kps30");
        templates.set_config_file(path.c_str());
        templates.parse_config();
    } catch (const fuzz_program_end&) {
    }
    return 0;
}
