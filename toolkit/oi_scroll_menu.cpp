#include "toolkit/oi_scroll_menu.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"

namespace {

int int_result(const std::string& script)
{
    std::string result;
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || !OI_tk::eval(script, &result))
        return 0;
    return std::atoi(result.c_str());
}

}  // namespace

OI_cell_type OI_scroll_menu::kind_of(const OI_menu_cell& cell) const
{
    if (cell.type() == OI_TOGGLE_CELL || multiple())
        return OI_TOGGLE_CELL;
    return OI_EXCLUSIVE_CELL;
}

void OI_scroll_menu::add_cell(OI_menu_cell* cell)
{
    OI_menu::add_cell(cell);
    schedule_fit();
}

bool OI_scroll_menu::multiple() const
{
    if (multiple_set_)
        return multiple_;
    return resource("selectMode", "SelectMode", "single") == "multiple";
}

void OI_scroll_menu::set_multiple(bool multiple)
{
    multiple_set_ = true;
    multiple_ = multiple;
}

int OI_scroll_menu::view_size_y() const
{
    int rows = view_rows_ > 0 ? view_rows_ : std::atoi(resource("viewSize", "ViewSize", "5").c_str());
    return std::max(rows, 1);
}

void OI_scroll_menu::set_view_size(int rows)
{
    view_rows_ = std::max(rows, 1);
    schedule_fit();
}

void OI_scroll_menu::set_min_width(int characters)
{
    min_width_ = std::max(characters, 1);
    schedule_fit();
}

std::string OI_scroll_menu::title() const
{
    return title_set_ ? title_ : resource("title", "Title");
}

void OI_scroll_menu::set_title(const std::string& text)
{
    title_set_ = true;
    title_ = text;
    if (realized())
        apply_resources();
}

std::string OI_scroll_menu::child_container() const
{
    return canvas() + ".cells";
}

std::vector<std::pair<int, int>> OI_scroll_menu::row_extents() const
{
    std::vector<std::pair<int, int>> rows;
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
        rows.emplace_back(y, h);
    }
    return rows;
}

// The view is as many rows high as asked, each as high as the rows are on
// average, and scrolls a row at a time.
void OI_scroll_menu::fit_view()
{
    fit_pending_ = false;
    if (!realized())
        return;
    OI_tk::eval("update idletasks");
    std::string cells = child_container();
    int width = int_result("winfo reqwidth " + cells);
    int height = int_result("winfo reqheight " + cells);
    int filled = 0;
    int filled_height = 0;
    for (const auto& [top, extent] : row_extents()) {
        if (extent > 0) {
            ++filled;
            filled_height += extent;
        }
    }
    int row_height = filled > 0 ? (filled_height + filled / 2) / filled
                                : int_result("font metrics TkDefaultFont -linespace") + 10;
    int characters = min_width_ > 0 ? min_width_ : std::atoi(resource("width", "Width", "12").c_str());
    int narrowest = characters * int_result("font measure TkDefaultFont 0");
    OI_tk::eval(canvas() + " configure -width " + std::to_string(std::max(width, narrowest)) +
               " -height " + std::to_string(view_size_y() * row_height) + " -yscrollincrement " +
               std::to_string(row_height) + " -scrollregion {0 0 " + std::to_string(width) + " " +
               std::to_string(height) + "}");
}

void OI_scroll_menu::schedule_fit()
{
    report_when_idle("fit", fit_pending_);
}

int OI_scroll_menu::handle_loc_y() const
{
    if (!realized())
        return 0;
    OI_tk::eval("update idletasks");
    int top = int_result("expr {int([" + canvas() + " canvasy 0])}");
    std::vector<std::pair<int, int>> rows = row_extents();
    for (size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].second > 0 && rows[r].first + rows[r].second > top + 1)
            return static_cast<int>(r);
    }
    return 0;
}

// Tk keeps the view inside the scrolling region, so a row near the end
// stops at the last page.
void OI_scroll_menu::set_handle_loc_y(int row)
{
    if (!realized())
        return;
    fit_view();
    std::vector<std::pair<int, int>> rows = row_extents();
    int total = int_result("winfo reqheight " + child_container());
    if (rows.empty() || total <= 0)
        return;
    row = std::clamp(row, 0, static_cast<int>(rows.size()) - 1);
    char fraction[32];
    std::snprintf(fraction, sizeof fraction, "%.6f", static_cast<double>(rows[row].first) / total);
    OI_tk::eval(canvas() + " yview moveto " + fraction);
}

void OI_scroll_menu::handle_event(const std::string& kind, const std::vector<std::string>& args)
{
    if (kind == "fit")
        fit_view();
    else
        OI_menu::handle_event(kind, args);
}

void OI_scroll_menu::create_widget(const std::string& path)
{
    std::string list = path + ".list";
    std::string bar = list + ".bar";
    OI_tk::eval("frame " + path + " -borderwidth 0");
    OI_tk::eval("label " + path + ".title -anchor w");
    OI_tk::eval("frame " + list + " -relief sunken -borderwidth 2");
    OI_tk::eval("canvas " + canvas() + " -highlightthickness 0 -borderwidth 0 -width 10 -height 10" +
               " -yscrollcommand " + quoted(bar + " set"));
    OI_tk::eval("scrollbar " + bar + " -orient vertical -command " + quoted(canvas() + " yview"));
    OI_tk::eval("frame " + child_container() + " -borderwidth 0");
    OI_tk::eval(canvas() + " create window 0 0 -anchor nw -window " + child_container());
    OI_tk::eval("grid " + canvas() + " -row 0 -column 0 -sticky nsew");
    OI_tk::eval("grid " + bar + " -row 0 -column 1 -sticky ns");
    OI_tk::eval("grid rowconfigure " + list + " 0 -weight 1");
    OI_tk::eval("grid columnconfigure " + list + " 0 -weight 1");
    OI_tk::eval("grid " + list + " -row 1 -column 0 -sticky nsew");
    OI_tk::eval("grid rowconfigure " + path + " 1 -weight 1");
    OI_tk::eval("grid columnconfigure " + path + " 0 -weight 1");
    OI_tk::eval("bind " + child_container() + " <Configure> " + quoted(event_script("fit")));
}

void OI_scroll_menu::widget_built()
{
    schedule_fit();
}

OI_d_tech* OI_scroll_menu::copy_self() const
{
    auto* copy = new OI_scroll_menu(name());
    copy->multiple_ = multiple_;
    copy->multiple_set_ = multiple_set_;
    copy->view_rows_ = view_rows_;
    copy->min_width_ = min_width_;
    copy->title_ = title_;
    copy->title_set_ = title_set_;
    return copy;
}

// The inner frames and the canvas are not objects: they take the menu's
// background.
void OI_scroll_menu::apply_resources()
{
    OI_menu::apply_resources();
    std::string colour = quoted(bkg_color());
    for (const std::string& inner : {widget() + ".title", widget() + ".list", canvas(), child_container()})
        OI_tk::eval(inner + " configure -background " + colour);
    std::string text = title();
    OI_tk::eval(widget() + ".title configure -text " + quoted(text));
    if (text.empty())
        OI_tk::eval("grid remove " + widget() + ".title");
    else
        OI_tk::eval("grid " + widget() + ".title -row 0 -column 0 -sticky w");
    schedule_fit();
}

bool OI_scroll_menu::get_shown_text(std::string* text) const
{
    std::vector<std::string> triples;
    for (OI_menu_cell* cell : cells())
        triples.push_back(OI_list({cell->name(), cell->label(), cell->is_selected() ? "1" : "0"}));
    *text = OI_list(triples);
    return true;
}
