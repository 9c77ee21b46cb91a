// The classes resource files may declare objects of, by resource class name
// ("Box", "DialogBox", ...). The toolkit registers its own; the program adds
// its extension classes (the image button and the clicker) before it reads
// any resource file.
#ifndef KITSETUP_TOOLKIT_OI_CLASS_REGISTRY_H
#define KITSETUP_TOOLKIT_OI_CLASS_REGISTRY_H

#include <string>

class OI_d_tech;

// Makes a new, unattached object of one class with the given name.
using OI_factory = OI_d_tech* (*)(const std::string& name);

void OI_register_class(const std::string& class_name, OI_factory factory);
// The factory of class_name, or null when no such class is registered.
OI_factory OI_find_class(const std::string& class_name);

// Registers the toolkit's own classes; OI_init calls it.
void OI_register_standard_classes();

template <class T>
OI_d_tech* OI_make_object(const std::string& name)
{
    return new T(name);
}

#endif
