#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"

#include <sys/stat.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <tcl.h>
#include <tk.h>

#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "toolkit/oi_class_registry.h"
#include "toolkit/oi_d_tech.h"
#include "toolkit/oi_flush.h"
#include "toolkit/oi_root.h"

OI_connection* OI_uib_conn = nullptr;

namespace {

bool interaction_ended = false;

// The standard X toolkit options: those followed by a value, and the
// resource line each one stands for ("" when Tk or OI_init handles it).
struct x_option {
    const char* name;
    bool takes_value;
    const char* resource;
};

const x_option x_options[] = {
    {"-display", true, ""},           {"-name", true, ""},
    {"-xrm", true, ""},               {"-bg", true, "*background"},
    {"-background", true, "*background"}, {"-fg", true, "*foreground"},
    {"-foreground", true, "*foreground"}, {"-fn", true, "*font"},
    {"-font", true, "*font"},         {"-bd", true, "*borderColor"},
    {"-bordercolor", true, "*borderColor"}, {"-bw", true, "*borderWidth"},
    {"-borderwidth", true, "*borderWidth"}, {"-geometry", true, ".geometry"},
    {"-title", true, ".title"},       {"-selectionTimeout", true, "*selectionTimeout"},
    {"-xnllanguage", true, "*xnlLanguage"}, {"-xtsessionID", true, "*sessionID"},
    {"-iconic", false, ".iconic: on"}, {"-rv", false, "*reverseVideo: on"},
    {"-reverse", false, "*reverseVideo: on"}, {"+rv", false, "*reverseVideo: off"},
    {"-synchronous", false, "*synchronous: on"}, {"+synchronous", false, "*synchronous: off"},
};

const x_option* find_x_option(const char* argument)
{
    for (const x_option& option : x_options) {
        if (std::strcmp(option.name, argument) == 0)
            return &option;
    }
    return nullptr;
}

// An option's resource line is relative to the application, as in the X
// toolkit; "?" stands for its first component, whatever the program is called.
std::string application_resource(const char* relative)
{
    return std::string("?") + relative;
}

// What OI_init takes out of the argument vector.
struct toolkit_options {
    std::string display;
    std::string name;
    std::vector<std::string> resource_lines;
};

// Removes the X toolkit options (and their values) from argv, keeping the
// order of the rest, and returns what they said.
toolkit_options take_x_options(int* argc, char** argv)
{
    toolkit_options taken;
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        const x_option* option = find_x_option(argv[i]);
        if (option == nullptr || (option->takes_value && i + 1 >= *argc)) {
            argv[kept++] = argv[i];
            continue;
        }
        std::string value = option->takes_value ? argv[++i] : "";
        if (std::strcmp(option->name, "-display") == 0)
            taken.display = value;
        else if (std::strcmp(option->name, "-name") == 0)
            taken.name = value;
        else if (std::strcmp(option->name, "-xrm") == 0)
            taken.resource_lines.push_back(value);
        else if (option->takes_value)
            taken.resource_lines.push_back(application_resource(option->resource) + ": " + value);
        else
            taken.resource_lines.push_back(application_resource(option->resource));
    }
    argv[kept] = nullptr;
    *argc = kept;
    return taken;
}

// "::oi::event ID KIND ?ARG ...?": a Tk binding reporting an event to the
// object with that number.
int event_command(ClientData, Tcl_Interp*, int argc, const char** argv)
{
    if (argc < 3)
        return TCL_OK;
    OI_d_tech* object = OI_d_tech::by_id(std::strtoul(argv[1], nullptr, 10));
    if (object == nullptr)
        return TCL_OK;
    std::vector<std::string> args(argv + 3, argv + argc);
    object->handle_event(argv[2], args);
    return TCL_OK;
}

// "::oi::action ID NAME PATH": a translation of the object with that
// number running the action NAME for the widget PATH the event happened in.
int action_command(ClientData, Tcl_Interp*, int argc, const char** argv)
{
    if (argc < 4)
        return TCL_OK;
    OI_d_tech* object = OI_d_tech::by_id(std::strtoul(argv[1], nullptr, 10));
    if (object != nullptr)
        object->run_action(argv[2], argv[3]);
    return TCL_OK;
}

