// OI_multi_text: a multi-line text, mostly a read-only message or log. It
// wraps at word boundaries; its view size is counted in characters and
// lines, and it can tell how wide a line is drawn, so that a message box
// can be sized to its text. OI_scroll_text adds a vertical scroll bar.
#ifndef KITSETUP_TOOLKIT_OI_MULTI_TEXT_H
#define KITSETUP_TOOLKIT_OI_MULTI_TEXT_H

#include "toolkit/oi_d_tech.h"

class OI_multi_text : public OI_d_tech {
public:
    explicit OI_multi_text(const std::string& name) : OI_d_tech(name) {}
    const char* class_name() const override { return "MultiText"; }

    // Replaces the whole text (also when keyboard input is not allowed).
    void set_text_to_string(const std::string& text);
    // The whole text; before any is set, the "text" resource.
    std::string text() const;
    // The lines of the text; none for an empty text.
    std::vector<std::string> lines() const;
    // Adds line as the new last line; with scroll, brings it into view.
    void append_line(const std::string& line, bool scroll);
    // The lines as a list; set replaces the whole text.
    bool get_value_text(std::string* text) const override;
    OI_set_result set_value_text(const std::string& text, OI_set_by by, std::string* reason) override;

    // The view size in characters of char_width() and in lines; before
    // set_view_size, the "columns" and "rows" resources (40 by 4).
    void set_view_size(int columns, int rows);
    // Shows the text in full: one row per line, and the columns the widest
    // line's pixels need plus 2.
    void fit_view_to_text();
    int view_columns() const;
    int view_rows() const;
    // The number of lines the text takes when wrapped at the view's width.
    int view_n_lines() const;
    // The pixel position at which line (from 0) ends in the widget, as it is
    // drawn, or as it would be drawn unwrapped while it is not on the screen.
    int line_width(int line) const;
    // The width in pixels of one character ("0") of the text's font.
    int char_width() const;
    // Puts the insertion cursor at column of line (both from 0) and scrolls
    // it into view.
    void set_position(int line, int column);
    // The text can no longer be edited from the keyboard.
    void disallow_kb_input();
    // A click no longer selects: no selection, no focus by the pointer.
    void disallow_click_select();

    void handle_event(const std::string& kind, const std::vector<std::string>& args) override;

protected:
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override;
    void apply_resources() override;
    void show_enabled(bool enabled) override;
    // The Tk text widget: the object's widget, or a part of it.
    virtual std::string text_path() const { return widget(); }
    // Creates the Tk text widget at path with this object's settings.
    void create_text_widget(const std::string& path);
    void copy_settings_to(OI_multi_text* copy) const;

private:
    void show_text();
    void apply_input_rules() const;
    // Runs script with the text widget's state normal, so that the toolkit
    // may change a text the user may not.
    void edit_text(const std::string& script) const;
    std::string font() const;
    int measure(const std::string& font, const std::string& text) const;
    int display_lines(const std::string& line, const std::string& font, int available) const;

    bool text_set_ = false;
    std::string text_;        // kept equal to the widget's text
    int columns_ = 0;         // 0: from the resources
    int rows_ = 0;
    bool kb_input_ = true;
    bool click_select_ = true;
    bool enabled_ = true;
    int cursor_line_ = -1;    // set_position, -1 when not set
    int cursor_column_ = 0;
};

class OI_scroll_text : public OI_multi_text {
public:
    explicit OI_scroll_text(const std::string& name) : OI_multi_text(name) {}
    const char* class_name() const override { return "ScrollText"; }

protected:
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override;
    std::string text_path() const override { return widget() + ".t"; }
};

#endif
