// OI_button_box: the row of push buttons along the bottom of a dialog box,
// below a separator line. Pressing one of its push buttons ends the
// dialog's wait, as the dialog's termination rule says (OI_dialog_box).
#ifndef KITSETUP_TOOLKIT_OI_BUTTON_BOX_H
#define KITSETUP_TOOLKIT_OI_BUTTON_BOX_H

#include "toolkit/oi_button_menu.h"

class OI_button_box : public OI_button_menu {
public:
    explicit OI_button_box(const std::string& name) : OI_button_menu(name) {}
    const char* class_name() const override { return "ButtonBox"; }

    bool horizontal() const override { return true; }

protected:
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override
    {
        auto* copy = new OI_button_box(name());
        copy_menu_settings_to(copy);
        return copy;
    }
    void apply_resources() override;
    std::string child_container() const override;
};

#endif
