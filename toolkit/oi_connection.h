// OI_connection: the toolkit's connection to one display. It owns the Tcl
// interpreter that runs Tk (the drawing and event layer), the resource
// database read from resource files, the binding table of named objects and
// callbacks, and the root object under which every loaded object hangs.
// The rest of the program never sees Tcl, Tk or Xlib types beyond the
// opaque pointers declared here.
#ifndef KITSETUP_TOOLKIT_OI_CONNECTION_H
#define KITSETUP_TOOLKIT_OI_CONNECTION_H

#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/oi_flush.h"
#include "toolkit/oi_types.h"
#include "toolkit/oiu_callback_multiple.h"

struct Tcl_Interp;
typedef struct _XDisplay Display;
typedef struct _XrmHashBucketRec* XrmDatabase;

class OI_d_tech;
class OI_root;

// A command that Tcl code may run in the toolkit's interpreter, given the
// words after its name: true with *result as its answer, or false with
// *result saying what failed.
using OI_command = std::function<bool(const std::vector<std::string>& words, std::string* result)>;

// One object declared by a resource file ("path.class: ClassName"), waiting
// for OI_make_top_level to create it.
struct OI_declaration {
    std::vector<std::string> path;  // names from the top-level object down
    std::string class_name;
    std::string file;
    int line = 0;
};

// The first line of a resource text that would not merge: where it is and
// why, for a caller that tells the user more than "the file is bad".
struct OI_resource_fault {
    std::string file;
    int line = 0;  // 0 while no bad line was met
    std::string reason;
};

class OI_connection {
public:
    OI_connection(Tcl_Interp* interp, const std::string& app_name, const std::string& app_class);
    ~OI_connection();
    OI_connection(const OI_connection&) = delete;
    OI_connection& operator=(const OI_connection&) = delete;

    Display* display() const;
    const std::string& app_name() const { return app_name_; }
    const std::string& app_class() const { return app_class_; }

    // The object under which every loaded object is attached and from which
    // look-ups by name start; its size is the screen's.
    OI_d_tech* root() const;
    OI_d_tech* screen_root() const;

    OI_model_type model() const { return model_; }
    void set_model(OI_model_type model) { model_ = model; }

    // Merges the resources and object declarations of file: 1, or 0 after
    // reporting the file and line on standard error when the file cannot be
    // read or holds a line that is not a resource (the first such line also
    // in *fault, when given). Blank lines and lines starting with "!" or "#"
    // are comments; a bad line merges nothing.
    int add_resources(const char* file, int flags, OI_resource_fault* fault = nullptr);
    // Merges resource lines given as text by the same rules, reported as
    // lines of "resources".
    int merge_resources(const char* lines);

    // The value of the resource named by names/classes (full paths, the
    // application first), or false when no line of the database matches.
    bool get_resource(const std::vector<std::string>& names,
                      const std::vector<std::string>& classes, std::string* value) const;

    void add_actions(const OI_actions_rec* records, int count);
    // The binding record of name, or null.
    const OI_actions_rec* action(const std::string& name) const;
    // A callback from a resource value: "object member" (a named object and
    // a named member function) or "function" (a named plain function). An
    // empty callback when a name is not bound (reported on standard error).
    OI_callback callback_from_resource(const std::string& value, const std::string& where) const;

    // Declarations read but not yet created, in file order; taken by
    // OI_make_top_level.
    std::vector<OI_declaration> take_declarations();

    // Makes command known to the toolkit's interpreter as name.
    void add_command(const std::string& name, OI_command command);
    // Lets other X clients reach the program through Tk's send under name;
    // until this call none can. Returns the name taken (Tk makes it unique).
    std::string accept_send(const std::string& name);

    // A fresh Tk path name under parent_path ("." for a top level).
    std::string new_widget_path(const std::string& parent_path);

    // Top-level objects in the order they were last shown, most recent last
    // (hidden ones included: callers check is_displayed()).
    std::vector<OI_d_tech*> shown_objects() const;
    // Records that a top-level object has just been shown; forgets a deleted one.
    void note_shown(const OI_d_tech* object);
    void forget_shown(const OI_d_tech* object);

private:
    Tcl_Interp* interp() const { return interp_; }
    bool eval(const std::string& script, std::string* result = nullptr) const;
    int merge_text(std::istream& in, const std::string& origin, OI_resource_fault* fault);
    std::string merge_line(const std::string& line, const std::string& file, int line_number);

    Tcl_Interp* interp_;
    std::string app_name_;
    std::string app_class_;
    XrmDatabase database_ = nullptr;
    OI_model_type model_ = OI_MODEL_MOTIF;
    std::unique_ptr<OI_root> root_;
    std::map<std::string, OI_actions_rec> actions_;
    std::vector<OI_declaration> declarations_;
    std::vector<unsigned long> shown_order_;
    unsigned long widget_count_ = 0;

    friend struct OI_tk;
};

// The one connection: set by OI_init, null before it and after OI_fini.
extern OI_connection* OI_uib_conn;

// The root object of OI_uib_conn, or null while there is no connection.
OI_d_tech* OI_root_object();

// Opens the display named by the X toolkit options in argv (or DISPLAY),
// takes those options out of argv, and starts Tk; the result is also kept
// in OI_uib_conn. Null when the display cannot be opened.
OI_connection* OI_init(int* argc, char** argv, const char* app_class, void* options);
void OI_fini();
// Sets what runs when the display goes away, before the toolkit ends the
// program: nothing can be drawn or asked by then, so action must not use
// the display (it may save what the run must keep).
void OI_set_display_lost_action(void (*action)());

// elements as one Tcl list, each staying one element whatever it holds.
std::string OI_list(const std::vector<std::string>& elements);
// What an object holding one integer (gauge, slider) makes of text, an
// integer expression of the toolkit's interpreter: set, after set has been
// given its value, or refused with *reason saying why it is not one.
OI_set_result OI_set_integer_text(const std::string& text, const std::function<void(int)>& set,
                                  std::string* reason);

// Creates the objects declared since the last call. Returns a malloc'ed,
// null-terminated array of the new top-level objects (the caller frees it),
// or null when there are none.
OI_d_tech** OI_make_top_level();

void OI_add_actions(const OI_actions_rec* records, int count);

// Dispatches events until OI_end_interaction; returns then.
void OI_begin_interaction();
void OI_end_interaction();
// Dispatches one event, waiting for it when wait is true: the body of every
// nested loop (wait_button). False when nothing was dispatched.
bool OI_dispatch_one(bool wait);

// One-shot timer: callback.call(null, 0) after ms milliseconds.
void OI_add_timeout(unsigned long ms, const OI_callback& callback);
// Cancels every pending timer with this callback; none is no error.
void OI_delete_timeout(const OI_callback& callback);

// While the loop runs, callback.call(null, fd) whenever fd is readable.
void OI_io_dispatch_insert(int fd, int condition, const OI_callback& callback);
// Stops watching fd; none is no error.
void OI_io_dispatch_remove(int fd, int condition);

#endif
