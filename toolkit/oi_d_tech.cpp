#include "toolkit/oi_d_tech.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <tcl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "toolkit/oi_connection.h"
#include "toolkit/oi_flush.h"
#include "toolkit/oi_tk.h"
#include "toolkit/oi_root.h"
#include "toolkit/oi_translations.h"

namespace {

std::map<unsigned long, OI_d_tech*>& objects_by_id()
{
    static std::map<unsigned long, OI_d_tech*> objects;
    return objects;
}

unsigned long next_object_id = 1;

}  // namespace

OI_d_tech::OI_d_tech(const std::string& name) : id_(next_object_id++), name_(name)
{
    objects_by_id()[id_] = this;
}

OI_d_tech* OI_d_tech::by_id(unsigned long id)
{
    auto found = objects_by_id().find(id);
    return found == objects_by_id().end() ? nullptr : found->second;
}

void OI_d_tech::report_when_idle(const std::string& kind, bool& pending) const
{
    if (!realized() || pending)
        return;
    pending = true;
    OI_tk::eval("after idle " + quoted(event_script(kind)));
}

std::string OI_d_tech::event_script(const std::string& kind) const
{
    return "::oi::event " + std::to_string(id_) + " " + kind;
}

void OI_d_tech::handle_event(const std::string& kind, const std::vector<std::string>&)
{
    if (kind == "resize")
        shell_resized();
    else if (kind == "delete_window" && delete_window_action_)
        delete_window_action_.call(this, 0);
}

OI_d_tech::~OI_d_tech()
{
    objects_by_id().erase(id_);
    if (OI_connection* conn = OI_uib_conn)
        conn->forget_shown(this);
    if (fit_pending_)
        Tcl_CancelIdleCall(fit_when_idle, this);
    unrealize();
    std::vector<OI_d_tech*> children = children_;
    for (OI_d_tech* child : children)
        delete child;
    if (parent_ != nullptr) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        parent_->unplace_child(this);
        parent_->regrid_default_children();
    }
}

std::string OI_d_tech::quoted(const std::string& text)
{
    return OI_list({text});
}

bool OI_d_tech::configure(const std::string& option, const std::string& value) const
{
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || widget_.empty())
        return false;
    return OI_tk::eval(widget_ + " configure " + option + " " + quoted(value));
}

// ---- Tree ------------------------------------------------------------------

OI_d_tech* OI_d_tech::numbered_child(int i) const
{
    if (i < 0 || i >= num_props())
        return nullptr;
    return children_[static_cast<size_t>(i)];
}

OI_d_tech* OI_d_tech::next_child() const
{
    if (parent_ == nullptr)
        return nullptr;
    const auto& siblings = parent_->children_;
    auto here = std::find(siblings.begin(), siblings.end(), this);
    if (here == siblings.end() || ++here == siblings.end())
        return nullptr;
    return *here;
}

OI_d_tech* OI_d_tech::descendant(const std::string& name) const
{
    for (OI_d_tech* child : children_) {
        if (child->name_ == name)
            return child;
        if (OI_d_tech* found = child->descendant(name))
            return found;
    }
    return nullptr;
}

void OI_d_tech::copy_common_to(OI_d_tech* copy) const
{
    copy->state_ = state_;
    copy->placement_ = placement_;
    copy->place_a_ = place_a_;
    copy->place_b_ = place_b_;
    copy->width_ = width_;
    copy->height_ = height_;
    copy->resizable_ = resizable_;
    copy->background_ = background_;
    copy->foreground_ = foreground_;
    copy->border_colour_ = border_colour_;
    copy->border_width_ = border_width_;
    copy->cursor_ = cursor_;
    copy->resize_callback_ = resize_callback_;
    copy->delete_window_action_ = delete_window_action_;
    copy->actions_ = actions_;
    copy->translations_set_ = translations_set_;
    copy->translations_ = translations_;
}

OI_d_tech* OI_d_tech::clone() const
{
    OI_d_tech* copy = copy_self();
    if (copy == nullptr)
        return nullptr;
    copy_common_to(copy);
    for (const OI_d_tech* child : children_) {
        OI_d_tech* child_copy = child->clone();
        if (child_copy == nullptr) {
            delete copy;
            return nullptr;
        }
        child_copy->parent_ = copy;
        copy->children_.push_back(child_copy);
    }
    return copy;
}

