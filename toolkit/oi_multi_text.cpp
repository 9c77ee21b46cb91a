#include "toolkit/oi_multi_text.h"

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"
#include "toolkit/oi_utf8.h"

namespace {

const int default_columns = 40;
const int default_rows = 4;

std::vector<std::string> split_lines(const std::string& text)
{
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    std::string::size_type start = 0;
    while (true) {
        std::string::size_type end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

// The Tk index of column of line, both counted from 0.
std::string text_index(int line, int column)
{
    return std::to_string(line + 1) + "." + std::to_string(column);
}

}  // namespace

// ---- Widgets -----------------------------------------------------------------

void OI_multi_text::create_widget(const std::string& path)
{
    create_text_widget(path);
}

void OI_multi_text::create_text_widget(const std::string& path)
{
    OI_tk::eval("text " + path + " -wrap word -relief sunken -borderwidth 2 -highlightthickness 1" +
               " -undo 0 -width " + std::to_string(view_columns()) + " -height " +
               std::to_string(view_rows()));
    OI_tk::eval("bind " + path + " <<Modified>> {" + event_script("modified") + "}");
    show_text();
}

void OI_scroll_text::create_widget(const std::string& path)
{
    std::string text = text_path();
    std::string bar = path + ".sb";
    OI_tk::eval("frame " + path + " -borderwidth 0");
    create_text_widget(text);
    OI_tk::eval("scrollbar " + bar + " -orient vertical -borderwidth 2 -command {" + text + " yview}");
    OI_tk::eval(text + " configure -yscrollcommand {" + bar + " set}");
    OI_tk::eval("grid " + text + " -row 0 -column 0 -sticky nsew");
    OI_tk::eval("grid " + bar + " -row 0 -column 1 -sticky ns");
    OI_tk::eval("grid rowconfigure " + path + " 0 -weight 1");
    OI_tk::eval("grid columnconfigure " + path + " 0 -weight 1");
}

void OI_multi_text::copy_settings_to(OI_multi_text* copy) const
{
    copy->text_set_ = text_set_;
    copy->text_ = text();
    copy->columns_ = columns_;
    copy->rows_ = rows_;
    copy->kb_input_ = kb_input_;
    copy->click_select_ = click_select_;
    copy->cursor_line_ = cursor_line_;
    copy->cursor_column_ = cursor_column_;
}

OI_d_tech* OI_multi_text::copy_self() const
{
    auto* copy = new OI_multi_text(name());
    copy_settings_to(copy);
    return copy;
}

OI_d_tech* OI_scroll_text::copy_self() const
{
    auto* copy = new OI_scroll_text(name());
    copy_settings_to(copy);
    return copy;
}

void OI_multi_text::apply_resources()
{
    OI_d_tech::apply_resources();
    std::string path = text_path();
    if (path != widget()) {
        for (const char* option : {"font", "foreground", "background"}) {
            std::string cls = option;
            cls[0] = static_cast<char>(cls[0] - 'a' + 'A');
            std::string value = resource(option, cls);
            if (!value.empty())
                OI_tk::eval(path + " configure -" + option + " " + quoted(value));
        }
    }
    OI_tk::eval(path + " configure -width " + std::to_string(view_columns()) + " -height " +
               std::to_string(view_rows()));
    if (!text_set_)
        show_text();
    apply_input_rules();
}

void OI_multi_text::show_enabled(bool enabled)
{
    enabled_ = enabled;
    apply_input_rules();
}

// Keyboard input needs the normal state; a text without click selection
// loses the Text class bindings, which select, set the cursor and focus.
void OI_multi_text::apply_input_rules() const
{
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || !realized())
        return;
    std::string path = text_path();
    bool editable = kb_input_ && enabled_;
    OI_tk::eval(path + " configure -state " + (editable ? "normal" : "disabled"));
    std::string classes = click_select_ ? " Text" : "";
    OI_tk::eval("bindtags " + path + " [list " + path + classes + " [winfo toplevel " + path +
               "] all]");
    if (!click_select_) {
        OI_tk::eval(path + " tag remove sel 1.0 end");
        // Nothing to select or type: it reads as a label, not a field.
        OI_tk::eval(path + " configure -exportselection 0 -cursor left_ptr -takefocus 0" +
                   " -relief flat -highlightthickness 0");
    }
    if (cursor_line_ >= 0) {
        OI_tk::eval(path + " mark set insert " + text_index(cursor_line_, cursor_column_));
        OI_tk::eval(path + " see insert");
    }
}

void OI_multi_text::edit_text(const std::string& script) const
{
    std::string path = text_path();
    std::string state;
    OI_tk::eval(path + " cget -state", &state);
    OI_tk::eval(path + " configure -state normal");
    OI_tk::eval(script);
    OI_tk::eval(path + " configure -state " + (state.empty() ? "normal" : state));
}

void OI_multi_text::show_text()
{
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || !realized())
        return;
    std::string path = text_path();
    edit_text(path + " delete 1.0 end\n" + path + " insert end " + quoted(text_set_ ? text_ : resource("text", "Text")));
    OI_tk::eval(path + " edit modified 0");
}

