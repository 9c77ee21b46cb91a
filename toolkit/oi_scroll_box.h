// OI_scroll_box: a box whose children, laid out by column and row as in any
// box, sit in a view that scrolls vertically when they are taller than it.
// The view is as tall as the children, but at most "viewRows" grid rows
// (no limit when 0) and never more than three fifths of the screen, so a
// dialog holding it stays on the screen; the scroll bar shows only while
// something is out of view.
#ifndef KITSETUP_TOOLKIT_OI_SCROLL_BOX_H
#define KITSETUP_TOOLKIT_OI_SCROLL_BOX_H

#include <utility>
#include <vector>

#include "toolkit/oi_box.h"

class OI_scroll_box : public OI_box {
public:
    explicit OI_scroll_box(const std::string& name) : OI_box(name) {}
    const char* class_name() const override { return "ScrollBox"; }

    // The most grid rows in view at once (0: as many as the screen allows);
    // before set_view_rows, the "viewRows" resource.
    int view_rows() const;
    void set_view_rows(int rows);

    // The first grid row in view, and scrolling to put row at the top (as
    // near as the end of the rows allows). Empty grid rows do not count.
    int top_row() const;
    void set_top_row(int row);
    // Scrolls as little as needed to bring child, an object inside this
    // box, wholly into view.
    void see(const OI_d_tech* child);

    // "first last": the first and the last grid row wholly in view.
    bool get_value_text(std::string* text) const override;
    // A row number: scrolls that row to the top.
    OI_set_result set_value_text(const std::string& text, OI_set_by by, std::string* reason) override;

    void handle_event(const std::string& kind, const std::vector<std::string>& args) override;

protected:
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override;
    void apply_resources() override;
    void widget_built() override;
    std::string child_container() const override { return canvas() + ".content"; }

private:
    std::string canvas() const { return widget() + ".canvas"; }
    // Sizes the view to the content's width and to the rows it may show,
    // and shows or hides the scroll bar.
    void fit_view();
    // Runs fit_view once the pending geometry work is done.
    void schedule_fit();
    // Grid row number, top and height in pixels of each non-empty grid row
    // of the content.
    struct row_extent {
        int row;
        int top;
        int height;
    };
    std::vector<row_extent> row_extents() const;
    // The visible part of the content: its top and height in pixels.
    std::pair<int, int> view_span() const;
    // Scrolls so that content pixel top is the view's first.
    void scroll_to(int top);

    int view_rows_ = -1;  // -1: not set, the resource decides
    bool fit_pending_ = false;
};

#endif