void OI_d_tech::del()
{
    std::vector<OI_d_tech*> children = children_;
    for (OI_d_tech* child : children)
        child->disassociate();
    delete this;
}

// ---- Attachment and state ----------------------------------------------------

void OI_d_tech::set_associated_object(OI_d_tech* parent, int x, int y, OI_state state)
{
    bool chosen_by_toolkit = x == OI_DEFAULT_LOC && y == OI_DEFAULT_LOC;
    attach(parent, chosen_by_toolkit ? placement::none : placement::pixel, x, y, state);
}

void OI_d_tech::layout_associated_object(OI_d_tech* parent, int column, int row, OI_state state)
{
    bool chosen_by_toolkit = column == OI_DEFAULT_LOC && row == OI_DEFAULT_LOC;
    attach(parent, chosen_by_toolkit ? placement::none : placement::grid, column, row, state);
}

// Moving to another parent rebuilds the widget there: Tk cannot move a
// widget between parents.
void OI_d_tech::attach(OI_d_tech* parent, placement how, int a, int b, OI_state state)
{
    if (parent == this || parent == nullptr)
        return;
    if (parent_ != parent) {
        disassociate();
        parent_ = parent;
        parent->children_.push_back(this);
    }
    placement_ = how;
    place_a_ = a;
    place_b_ = b;
    state_ = state;
    bool parent_ready = dynamic_cast<OI_root*>(parent) != nullptr || parent->realized();
    if (!parent_ready)
        return;
    if (realized())
        show_or_hide();
    else
        realize();
}

void OI_d_tech::disassociate()
{
    if (parent_ == nullptr)
        return;
    unrealize();
    OI_d_tech* old_parent = parent_;
    auto& siblings = old_parent->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    parent_ = nullptr;
    old_parent->unplace_child(this);
    old_parent->regrid_default_children();
    old_parent->refit_parent_of_children();
}

void OI_d_tech::set_state(OI_state state)
{
    state_ = state;
    show_or_hide();
}

bool OI_d_tech::is_displayed() const
{
    for (const OI_d_tech* object = this; object != nullptr; object = object->parent_) {
        if (dynamic_cast<const OI_root*>(object) != nullptr)
            return true;
        if (object->state_ != ACTIVE && object->state_ != INACTIVE)
            return false;
    }
    return false;
}

OI_d_tech* OI_d_tech::top_level()
{
    OI_d_tech* object = this;
    while (object->parent_ != nullptr && dynamic_cast<OI_root*>(object->parent_) == nullptr)
        object = object->parent_;
    return object;
}

// ---- Widgets -------------------------------------------------------------------

void OI_d_tech::realize()
{
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || realized() || parent_ == nullptr)
        return;
    if (dynamic_cast<OI_root*>(parent_) != nullptr) {
        shell_ = conn->new_widget_path(".");
        // A thin dark edge keeps windows apart where no window manager
        // frames them (a bare X server, a kiosk display).
        OI_tk::eval("toplevel " + shell_ + " -class " + quoted(conn->app_class()) +
                   " -highlightthickness 1 -highlightbackground #505050 -highlightcolor #505050");
        OI_tk::eval("wm withdraw " + shell_);
        OI_tk::eval("wm title " + shell_ + " " + quoted(resource("title", "Title", name_)));
        OI_tk::eval("bind " + shell_ + " <Configure> {if {\"%W\" eq \"" + shell_ + "\"} {" +
                   event_script("resize") + "}}");
        if (!resizable_)
            OI_tk::eval("wm resizable " + shell_ + " 0 0");
        if (delete_window_action_)
            OI_tk::eval("wm protocol " + shell_ + " WM_DELETE_WINDOW " +
                       quoted(event_script("delete_window")));
        widget_ = shell_ + ".w";
    } else {
        std::string leaf = parent_->child_widget_name(this);
        std::string container = parent_->container_for(this);
        widget_ = leaf.empty() ? conn->new_widget_path(container) : container + "." + leaf;
    }
    create_widget(widget_);
    if (!shell_.empty())
        OI_tk::eval("pack " + widget_ + " -fill both -expand 1");
    apply_resources();
    widget_built();
    bind_translations();
    for (OI_d_tech* child : children_)
        child->realize();
    show_or_hide();
}

