#include "toolkit/cvt_xpmfile.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/xpm.h>
#include <strings.h>
#include <tcl.h>
#include <tk.h>

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"
#include "toolkit/pix_cache.h"
#include "misc/translate_filename.h"

namespace {

// Pixels read from a file, four bytes (red, green, blue, alpha) each.
struct rgba_image {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> pixels;
};

const char* const intermediate_failure = "Can't create intermediate pixmap.";

// The colour of one XPM colour entry on a colour screen: its first value of
// c, g, g4 and m that names a colour; "None" is transparent. An entry whose
// values all fail to parse is drawn black, so a misspelt colour spoils one
// colour and not the whole icon.
void xpm_colour(Display* display, Colormap colormap, const XpmColor& entry, unsigned char* rgba)
{
    const char* candidates[] = {entry.c_color, entry.g_color, entry.g4_color, entry.m_color};
    rgba[0] = rgba[1] = rgba[2] = 0;
    rgba[3] = 255;
    for (const char* name : candidates) {
        if (name == nullptr || *name == '\0')
            continue;
        if (strcasecmp(name, "None") == 0) {
            rgba[3] = 0;
            return;
        }
        XColor colour;
        if (display != nullptr && XParseColor(display, colormap, name, &colour) != 0) {
            rgba[0] = static_cast<unsigned char>(colour.red >> 8);
            rgba[1] = static_cast<unsigned char>(colour.green >> 8);
            rgba[2] = static_cast<unsigned char>(colour.blue >> 8);
            return;
        }
    }
}

// What an icon may be. libXpm trusts the values line of a file: a huge
// width, colour count or number of characters per pixel makes it allocate
// and loop accordingly, and a picture of many millions of pixels takes
// seconds. These limits lie far above any icon or splash screen.
const std::streamsize max_xpm_file_size = 16L * 1024 * 1024;
const unsigned long max_xpm_side = 4096;
const unsigned long max_xpm_pixels = 1024UL * 1024;
const unsigned long max_xpm_colours = 4096;
const unsigned long max_xpm_chars_per_pixel = 4;

// Reads the whole of the regular file at path into text: true, or false
// with the reason.
bool read_icon_file(const std::string& path, std::string* text, std::string* reason)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        *reason = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode) || info.st_size > max_xpm_file_size) {
        *reason = S_ISREG(info.st_mode) ? "larger than any icon" : "not a file";
        return false;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *reason = std::strerror(errno != 0 ? errno : EIO);
        return false;
    }
    text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        *reason = "cannot be read";
        return false;
    }
    return true;
}

// Where the first string after the opening brace begins in XPM 3 text,
// comments skipped as libXpm skips them (a quote inside one is no string);
// npos when there is none.
size_t first_string(const std::string& text)
{
    bool inside_braces = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "/*") == 0) {
            i = text.find("*/", i + 2);
            if (i == std::string::npos)
                return i;
            ++i;
        } else if (text[i] == '{') {
            inside_braces = true;
        } else if (text[i] == '"' && inside_braces) {
            return i;
        }
    }
    return std::string::npos;
}

// Checks the values line of XPM 3 text, its first string ("width height
// colours characters-per-pixel ..."), against the limits: true, or false
// with the reason and the line's number.
bool xpm_values_fit(const std::string& text, std::string* reason)
{
    size_t start = first_string(text);
    size_t end = start == std::string::npos ? start : text.find('"', start + 1);
    if (end == std::string::npos) {
        *reason = "no values line of an XPM 3 file";
        return false;
    }
    std::string where = "line " + std::to_string(std::count(text.begin(), text.begin() + start, '\n') + 1);
    std::string values = text.substr(start + 1, end - start - 1);
    unsigned long numbers[4];
    const char* next = values.c_str();
    for (unsigned long& number : numbers) {
        while (*next == ' ' || *next == '\t')
            ++next;
        // A number too large for strtoul comes back as ULONG_MAX, which the
        // limits refuse.
        char* after = nullptr;
        number = std::strtoul(next, &after, 10);
        if (!std::isdigit(static_cast<unsigned char>(*next))) {
            *reason = where + ": the values line needs four numbers";
            return false;
        }
        next = after;
    }
    const unsigned long width = numbers[0], height = numbers[1];
    if (width == 0 || height == 0 || width > max_xpm_side || height > max_xpm_side ||
        width * height > max_xpm_pixels || numbers[2] == 0 || numbers[2] > max_xpm_colours ||
        numbers[3] == 0 || numbers[3] > max_xpm_chars_per_pixel) {
        *reason = where + ": \"" + values + "\" is beyond what an icon may be (at most " +
                  std::to_string(max_xpm_pixels) + " pixels, " + std::to_string(max_xpm_side) +
                  " a side, " + std::to_string(max_xpm_colours) + " colours, " +
                  std::to_string(max_xpm_chars_per_pixel) + " characters a pixel)";
        return false;
    }
    return true;
}

