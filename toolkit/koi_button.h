// KOI_button: the installer's image button, a clicker showing an image made
// by the image converter, with an optional label under it. Resource files
// know it as "ImageButton" once OI_reg_derived_classes has run.
#ifndef KITSETUP_TOOLKIT_KOI_BUTTON_H
#define KITSETUP_TOOLKIT_KOI_BUTTON_H

#include "toolkit/koi_clicker.h"

class KOI_button : public KOI_clicker {
public:
    explicit KOI_button(const std::string& name) : KOI_clicker(name) {}
    const char* class_name() const override { return "ImageButton"; }

    // Shows the image of file (a name without extension, "$ICONS_DIR/info")
    // through the converter: true, or false after the converter's message,
    // leaving the button without a picture. Before the first call the "xpm"
    // resource (class "Xpm") names the file.
    bool pixmap(const std::string& file);
    // The Tk image shown, or "" when the button has no picture.
    const std::string& image_name() const { return image_; }
    // Shows the image of the file text names, as pixmap does.
    OI_set_result set_value_text(const std::string& text, OI_set_by by, std::string* reason) override;
    // The picture's size in pixels; 0 by 0 without one.
    void image_size(int* width, int* height) const;

    // The text under the picture; before set_label, the "label" resource.
    std::string label() const;
    void set_label(const std::string& text);

    // Pixels between the bevel and the picture on each side.
    void set_margins(int x, int y);
    // The label wraps after about this many characters (0: never).
    void set_spacing(int characters);

protected:
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override;
    void apply_resources() override;
    void show_enabled(bool enabled) override;
    void widget_built() override;

private:
    std::string picture() const { return widget() + ".picture"; }
    void show_picture() const;

    std::string image_;
    bool image_set_ = false;
    std::string resource_file_;  // the "xpm" value last converted
    std::string label_;
    bool label_set_ = false;
    int margin_x_ = 2;
    int margin_y_ = 2;
    int spacing_ = 30;
};

// A new, unattached image button named name showing the image of file (none
// when file is null or empty), width and height pixels from its bevel, its
// label wrapping after spacing characters. A picture that cannot be loaded
// leaves the button without one; null only when the toolkit is not started
// or there is no name.
KOI_button* create_koi_button(const char* name, const char* file, int width, int height,
                              int spacing);

// Makes "ImageButton" and "Clicker" known to resource files; the program
// calls it before it reads any.
void OI_reg_derived_classes();

#endif
