// PixCache: the images the converter made, file name to Tk image name and
// back, so the same file always gives the same image. Each interpreter owns
// one (made on first use, dropped with the interpreter and its images).
#ifndef KITSETUP_TOOLKIT_PIX_CACHE_H
#define KITSETUP_TOOLKIT_PIX_CACHE_H

#include <map>
#include <string>

class OI_connection;

class PixCache {
public:
    // The image made from file, or "" when none is cached.
    std::string image_for(const std::string& file) const;
    // The file image was made from, or "" when it is not a cached image.
    std::string file_for(const std::string& image) const;
    // Records that file gave image, replacing any earlier pair holding
    // either of the two, so both look-ups stay the inverse of each other.
    void enter(const std::string& file, const std::string& image);
    // Drops the pair that holds image (an image deleted behind our back).
    void forget_image(const std::string& image);
    int size() const { return static_cast<int>(image_of_file_.size()); }

    // The cache of conn's interpreter, made on first use; null without a
    // connection.
    static PixCache* of(const OI_connection* conn);

private:
    std::map<std::string, std::string> image_of_file_;
    std::map<std::string, std::string> file_of_image_;
};

#endif
