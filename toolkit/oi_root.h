// OI_root: the connection's root object. Every top-level object hangs under
// it (each becomes a window of its own) and look-ups by name start at it;
// its size is the screen's.
#ifndef KITSETUP_TOOLKIT_OI_ROOT_H
#define KITSETUP_TOOLKIT_OI_ROOT_H

#include "toolkit/oi_d_tech.h"

class OI_root : public OI_d_tech {
public:
    OI_root();
    ~OI_root() override;
    const char* class_name() const override { return "Root"; }
    void size(int* width, int* height) const override;

protected:
    void create_widget(const std::string&) override {}
    OI_d_tech* copy_self() const override { return nullptr; }
    void apply_resources() override {}
};

#endif
