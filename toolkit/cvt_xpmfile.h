// The toolkit's image converter ("String" to "Xpm"): a file name without
// extension becomes a Tk photo image read from "<name>.xpm" or, failing
// that, from the X bitmap "<name>.xbm"; each image is kept in a PixCache.
#ifndef KITSETUP_TOOLKIT_CVT_XPMFILE_H
#define KITSETUP_TOOLKIT_CVT_XPMFILE_H

#include <string>

class OI_connection;

// Converts the image file name (expanded by OI_translate_filename) into a
// photo image of conn's interpreter and puts its name in *image. Returns
// false after printing the reason on standard error when there is no name,
// no destination, or neither file gives an image.
bool cvt_xpmfile_to_pixmap(OI_connection* conn, const char* name, std::string* image);

// The image of file for the current connection (the same one for the same
// file), or "" after printing the converter's reason and "couldn't convert
// file to xpm class" on standard error.
std::string OI_image_for_file(const std::string& file);

// The expanded file name (without extension) an image was made from, or ""
// when the converter did not make it.
std::string OI_file_for_image(const std::string& image);

#endif