// "::oi::refit ID": a placed child of that container changed its size.
int refit_command(ClientData, Tcl_Interp*, int argc, const char** argv)
{
    if (argc == 2) {
        if (OI_d_tech* object = OI_d_tech::by_id(std::strtoul(argv[1], nullptr, 10)))
            object->refit_parent_of_children();
    }
    return TCL_OK;
}

void (*display_lost_action)() = nullptr;

// The display went away: nothing can be shown or asked any more, and the
// exit handlers of Tk would wait on the dead connection, so the program ends
// here with the message Xlib would give, once the program's own action has
// saved what it must. A second loss inside that action ends at once.
int display_lost(Display*)
{
    const char* name = OI_uib_conn == nullptr ? "kitsetup" : OI_uib_conn->app_name().c_str();
    std::fprintf(stderr, "%s: the connection to the X display was lost.\n", name);
    std::fflush(stderr);
    void (*action)() = display_lost_action;
    display_lost_action = nullptr;
    if (action != nullptr)
        action();
    std::fflush(stdout);
    _exit(1);
}

std::string trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool is_name_character(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '?';
}

// Checks "pattern: value" and splits it. An empty reason means the line is good.
std::string split_resource_line(const std::string& line, std::string* pattern, std::string* value)
{
    size_t colon = line.find(':');
    if (colon == std::string::npos)
        return "a resource line is \"name: value\", and this one has no colon";
    *pattern = trimmed(line.substr(0, colon));
    *value = trimmed(line.substr(colon + 1));
    if (pattern->empty())
        return "the resource name is missing before the colon";
    // A leading binding is Xrm syntax too: ".name" is "name" bound tightly.
    char previous = '\0';
    for (char c : *pattern) {
        bool binding = c == '.' || c == '*';
        if (!binding && !is_name_character(c))
            return std::string("the resource name holds the character '") + c + "'";
        if (binding && previous == '.' && c == '.')
            return "the resource name has an empty component";
        previous = c;
    }
    if (previous == '.' || previous == '*')
        return "the resource name ends with a binding";
    return "";
}

}  // namespace

// ---- The connection ---------------------------------------------------------

OI_connection::OI_connection(Tcl_Interp* interp, const std::string& app_name,
                             const std::string& app_class)
    : interp_(interp), app_name_(app_name), app_class_(app_class), root_(new OI_root)
{
    XrmInitialize();
}

OI_connection::~OI_connection()
{
    root_.reset();
    if (database_ != nullptr)
        XrmDestroyDatabase(database_);
}

Display* OI_connection::display() const
{
    Tk_Window main_window = Tk_MainWindow(interp_);
    return main_window == nullptr ? nullptr : Tk_Display(main_window);
}

OI_d_tech* OI_connection::root() const
{
    return root_.get();
}

OI_d_tech* OI_connection::screen_root() const
{
    return root_.get();
}

bool OI_connection::eval(const std::string& script, std::string* result) const
{
    int status = Tcl_Eval(interp_, script.c_str());
    if (result != nullptr)
        *result = Tcl_GetStringResult(interp_);
    return status == TCL_OK;
}

namespace {

// Runs the OI_command in data with the words after the command's name.
int run_command(ClientData data, Tcl_Interp* interp, int argc, const char** argv)
{
    std::vector<std::string> words(argv + 1, argv + argc);
    std::string result;
    bool done = (*static_cast<OI_command*>(data))(words, &result);
    Tcl_SetObjResult(interp, Tcl_NewStringObj(result.c_str(), -1));
    return done ? TCL_OK : TCL_ERROR;
}

void delete_command(ClientData data)
{
    delete static_cast<OI_command*>(data);
}

}  // namespace

void OI_connection::add_command(const std::string& name, OI_command command)
{
    Tcl_CreateCommand(interp_, name.c_str(), run_command, new OI_command(std::move(command)),
                      delete_command);
}

std::string OI_connection::accept_send(const std::string& name)
{
    std::string taken;
    eval("tk appname " + OI_list({name}), &taken);
    return taken;
}