// Keeps text_ equal to what the user typed, for a rebuilt widget.
void OI_multi_text::handle_event(const std::string& kind, const std::vector<std::string>& args)
{
    if (kind != "modified") {
        OI_d_tech::handle_event(kind, args);
        return;
    }
    std::string modified;
    OI_tk::eval(text_path() + " edit modified", &modified);
    if (modified != "1")
        return;
    text_set_ = true;
    text_ = text();
    OI_tk::eval(text_path() + " edit modified 0");
}

// ---- Text --------------------------------------------------------------------

std::string OI_multi_text::text() const
{
    OI_connection* conn = OI_uib_conn;
    if (conn != nullptr && realized()) {
        std::string shown;
        if (OI_tk::eval(text_path() + " get 1.0 end-1c", &shown))
            return shown;
    }
    return text_set_ ? text_ : resource("text", "Text");
}

std::vector<std::string> OI_multi_text::lines() const
{
    return split_lines(text());
}

void OI_multi_text::set_text_to_string(const std::string& text)
{
    text_set_ = true;
    text_ = text;
    show_text();
}

void OI_multi_text::append_line(const std::string& line, bool scroll)
{
    if (!text_set_) {
        text_ = text();
        text_set_ = true;
    }
    std::string added = text_.empty() ? line : "\n" + line;
    text_ += added;
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || !realized())
        return;
    std::string path = text_path();
    edit_text(path + " insert end-1c " + quoted(added));
    OI_tk::eval(path + " edit modified 0");
    if (scroll)
        OI_tk::eval(path + " see end");
}

// ---- View and measures -----------------------------------------------------------

// The characters are measured once the text shows them at a width that
// holds the longest line, since a wrapped line measures short.
void OI_multi_text::fit_view_to_text()
{
    std::vector<std::string> all = lines();
    size_t longest = 0;
    for (const std::string& line : all)
        longest = std::max(longest, line.size());
    int rows = std::max<int>(1, static_cast<int>(all.size()));
    set_view_size(static_cast<int>(longest) + 2, rows);
    OI_flush();
    int widest = 0;
    for (int i = 0; i < static_cast<int>(all.size()); ++i) {
        if (!all[static_cast<size_t>(i)].empty())
            widest = std::max(widest, line_width(i));
    }
    int character = std::max(1, char_width());
    set_view_size((widest + character - 1) / character + 2, rows);
}

void OI_multi_text::set_view_size(int columns, int rows)
{
    columns_ = columns;
    rows_ = rows;
    if (realized())
        OI_tk::eval(text_path() + " configure -width " + std::to_string(view_columns()) +
                           " -height " + std::to_string(view_rows()));
}

int OI_multi_text::view_columns() const
{
    if (columns_ > 0)
        return columns_;
    int columns = std::atoi(resource("columns", "Columns").c_str());
    return columns > 0 ? columns : default_columns;
}

int OI_multi_text::view_rows() const
{
    if (rows_ > 0)
        return rows_;
    int rows = std::atoi(resource("rows", "Rows").c_str());
    return rows > 0 ? rows : default_rows;
}

