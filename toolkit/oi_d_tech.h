// OI_d_tech: every window element of the toolkit. An object has a name (any
// text), a parent and ordered children (it owns them), a state, a place in
// its parent, a size and its resources. It is backed by a Tk widget while its
// top-level ancestor hangs under the connection's root object; the program
// never sees the widget's path. Derived classes say which widget they are
// and how their resources and values map onto it.
#ifndef KITSETUP_TOOLKIT_OI_D_TECH_H
#define KITSETUP_TOOLKIT_OI_D_TECH_H

#include <string>
#include <vector>

#include "toolkit/oi_types.h"
#include "toolkit/oiu_callback_multiple.h"

class OI_connection;

class OI_d_tech {
public:
    explicit OI_d_tech(const std::string& name);
    // Deletes the children too and leaves the parent.
    virtual ~OI_d_tech();
    OI_d_tech(const OI_d_tech&) = delete;
    OI_d_tech& operator=(const OI_d_tech&) = delete;

    // Resource class of the object ("Box", "DialogBox", ...).
    virtual const char* class_name() const = 0;

    const std::string& name() const { return name_; }
    void set_name(const std::string& name) { name_ = name; }

    // ---- Tree --------------------------------------------------------------
    OI_d_tech* parent() const { return parent_; }
    int num_props() const { return static_cast<int>(children_.size()); }
    OI_d_tech* numbered_child(int i) const;
    // The child after this one in its parent, or null.
    OI_d_tech* next_child() const;
    // The first descendant (depth first, children in order) named name, or
    // null. The object itself is not a descendant.
    OI_d_tech* descendant(const std::string& name) const;
    // The nearest ancestor of class T, or null.
    template <class T>
    T* ancestor_derived_from() const
    {
        for (OI_d_tech* up = parent_; up != nullptr; up = up->parent_) {
            if (T* found = dynamic_cast<T*>(up))
                return found;
        }
        return nullptr;
    }
    // A complete copy of this object and its children, attached nowhere.
    OI_d_tech* clone() const;
    // Deletes this object with everything in it.
    void delete_all() { delete this; }
    // Deletes this object only: its children are detached first and stay.
    void del();

    // ---- Attachment and state ------------------------------------------------
    // Attaches this object to parent at pixel x, y (OI_DEFAULT_LOC for both
    // lets the toolkit choose) in state, leaving any former parent.
    void set_associated_object(OI_d_tech* parent, int x, int y, OI_state state);
    // The same at a column and row of the parent's layout.
    void layout_associated_object(OI_d_tech* parent, int column, int row, OI_state state);
    // Leaves the parent; the object stays whole and can be attached again.
    void disassociate();
    void set_state(OI_state state);
    OI_state state() const { return state_; }
    // Shown on the screen: ACTIVE or INACTIVE, and so is every ancestor, up
    // to a top level attached to the root.
    bool is_displayed() const;
    void enable() { set_state(ACTIVE); }
    void disable() { set_state(INACTIVE); }

    // Acts exactly as a pointer click on the object does (a button, menu
    // cell, toggle, exclusive choice or image button): false when the object
    // cannot be pressed.
    virtual bool press() { return false; }
    // Acts as the key keysym ("F1", "Tab") pressed and released while the
    // object has the keyboard focus: false when it is not displayed.
    bool press_key(const std::string& keysym);

    // ---- Value ---------------------------------------------------------------
    // The value as text, as product scripts read it: a gauge's or slider's
    // number, a field's text, a text's lines as a list, the selected cell
    // names of a menu, a cell's "1" or "0". False for a class without one.
    virtual bool get_value_text(std::string*) const { return false; }
    // What someone looking at the object reads off it: its value, a label's
    // text, or a scrolling list's cells as {name label selected} triples.
    virtual bool get_shown_text(std::string* text) const { return get_value_text(text); }
    // Sets the value from text; a number is an integer expression, a cell
    // takes 1 or Y (on) and 0 or N (off). *reason says why a text is refused.
    virtual OI_set_result set_value_text(const std::string&, OI_set_by, std::string*)
    {
        return OI_set_result::no_value;
    }