void OI_d_tech::unrealize()
{
    OI_connection* conn = OI_uib_conn;
    if (!realized())
        return;
    if (conn != nullptr)
        OI_tk::eval("destroy " + (shell_.empty() ? widget_ : shell_));
    // Tk destroyed the whole subtree; forget the paths below as well.
    std::vector<OI_d_tech*> pending = {this};
    while (!pending.empty()) {
        OI_d_tech* object = pending.back();
        pending.pop_back();
        object->widget_.clear();
        object->shell_.clear();
        object->bound_sequences_.clear();
        pending.insert(pending.end(), object->children_.begin(), object->children_.end());
    }
}

void OI_d_tech::show_or_hide()
{
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || !realized())
        return;
    bool visible = state_ == ACTIVE || state_ == INACTIVE;
    if (!shell_.empty()) {
        // A window shown again comes to the front, as window managers put
        // it; without one, X would leave it below every window made later.
        std::string was;
        OI_tk::eval("wm state " + shell_, &was);
        OI_tk::eval(std::string(visible ? "wm deiconify " : "wm withdraw ") + shell_);
        if (visible && was != "normal")
            OI_tk::eval("raise " + shell_);
        if (visible)
            conn->note_shown(this);
    } else if (!laid_out()) {
        // Its owner shows it (a menu through its cascade).
    } else if (visible) {
        manage_in_parent();
    } else {
        OI_tk::eval("place forget " + widget_);
        OI_tk::eval("grid remove " + widget_);
        parent_->unplace_child(this);
        refit_parent();
    }
    if (visible)
        show_enabled(state_ == ACTIVE);
}

void OI_d_tech::manage_in_parent()
{
    if (!laid_out())
        return;
    OI_tk::eval("place forget " + widget_);
    OI_tk::eval("grid forget " + widget_);
    switch (placement_) {
    case placement::pixel: {
        std::string command = "place " + widget_ + " -x " + std::to_string(place_a_) + " -y " +
                              std::to_string(place_b_);
        if (width_ > 0 && height_ > 0)
            command += " -width " + std::to_string(width_) + " -height " + std::to_string(height_);
        OI_tk::eval(command);
        // A placed child that grows or shrinks must resize its parent too.
        OI_tk::eval("bind " + widget_ + " <Configure> {::oi::refit " + std::to_string(parent_->id()) +
                   "}");
        refit_parent();
        break;
    }
    case placement::grid:
        if (!parent_->place_child(this, place_a_, place_b_))
            grid_in_parent(place_a_, place_b_);
        break;
    case placement::none: {
        auto& siblings = parent_->children_;
        long index = std::find(siblings.begin(), siblings.end(), this) - siblings.begin();
        int column = 0;
        int row = 0;
        parent_->default_grid_cell(this, static_cast<int>(index), &column, &row);
        if (!parent_->place_child(this, column, row))
            grid_in_parent(column, row);
        break;
    }
    }
}

// The parent's "spacing" is the room around each of its children; with
// "uniformColumns" its columns share one width, so a row of buttons lines up.
// The child's "anchor" (n, e, ne, ..., center) keeps it at its natural size
// at that side of its cell instead of filling it; a bad one fills. The
// parent's "growColumns" lists the columns that take the room a wider
// window gives, so a gauge spans a dialog widened for its message.
void OI_d_tech::grid_in_parent(int column, int row)
{
    std::string pad = std::to_string(parent_->child_spacing());
    std::string anchor = resource("anchor", "Anchor", "fill");
    bool sides = !anchor.empty() && anchor.find_first_not_of("nsew") == std::string::npos;
    std::string sticky = anchor == "center" ? "{}" : sides ? anchor : "nsew";
    OI_tk::eval("grid " + widget_ + " -column " + std::to_string(column) + " -row " +
               std::to_string(row) + " -sticky " + sticky + " -padx " + pad + " -pady " + pad);
    std::string grid_parent = "[winfo parent " + widget_ + "] " + std::to_string(column);
    std::string uniform = parent_->resource("uniformColumns", "UniformColumns");
    if (uniform == "true" || uniform == "1")
        OI_tk::eval("grid columnconfigure " + grid_parent + " -uniform columns");
    std::istringstream grow(parent_->resource("growColumns", "GrowColumns"));
    for (int wide = 0; grow >> wide;) {
        if (wide == column)
            OI_tk::eval("grid columnconfigure " + grid_parent + " -weight 1");
    }
}

