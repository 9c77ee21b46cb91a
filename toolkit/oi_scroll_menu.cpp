#include "toolkit/oi_scroll_menu.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

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
    return text();
}

bool OI_scroll_menu::place_child(const OI_d_tech* child, int column, int row)
{
    unplace_child(child);
    place at{row, column};
    auto taken = cells_at_.find(at);
    if (taken != cells_at_.end())
        place_of_.erase(taken->second);
    cells_at_[at] = child;
    place_of_[child] = at;
    lines_stale_ = true;
    schedule_fit();
    return true;
}

void OI_scroll_menu::unplace_child(const OI_d_tech* child)
{
    auto placed = place_of_.find(child);
    if (placed == place_of_.end())
        return;
    cells_at_.erase(placed->second);
    place_of_.erase(placed);
    lines_stale_ = true;
    schedule_fit();
}

int OI_scroll_menu::row_count() const
{
    return cells_at_.empty() ? 0 : cells_at_.rbegin()->first.first + 1;
}

// Deleting text destroys the windows in it, so they are let go first. One
// script does it all: a list of thousands is rebuilt in a blink.
void OI_scroll_menu::rebuild_lines()
{
    lines_stale_ = false;
    std::string t = text();
    std::string pad = std::to_string(child_spacing());
    std::string script = t + " configure -state normal\nforeach w [" + t + " window names] {catch {" + t +
                         " window configure $w -window {}}}\n" + t + " delete 1.0 end\n";
    place last{0, -1};
    for (const auto& [at, child] : cells_at_) {
        if (at.first > last.first)
            last.second = -1;
        script += t + " insert end " + quoted(std::string(at.first - last.first, '\n') +
                                              std::string(at.second - last.second - 1, '\t'));
        script += "\n" + t + " window create end -align top -padx " + pad + " -pady " + pad + " -window " +
                  OI_tk::widget(child) + "\n";
        last = at;
    }
    OI_tk::eval(script + t + " configure -state disabled");
}

// The view is as many rows high as asked, each as high as the rows are on
// average; each column starts where the widest cell of the one before ends.
void OI_scroll_menu::fit_view()
{
    fit_pending_ = false;
    if (!realized())
        return;
    if (lines_stale_)
        rebuild_lines();
    std::string widgets;
    for (const auto& entry : cells_at_)
        widgets += " " + OI_tk::widget(entry.second);
    std::string sizes;
    OI_tk::eval("lmap w {" + widgets + "} {list [winfo reqwidth $w] [winfo reqheight $w]}", &sizes);
    int pad = 2 * child_spacing();
    std::vector<int> widths;
    std::map<int, int> row_heights;
    std::istringstream measured(sizes);
    for (const auto& entry : cells_at_) {
        char open = 0;
        int w = 0, h = 0;
        measured >> open >> w >> h >> open;
        size_t column = static_cast<size_t>(entry.first.second);
        widths.resize(std::max(widths.size(), column + 1), 0);
        widths[column] = std::max(widths[column], w + pad);
        row_heights[entry.first.first] = std::max(row_heights[entry.first.first], h + pad);
    }
    int filled_height = 0;
    for (const auto& row : row_heights)
        filled_height += row.second;
    int filled = static_cast<int>(row_heights.size());
    int row_height = filled > 0 ? (filled_height + filled / 2) / filled
                                : int_result("font metrics TkDefaultFont -linespace") + 10;
    std::string tabs;
    int width = 0;
    for (int column : widths) {
        width += column;
        tabs += " " + std::to_string(width) + " left";
    }
    int characters = min_width_ > 0 ? min_width_ : std::atoi(resource("width", "Width", "12").c_str());
    int narrowest = characters * int_result("font measure TkDefaultFont 0");
    OI_tk::eval(text() + " configure -tabs {" + tabs + "}");
    OI_tk::eval(view() + " configure -width " + std::to_string(std::max(width, narrowest)) + " -height " +
               std::to_string(view_size_y() * row_height));
}

