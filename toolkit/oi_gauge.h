// OI_gauge: a horizontal progress bar from 0 to 100 in a sunken trough,
// with the percentage written across it.
#ifndef KITSETUP_TOOLKIT_OI_GAUGE_H
#define KITSETUP_TOOLKIT_OI_GAUGE_H

#include "toolkit/oi_d_tech.h"

class OI_gauge : public OI_d_tech {
public:
    explicit OI_gauge(const std::string& name) : OI_d_tech(name) {}
    const char* class_name() const override { return "Gauge"; }

    // Sets the value, taken into 0..100.
    void set_value(int value);
    // The value; before set_value, the "value" resource (0 when none).
    int value() const;
    bool get_value_text(std::string* text) const override;
    OI_set_result set_value_text(const std::string& text, OI_set_by by, std::string* reason) override;

    void handle_event(const std::string& kind, const std::vector<std::string>& args) override;

protected:
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override;
    void apply_resources() override;

private:
    void redraw() const;

    bool value_set_ = false;
    int value_ = 0;
};

#endif
