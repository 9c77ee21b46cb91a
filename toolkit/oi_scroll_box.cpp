#include "toolkit/oi_scroll_box.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"

namespace {

int int_result(const std::string& script)
{
    std::string result;
    if (!OI_tk::eval(script, &result))
        return 0;
    return std::atoi(result.c_str());
}

// The view never takes more than this share of the screen's height.
const int SCREEN_SHARE_NUMERATOR = 3;
const int SCREEN_SHARE_DENOMINATOR = 5;

// Gives every window from root down the binding tag tag (once), behind its
// own, so that the wheel bound to the tag works over all of them.
void tag_windows(const std::string& root, const std::string& tag)
{
    OI_tk::eval("apply {{root tag} {set todo [list $root]; while {[llength $todo] > 0} {"
                "set w [lindex $todo 0]; set todo [lrange $todo 1 end]; "
                "if {[lsearch -exact [bindtags $w] $tag] < 0} {bindtags $w [linsert [bindtags $w] 1 $tag]}; "
                "lappend todo {*}[winfo children $w]}}} " + root + " " + tag);
}

}  // namespace

int OI_scroll_box::view_rows() const
{
    int rows = view_rows_ >= 0 ? view_rows_ : std::atoi(resource("viewRows", "ViewRows", "0").c_str());
    return std::max(rows, 0);
}

void OI_scroll_box::set_view_rows(int rows)
{
    view_rows_ = std::max(rows, 0);
    schedule_fit();
}

std::vector<OI_scroll_box::row_extent> OI_scroll_box::row_extents() const
{
    std::vector<row_extent> rows;
    std::string size;
    int columns = 0;
    int count = 0;
    if (!realized() || !OI_tk::eval("grid size " + child_container(), &size) ||
        std::sscanf(size.c_str(), "%d %d", &columns, &count) != 2)
        return rows;
    for (int r = 0; r < count; ++r) {
        std::string box;
        int x = 0, y = 0, w = 0, h = 0;
        OI_tk::eval("grid bbox " + child_container() + " 0 " + std::to_string(r), &box);
        std::sscanf(box.c_str(), "%d %d %d %d", &x, &y, &w, &h);
        if (h > 0)
            rows.push_back({r, y, h});
    }
    return rows;
}

// The canvas's own height is what the view shows, mapped or not.
std::pair<int, int> OI_scroll_box::view_span() const
{
    int top = int_result("expr {int([" + canvas() + " canvasy 0])}");
    return {top, int_result(canvas() + " cget -height")};
}

void OI_scroll_box::scroll_to(int top)
{
    int total = int_result("winfo reqheight " + child_container());
    if (total <= 0)
        return;
    char fraction[32];
    std::snprintf(fraction, sizeof fraction, "%.6f", static_cast<double>(std::max(top, 0)) / total);
    OI_tk::eval(canvas() + " yview moveto " + fraction);
}

// The limit in rows counts from the content's top, so the spacing above
// the first row is part of what shows.
void OI_scroll_box::fit_view()
{
    fit_pending_ = false;
    if (!realized())
        return;
    OI_tk::eval("update idletasks");
    int width = int_result("winfo reqwidth " + child_container());
    int height = int_result("winfo reqheight " + child_container());
    std::vector<row_extent> rows = row_extents();
    int limit = int_result("winfo screenheight " + widget()) * SCREEN_SHARE_NUMERATOR / SCREEN_SHARE_DENOMINATOR;
    size_t shown_rows = static_cast<size_t>(view_rows());
    if (shown_rows > 0 && shown_rows < rows.size())
        limit = std::min(limit, rows[shown_rows].top);
    if (!rows.empty())
        limit = std::max(limit, rows.front().top + rows.front().height);
    int view = std::min(height, limit);
    // A view that scrolls ends with a whole row, not a sliver of the next.
    int whole_rows = 0;
    for (const row_extent& row : rows) {
        if (row.top + row.height <= view)
            whole_rows = row.top + row.height;
    }
    if (view < height && whole_rows > 0)
        view = whole_rows;
    OI_tk::eval(canvas() + " configure -width " + std::to_string(width) + " -height " +
               std::to_string(std::max(view, 1)) + " -scrollregion {0 0 " + std::to_string(width) + " " +
               std::to_string(height) + "}");
    if (view < height) {
        OI_tk::eval("grid " + widget() + ".bar -row 0 -column 1 -sticky ns");
    } else {
        OI_tk::eval("grid remove " + widget() + ".bar");
        OI_tk::eval(canvas() + " yview moveto 0");
    }
    // The wheel scrolls wherever the pointer is inside the view, on a
    // child's window too: each window inside takes the box's binding tag.
    tag_windows(widget(), "oi_scroll_" + std::to_string(id()));
}

