// Fuzz target: icons through the toolkit's image converter on a real display,
// the input tried as an XPM file and, under another name, as an X bitmap.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "toolkit/cvt_xpmfile.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"

namespace {

// Converts the image file name and deletes the photo again, so the
// converter's cache never hands back the last input's image.
void convert(const std::string& name)
{
    std::string image;
    if (cvt_xpmfile_to_pixmap(OI_uib_conn, name.c_str(), &image))
        OI_tk::eval("image delete " + image);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    use_fuzz_reporter();
    need_display();
    char name[] = "kitsetup";
    char* argv[] = {name, nullptr};
    int argc = 1;
    if (OI_init(&argc, argv, "kitsetup", nullptr) == nullptr) {
        std::fprintf(stderr, "fuzz_xpm_icon: the display cannot be opened\n");
        std::_Exit(2);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string xpm = fuzz_write("icon.xpm", bytes);
    std::string xbm = fuzz_write("bitmap.xbm", bytes);
    convert(xpm.substr(0, xpm.size() - 4));
    convert(xbm.substr(0, xbm.size() - 4));
    return 0;
}