// The text widget's font, or the one it will have: the "font" resource, or
// Tk's default font of texts.
std::string OI_multi_text::font() const
{
    OI_connection* conn = OI_uib_conn;
    std::string font;
    if (conn != nullptr && realized() && OI_tk::eval(text_path() + " cget -font", &font) &&
        !font.empty())
        return font;
    font = resource("font", "Font");
    return font.empty() ? "TkFixedFont" : font;
}

int OI_multi_text::measure(const std::string& font, const std::string& text) const
{
    OI_connection* conn = OI_uib_conn;
    std::string width;
    if (conn == nullptr || !OI_tk::eval("font measure " + quoted(font) + " " + quoted(text), &width))
        return 0;
    return std::atoi(width.c_str());
}

int OI_multi_text::char_width() const
{
    return measure(font(), "0");
}

// The lines one text line takes when wrapped as Tk does: after the last
// blank that fits, or inside a word wider than the whole line.
int OI_multi_text::display_lines(const std::string& line, const std::string& font,
                                 int available) const
{
    auto drawn_width = [&](const std::string& text) {
        return measure(font, text.substr(0, text.find_last_not_of(' ') + 1));
    };
    int count = 1;
    std::string current;
    std::string::size_type start = 0;
    while (start < line.size()) {
        std::string::size_type blank = line.find(' ', start);
        std::string::size_type end = blank == std::string::npos ? line.size() : blank + 1;
        std::string candidate = current + line.substr(start, end - start);
        if (!current.empty() && drawn_width(candidate) > available) {
            ++count;
            candidate = line.substr(start, end - start);
        }
        start = end;
        while (available > 0 && drawn_width(candidate) > available) {
            std::string fitting;
            for (const OI_utf8_character& character : OI_utf8_characters(candidate)) {
                if (!fitting.empty() && measure(font, fitting + character.bytes) > available)
                    break;
                fitting += character.bytes;
            }
            candidate.erase(0, fitting.size());
            ++count;
        }
        current = candidate;
    }
    return count;
}

int OI_multi_text::view_n_lines() const
{
    std::string text_font = font();
    int available = view_columns() * measure(text_font, "0");
    std::vector<std::string> text_lines = lines();
    int count = 0;
    for (const std::string& line : text_lines)
        count += display_lines(line, text_font, available);
    return count > 0 ? count : 1;
}

// Drawn lines give their own extent; otherwise the line's text is measured
// from the inner edge of the widget, where Tk starts drawing it.
int OI_multi_text::line_width(int line) const
{
    OI_connection* conn = OI_uib_conn;
    std::vector<std::string> text_lines = lines();
    if (conn == nullptr || line < 0 || line >= static_cast<int>(text_lines.size()))
        return 0;
    std::string path = text_path();
    std::string info;
    int x = 0, y = 0, w = 0, h = 0, baseline = 0;
    if (realized() && OI_tk::eval(path + " dlineinfo " + text_index(line, 0), &info) &&
        std::sscanf(info.c_str(), "%d %d %d %d %d", &x, &y, &w, &h, &baseline) == 5)
        return x + w;
    int inset = 0;
    if (realized()) {
        for (const char* option : {"-borderwidth", "-highlightthickness", "-padx"}) {
            std::string value;
            OI_tk::eval(path + " cget " + option, &value);
            inset += std::atoi(value.c_str());
        }
    }
    return inset + measure(font(), text_lines[static_cast<size_t>(line)]);
}

void OI_multi_text::set_position(int line, int column)
{
    cursor_line_ = line < 0 ? 0 : line;
    cursor_column_ = column < 0 ? 0 : column;
    apply_input_rules();
}

void OI_multi_text::disallow_kb_input()
{
    kb_input_ = false;
    apply_input_rules();
}

void OI_multi_text::disallow_click_select()
{
    click_select_ = false;
    apply_input_rules();
}

bool OI_multi_text::get_value_text(std::string* text) const
{
    *text = OI_list(lines());
    return true;
}

OI_set_result OI_multi_text::set_value_text(const std::string& text, OI_set_by, std::string*)
{
    set_text_to_string(text);
    return OI_set_result::set;
}
