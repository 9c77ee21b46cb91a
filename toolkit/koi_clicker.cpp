#include "toolkit/koi_clicker.h"

#include <cstdio>
#include <cstdlib>

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"

void KOI_clicker::create_widget(const std::string& path)
{
    OI_tk::eval("frame " + path +
                       " -relief raised -borderwidth 2 -takefocus 1 -highlightthickness 2");
}

OI_d_tech* KOI_clicker::copy_self() const
{
    KOI_clicker* copy = new KOI_clicker(name());
    copy_clicker_to(copy);
    return copy;
}

void KOI_clicker::copy_clicker_to(KOI_clicker* copy) const
{
    copy->click_ = click_;
    copy->click_set_ = click_set_;
}

void KOI_clicker::apply_resources()
{
    OI_box::apply_resources();
    configure("-relief", pushed_in_ ? "sunken" : "raised");
    if (click_set_)
        return;
    std::string action = resource("action", "Action");
    if (!action.empty())
        click_ = OI_uib_conn->callback_from_resource(action, name());
}

void KOI_clicker::set_click(const OI_callback& callback)
{
    click_ = callback;
    click_set_ = true;
}

void KOI_clicker::widget_built()
{
    bind_clicks(widget());
}

// Screen coordinates are reported, so a press on a part drawn inside the
// clicker is judged against the clicker's whole window.
void KOI_clicker::bind_clicks(const std::string& path) const
{
    OI_tk::eval("bind " + path + " <ButtonPress-1> " + quoted(event_script("down") + " %X %Y"));
    OI_tk::eval("bind " + path + " <B1-Motion> " + quoted(event_script("motion") + " %X %Y"));
    OI_tk::eval("bind " + path + " <ButtonRelease-1> " + quoted(event_script("up") + " %X %Y"));
    // The focused clicker takes Space and Return for itself, so a dialog's
    // own Return binding does not fire its default button as well.
    OI_tk::eval("bind " + path + " <KeyPress-space> " + quoted(event_script("key") + "; break"));
    OI_tk::eval("bind " + path + " <KeyPress-Return> " + quoted(event_script("key") + "; break"));
}

void KOI_clicker::show_enabled(bool enabled)
{
    enabled_ = enabled;
    if (!enabled) {
        button_down_ = false;
        appear_pushed_out();
    }
    OI_box::show_enabled(enabled);
}

void KOI_clicker::appear_pushed_in()
{
    pushed_in_ = true;
    configure("-relief", "sunken");
}

void KOI_clicker::appear_pushed_out()
{
    pushed_in_ = false;
    configure("-relief", "raised");
}

bool KOI_clicker::holds_point(int x, int y) const
{
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || !realized())
        return false;
    std::string geometry;
    if (!OI_tk::eval("list [winfo rootx " + widget() + "] [winfo rooty " + widget() + "] [winfo width " +
                        widget() + "] [winfo height " + widget() + "]",
                    &geometry))
        return false;
    int left = 0, top = 0, width = 0, height = 0;
    if (std::sscanf(geometry.c_str(), "%d %d %d %d", &left, &top, &width, &height) != 4)
        return false;
    return x >= left && x < left + width && y >= top && y < top + height;
}

// The callback may delete this clicker (a dialog closing), so it runs last
// and from a copy.
void KOI_clicker::run_click()
{
    OI_callback callback = click_;
    callback.call(this, 0);
}

bool KOI_clicker::press()
{
    if (!clickable())
        return false;
    appear_pushed_in();
    appear_pushed_out();
    run_click();
    return true;
}

// A click is a press and a release both inside; leaving while the button is
// down shows the clicker raised again, as Motif push buttons do.
void KOI_clicker::handle_event(const std::string& kind, const std::vector<std::string>& args)
{
    int x = args.size() >= 2 ? std::atoi(args[0].c_str()) : 0;
    int y = args.size() >= 2 ? std::atoi(args[1].c_str()) : 0;
    if (kind == "down") {
        if (!clickable())
            return;
        button_down_ = true;
        appear_pushed_in();
    } else if (kind == "motion") {
        if (!button_down_)
            return;
        if (holds_point(x, y))
            appear_pushed_in();
        else
            appear_pushed_out();
    } else if (kind == "up") {
        if (!button_down_)
            return;
        button_down_ = false;
        bool inside = holds_point(x, y);
        appear_pushed_out();
        if (inside && clickable())
            run_click();
    } else if (kind == "key") {
        press();
    } else {
        OI_box::handle_event(kind, args);
    }
}
