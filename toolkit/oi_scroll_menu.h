// OI_scroll_menu: a scrolling list of menu cells. Cells are lines of the
// list, stacked in column 0 unless laid out at a column and row; a few rows
// are visible at a time ("viewSize", 5 by default). The lines are those of a
// text widget, which maps only the lines in view and has no limit on their
// number, so a list of ten thousand cells opens at once. Pressing a line selects
// it: exclusively by default, several at a time with "selectMode: multiple";
// a cell of type toggle keeps its check box and toggles on its own.
#ifndef KITSETUP_TOOLKIT_OI_SCROLL_MENU_H
#define KITSETUP_TOOLKIT_OI_SCROLL_MENU_H

#include <map>
#include <utility>

#include "toolkit/oi_menu.h"

class OI_scroll_menu : public OI_menu {
public:
    explicit OI_scroll_menu(const std::string& name) : OI_menu(name) {}
    const char* class_name() const override { return "ScrollMenu"; }

    OI_cell_type kind_of(const OI_menu_cell& cell) const override;
    bool lists_cells() const override { return true; }
    void add_cell(OI_menu_cell* cell) override;

    // Several lines may be selected at once; before set_multiple, the
    // "selectMode" resource ("single" or "multiple") decides.
    bool multiple() const;
    void set_multiple(bool multiple);

    // Rows visible at once; before set_view_size, the "viewSize" resource.
    int view_size_y() const;
    void set_view_size(int rows);
    // Narrowest width of the list, in characters ("width" resource, 12).
    void set_min_width(int characters);

    // The row at the top of the view, and scrolling to put row there (as
    // near as the end of the list allows).
    int handle_loc_y() const;
    void set_handle_loc_y(int row);

    // A line of text above the list ("title" resource); empty shows none.
    std::string title() const;
    void set_title(const std::string& text);

    // Every cell as {name label selected}.
    bool get_shown_text(std::string* text) const override;

    void handle_event(const std::string& kind, const std::vector<std::string>& args) override;

protected:
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override;
    void apply_resources() override;
    void widget_built() override;
    std::string child_container() const override;
    bool place_child(const OI_d_tech* child, int column, int row) override;
    void unplace_child(const OI_d_tech* child) override;

private:
    using place = std::pair<int, int>;  // row, column

    std::string view() const { return widget() + ".list.view"; }
    std::string text() const { return view() + ".text"; }
    // Sizes the view to its rows and the list's widest line, and sets the
    // tab stops that line the columns up.
    void fit_view();
    // Runs fit_view once the pending geometry work is done.
    void schedule_fit();
    // Puts the placed cells into the text again, a line per row.
    void rebuild_lines();
    // Rows the text holds (the last placed row + 1).
    int row_count() const;

    bool multiple_ = false;
    bool multiple_set_ = false;
    int view_rows_ = 0;  // 0: not set, the resource decides
    int min_width_ = 0;  // 0: not set, the resource decides
    std::string title_;
    bool title_set_ = false;
    bool fit_pending_ = false;
    std::map<place, const OI_d_tech*> cells_at_;
    std::map<const OI_d_tech*, place> place_of_;
    bool lines_stale_ = false;
};

#endif
