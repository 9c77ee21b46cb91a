// Fuzz target: a child's output read through a descriptor as from its pipe, each
// line (the unfinished last one too) parsed as every listing kind and as stderr.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "product_sandbox.h"
#include "cmds/cmd.h"
#include "misc/lidefs.h"
#include "misc/utilities.h"

namespace {

void read_line(const std::string& text)
{
    listring line(text.c_str());
    for (const listring* parser : {&TAR_CMD, &CPIO_CMD, &KCP_UTILITY}) {
        listring name;
        int size = -1;
        extract_file_info(line, name, &size, *parser);
    }
    line.clean();
    if (!line.is_empty())
        valid_stderr(line);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    use_fuzz_reporter();
    static product_sandbox sandbox(fuzz_dir(), fuzz_dir());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = fuzz_write("output", data, size);
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return 0;
    std::string pending;
    std::vector<std::string> lines;
    while (read_output_lines(fd, pending, lines) > 0) {
        for (const std::string& line : lines)
            read_line(line);
        lines.clear();
    }
    close(fd);
    if (!pending.empty())
        read_line(pending);
    return 0;
}