    // ---- Geometry --------------------------------------------------------------
    // The object's current size in pixels (its requested size while hidden).
    virtual void size(int* width, int* height) const;
    int size_x() const;
    int size_y() const;
    void set_size(int width, int height);
    // The height Tk asks for the object's window now (0 without one): more
    // than size() gives when the content grew since it was sized.
    int requested_height() const;
    // Places a top-level object at x, y of the screen.
    void set_root_loc(int x, int y);
    // Sizes and places this top-level object's window by an X geometry
    // ("WIDTHxHEIGHT+X+Y", or either half). False, changing nothing, when
    // geometry is not one.
    bool set_geometry(const std::string& geometry);
    // The window manager's title and icon state of this top-level object's
    // window.
    void set_window_title(const std::string& text);
    void iconify();
    // Puts the object's top-level window above the others.
    void raise() const;
    // Position on the screen (top-level) or in the parent.
    void location(int* x, int* y) const;
    void set_resize(const OI_callback& callback) { resize_callback_ = callback; }
    void disallow_resize();

    // ---- Look ----------------------------------------------------------------
    void set_bkg_color(const std::string& colour);
    void set_fg_color(const std::string& colour);
    void set_bdr_color(const std::string& colour);
    void set_bdr_width(int width);
    std::string bkg_color() const;
    // The colour text is drawn in: the one set, else the "foreground"
    // resource, else black.
    std::string fg_color() const;
    // The colour the border is drawn in: the one set, else the widget's.
    std::string bdr_color() const;

    // ---- Focus, busy state, windows --------------------------------------------
    void set_focus();
    void set_working();
    void clear_working();
    bool is_working() const { return working_; }
    // The pointer shape over the object: a cursor-font shape number (the
    // standard X cursor font's glyph, e.g. 150 for the watch); -1, or a
    // number the font lacks, leaves the widget's own pointer.
    void set_cursor(int shape);
    int cursor() const { return cursor_; }
    // The Tk cursor name of a cursor-font shape number, "" when the font has
    // no such shape.
    static std::string cursor_name(int shape);
    // action.call(this, 0) runs when the window manager asks to close this
    // top-level object's window (dialog boxes have their own unpin).
    void set_delete_window_action(const OI_callback& action);
    // Marks this top-level object's window transient for main's window.
    void set_transient_for(const OI_d_tech* main);
    // The top-level object this one belongs to (itself for a top level).
    OI_d_tech* top_level();

    // ---- Resources -------------------------------------------------------------
    // The value of resource name (class cls) for this object, or def when no
    // resource line matches it.
    std::string resource(const std::string& name, const std::string& cls,
                         const std::string& def = "") const;
    // Applies this object's resources again, and its children's, after the
    // database changed (merge_resources) or the object was moved.
    void update_resources();

    // ---- Key bindings ------------------------------------------------------------
    // Adds named actions for the translations of this object and of the
    // objects inside it; they are found before the connection's table.
    void push_actions(const OI_actions_rec* records, int count);
    // Replaces this object's translations by text, lines such as
    // "<KeyPress>F1: activate_help()"; a top level's hold in its whole
    // window. False, with the reason on standard error and the old ones
    // kept, when a line is not a translation or cannot be bound.
    bool substitute_translations(const std::string& text);
    // Runs the action called name for the object whose widget is path (this
    // one when none inside it has that path): false when no action by that
    // name can be called.
    bool run_action(const std::string& name, const std::string& path);

    // ---- Widget (for the toolkit's own classes) --------------------------------
    bool realized() const { return !widget_.empty(); }

