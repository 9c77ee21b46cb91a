#include "toolkit/oi_slider.h"

#include <algorithm>
#include <cstdlib>

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"

// The scale reports every change of its value, by the user or by the
// toolkit, to "moved" (when idle).
void OI_slider::create_widget(const std::string& path)
{
    OI_tk::eval("scale " + path + " -orient horizontal -resolution 1 -showvalue 1" +
                       " -borderwidth 2 -sliderrelief raised -command {" +
                       event_script("moved") + "}");
}

OI_d_tech* OI_slider::copy_self() const
{
    auto* copy = new OI_slider(name());
    copy->value_set_ = value_set_;
    copy->value_ = value_;
    return copy;
}

void OI_slider::apply_resources()
{
    OI_d_tech::apply_resources();
    configure("-from", std::to_string(minimum()));
    configure("-to", std::to_string(maximum()));
    OI_tk::eval(widget() + " set " + std::to_string(value()));
}

void OI_slider::show_enabled(bool enabled)
{
    configure("-state", enabled ? "normal" : "disabled");
}

int OI_slider::minimum() const
{
    return std::atoi(resource("minimum", "Minimum", "0").c_str());
}

int OI_slider::maximum() const
{
    return std::atoi(resource("maximum", "Maximum", "100").c_str());
}

int OI_slider::clamped(int value) const
{
    int low = std::min(minimum(), maximum());
    int high = std::max(minimum(), maximum());
    return std::min(std::max(value, low), high);
}

void OI_slider::set_value(int value)
{
    value_set_ = true;
    value_ = clamped(value);
    if (realized())
        OI_tk::eval(widget() + " set " + std::to_string(value_));
}

int OI_slider::value() const
{
    if (value_set_)
        return value_;
    return clamped(std::atoi(resource("value", "Value", std::to_string(minimum())).c_str()));
}

void OI_slider::handle_event(const std::string& kind, const std::vector<std::string>& args)
{
    if (kind != "moved" || args.empty()) {
        OI_d_tech::handle_event(kind, args);
        return;
    }
    // Only a value other than the one shown is the user's; the toolkit's own
    // settings come back the same and leave a resource value a resource.
    int reported = clamped(static_cast<int>(std::strtol(args[0].c_str(), nullptr, 10)));
    if (reported == value())
        return;
    value_set_ = true;
    value_ = reported;
}

bool OI_slider::get_value_text(std::string* text) const
{
    *text = std::to_string(value());
    return true;
}

OI_set_result OI_slider::set_value_text(const std::string& text, OI_set_by, std::string* reason)
{
    return OI_set_integer_text(text, [this](int value) {
        set_value(value);
        update_resources();
    }, reason);
}