int OI_d_tech::child_spacing() const
{
    return std::max(0, std::atoi(resource("spacing", "Spacing", "2").c_str()));
}

std::string OI_d_tech::container_for(const OI_d_tech*) const
{
    return child_container();
}

std::string OI_d_tech::child_widget_name(const OI_d_tech*) const
{
    return "";
}

void OI_d_tech::default_grid_cell(const OI_d_tech*, int index, int* column, int* row) const
{
    *column = 0;
    *row = index;
}

// Children placed by the toolkit sit at their index among their siblings;
// after one leaves, the others are laid out again so that none keeps a
// stale cell that a later child would share.
void OI_d_tech::regrid_default_children()
{
    for (OI_d_tech* child : children_) {
        if (child->placement_ == placement::none && child->realized() && child->shell_.empty() &&
            (child->state_ == ACTIVE || child->state_ == INACTIVE))
            child->manage_in_parent();
    }
}

void OI_d_tech::refit_parent()
{
    if (parent_ != nullptr)
        parent_->refit_parent_of_children();
}

// Placed children do not size their parent in Tk, so a container that has
// any is sized, once the pending geometry work is done, to hold them all.
void OI_d_tech::refit_parent_of_children()
{
    if (!realized() || fit_pending_)
        return;
    fit_pending_ = true;
    Tcl_DoWhenIdle(fit_when_idle, this);
}

void OI_d_tech::fit_when_idle(void* object)
{
    OI_d_tech* self = static_cast<OI_d_tech*>(object);
    self->fit_pending_ = false;
    self->fit_to_children();
}

// The box keeps on its right and bottom the margins its children keep on the
// left and top, inside its own border.
void OI_d_tech::fit_to_children()
{
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || !realized() || (width_ > 0 && height_ > 0))
        return;
    int right = 0;
    int bottom = 0;
    int left_margin = -1;
    int top_margin = -1;
    for (OI_d_tech* child : children_) {
        if (child->placement_ != placement::pixel || !child->realized() ||
            (child->state_ != ACTIVE && child->state_ != INACTIVE))
            continue;
        int w = 0;
        int h = 0;
        child->size(&w, &h);
        right = std::max(right, child->place_a_ + w);
        bottom = std::max(bottom, child->place_b_ + h);
        left_margin = left_margin < 0 ? child->place_a_ : std::min(left_margin, child->place_a_);
        top_margin = top_margin < 0 ? child->place_b_ : std::min(top_margin, child->place_b_);
    }
    if (left_margin < 0)
        return;
    std::string container = child_container();
    std::string border;
    OI_tk::eval(container + " cget -borderwidth", &border);
    int frame = 2 * std::atoi(border.c_str());
    right += std::max(0, left_margin) + frame;
    bottom += std::max(0, top_margin) + frame;
    std::string grid_size;
    OI_tk::eval("grid bbox " + container, &grid_size);
    int gx = 0, gy = 0, gw = 0, gh = 0;
    if (std::sscanf(grid_size.c_str(), "%d %d %d %d", &gx, &gy, &gw, &gh) == 4) {
        right = std::max(right, gx + gw);
        bottom = std::max(bottom, gy + gh);
    }
    OI_tk::eval("grid propagate " + container + " 0");
    OI_tk::eval(container + " configure -width " + std::to_string(right) + " -height " +
               std::to_string(bottom));
    refit_parent();
}

void OI_d_tech::show_enabled(bool enabled)
{
    for (OI_d_tech* child : children_) {
        if (child->state_ == ACTIVE)
            child->show_enabled(enabled);
    }
}

// ---- Geometry ------------------------------------------------------------------