// Reads an XPM file into out: true, or false with the reader's reason. The
// file is read once, checked, and handed to libXpm as text.
bool read_xpm(const std::string& path, Display* display, Colormap colormap, rgba_image* out,
              std::string* reason)
{
    std::string text;
    if (!read_icon_file(path, &text, reason) || !xpm_values_fit(text, reason))
        return false;
    XpmImage xpm;
    int status = XpmCreateXpmImageFromBuffer(text.data(), &xpm, nullptr);
    if (status != XpmSuccess) {
        *reason = XpmGetErrorString(status);
        return false;
    }
    std::vector<unsigned char> palette(static_cast<size_t>(xpm.ncolors) * 4);
    for (unsigned c = 0; c < xpm.ncolors; ++c)
        xpm_colour(display, colormap, xpm.colorTable[c], &palette[c * 4]);
    out->width = xpm.width;
    out->height = xpm.height;
    size_t count = static_cast<size_t>(xpm.width) * xpm.height;
    out->pixels.assign(count * 4, 0);
    for (size_t p = 0; p < count; ++p) {
        unsigned index = xpm.data[p];
        if (index < xpm.ncolors)
            std::memcpy(&out->pixels[p * 4], &palette[index * 4], 4);
    }
    XpmFreeXpmImage(&xpm);
    return true;
}

// Checks the "#define NAME_width N" and "_height" lines of X bitmap text
// against the limits before Xlib, which allocates what they say, reads the
// file: true, or false with the reason and the line's number.
bool xbm_size_fits(const std::string& text, std::string* reason)
{
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        std::istringstream words(line);
        std::string define, name, value;
        if (!(words >> define >> name >> value) || define != "#define")
            continue;
        size_t underscore = name.rfind('_');
        std::string kind = underscore == std::string::npos ? name : name.substr(underscore + 1);
        if (kind != "width" && kind != "height")
            continue;
        // Too large for strtol comes back as LONG_MAX, which is refused.
        long size = std::strtol(value.c_str(), nullptr, 10);
        if (size < 0 || static_cast<unsigned long>(size) > max_xpm_side) {
            *reason = "line " + std::to_string(number) + ": a " + kind + " of " + value +
                      " is beyond what an icon may be (at most " + std::to_string(max_xpm_side) + ")";
            return false;
        }
    }
    return true;
}

// Reads an X bitmap into out: set bits black, clear bits transparent, so
// the bitmap shows in the widget's own background like a copied plane.
// False with the reason; *no_memory tells a file that was read but could
// not be held.
bool read_xbm(const std::string& path, rgba_image* out, std::string* reason, bool* no_memory)
{
    *no_memory = false;
    std::string text;
    if (!read_icon_file(path, &text, reason) || !xbm_size_fits(text, reason))
        return false;
    unsigned width = 0;
    unsigned height = 0;
    unsigned char* bits = nullptr;
    int hot_x = 0;
    int hot_y = 0;
    int status = XReadBitmapFileData(path.c_str(), &width, &height, &bits, &hot_x, &hot_y);
    if (status != BitmapSuccess) {
        *no_memory = status == BitmapNoMemory;
        *reason = status == BitmapNoMemory ? intermediate_failure
                  : status == BitmapOpenFailed ? "cannot be opened"
                                               : "not an X bitmap";
        return false;
    }
    if (width > max_xpm_side || height > max_xpm_side ||
        static_cast<unsigned long>(width) * height > max_xpm_pixels) {
        XFree(bits);
        *reason = std::to_string(width) + "x" + std::to_string(height) + " is beyond what an icon may be";
        return false;
    }
    unsigned row_bytes = (width + 7) / 8;
    out->width = width;
    out->height = height;
    out->pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            bool set = (bits[y * row_bytes + x / 8] >> (x % 8)) & 1;
            out->pixels[(static_cast<size_t>(y) * width + x) * 4 + 3] = set ? 255 : 0;
        }
    }
    XFree(bits);
    return true;
}

