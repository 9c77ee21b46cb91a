#include "toolkit/oi_static_text.h"

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"

void OI_static_text::create_widget(const std::string& path)
{
    OI_tk::eval("label " + path + " -anchor w -justify left");
}

OI_d_tech* OI_static_text::copy_self() const
{
    OI_static_text* copy = new OI_static_text(name());
    copy->text_set_ = text_set_;
    copy->text_ = text_;
    return copy;
}

// "alignment" places the text in its cell, as a Motif label's does.
void OI_static_text::apply_resources()
{
    OI_d_tech::apply_resources();
    std::string alignment = resource("alignment", "Alignment", "left");
    bool centred = alignment == "center";
    bool right = alignment == "right";
    configure("-anchor", centred ? "center" : right ? "e" : "w");
    configure("-justify", centred ? "center" : right ? "right" : "left");
    configure("-text", text());
}

std::string OI_static_text::text() const
{
    return text_set_ ? text_ : resource("text", "Text");
}

void OI_static_text::set_text(const std::string& text)
{
    text_set_ = true;
    text_ = text;
    configure("-text", text);
}

bool OI_static_text::get_shown_text(std::string* text) const
{
    *text = this->text();
    return true;
}

OI_set_result OI_static_text::set_value_text(const std::string& text, OI_set_by, std::string*)
{
    set_text(text);
    return OI_set_result::set;
}

void OI_static_text::show_enabled(bool enabled)
{
    configure("-state", enabled ? "normal" : "disabled");
}
