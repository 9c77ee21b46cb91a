// Fuzz target: help files, read as the help viewer and the tests of the
// shipped help files read them, then searched and followed by their links.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "help/help_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_write("input.hlp", data, size);
    help_file file;
    std::string reason;
    if (!file.read(path, &reason))
        return 0;
    file.search("install the");
    for (const help_topic& topic : file.topics())
        for (int context : help_file::links(topic))
            file.topic(context);
    return 0;
}
