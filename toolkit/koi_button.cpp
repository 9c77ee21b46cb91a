#include "toolkit/koi_button.h"

#include <cstdio>
#include <cstdlib>

#include "toolkit/cvt_xpmfile.h"
#include "toolkit/oi_class_registry.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"

// The picture is a label filling the bevelled frame, so the clicker's frame
// keeps the bevel, the focus ring and any size given by set_size.
void KOI_button::create_widget(const std::string& path)
{
    KOI_clicker::create_widget(path);
    OI_tk::eval("label " + path + ".picture -borderwidth 0 -highlightthickness 0 -compound top");
    OI_tk::eval("grid " + path + ".picture -row 0 -column 0 -sticky nsew");
    OI_tk::eval("grid rowconfigure " + path + " 0 -weight 1");
    OI_tk::eval("grid columnconfigure " + path + " 0 -weight 1");
}

void KOI_button::widget_built()
{
    KOI_clicker::widget_built();
    bind_clicks(picture());
}

OI_d_tech* KOI_button::copy_self() const
{
    KOI_button* copy = new KOI_button(name());
    copy_clicker_to(copy);
    copy->image_ = image_;
    copy->image_set_ = image_set_;
    copy->resource_file_ = resource_file_;
    copy->label_ = label_;
    copy->label_set_ = label_set_;
    copy->margin_x_ = margin_x_;
    copy->margin_y_ = margin_y_;
    copy->spacing_ = spacing_;
    return copy;
}

// The "xpm" resource is converted again only when its value changed, so
// re-applying resources neither reloads nor repeats a failure message.
void KOI_button::apply_resources()
{
    KOI_clicker::apply_resources();
    if (!image_set_) {
        std::string file = resource("xpm", "Xpm");
        if (file != resource_file_) {
            resource_file_ = file;
            image_ = file.empty() ? "" : OI_image_for_file(file);
        }
    }
    show_picture();
}

// The label takes the frame's colours and the object's font, since Tk gives
// a frame neither a foreground nor a font.
void KOI_button::show_picture() const
{
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || !realized())
        return;
    std::string background;
    if (OI_tk::eval(widget() + " cget -background", &background))
        OI_tk::eval(picture() + " configure -background " + quoted(background));
    std::string foreground = resource("foreground", "Foreground");
    if (!foreground.empty())
        OI_tk::eval(picture() + " configure -foreground " + quoted(foreground));
    std::string font = resource("font", "Font");
    if (!font.empty())
        OI_tk::eval(picture() + " configure -font " + quoted(font));
    std::string text = label();
    OI_tk::eval(picture() + " configure -image " + quoted(image_) + " -text " + quoted(text) +
               " -compound " + (text.empty() || image_.empty() ? "none" : "top") + " -padx " +
               std::to_string(margin_x_) + " -pady " + std::to_string(margin_y_));
    OI_tk::eval(picture() + " configure -wraplength [expr {" + std::to_string(spacing_) +
               " * [font measure [" + picture() + " cget -font] 0]}]");
}

void KOI_button::show_enabled(bool enabled)
{
    OI_connection* conn = OI_uib_conn;
    if (conn != nullptr && realized())
        OI_tk::eval(picture() + " configure -state " + (enabled ? "normal" : "disabled"));
    KOI_clicker::show_enabled(enabled);
}

bool KOI_button::pixmap(const std::string& file)
{
    image_set_ = true;
    image_ = OI_image_for_file(file);
    show_picture();
    return !image_.empty();
}

void KOI_button::image_size(int* width, int* height) const
{
    *width = 0;
    *height = 0;
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || image_.empty())
        return;
    std::string w;
    std::string h;
    if (OI_tk::eval("image width " + quoted(image_), &w) &&
        OI_tk::eval("image height " + quoted(image_), &h)) {
        *width = std::atoi(w.c_str());
        *height = std::atoi(h.c_str());
    }
}

std::string KOI_button::label() const
{
    return label_set_ ? label_ : resource("label", "Label");
}

void KOI_button::set_label(const std::string& text)
{
    label_ = text;
    label_set_ = true;
    show_picture();
}

void KOI_button::set_margins(int x, int y)
{
    margin_x_ = x < 0 ? 0 : x;
    margin_y_ = y < 0 ? 0 : y;
    show_picture();
}

void KOI_button::set_spacing(int characters)
{
    spacing_ = characters < 0 ? 0 : characters;
    show_picture();
}

KOI_button* create_koi_button(const char* name, const char* file, int width, int height,
                              int spacing)
{
    KOI_button* button = new KOI_button(name == nullptr ? "" : name);
    if (name == nullptr || OI_uib_conn == nullptr) {
        std::fprintf(stderr, "create_koi_button: %s\n",
                     name == nullptr ? "no name given" : "the toolkit is not started");
        delete button;
        return nullptr;
    }
    button->set_margins(width, height);
    button->set_spacing(spacing);
    if (file != nullptr && *file != '\0')
        button->pixmap(file);
    return button;
}

void OI_reg_derived_classes()
{
    OI_register_class("ImageButton", OI_make_object<KOI_button>);
    OI_register_class("Clicker", OI_make_object<KOI_clicker>);
}

OI_set_result KOI_button::set_value_text(const std::string& text, OI_set_by, std::string*)
{
    pixmap(text);
    return OI_set_result::set;
}