void OI_d_tech::size(int* width, int* height) const
{
    OI_connection* conn = OI_uib_conn;
    *width = width_;
    *height = height_;
    if (conn == nullptr || !realized())
        return;
    std::string path = shell_.empty() ? widget_ : shell_;
    std::string mapped;
    OI_tk::eval("winfo ismapped " + path, &mapped);
    std::string which = mapped == "1" ? "winfo " : "winfo req";
    std::string w;
    std::string h;
    OI_tk::eval(which + "width " + path, &w);
    OI_tk::eval(which + "height " + path, &h);
    *width = std::atoi(w.c_str());
    *height = std::atoi(h.c_str());
}

int OI_d_tech::size_x() const
{
    int w = 0, h = 0;
    size(&w, &h);
    return w;
}

int OI_d_tech::size_y() const
{
    int w = 0, h = 0;
    size(&w, &h);
    return h;
}

void OI_d_tech::set_size(int width, int height)
{
    width_ = width;
    height_ = height;
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || !realized())
        return;
    if (!shell_.empty()) {
        // The window manager's size, and the size the window asks for while
        // it is still hidden (centring measures that).
        OI_tk::eval("wm geometry " + shell_ + " " + std::to_string(width) + "x" + std::to_string(height));
        OI_tk::eval("grid propagate " + widget_ + " 0");
        OI_tk::eval("pack propagate " + widget_ + " 0");
        configure("-width", std::to_string(width));
        configure("-height", std::to_string(height));
    } else if (placement_ == placement::pixel) {
        OI_tk::eval("place configure " + widget_ + " -width " + std::to_string(width) +
                   " -height " + std::to_string(height));
        refit_parent();
    } else {
        OI_tk::eval("grid propagate " + widget_ + " 0");
        configure("-width", std::to_string(width));
        configure("-height", std::to_string(height));
    }
}

void OI_d_tech::set_root_loc(int x, int y)
{
    OI_connection* conn = OI_uib_conn;
    if (conn != nullptr && !shell_.empty())
        OI_tk::eval("wm geometry " + shell_ + " +" + std::to_string(x) + "+" + std::to_string(y));
}

bool OI_d_tech::set_geometry(const std::string& geometry)
{
    int x = 0, y = 0;
    unsigned width = 0, height = 0;
    // XParseGeometry takes nothing but digits, "x", signs and a leading "=",
    // so what it accepts is one Tcl word as it stands.
    if (OI_uib_conn == nullptr || shell_.empty() || geometry.empty() ||
        XParseGeometry(geometry.c_str(), &x, &y, &width, &height) == NoValue)
        return false;
    // Pending geometry work first: a place alone keeps the size the window
    // asks for, not the size of a window not laid out yet.
    OI_flush();
    return OI_tk::eval("wm geometry " + shell_ + " " + geometry);
}

void OI_d_tech::set_window_title(const std::string& text)
{
    if (OI_uib_conn != nullptr && !shell_.empty())
        OI_tk::eval("wm title " + shell_ + " " + quoted(text));
}

void OI_d_tech::iconify()
{
    if (OI_uib_conn != nullptr && !shell_.empty())
        OI_tk::eval("wm iconify " + shell_);
}

int OI_d_tech::requested_height() const
{
    std::string height;
    if (!realized() || !OI_tk::eval("winfo reqheight " + widget_, &height))
        return 0;
    return std::atoi(height.c_str());
}

void OI_d_tech::raise() const
{
    if (realized())
        OI_tk::eval("raise [winfo toplevel " + widget_ + "]");
}

void OI_d_tech::location(int* x, int* y) const
{
    *x = place_a_ == OI_DEFAULT_LOC ? 0 : place_a_;
    *y = place_b_ == OI_DEFAULT_LOC ? 0 : place_b_;
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || !realized())
        return;
    std::string path = shell_.empty() ? widget_ : shell_;
    std::string prefix = shell_.empty() ? "winfo " : "winfo root";
    std::string text_x, text_y;
    OI_tk::eval(prefix + "x " + path, &text_x);
    OI_tk::eval(prefix + "y " + path, &text_y);
    *x = std::atoi(text_x.c_str());
    *y = std::atoi(text_y.c_str());
}

