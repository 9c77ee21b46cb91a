// Fuzz target: subset definition files. Part one (parts end at form feeds) is
// kps30prd.cfg, the next ones the nested sets a.cfg to d.cfg the seeds name.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "fuzz_product.h"
#include "opts/prod_opts.h"
#include "prod/product.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    use_fuzz_reporter();
    fuzz_sample_product();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char* const nested_files[] = {"a.cfg", "b.cfg", "c.cfg", "d.cfg"};
    std::vector<std::string> parts = fuzz_parts(data, size);
    fuzz_write("kps30prd.cfg", parts[0]);
    for (size_t i = 0; i < std::size(nested_files); ++i) {
        if (i + 1 < parts.size())
            fuzz_write(nested_files[i], parts[i + 1]);
        else
            fuzz_remove(nested_files[i]);
    }
    try {
        prod_opts tree(nullptr, fuzz_sample_product());
        if (tree.parse_config() == 0) {
            // The sums the options dialog shows.
            tree.space_reqd(false);
            tree.total_files();
        }
    } catch (const fuzz_program_end&) {
    }
    return 0;
}
