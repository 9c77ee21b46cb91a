#include "toolkit/oi_gauge.h"

#include <algorithm>
#include <cstdlib>

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"

namespace {

const int maximum = 100;

int clamped(int value)
{
    return std::min(std::max(value, 0), maximum);
}

}  // namespace

void OI_gauge::create_widget(const std::string& path)
{
    OI_tk::eval("canvas " + path + " -width 200 -height 20 -relief sunken -borderwidth 2" +
               " -highlightthickness 0");
    OI_tk::eval(path + " create rectangle 0 0 0 0 -tags bar -width 0");
    OI_tk::eval(path + " create text 0 0 -tags percent -anchor center");
    OI_tk::eval("bind " + path + " <Configure> {" + event_script("redraw") + "}");
}

OI_d_tech* OI_gauge::copy_self() const
{
    auto* copy = new OI_gauge(name());
    copy->value_set_ = value_set_;
    copy->value_ = value_;
    return copy;
}

// A canvas has no font or foreground of its own: they go to the percentage.
void OI_gauge::apply_resources()
{
    OI_d_tech::apply_resources();
    std::string font = resource("font", "Font");
    if (!font.empty())
        OI_tk::eval(widget() + " itemconfigure percent -font " + quoted(font));
    std::string foreground = resource("foreground", "Foreground", "black");
    OI_tk::eval(widget() + " itemconfigure percent -fill " + quoted(foreground));
    std::string fill = resource("fillColor", "FillColor", "SteelBlue");
    OI_tk::eval(widget() + " itemconfigure bar -fill " + quoted(fill));
    redraw();
}

// The bar covers value percent of the inside of the trough.
void OI_gauge::redraw() const
{
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || !realized())
        return;
    std::string text;
    OI_tk::eval("winfo ismapped " + widget(), &text);
    std::string which = text == "1" ? "winfo " : "winfo req";
    OI_tk::eval(which + "width " + widget(), &text);
    int width = std::atoi(text.c_str());
    OI_tk::eval(which + "height " + widget(), &text);
    int height = std::atoi(text.c_str());
    OI_tk::eval(widget() + " cget -borderwidth", &text);
    int inset = std::atoi(text.c_str());
    int inner = std::max(width - 2 * inset, 0);
    int right = inset + inner * value() / maximum;
    OI_tk::eval(widget() + " coords bar " + std::to_string(inset) + " " + std::to_string(inset) +
               " " + std::to_string(right) + " " + std::to_string(height - inset));
    OI_tk::eval(widget() + " coords percent " + std::to_string(width / 2) + " " +
               std::to_string(height / 2));
    OI_tk::eval(widget() + " itemconfigure percent -text " + std::to_string(value()) + "%");
}

void OI_gauge::set_value(int value)
{
    value_set_ = true;
    value_ = clamped(value);
    redraw();
}

int OI_gauge::value() const
{
    if (value_set_)
        return value_;
    return clamped(std::atoi(resource("value", "Value", "0").c_str()));
}

void OI_gauge::handle_event(const std::string& kind, const std::vector<std::string>& args)
{
    if (kind == "redraw")
        redraw();
    else
        OI_d_tech::handle_event(kind, args);
}

bool OI_gauge::get_value_text(std::string* text) const
{
    *text = std::to_string(value());
    return true;
}

OI_set_result OI_gauge::set_value_text(const std::string& text, OI_set_by, std::string* reason)
{
    return OI_set_integer_text(text, [this](int value) {
        set_value(value);
        update_resources();
    }, reason);
}