void OI_d_tech::disallow_resize()
{
    resizable_ = false;
    OI_connection* conn = OI_uib_conn;
    if (conn != nullptr && !shell_.empty())
        OI_tk::eval("wm resizable " + shell_ + " 0 0");
}

// ---- Look ------------------------------------------------------------------------

void OI_d_tech::set_bkg_color(const std::string& colour)
{
    background_ = colour;
    configure("-background", colour);
}

void OI_d_tech::set_fg_color(const std::string& colour)
{
    foreground_ = colour;
    configure("-foreground", colour);
}

void OI_d_tech::set_bdr_color(const std::string& colour)
{
    border_colour_ = colour;
    configure("-highlightbackground", colour);
}

void OI_d_tech::set_bdr_width(int width)
{
    border_width_ = width;
    configure("-borderwidth", std::to_string(width));
}

std::string OI_d_tech::bkg_color() const
{
    OI_connection* conn = OI_uib_conn;
    std::string colour = background_;
    if (conn != nullptr && realized())
        OI_tk::eval(widget_ + " cget -background", &colour);
    return colour;
}

// ---- Focus, busy state, windows ------------------------------------------------

std::string OI_d_tech::fg_color() const
{
    return foreground_.empty() ? resource("foreground", "Foreground", "black") : foreground_;
}

std::string OI_d_tech::bdr_color() const
{
    std::string colour = border_colour_;
    if (colour.empty() && OI_uib_conn != nullptr && realized())
        OI_tk::eval(widget_ + " cget -highlightbackground", &colour);
    return colour;
}

// The focus is forced, as a click would give it, since a generated key goes
// to whichever window has the focus.
bool OI_d_tech::press_key(const std::string& keysym)
{
    if (OI_uib_conn == nullptr || !is_displayed())
        return false;
    std::string key = quoted(keysym);
    return OI_tk::eval("focus -force " + widget_) &&
           OI_tk::eval("event generate " + widget_ + " <KeyPress> -keysym " + key) &&
           OI_tk::eval("event generate " + widget_ + " <KeyRelease> -keysym " + key);
}

void OI_d_tech::set_focus()
{
    OI_connection* conn = OI_uib_conn;
    if (conn != nullptr && realized())
        OI_tk::eval("focus " + widget_);
}

namespace {

// The standard X cursor font's shapes in glyph order (each shape is followed
// by its mask, so shape n is name n / 2); Tk takes the names.
const char* const cursor_font_names[] = {
    "X_cursor", "arrow", "based_arrow_down", "based_arrow_up", "boat", "bogosity",
    "bottom_left_corner", "bottom_right_corner", "bottom_side", "bottom_tee", "box_spiral",
    "center_ptr", "circle", "clock", "coffee_mug", "cross", "cross_reverse", "crosshair",
    "diamond_cross", "dot", "dotbox", "double_arrow", "draft_large", "draft_small",
    "draped_box", "exchange", "fleur", "gobbler", "gumby", "hand1", "hand2", "heart", "icon",
    "iron_cross", "left_ptr", "left_side", "left_tee", "leftbutton", "ll_angle", "lr_angle",
    "man", "middlebutton", "mouse", "pencil", "pirate", "plus", "question_arrow", "right_ptr",
    "right_side", "right_tee", "rightbutton", "rtl_logo", "sailboat", "sb_down_arrow",
    "sb_h_double_arrow", "sb_left_arrow", "sb_right_arrow", "sb_up_arrow",
    "sb_v_double_arrow", "shuttle", "sizing", "spider", "spraycan", "star", "target",
    "tcross", "top_left_arrow", "top_left_corner", "top_right_corner", "top_side", "top_tee",
    "trek", "ul_angle", "umbrella", "ur_angle", "watch", "xterm"};

}  // namespace

// The Tk name of cursor-font shape, or "" (the widget's own) for a number
// that is not a shape of the font.
std::string OI_d_tech::cursor_name(int shape)
{
    const int count = static_cast<int>(sizeof cursor_font_names / sizeof cursor_font_names[0]);
    if (shape < 0 || shape % 2 != 0 || shape / 2 >= count)
        return "";
    return cursor_font_names[shape / 2];
}

