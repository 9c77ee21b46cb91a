// OI_slider: a horizontal scale for a whole number between the "minimum"
// and "maximum" resources (0 and 100 when there are none).
#ifndef KITSETUP_TOOLKIT_OI_SLIDER_H
#define KITSETUP_TOOLKIT_OI_SLIDER_H

#include "toolkit/oi_d_tech.h"

class OI_slider : public OI_d_tech {
public:
    explicit OI_slider(const std::string& name) : OI_d_tech(name) {}
    const char* class_name() const override { return "Slider"; }

    // Sets the value, taken into the slider's range.
    void set_value(int value);
    // The value, as the user left it; before any, the "value" resource.
    int value() const;
    int minimum() const;
    int maximum() const;
    bool get_value_text(std::string* text) const override;
    OI_set_result set_value_text(const std::string& text, OI_set_by by, std::string* reason) override;

    void handle_event(const std::string& kind, const std::vector<std::string>& args) override;

protected:
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override;
    void apply_resources() override;
    void show_enabled(bool enabled) override;

private:
    int clamped(int value) const;

    bool value_set_ = false;
    int value_ = 0;
};

#endif
