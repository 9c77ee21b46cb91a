// Fuzz target: resource files merged on a real display, their objects created,
// as start-up and the scripts' load_resources do.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "toolkit/merge_resource_file.h"
#include "toolkit/oi_connection.h"

namespace {

// Merged resources and created objects stay with the connection, so it is
// made afresh now and then to keep a long run's memory flat.
const unsigned inputs_per_connection = 200;
unsigned inputs_on_connection = 0;

OI_connection* connection()
{
    if (OI_uib_conn != nullptr && ++inputs_on_connection < inputs_per_connection)
        return OI_uib_conn;
    OI_fini();
    inputs_on_connection = 0;
    char name[] = "kitsetup";
    char* argv[] = {name, nullptr};
    int argc = 1;
    if (OI_init(&argc, argv, "kitsetup", nullptr) == nullptr) {
        std::fprintf(stderr, "fuzz_resource_file: the display cannot be opened\n");
        std::_Exit(2);
    }
    return OI_uib_conn;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    use_fuzz_reporter();
    need_display();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_write("input.cf", data, size);
    connection();
    OI_resource_fault fault;
    OI_d_tech** objects = nullptr;
    try {
        if (merge_resource_file(nullptr, path.c_str(), &objects, &fault) == 1)
            std::free(objects);
    } catch (const fuzz_program_end&) {
    }
    return 0;
}
