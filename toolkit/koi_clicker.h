// KOI_clicker: a box with a raised bevel that runs its click callback when
// the pointer is pressed and released inside it, or on Space/Return while it
// has the focus (shown by a highlight ring); it looks pushed in while held.
#ifndef KITSETUP_TOOLKIT_KOI_CLICKER_H
#define KITSETUP_TOOLKIT_KOI_CLICKER_H

#include "toolkit/oi_box.h"

class KOI_clicker : public OI_box {
public:
    explicit KOI_clicker(const std::string& name) : OI_box(name) {}
    const char* class_name() const override { return "Clicker"; }

    // The callback of a click: called with this clicker and the value 0.
    // Before set_click, the "action" resource names it.
    void set_click(const OI_callback& callback);
    const OI_callback& click() const { return click_; }

    // A full click: pushed in, pushed out, callback. False (and nothing
    // done) while the clicker is greyed out.
    bool press() override;

    void appear_pushed_in();
    void appear_pushed_out();
    bool pushed_in() const { return pushed_in_; }

    void handle_event(const std::string& kind, const std::vector<std::string>& args) override;

protected:
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override;
    void apply_resources() override;
    void show_enabled(bool enabled) override;
    void widget_built() override;

    // Copies the clicker's own settings into copy (for derived copy_self).
    void copy_clicker_to(KOI_clicker* copy) const;
    // Reports pointer and key events of widget path (the clicker's own or a
    // part drawn inside it) to this object.
    void bind_clicks(const std::string& path) const;
    bool clickable() const { return enabled_ && state() != INACTIVE; }

private:
    // True when the screen point x, y lies inside the clicker's window.
    bool holds_point(int x, int y) const;
    void run_click();

    OI_callback click_;
    bool click_set_ = false;
    bool pushed_in_ = false;
    bool button_down_ = false;  // a press began on the clicker
    bool enabled_ = true;
};

#endif
