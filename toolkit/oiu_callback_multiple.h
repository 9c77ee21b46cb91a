// Callbacks: every installer class that owns a dialog derives from
// OIU_callback_multiple, and a callback is such an object plus one of its
// member functions (or a plain function) plus an argument. All callbacks share
// one signature, so resource files can bind any of them by name: the object
// the event happened to, the argument, and a value (a pressed cell's state, a
// typed character, a descriptor); the result matters to acceptance checks.
#ifndef KITSETUP_TOOLKIT_OIU_CALLBACK_MULTIPLE_H
#define KITSETUP_TOOLKIT_OIU_CALLBACK_MULTIPLE_H

#include <functional>
#include <string>

class OI_d_tech;

class OIU_callback_multiple {
public:
    virtual ~OIU_callback_multiple() = default;
};

using OI_member = long (OIU_callback_multiple::*)(OI_d_tech* origin, void* argument, long value);
using OI_function = long (*)(OI_d_tech* origin, void* argument, long value);

class OI_callback {
public:
    OI_callback() = default;
    OI_callback(OI_function function, void* argument) : function_(function), argument_(argument) {}
    template <class T>
    OI_callback(T* object, long (T::*member)(OI_d_tech*, void*, long), void* argument)
        : object_(object), member_(static_cast<OI_member>(member)), argument_(argument)
    {
    }
    // A callback whose object is looked up when it runs (a global that the
    // program fills in after the resource files name it).
    OI_callback(std::function<OIU_callback_multiple*()> object_of, OI_member member, void* argument)
        : object_of_(std::move(object_of)), member_(member), argument_(argument)
    {
    }

    // Runs the callback for origin with value; 0 when it is empty or its
    // object does not exist (yet).
    long call(OI_d_tech* origin, long value) const;

    explicit operator bool() const { return function_ != nullptr || member_ != nullptr; }
    bool operator==(const OI_callback& other) const;

private:
    OIU_callback_multiple* target() const;

    OI_function function_ = nullptr;
    OIU_callback_multiple* object_ = nullptr;
    std::function<OIU_callback_multiple*()> object_of_;
    OI_member member_ = nullptr;
    void* argument_ = nullptr;
};

// One record of the binding table: a named object (the address of a global
// object pointer, read when a callback runs), a named member function, or a
// named plain function.
struct OI_actions_rec {
    std::string name;
    std::function<OIU_callback_multiple*()> object;
    OI_member member = nullptr;
    OI_function function = nullptr;
};

// Record for a global object pointer such as the_options_ui.
template <class T>
OI_actions_rec OI_object_action(const char* name, T** global)
{
    OI_actions_rec record;
    record.name = name;
    record.object = [global]() -> OIU_callback_multiple* { return *global; };
    return record;
}

template <class T>
OI_actions_rec OI_member_action(const char* name, long (T::*member)(OI_d_tech*, void*, long))
{
    OI_actions_rec record;
    record.name = name;
    record.member = static_cast<OI_member>(member);
    return record;
}

inline OI_actions_rec OI_function_action(const char* name, OI_function function)
{
    OI_actions_rec record;
    record.name = name;
    record.function = function;
    return record;
}

#endif
