// The values of dialog objects as product scripts (get_value, set_value) and
// the automation interface see them, by the object's class.
#ifndef KITSETUP_UI_OBJECT_VALUES_H
#define KITSETUP_UI_OBJECT_VALUES_H

#include <string>
#include <vector>

class OI_d_tech;
struct Tcl_Interp;

// elements as one Tcl list.
std::string tcl_list(const std::vector<std::string>& elements);

// The value of object: a gauge's or slider's number, a field's text, a
// text's lines (a Tcl list), an exclusive menu's selected cell name (or ""),
// a poly menu's selected names (a Tcl list), a cell's "1" or "0". False when
// its class has no value.
bool get_object_value(const OI_d_tech* object, std::string* value);

// Sets the value of object from text: 0 when set; 1 when set but the text
// was not a valid flag (*message says so); -1 when nothing was set: the
// class takes no value, or a gauge's or slider's value is not a Tcl integer
// expression (*message says why). The expression is evaluated in interp, or
// in the toolkit's interpreter when it is null.
int set_object_value(OI_d_tech* object, const std::string& value, std::string* message,
                     Tcl_Interp* interp = nullptr);

#endif