void OI_d_tech::set_cursor(int shape)
{
    cursor_ = shape;
    if (realized())
        configure("-cursor", cursor_name(shape));
}

void OI_d_tech::set_working()
{
    working_ = true;
    OI_connection* conn = OI_uib_conn;
    if (conn != nullptr && realized())
        OI_tk::eval("tk busy hold " + (shell_.empty() ? widget_ : shell_));
}

void OI_d_tech::clear_working()
{
    working_ = false;
    OI_connection* conn = OI_uib_conn;
    if (conn != nullptr && realized())
        OI_tk::eval("tk busy forget " + (shell_.empty() ? widget_ : shell_));
}

void OI_d_tech::set_delete_window_action(const OI_callback& action)
{
    delete_window_action_ = action;
    OI_connection* conn = OI_uib_conn;
    if (conn != nullptr && !shell_.empty())
        OI_tk::eval("wm protocol " + shell_ + " WM_DELETE_WINDOW " +
                   quoted(event_script("delete_window")));
}

void OI_d_tech::set_transient_for(const OI_d_tech* main)
{
    OI_connection* conn = OI_uib_conn;
    if (conn != nullptr && !shell_.empty() && main != nullptr && !main->shell_.empty())
        OI_tk::eval("wm transient " + shell_ + " " + main->shell_);
}

// ---- Resources -------------------------------------------------------------------

void OI_d_tech::resource_path(std::vector<std::string>* names,
                              std::vector<std::string>* classes) const
{
    std::vector<const OI_d_tech*> chain;
    for (const OI_d_tech* object = this; object != nullptr; object = object->parent_) {
        if (dynamic_cast<const OI_root*>(object) != nullptr)
            break;
        chain.push_back(object);
    }
    OI_connection* conn = OI_uib_conn;
    names->push_back(conn != nullptr ? conn->app_name() : "kitsetup");
    classes->push_back(conn != nullptr ? conn->app_class() : "Kitsetup");
    for (auto object = chain.rbegin(); object != chain.rend(); ++object) {
        names->push_back((*object)->name_);
        classes->push_back((*object)->class_name());
    }
}

std::string OI_d_tech::resource(const std::string& name, const std::string& cls,
                                const std::string& def) const
{
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr)
        return def;
    std::vector<std::string> names;
    std::vector<std::string> classes;
    resource_path(&names, &classes);
    names.push_back(name);
    classes.push_back(cls);
    std::string value;
    return conn->get_resource(names, classes, &value) ? value : def;
}

void OI_d_tech::apply_resources()
{
    std::string background = background_.empty() ? resource("background", "Background") : background_;
    if (!background.empty())
        configure("-background", background);
    std::string foreground = foreground_.empty() ? resource("foreground", "Foreground") : foreground_;
    if (!foreground.empty())
        configure("-foreground", foreground);
    std::string font = resource("font", "Font");
    if (!font.empty())
        configure("-font", font);
    std::string border =
        border_width_ >= 0 ? std::to_string(border_width_) : resource("borderWidth", "BorderWidth");
    if (!border.empty())
        configure("-borderwidth", border);
    std::string relief = resource("relief", "Relief");
    if (!relief.empty())
        configure("-relief", relief);
    std::string border_colour =
        border_colour_.empty() ? resource("borderColor", "BorderColor") : border_colour_;
    // Without a colour of its own the focus ring blends into the background,
    // as a Motif one does, instead of showing Tk's lighter grey.
    if (border_colour.empty())
        border_colour = background;
    if (!border_colour.empty())
        configure("-highlightbackground", border_colour);
    if (cursor_ >= 0)
        configure("-cursor", cursor_name(cursor_));
    if (width_ > 0 && height_ > 0)
        set_size(width_, height_);
}

void OI_d_tech::update_resources()
{
    if (realized())
        apply_resources();
    for (OI_d_tech* child : children_)
        child->update_resources();
}

// Called from the shell's <Configure> binding.
void OI_d_tech::shell_resized()
{
    int w = 0, h = 0;
    size(&w, &h);
    if (w == last_width_ && h == last_height_)
        return;
    last_width_ = w;
    last_height_ = h;
    if (resize_callback_)
        resize_callback_.call(this, 0);
}