void OI_scroll_menu::schedule_fit()
{
    report_when_idle("fit", fit_pending_);
}

// The row of the first line whose lower edge is in view.
int OI_scroll_menu::handle_loc_y() const
{
    if (!realized())
        return 0;
    std::string index;
    std::string line;
    OI_tk::eval(text() + " index @0,0", &index);
    OI_tk::eval(text() + " dlineinfo {" + index + " linestart}", &line);
    int row = std::max(0, std::atoi(index.c_str()) - 1);
    int x = 0, y = 0, w = 0, h = 0;
    if (std::sscanf(line.c_str(), "%d %d %d %d", &x, &y, &w, &h) == 4 && y + h <= 1 && row + 1 < row_count())
        ++row;
    return row;
}

// The view stops at the last page, as a list that cannot scroll past its
// end would.
void OI_scroll_menu::set_handle_loc_y(int row)
{
    if (!realized())
        return;
    fit_view();
    row = std::clamp(row, 0, std::max(0, row_count() - view_size_y()));
    OI_tk::eval(text() + " yview " + std::to_string(row + 1) + ".0");
}

void OI_scroll_menu::handle_event(const std::string& kind, const std::vector<std::string>& args)
{
    if (kind == "fit")
        fit_view();
    else
        OI_menu::handle_event(kind, args);
}

// The text takes no focus, keys or selection: only its lines' cells act.
void OI_scroll_menu::create_widget(const std::string& path)
{
    std::string list = path + ".list";
    std::string bar = list + ".bar";
    std::string t = text();
    OI_tk::eval("frame " + path + " -borderwidth 0");
    OI_tk::eval("label " + path + ".title -anchor w");
    OI_tk::eval("frame " + list + " -relief sunken -borderwidth 2");
    OI_tk::eval("frame " + view() + " -borderwidth 0 -width 10 -height 10");
    OI_tk::eval("pack propagate " + view() + " 0");
    OI_tk::eval("text " + t + " -width 1 -height 1 -wrap none -borderwidth 0 -highlightthickness 0" +
               " -padx 0 -pady 0 -cursor {} -takefocus 0 -insertwidth 0 -exportselection 0" +
               " -state disabled -yscrollcommand " + quoted(bar + " set"));
    OI_tk::eval("bindtags " + t + " " + quoted(t) + " all");
    OI_tk::eval("bind " + t + " <Button-4> " + quoted(t + " yview scroll -1 units"));
    OI_tk::eval("bind " + t + " <Button-5> " + quoted(t + " yview scroll 1 units"));
    OI_tk::eval("bind " + t + " <MouseWheel> " + quoted(t + " yview scroll [expr {%D > 0 ? -1 : 1}] units"));
    OI_tk::eval("pack " + t + " -fill both -expand 1");
    OI_tk::eval("scrollbar " + bar + " -orient vertical -command " + quoted(t + " yview"));
    OI_tk::eval("grid " + view() + " -row 0 -column 0 -sticky nsew");
    OI_tk::eval("grid " + bar + " -row 0 -column 1 -sticky ns");
    OI_tk::eval("grid rowconfigure " + list + " 0 -weight 1");
    OI_tk::eval("grid columnconfigure " + list + " 0 -weight 1");
    OI_tk::eval("grid " + list + " -row 1 -column 0 -sticky nsew");
    OI_tk::eval("grid rowconfigure " + path + " 1 -weight 1");
    OI_tk::eval("grid columnconfigure " + path + " 0 -weight 1");
}

void OI_scroll_menu::widget_built()
{
    lines_stale_ = true;
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

// The inner frames and the text are not objects: they take the menu's
// background.
void OI_scroll_menu::apply_resources()
{
    OI_menu::apply_resources();
    std::string colour = quoted(bkg_color());
    for (const std::string& inner : {widget() + ".title", widget() + ".list", view(), text()})
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
