// Fuzz target: the installed-product records. Part one (parts end at form feeds)
// is /opt/tarnu/.kps30.dat, part two a file-set log read as the removal reads it.
// /opt is a private tmpfs so the real records are never touched; without one: 77.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "fuzz_product.h"
#include "utilities_test_support.h"
#include "misc/utilities.h"
#include "prod/product.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        !utilities_test::private_opt_tarnu()) {
        std::perror("fuzz_records: no private /opt/tarnu (needs root)");
        std::exit(utilities_test::SKIP_STATUS);
    }
    use_fuzz_reporter();
    fuzz_sample_product();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> parts = fuzz_parts(data, size);
    write_file(fuzz_sample_product()->data_path().c_str(), parts[0]);
    try {
        fuzz_sample_product()->parse_data_file();
        std::istringstream log(parts.size() > 1 ? parts[1] : std::string());
        std::string line;
        while (std::getline(log, line)) {
            listring path;
            long stamp = 0;
            if (parse_fileset_line(line, path, stamp) && !leaves_its_directory(path)) {
                listring top;
                get_toplevel_dir(path, top);
            }
        }
    } catch (const fuzz_program_end&) {
    }
    return 0;
}