// ---- Key bindings ----------------------------------------------------------------

void OI_d_tech::push_actions(const OI_actions_rec* records, int count)
{
    for (int i = 0; i < count; ++i)
        actions_.push_back(records[i]);
}

bool OI_d_tech::substitute_translations(const std::string& text)
{
    std::vector<OI_translation> table;
    std::string reason;
    if (!OI_parse_translations(text, &table, &reason)) {
        std::fprintf(stderr, "%s: bad translations: %s\n", name_.c_str(), reason.c_str());
        return false;
    }
    translations_set_ = true;
    translations_ = text;
    return bind_translations();
}

// Binds the translations (the substituted ones, else the "translations"
// resource) on a top level's shell, whose bindings every widget inside it
// shares, or on the widget, after unbinding the sequences bound before.
bool OI_d_tech::bind_translations()
{
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || !realized())
        return true;
    std::string target = shell_.empty() ? widget_ : shell_;
    for (const std::string& sequence : bound_sequences_)
        OI_tk::eval("bind " + target + " " + quoted(sequence) + " {}");
    bound_sequences_.clear();
    std::string text = translations_set_ ? translations_ : resource("translations", "Translations");
    std::vector<OI_translation> table;
    std::string reason;
    if (!OI_parse_translations(text, &table, &reason)) {
        std::fprintf(stderr, "%s: bad translations: %s\n", name_.c_str(), reason.c_str());
        return false;
    }
    bool all_bound = true;
    for (const OI_translation& translation : table) {
        std::string script;
        for (const std::string& action : translation.actions)
            script += "::oi::action " + std::to_string(id_) + " " + quoted(action) + " %W\n";
        std::string error;
        if (OI_tk::eval("bind " + target + " " + quoted(translation.sequence) + " " + quoted(script),
                       &error)) {
            bound_sequences_.push_back(translation.sequence);
        } else {
            std::fprintf(stderr, "%s: cannot bind %s: %s\n", name_.c_str(),
                         translation.sequence.c_str(), error.c_str());
            all_bound = false;
        }
    }
    return all_bound;
}

// The object, this one or one inside it, whose widget holds the Tk window
// path (the innermost one, as a class's widget may have parts); this object
// when none does.
OI_d_tech* OI_d_tech::object_with_path(const std::string& path)
{
    OI_d_tech* found = this;
    size_t found_length = 0;
    std::vector<OI_d_tech*> pending = {this};
    while (!pending.empty()) {
        OI_d_tech* object = pending.back();
        pending.pop_back();
        const std::string& own = object->widget_;
        bool holds = !own.empty() && path.compare(0, own.size(), own) == 0 &&
                     (path.size() == own.size() || path[own.size()] == '.');
        if (holds && own.size() > found_length) {
            found = object;
            found_length = own.size();
        }
        pending.insert(pending.end(), object->children_.begin(), object->children_.end());
    }
    return found;
}

// Actions pushed on this object or an ancestor (the latest first) come
// before the connection's binding table.
bool OI_d_tech::run_action(const std::string& name, const std::string& path)
{
    const OI_actions_rec* record = nullptr;
    for (const OI_d_tech* object = this; object != nullptr && record == nullptr;
         object = object->parent_) {
        for (auto pushed = object->actions_.rbegin(); pushed != object->actions_.rend(); ++pushed) {
            if (pushed->name == name) {
                record = &*pushed;
                break;
            }
        }
    }
    OI_connection* conn = OI_uib_conn;
    if (record == nullptr && conn != nullptr)
        record = conn->action(name);
    OI_callback callback;
    if (record != nullptr && record->function != nullptr)
        callback = OI_callback(record->function, nullptr);
    else if (record != nullptr && record->object && record->member != nullptr)
        callback = OI_callback(record->object, record->member, nullptr);
    if (!callback) {
        std::fprintf(stderr, "%s: no action is bound to the name \"%s\"\n", name_.c_str(),
                     name.c_str());
        return false;
    }
    callback.call(object_with_path(path), 0);
    return true;
}
