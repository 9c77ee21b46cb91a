#include "toolkit/oi_glyph.h"

#include <cstdio>

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"

void OI_glyph::create_widget(const std::string& path)
{
    OI_tk::eval("label " + path + " -borderwidth 0");
}

OI_d_tech* OI_glyph::copy_self() const
{
    auto* copy = new OI_glyph(name());
    copy->image_ = image_;
    return copy;
}

void OI_glyph::apply_resources()
{
    OI_d_tech::apply_resources();
    if (!image_.empty())
        configure("-image", image_);
}

bool OI_glyph::set_pixmap(const std::string& image)
{
    OI_connection* conn = OI_uib_conn;
    std::string type;
    if (conn == nullptr || !OI_tk::eval("image type " + quoted(image), &type)) {
        std::fprintf(stderr, "%s: there is no image \"%s\"\n", name().c_str(), image.c_str());
        return false;
    }
    image_ = image;
    configure("-image", image_);
    return true;
}
