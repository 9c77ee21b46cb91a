// OI_static_text: a one-line label or status line.
#ifndef KITSETUP_TOOLKIT_OI_STATIC_TEXT_H
#define KITSETUP_TOOLKIT_OI_STATIC_TEXT_H

#include "toolkit/oi_d_tech.h"

class OI_static_text : public OI_d_tech {
public:
    explicit OI_static_text(const std::string& name) : OI_d_tech(name) {}
    const char* class_name() const override { return "StaticText"; }

    // The text shown; before set_text, the "text" resource.
    std::string text() const;
    void set_text(const std::string& text);
    // A label shows its text but holds no value a script reads; set sets the text.
    bool get_shown_text(std::string* text) const override;
    OI_set_result set_value_text(const std::string& text, OI_set_by by, std::string* reason) override;

protected:
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override;
    void apply_resources() override;
    // A greyed-out text is drawn in the disabled colour.
    void show_enabled(bool enabled) override;

private:
    bool text_set_ = false;
    std::string text_;
};

#endif