std::string OI_connection::new_widget_path(const std::string& parent_path)
{
    std::string leaf = "oi" + std::to_string(++widget_count_);
    return parent_path == "." ? "." + leaf : parent_path + "." + leaf;
}

std::vector<OI_d_tech*> OI_connection::shown_objects() const
{
    std::vector<OI_d_tech*> objects;
    for (unsigned long id : shown_order_) {
        if (OI_d_tech* object = OI_d_tech::by_id(id))
            objects.push_back(object);
    }
    return objects;
}

void OI_connection::note_shown(const OI_d_tech* object)
{
    forget_shown(object);
    shown_order_.push_back(object->id());
}

void OI_connection::forget_shown(const OI_d_tech* object)
{
    shown_order_.erase(std::remove(shown_order_.begin(), shown_order_.end(), object->id()),
                       shown_order_.end());
}

// A declaration is "path.class: ClassName" where the path, after an optional
// leading "*" or application name, is names joined by ".". Returns why the
// line is bad, or "" when it is good (its declaration then noted).
std::string OI_connection::merge_line(const std::string& line, const std::string& file, int line_number)
{
    std::string pattern;
    std::string value;
    std::string reason = split_resource_line(line, &pattern, &value);
    if (reason.empty()) {
        const std::string suffix = ".class";
        bool declares = pattern.size() > suffix.size() &&
                        pattern.compare(pattern.size() - suffix.size(), suffix.size(), suffix) == 0;
        if (declares) {
            std::string path = pattern.substr(0, pattern.size() - suffix.size());
            if (path[0] == '*')
                path.erase(0, 1);
            else if (path.compare(0, app_name_.size() + 1, app_name_ + ".") == 0)
                path.erase(0, app_name_.size() + 1);
            OI_declaration declaration;
            declaration.class_name = value;
            declaration.file = file;
            declaration.line = line_number;
            size_t start = 0;
            while (reason.empty()) {
                size_t dot = path.find('.', start);
                std::string component = path.substr(start, dot - start);
                if (component.empty() || component.find('*') != std::string::npos)
                    reason = "an object is declared by its full path of names joined by \".\"";
                declaration.path.push_back(component);
                if (dot == std::string::npos)
                    break;
                start = dot + 1;
            }
            if (reason.empty() && OI_find_class(value) == nullptr)
                reason = "unknown class \"" + value + "\"";
            if (reason.empty())
                declarations_.push_back(declaration);
        }
    }
    return reason;
}

namespace {

// The logical lines of text: a line ending in "\" goes on in the next one.
// Each comes with the number of its first physical line.
std::vector<std::pair<int, std::string>> logical_lines(std::istream& in)
{
    std::vector<std::pair<int, std::string>> lines;
    std::string physical;
    std::string pending;
    int number = 0;
    int first = 0;
    while (std::getline(in, physical)) {
        ++number;
        if (!physical.empty() && physical.back() == '\r')
            physical.pop_back();
        if (pending.empty())
            first = number;
        if (!physical.empty() && physical.back() == '\\') {
            physical.pop_back();
            pending += physical;
            continue;
        }
        lines.emplace_back(first, pending + physical);
        pending.clear();
    }
    if (!pending.empty())
        lines.emplace_back(first, pending);
    return lines;
}

}  // namespace

// The one routine behind add_resources and merge_resources. Every line is
// checked (and every bad one reported, the first also in *fault when given)
// before any is merged, so a text with a bad line changes nothing.
int OI_connection::merge_text(std::istream& in, const std::string& origin, OI_resource_fault* fault)
{
    std::vector<OI_declaration> before = declarations_;
    std::vector<std::string> good;
    int status = 1;
    for (const auto& [number, text] : logical_lines(in)) {
        std::string content = trimmed(text);
        if (content.empty() || content[0] == '!' || content[0] == '#')
            continue;
        // A NUL would end the line where it stands when it is merged.
        std::string reason = content.find('\0') == std::string::npos
                                 ? merge_line(content, origin, number)
                                 : "a resource line holds no NUL byte";
        if (reason.empty()) {
            good.push_back(content);
            continue;
        }
        std::fprintf(stderr, "%s:%d: %s\n", origin.c_str(), number, reason.c_str());
        if (status == 1 && fault != nullptr)
            *fault = OI_resource_fault{origin, number, reason};
        status = 0;
    }
    if (status == 0) {
        declarations_ = before;
        return 0;
    }
    for (const std::string& line : good)
        XrmPutLineResource(&database_, line.c_str());
    return 1;
}