void OI_scroll_box::schedule_fit()
{
    report_when_idle("fit", fit_pending_);
}

int OI_scroll_box::top_row() const
{
    if (!realized())
        return 0;
    OI_tk::eval("update idletasks");
    int top = view_span().first;
    for (const row_extent& row : row_extents()) {
        if (row.top >= top - 1)
            return row.row;
    }
    return 0;
}

void OI_scroll_box::set_top_row(int row)
{
    if (!realized())
        return;
    fit_view();
    for (const row_extent& extent : row_extents()) {
        if (extent.row >= row) {
            scroll_to(extent.top);
            return;
        }
    }
}

// The whole grid row the child stands in comes into view, its spacing too.
void OI_scroll_box::see(const OI_d_tech* child)
{
    const std::string& path = OI_tk::widget(child);
    if (!realized() || path.empty())
        return;
    fit_view();
    int top = int_result("winfo rooty " + path) - int_result("winfo rooty " + child_container());
    int bottom = top + int_result("winfo height " + path);
    for (const row_extent& row : row_extents()) {
        if (row.top <= top && top < row.top + row.height) {
            top = row.top;
            bottom = std::max(bottom, row.top + row.height);
            break;
        }
    }
    auto [view_top, view_height] = view_span();
    if (top < view_top)
        scroll_to(top);
    else if (bottom > view_top + view_height)
        scroll_to(bottom - view_height);
}

bool OI_scroll_box::get_value_text(std::string* text) const
{
    if (!realized()) {
        *text = "0 0";
        return true;
    }
    OI_tk::eval("update idletasks");
    auto [top, height] = view_span();
    int first = -1;
    int last = -1;
    for (const row_extent& row : row_extents()) {
        if (row.top >= top - 1 && row.top + row.height <= top + height + 1) {
            if (first < 0)
                first = row.row;
            last = row.row;
        }
    }
    *text = std::to_string(std::max(first, 0)) + " " + std::to_string(std::max(last, 0));
    return true;
}

OI_set_result OI_scroll_box::set_value_text(const std::string& text, OI_set_by, std::string* reason)
{
    char* end = nullptr;
    long row = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || row < 0) {
        *reason = "\"" + text + "\" is not a row number";
        return OI_set_result::refused;
    }
    set_top_row(static_cast<int>(row));
    return OI_set_result::set;
}

void OI_scroll_box::handle_event(const std::string& kind, const std::vector<std::string>& args)
{
    if (kind == "fit")
        fit_view();
    else
        OI_box::handle_event(kind, args);
}

void OI_scroll_box::create_widget(const std::string& path)
{
    std::string bar = path + ".bar";
    std::string tag = "oi_scroll_" + std::to_string(id());
    OI_tk::eval("frame " + path + " -borderwidth 0");
    OI_tk::eval("canvas " + canvas() + " -highlightthickness 0 -borderwidth 0 -width 10 -height 10" +
               " -yscrollcommand " + quoted(bar + " set"));
    OI_tk::eval("scrollbar " + bar + " -orient vertical -command " + quoted(canvas() + " yview"));
    OI_tk::eval("frame " + child_container() + " -borderwidth 0");
    OI_tk::eval(canvas() + " create window 0 0 -anchor nw -window " + child_container());
    OI_tk::eval("grid " + canvas() + " -row 0 -column 0 -sticky nsew");
    OI_tk::eval("grid rowconfigure " + path + " 0 -weight 1");
    OI_tk::eval("grid columnconfigure " + path + " 0 -weight 1");
    OI_tk::eval("bind " + child_container() + " <Configure> " + quoted(event_script("fit")));
    OI_tk::eval("bind " + tag + " <Button-4> " + quoted(canvas() + " yview scroll -1 units"));
    OI_tk::eval("bind " + tag + " <Button-5> " + quoted(canvas() + " yview scroll 1 units"));
    OI_tk::eval("bind " + tag + " <MouseWheel> " +
               quoted(canvas() + " yview scroll [expr {%D > 0 ? -1 : 1}] units"));
    tag_windows(path, tag);
    OI_tk::eval("grid remove " + bar);
}

void OI_scroll_box::widget_built()
{
    schedule_fit();
}

OI_d_tech* OI_scroll_box::copy_self() const
{
    auto* copy = new OI_scroll_box(name());
    copy->view_rows_ = view_rows_;
    return copy;
}

// The canvas and the content frame are not objects: they take the box's
// background.
void OI_scroll_box::apply_resources()
{
    OI_box::apply_resources();
    std::string colour = quoted(bkg_color());
    for (const std::string& inner : {canvas(), child_container()})
        OI_tk::eval(inner + " configure -background " + colour);
    schedule_fit();
}
