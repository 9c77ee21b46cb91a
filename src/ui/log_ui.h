// log_ui: the log dialog, a copy of "log_dialog" whose text "text" collects
// what a run reports (command output, start-up facts). It is written to
// kitsetup.log at shutdown. One instance, the_log_dialog_ui, owned by the
// main window. The log keeps its text itself, in a scratch file (log_store),
// so a long run does not grow the program; the dialog's text widget gets it
// only while shown (on popup, whatever came while it was hidden), since a
// large text costs the widget far more than the file. Lines arriving
// together are shown together: the text is repainted once per event-loop
// pass, however many lines came.
#ifndef KITSETUP_UI_LOG_UI_H
#define KITSETUP_UI_LOG_UI_H

#include <string>

#include "lib/listring.h"
#include "prod/progress_views.h"
#include "toolkit/oiu_callback_multiple.h"
#include "ui/log_store.h"
#include "ui/minimum_size.h"

class OI_dialog_box;
class OI_scroll_text;

class log_ui : public OIU_callback_multiple, public log_view {
public:
    // Clones the template and finds its text; a missing part ends the program.
    log_ui();
    ~log_ui() override;
    log_ui(const log_ui&) = delete;
    log_ui& operator=(const log_ui&) = delete;

    void popup();
    void popdown();
    // Appends line, shown with the others of this pass at the end of the
    // view; error lines are command errors.
    void text(const listring& line, liboolean error) override;
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
    // Shows the lines that arrived since the last pass.
    long flush_cb(OI_d_tech* origin, void* argument, long value);

private:
    // Moves the lines of this pass into the text, and into the widget when
    // the dialog is shown.
    void take_pending() const;
    // Gives the widget the part of the text it does not hold yet.
    void fill_widget() const;
    // Says that the text could not be read back from its scratch file.
    void report_unread(int read_errno) const;

    OI_dialog_box* dialog_;
    OI_scroll_text* text_;
    minimum_size minimum_;
    // The text, as the widget shows it once filled: each pass's lines
    // start with the newline that parts them from the text before, when
    // there is text before. The widget holds the first widget_length_
    // characters.
    mutable log_store text_store_;
    mutable size_t widget_length_ = 0;
    // Whether a line after the header holds text.
    mutable bool text_after_header_ = false;
    // The piece this pass is bringing.
    mutable std::string pending_;
    mutable bool has_pending_ = false;
    mutable bool flush_armed_ = false;
};

extern log_ui* the_log_dialog_ui;

#endif