int OI_connection::add_resources(const char* file, int, OI_resource_fault* fault)
{
    // A directory opens as a stream that reads nothing, which would pass for
    // an empty file.
    std::ifstream in(file);
    struct stat info;
    if (!in || (stat(file, &info) == 0 && S_ISDIR(info.st_mode))) {
        std::fprintf(stderr, "%s: cannot be read\n", file);
        return 0;
    }
    return merge_text(in, file, fault);
}

int OI_connection::merge_resources(const char* lines)
{
    std::istringstream in(lines == nullptr ? "" : lines);
    return merge_text(in, "resources", nullptr);
}

bool OI_connection::get_resource(const std::vector<std::string>& names,
                                 const std::vector<std::string>& classes, std::string* value) const
{
    if (database_ == nullptr || names.size() != classes.size())
        return false;
    std::vector<XrmQuark> name_quarks;
    std::vector<XrmQuark> class_quarks;
    for (size_t i = 0; i < names.size(); ++i) {
        name_quarks.push_back(XrmStringToQuark(names[i].c_str()));
        class_quarks.push_back(XrmStringToQuark(classes[i].c_str()));
    }
    name_quarks.push_back(NULLQUARK);
    class_quarks.push_back(NULLQUARK);
    XrmRepresentation type;
    XrmValue found;
    if (!XrmQGetResource(database_, name_quarks.data(), class_quarks.data(), &type, &found) ||
        found.addr == nullptr)
        return false;
    value->assign(found.addr, found.size > 0 ? found.size - 1 : 0);
    return true;
}

void OI_connection::add_actions(const OI_actions_rec* records, int count)
{
    for (int i = 0; i < count; ++i)
        actions_[records[i].name] = records[i];
}

const OI_actions_rec* OI_connection::action(const std::string& name) const
{
    auto found = actions_.find(name);
    return found == actions_.end() ? nullptr : &found->second;
}

OI_callback OI_connection::callback_from_resource(const std::string& value,
                                                  const std::string& where) const
{
    std::istringstream words(value);
    std::string first;
    std::string second;
    words >> first >> second;
    if (first.empty())
        return OI_callback();
    const OI_actions_rec* record = action(first);
    if (second.empty()) {
        if (record != nullptr && record->function != nullptr)
            return OI_callback(record->function, nullptr);
        std::fprintf(stderr, "%s: no function is bound to the name \"%s\"\n", where.c_str(),
                     first.c_str());
        return OI_callback();
    }
    const OI_actions_rec* member = this->action(second);
    if (record == nullptr || !record->object || member == nullptr || member->member == nullptr) {
        std::fprintf(stderr, "%s: no object and member are bound to \"%s\"\n", where.c_str(),
                     value.c_str());
        return OI_callback();
    }
    return OI_callback(record->object, member->member, nullptr);
}

std::vector<OI_declaration> OI_connection::take_declarations()
{
    std::vector<OI_declaration> taken;
    taken.swap(declarations_);
    return taken;
}

// ---- Start and end -----------------------------------------------------------

