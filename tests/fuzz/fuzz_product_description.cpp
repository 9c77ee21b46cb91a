// Fuzz target: the product description file ({cfg}/{id}.prd), read again
// into one product as the start-up's product list reads it.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "fuzz_product.h"
#include "prod/product.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    use_fuzz_reporter();
    fuzz_sample_product();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_write("kps30.prd", data, size);
    try {
        fuzz_sample_product()->parse_config();
    } catch (const fuzz_program_end&) {
    }
    return 0;
}
