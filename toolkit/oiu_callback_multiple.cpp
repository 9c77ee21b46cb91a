#include "toolkit/oiu_callback_multiple.h"

OIU_callback_multiple* OI_callback::target() const
{
    return object_of_ ? object_of_() : object_;
}

long OI_callback::call(OI_d_tech* origin, long value) const
{
    if (function_ != nullptr)
        return function_(origin, argument_, value);
    OIU_callback_multiple* object = target();
    if (member_ == nullptr || object == nullptr)
        return 0;
    return (object->*member_)(origin, argument_, value);
}

// Callbacks with a looked-up object compare by what they would call now.
bool OI_callback::operator==(const OI_callback& other) const
{
    return function_ == other.function_ && member_ == other.member_ &&
           target() == other.target() && argument_ == other.argument_;
}
