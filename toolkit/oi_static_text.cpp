#include "toolkit/oi_static_text.h"

#include "toolkit/oi_connection.h"

void OI_static_text::create_widget(const std::string& path)
{
    connection()->eval("label " + path + " -anchor w -justify left");
}

OI_d_tech* OI_static_text::copy_self() const
{
    OI_static_text* copy = new OI_static_text(name());
    copy->text_set_ = text_set_;
    copy->text_ = text_;
    return copy;
}

void OI_static_text::apply_resources()
{
    OI_d_tech::apply_resources();
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