// Makes a new photo image holding pixels: true with its name in *image.
bool make_photo(Tcl_Interp* interp, rgba_image& pixels, std::string* image)
{
    if (Tcl_Eval(interp, "image create photo") != TCL_OK)
        return false;
    std::string name = Tcl_GetStringResult(interp);
    Tk_PhotoHandle photo = Tk_FindPhoto(interp, name.c_str());
    bool made = photo != nullptr;
    if (made && pixels.width > 0 && pixels.height > 0) {
        Tk_PhotoImageBlock block;
        block.pixelPtr = pixels.pixels.data();
        block.width = static_cast<int>(pixels.width);
        block.height = static_cast<int>(pixels.height);
        block.pitch = block.width * 4;
        block.pixelSize = 4;
        block.offset[0] = 0;
        block.offset[1] = 1;
        block.offset[2] = 2;
        block.offset[3] = 3;
        made = Tk_PhotoPutBlock(interp, photo, &block, 0, 0, block.width, block.height,
                                TK_PHOTO_COMPOSITE_SET) == TCL_OK;
    }
    if (!made) {
        Tcl_Eval(interp, ("image delete " + name).c_str());
        return false;
    }
    *image = name;
    return true;
}

}  // namespace

// The XPM file first, the bitmap second; a cached image is given again as
// long as Tk still knows it.
bool cvt_xpmfile_to_pixmap(OI_connection* conn, const char* name, std::string* image)
{
    if (name == nullptr || *name == '\0' || image == nullptr) {
        std::fprintf(stderr, "NULL src or dst\n");
        return false;
    }
    PixCache* cache = PixCache::of(conn);
    if (cache == nullptr) {
        std::fprintf(stderr, "\"%s\": the toolkit has no connection to a display\n", name);
        return false;
    }
    Tcl_Interp* interp = OI_tk::interp(conn);
    std::string file(OI_translate_filename(listring(name)).c_str());
    std::string cached = cache->image_for(file);
    if (!cached.empty()) {
        if (Tk_FindPhoto(interp, cached.c_str()) != nullptr) {
            *image = cached;
            return true;
        }
        cache->forget_image(cached);
    }

    Tk_Window main_window = Tk_MainWindow(interp);
    Display* display = main_window == nullptr ? nullptr : Tk_Display(main_window);
    Colormap colormap = main_window == nullptr ? 0 : Tk_Colormap(main_window);
    rgba_image pixels;
    std::string xpm_reason;
    std::string xbm_reason;
    bool no_memory = false;
    bool read = read_xpm(file + ".xpm", display, colormap, &pixels, &xpm_reason) ||
                read_xbm(file + ".xbm", &pixels, &xbm_reason, &no_memory);
    if (!read && !no_memory) {
        std::fprintf(stderr, "\"%s.xpm\": %s; \"%s.xbm\": %s\n", file.c_str(), xpm_reason.c_str(),
                     file.c_str(), xbm_reason.c_str());
        return false;
    }
    if (!read || !make_photo(interp, pixels, image)) {
        std::fprintf(stderr, "\"%s\": %s\n", file.c_str(), intermediate_failure);
        return false;
    }
    cache->enter(file, *image);
    return true;
}

std::string OI_image_for_file(const std::string& file)
{
    std::string image;
    if (!cvt_xpmfile_to_pixmap(OI_uib_conn, file.c_str(), &image)) {
        std::fprintf(stderr, "couldn't convert file to xpm class\n");
        return "";
    }
    return image;
}

std::string OI_file_for_image(const std::string& image)
{
    PixCache* cache = PixCache::of(OI_uib_conn);
    return cache == nullptr ? "" : cache->file_for(image);
}