    // Events from Tk bindings reach objects by number, so a binding that
    // outlives its object finds nothing instead of a dangling pointer.
    unsigned long id() const { return id_; }
    static OI_d_tech* by_id(unsigned long id);
    // Sizes this container, once pending geometry work is done, to hold its
    // children placed by pixel (Tk's place does not size the parent).
    void refit_parent_of_children();
    // Handles an event a binding of this object reported ("resize", or a
    // class's own kinds with their arguments).
    virtual void handle_event(const std::string& kind, const std::vector<std::string>& args);

protected:
    const std::string& widget() const { return widget_; }
    // Creates the Tk widget of this object at path, configured from the
    // object's resources.
    virtual void create_widget(const std::string& path) = 0;
    // A new object of the same class and name, with this one's own settings
    // (children are copied by clone).
    virtual OI_d_tech* copy_self() const = 0;
    // Applies the resources every object knows (colours, border, font, size)
    // and lets a class add its own.
    virtual void apply_resources();
    // Greys the widget out or gives it back; containers pass it on.
    virtual void show_enabled(bool enabled);
    // Where children's widgets go (a container may hold them in an inner
    // frame); the widget itself by default.
    virtual std::string child_container() const { return widget_; }
    // Where the widget of child goes: child_container() unless a class keeps
    // some children apart (a dialog's button box sits below its content).
    virtual std::string container_for(const OI_d_tech* child) const;
    // Column and row of child, the index-th child, when it leaves its place
    // to the toolkit: stacked in column 0 by default.
    virtual void default_grid_cell(const OI_d_tech* child, int index, int* column, int* row) const;
    // The leaf name of child's widget in container_for(child), or "" for a
    // fresh one; Tk gives some names a meaning (a menu bar's "help" menu).
    virtual std::string child_widget_name(const OI_d_tech* child) const;
    // False for an object that its parent does not lay out (a menu, a menu
    // entry): its owner shows it, not a geometry manager.
    virtual bool laid_out() const { return true; }
    // Called after the widget was (re)built, for classes that bind events.
    virtual void widget_built() {}
    // The room in pixels kept around each child ("spacing" resource, 2).
    int child_spacing() const;
    // A container that lays its children out itself, without grid, takes
    // child at column and row and answers true.
    virtual bool place_child(const OI_d_tech*, int, int) { return false; }
    // The child placed by place_child is hidden or leaves.
    virtual void unplace_child(const OI_d_tech*) {}
    // Lays the shown children that the toolkit places out again (after one
    // left, or after default_grid_cell changed its answer).
    void regrid_default_children();

    // Runs "widget_ option value" and friends; false on a Tcl error.
    bool configure(const std::string& option, const std::string& value) const;
    // A Tcl word of text, quoted so that it stays one word.
    static std::string quoted(const std::string& text);
    // Copies the settings every object has into a fresh copy.
    void copy_common_to(OI_d_tech* copy) const;
    // Asks the parent to fit itself around its placed children.
    void refit_parent();
    // The Tcl command a binding runs to report kind for this object.
    std::string event_script(const std::string& kind) const;
    // Reports kind to this object once Tk is idle, however often asked
    // before then; pending is set until the report arrives, where the
    // handler clears it.
    void report_when_idle(const std::string& kind, bool& pending) const;

private:
    enum class placement { none, pixel, grid };

    void attach(OI_d_tech* parent, placement how, int a, int b, OI_state state);
    void realize();
    void unrealize();
    void show_or_hide();
    void manage_in_parent();
    void grid_in_parent(int column, int row);
    void fit_to_children();
    void shell_resized();
    static void fit_when_idle(void* object);
    void resource_path(std::vector<std::string>* names, std::vector<std::string>* classes) const;
    bool bind_translations();
    OI_d_tech* object_with_path(const std::string& path);

    unsigned long id_;
    std::string name_;
    OI_d_tech* parent_ = nullptr;
    std::vector<OI_d_tech*> children_;
    OI_state state_ = NOT_DISPLAYED;
    placement placement_ = placement::none;
    int place_a_ = OI_DEFAULT_LOC;
    int place_b_ = OI_DEFAULT_LOC;
    int width_ = 0;   // set_size; 0 means the natural size
    int height_ = 0;
    bool resizable_ = true;
    bool working_ = false;
    int cursor_ = -1;
    bool fit_pending_ = false;
    std::string background_;
    std::string foreground_;
    std::string border_colour_;
    int border_width_ = -1;
    std::string shell_;   // the toplevel of a top-level object
    std::string widget_;  // the object's own widget
    OI_callback resize_callback_;
    OI_callback delete_window_action_;
    std::vector<OI_actions_rec> actions_;       // push_actions, latest last
    bool translations_set_ = false;             // else the "translations" resource
    std::string translations_;
    std::vector<std::string> bound_sequences_;  // bound on the shell or widget now
    int last_width_ = 0;
    int last_height_ = 0;

    friend class OI_root;
    friend struct OI_tk;
};

#endif
