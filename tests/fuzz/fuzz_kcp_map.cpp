// Fuzz target: kcp's map files.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "kcp_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_write("input.map", data, size);
    std::vector<map_entry> entries;
    read_map(path, entries);
    return 0;
}