OI_connection* OI_init(int* argc, char** argv, const char* app_class, void*)
{
    if (OI_uib_conn != nullptr)
        return OI_uib_conn;
    toolkit_options options = take_x_options(argc, argv);
    const char* program = *argc > 0 ? argv[0] : "kitsetup";
    const char* slash = std::strrchr(program, '/');
    std::string app_name = options.name.empty() ? (slash ? slash + 1 : program) : options.name;

    Tcl_FindExecutable(program);
    Tcl_Interp* interp = Tcl_CreateInterp();
    Tcl_Init(interp);
    // Tk reads argv as a Tcl list: a name with blanks or braces must stay one word.
    std::vector<std::string> tk_words = {"-name", app_name};
    if (!options.display.empty()) {
        tk_words.push_back("-display");
        tk_words.push_back(options.display);
    }
    Tcl_SetVar(interp, "argv", OI_list(tk_words).c_str(), TCL_GLOBAL_ONLY);
    if (Tk_Init(interp) != TCL_OK) {
        Tcl_DeleteInterp(interp);
        return nullptr;
    }
    // Any X client could run Tcl here through send. Deleting the command
    // also takes the application out of the display's registry; only
    // accept_send brings both back.
    Tcl_DeleteCommand(interp, "send");
    Tcl_SetVar(interp, "argv", "", TCL_GLOBAL_ONLY);
    XSetIOErrorHandler(display_lost);
    Tcl_Eval(interp, "wm withdraw .");
    Tcl_CreateCommand(interp, "::oi::event", event_command, nullptr, nullptr);
    Tcl_CreateCommand(interp, "::oi::refit", refit_command, nullptr, nullptr);
    Tcl_CreateCommand(interp, "::oi::action", action_command, nullptr, nullptr);

    std::string class_name = app_class == nullptr ? "Kitsetup" : app_class;
    if (!class_name.empty())
        class_name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(class_name[0])));
    OI_uib_conn = new OI_connection(interp, app_name, class_name);
    OI_register_standard_classes();
    for (const std::string& line : options.resource_lines)
        OI_uib_conn->merge_resources(line.c_str());
    return OI_uib_conn;
}

void OI_set_display_lost_action(void (*action)())
{
    display_lost_action = action;
}

Tcl_Interp* OI_tk::interp(const OI_connection* conn)
{
    return conn == nullptr ? nullptr : conn->interp();
}

bool OI_tk::eval(const std::string& script, std::string* result)
{
    return OI_uib_conn != nullptr && OI_uib_conn->eval(script, result);
}

const std::string& OI_tk::widget(const OI_d_tech* object)
{
    return object->widget_;
}

std::string OI_list(const std::vector<std::string>& elements)
{
    std::vector<const char*> words;
    for (const std::string& element : elements)
        words.push_back(element.c_str());
    char* merged = Tcl_Merge(static_cast<int>(words.size()), words.data());
    std::string list(merged);
    Tcl_Free(merged);
    return list;
}

OI_set_result OI_set_integer_text(const std::string& text, const std::function<void(int)>& set,
                                  std::string* reason)
{
    Tcl_Interp* interp = OI_tk::interp(OI_uib_conn);
    if (interp == nullptr) {
        *reason = "the toolkit is not started";
        return OI_set_result::refused;
    }
    long value = 0;
    if (Tcl_ExprLong(interp, text.c_str(), &value) != TCL_OK) {
        *reason = Tcl_GetStringResult(interp);
        return OI_set_result::refused;
    }
    set(static_cast<int>(value));
    return OI_set_result::set;
}

void OI_fini()
{
    if (OI_uib_conn == nullptr)
        return;
    Tcl_Interp* interp = OI_tk::interp(OI_uib_conn);
    delete OI_uib_conn;
    OI_uib_conn = nullptr;
    Tcl_DeleteInterp(interp);
}

void OI_add_actions(const OI_actions_rec* records, int count)
{
    if (OI_uib_conn != nullptr)
        OI_uib_conn->add_actions(records, count);
}

// ---- Creating declared objects -------------------------------------------------

