// OI_glyph: shows an image (a Tk image name, as the image converter
// produces them), such as the main window's icon.
#ifndef KITSETUP_TOOLKIT_OI_GLYPH_H
#define KITSETUP_TOOLKIT_OI_GLYPH_H

#include "toolkit/oi_d_tech.h"

class OI_glyph : public OI_d_tech {
public:
    explicit OI_glyph(const std::string& name) : OI_d_tech(name) {}
    const char* class_name() const override { return "Glyph"; }

    // Shows image; false, reported on standard error and the old picture
    // kept, when no image has that name.
    bool set_pixmap(const std::string& image);
    const std::string& pixmap() const { return image_; }

protected:
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override;
    void apply_resources() override;

private:
    std::string image_;
};

#endif
