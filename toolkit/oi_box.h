// OI_box: a plain container; its children are placed by pixel or by column
// and row.
#ifndef KITSETUP_TOOLKIT_OI_BOX_H
#define KITSETUP_TOOLKIT_OI_BOX_H

#include "toolkit/oi_d_tech.h"

class OI_box : public OI_d_tech {
public:
    explicit OI_box(const std::string& name) : OI_d_tech(name) {}
    const char* class_name() const override { return "Box"; }

protected:
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override { return new OI_box(name()); }
};

#endif