namespace {

// The child of object named name, or null.
OI_d_tech* child_named(OI_d_tech* object, const std::string& name)
{
    for (int c = 0; object != nullptr && c < object->num_props(); ++c) {
        if (object->numbered_child(c)->name() == name)
            return object->numbered_child(c);
    }
    return nullptr;
}

// The parent a declaration names: its top-level object (one made in this
// round, the latest of that name, or one already under the root) and the
// names below it. Null when a name on the way is missing.
OI_d_tech* declared_parent(const OI_declaration& declaration, OI_d_tech* root,
                           const std::vector<OI_d_tech*>& new_tops)
{
    OI_d_tech* object = nullptr;
    for (OI_d_tech* top : new_tops) {
        if (top->name() == declaration.path[0])
            object = top;
    }
    if (object == nullptr)
        object = child_named(root, declaration.path[0]);
    for (size_t i = 1; i + 1 < declaration.path.size() && object != nullptr; ++i)
        object = child_named(object, declaration.path[i]);
    return object;
}

// Where a declared child goes: "x"/"y" in pixels, else "column"/"row", else
// the toolkit's choice; "state" says whether it shows.
void attach_declared(OI_d_tech* object, OI_d_tech* parent)
{
    std::string state_text = object->resource("state", "State", "ACTIVE");
    OI_state state = ACTIVE;
    if (state_text == "INACTIVE")
        state = INACTIVE;
    else if (state_text == "NOT_DISPLAYED")
        state = NOT_DISPLAYED;
    else if (state_text == "ACTIVE_NOT_DISPLAYED")
        state = ACTIVE_NOT_DISPLAYED;
    std::string x = object->resource("x", "X");
    std::string y = object->resource("y", "Y");
    std::string column = object->resource("column", "Column");
    std::string row = object->resource("row", "Row");
    if (!x.empty() || !y.empty())
        object->set_associated_object(parent, std::atoi(x.c_str()), std::atoi(y.c_str()), state);
    else if (!column.empty() || !row.empty())
        object->layout_associated_object(parent, std::atoi(column.c_str()), std::atoi(row.c_str()),
                                         state);
    else
        object->set_associated_object(parent, OI_DEFAULT_LOC, OI_DEFAULT_LOC, state);
}

}  // namespace

OI_d_tech* OI_root_object()
{
    return OI_uib_conn == nullptr ? nullptr : OI_uib_conn->root();
}

// Top-level objects are made but left unattached: the caller attaches them to
// the root (or elsewhere) and chooses their state.
OI_d_tech** OI_make_top_level()
{
    if (OI_uib_conn == nullptr)
        return nullptr;
    OI_d_tech* root = OI_uib_conn->root();
    std::vector<OI_d_tech*> made_top;
    for (const OI_declaration& declaration : OI_uib_conn->take_declarations()) {
        const std::string& name = declaration.path.back();
        OI_d_tech* parent = nullptr;
        if (declaration.path.size() > 1) {
            parent = declared_parent(declaration, root, made_top);
            if (parent == nullptr) {
                std::fprintf(stderr, "%s:%d: the parent of \"%s\" is not declared before it\n",
                             declaration.file.c_str(), declaration.line, name.c_str());
                continue;
            }
        }
        OI_d_tech* object = OI_find_class(declaration.class_name)(name);
        if (parent == nullptr) {
            made_top.push_back(object);
            continue;
        }
        // Attached hidden first, so that its resources are found by its full
        // path; then placed as they say.
        object->set_associated_object(parent, OI_DEFAULT_LOC, OI_DEFAULT_LOC, NOT_DISPLAYED);
        attach_declared(object, parent);
    }
    if (made_top.empty())
        return nullptr;
    OI_d_tech** array =
        static_cast<OI_d_tech**>(std::malloc((made_top.size() + 1) * sizeof(OI_d_tech*)));
    if (array == nullptr)
        return nullptr;
    for (size_t i = 0; i < made_top.size(); ++i)
        array[i] = made_top[i];
    array[made_top.size()] = nullptr;
    return array;
}

// ---- The event loop ---------------------------------------------------------------

void OI_begin_interaction()
{
    interaction_ended = false;
    OI_flush();
    while (!interaction_ended)
        Tcl_DoOneEvent(TCL_ALL_EVENTS);
}

void OI_end_interaction()
{
    interaction_ended = true;
}

bool OI_dispatch_one(bool wait)
{
    return Tcl_DoOneEvent(wait ? TCL_ALL_EVENTS : TCL_ALL_EVENTS | TCL_DONT_WAIT) != 0;
}

void OI_flush()
{
    if (OI_uib_conn != nullptr)
        OI_tk::eval("update idletasks");
}
