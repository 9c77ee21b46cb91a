// log_ui: the log dialog, a copy of "log_dialog" whose text "text" collects
// what a run reports (command output, start-up facts). It is written to
// kitsetup.log at shutdown. One instance, the_log_dialog_ui, owned by the
// main window.
#ifndef KITSETUP_UI_LOG_UI_H
#define KITSETUP_UI_LOG_UI_H

#include "lib/listring.h"
#include "toolkit/oiu_callback_multiple.h"

class OI_dialog_box;
class OI_scroll_text;

class log_ui : public OIU_callback_multiple {
public:
    // Clones the template and finds its text; a missing part ends the program.
    log_ui();
    ~log_ui() override;
    log_ui(const log_ui&) = delete;
    log_ui& operator=(const log_ui&) = delete;

    void popup();
    void popdown();
    // Appends line; with scroll, the last line is brought into view.
    void text(const listring& line, liboolean scroll);
    // The whole text, lines joined by newlines.
    listring contents() const;
    // Appends the run's opening line; it alone does not make the log worth
    // saving.
    void header(const listring& line);
    // True when no line after the header holds text.
    liboolean is_empty() const;
    // Writes the text to path (to a new file beside it when a link or another
    // user's file is there); when that fails, asks for another directory
    // until a write succeeds, then says which file took the log. True.
    liboolean write_log(const listring& path);

    long save_btn_cb(OI_d_tech* origin, void* argument, long value);
    long cancel_btn_cb(OI_d_tech* origin, void* argument, long value);
    long resize_cb(OI_d_tech* origin, void* argument, long value);

private:
    OI_dialog_box* dialog_;
    OI_scroll_text* text_;
    int minimum_width_ = 0;
    int minimum_height_ = 0;
    size_t header_lines_ = 0;
};

extern log_ui* the_log_dialog_ui;

#endif
