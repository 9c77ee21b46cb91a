#include "toolkit/oi_class_registry.h"

#include <map>

#include "toolkit/oi_box.h"
#include "toolkit/oi_static_text.h"

namespace {

std::map<std::string, OI_factory>& factories()
{
    static std::map<std::string, OI_factory> registered;
    return registered;
}

}  // namespace

void OI_register_class(const std::string& class_name, OI_factory factory)
{
    factories()[class_name] = factory;
}

OI_factory OI_find_class(const std::string& class_name)
{
    auto found = factories().find(class_name);
    return found == factories().end() ? nullptr : found->second;
}

void OI_register_standard_classes()
{
    OI_register_class("Box", OI_make_object<OI_box>);
    OI_register_class("StaticText", OI_make_object<OI_static_text>);
}
