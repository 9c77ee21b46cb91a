#include "ui/log_ui.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "lib/descriptor.h"
#include "misc/lidefs.h"
#include "toolkit/center_xy.h"
#include "misc/utilities.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_multi_text.h"
#include "toolkit/oi_connection.h"
#include "ui/dialogs.h"
#include "ui/kitsetup.h"
#include "lib/msgs.h"
#include "ui/ui_lookup.h"

log_ui* the_log_dialog_ui = nullptr;

namespace {

// Writes the text to path, or when something is there that must not be
// written through (a link, another user's file: the log may go to /tmp and
// the program runs as root), to a new file beside it. written names the
// file that took the text; false, with errno set, when none did, and
// *reading set when it was the text's read-back that failed.
bool write_text(const listring& path, const log_store& text, listring& written, bool* reading)
{
    written = path;
    *reading = false;
    descriptor file = open_for_writing(path, 0644);
    struct stat info;
    if (!file.valid() && lstat(path, &info) == 0) {
        listring prefix(path);
        prefix += ".";
        file = create_unique_file(prefix, written);
    }
    return file.valid() && text.write_to(file, reading) &&
           (text.length() == 0 || file.write_all("\n", 1)) && file.close();
}

}  // namespace

log_ui::log_ui()
{
    OI_d_tech* found = find_dialog(LOG_DIALOG);
    OI_d_tech* copy = found->clone();
    dialog_ = dynamic_cast<OI_dialog_box*>(copy);
    if (dialog_ == nullptr) {
        error(format_message(DEF_DIALOG_NOT_FOUND, LOG_DIALOG.c_str()), true);
        shutdown(-1);
    }
    dialog_->set_associated_object(root_object(), OI_DEFAULT_LOC, OI_DEFAULT_LOC,
                                   ACTIVE_NOT_DISPLAYED);
    text_ = find_part<OI_scroll_text>(dialog_, TEXT_FIELD);
    text_->disallow_kb_input();
    dialog_->set_term_action(true, OI_callback(this, &log_ui::cancel_btn_cb, nullptr));
}

log_ui::~log_ui()
{
    OI_delete_timeout(OI_callback(const_cast<log_ui*>(this), &log_ui::flush_cb, nullptr));
    dialog_->delete_all();
}

void log_ui::popup()
{
    take_pending();
    fill_widget();
    dialog_->update_resources();
    minimum_.remember(dialog_);
    dialog_->set_resize(OI_callback(this, &log_ui::resize_cb, nullptr));
    // Centred at its size now: loading placed it while it was still empty.
    if (!dialog_->is_displayed())
        center_xy(dialog_);
    dialog_->set_state(ACTIVE);
}

void log_ui::popdown()
{
    dialog_->set_state(ACTIVE_NOT_DISPLAYED);
}

void log_ui::text(const listring& line, liboolean)
{
    if (has_pending_ || text_store_.length() > 0)
        pending_ += '\n';
    pending_ += line.c_str();
    has_pending_ = true;
    if (!flush_armed_) {
        flush_armed_ = true;
        OI_add_timeout(0, OI_callback(this, &log_ui::flush_cb, nullptr));
    }
}

// The lines of this pass join the text as the widget would join them; a
// shown dialog gets them in one insert and one repaint.
void log_ui::take_pending() const
{
    flush_armed_ = false;
    if (!has_pending_)
        return;
    text_after_header_ = text_after_header_ || pending_.find_first_not_of('\n') != std::string::npos;
    text_store_.append(pending_);
    pending_.clear();
    has_pending_ = false;
    if (dialog_->state() == ACTIVE)
        fill_widget();
}

void log_ui::fill_widget() const
{
    if (widget_length_ == text_store_.length())
        return;
    std::string more;
    bool read = text_store_.read(widget_length_, more);
    int read_errno = errno;
    bool widget_empty = widget_length_ == 0;
    widget_length_ += more.size();
    // The widget puts the newline between what it has and what comes.
    if (!more.empty())
        text_->append_line(widget_empty ? more : more.substr(1), true);
    if (!read) {
        // What could not be read is not offered again.
        widget_length_ = text_store_.length();
        report_unread(read_errno);
    }
}

void log_ui::report_unread(int read_errno) const
{
    error(format_message(DEF_LOG_NOT_READ, std::strerror(read_errno)), true);
}

long log_ui::flush_cb(OI_d_tech*, void*, long)
{
    bool shown = dialog_->state() == ACTIVE;
    take_pending();
    if (shown)
        OI_flush();
    return 0;
}

listring log_ui::contents() const
{
    take_pending();
    std::string text;
    if (!text_store_.read(0, text))
        report_unread(errno);
    return listring(text.c_str());
}

void log_ui::header(const listring& line)
{
    text(line, false);
    take_pending();
    text_after_header_ = false;
}

liboolean log_ui::is_empty() const
{
    take_pending();
    return !text_after_header_;
}

liboolean log_ui::write_log(const listring& path)
{
    listring target(path);
    listring written;
    bool reading = false;
    take_pending();
    while (!write_text(target, text_store_, written, &reading)) {
        // The file takes what could be read; asking for another place
        // would not read more.
        if (reading) {
            report_unread(errno);
            break;
        }
        error(catalogue_text(DEF_CANNOT_SAVE_LOG), true);
        listring dir(TMP_DIR);
        get_dir(dir, catalogue_text(DEF_ENTER_LOG_DIR));
        if (dir.is_empty() || dir[dir.length() - 1] != '/')
            dir += "/";
        dir += LOG_FILE;
        target = dir;
    }
    std::printf("%s%s\n", catalogue_text(DEF_LOG_LOCATION), written.c_str());
    std::fflush(stdout);
    return true;
}

// Save writes the log where the user started the program, as inst.log.
long log_ui::save_btn_cb(OI_d_tech*, void*, long)
{
    write_log("inst.log");
    return 1;
}

long log_ui::cancel_btn_cb(OI_d_tech* origin, void*, long)
{
    if (origin != nullptr && origin->name() == "save_btn")
        return save_btn_cb(origin, nullptr, 0);
    popdown();
    return 1;
}

long log_ui::resize_cb(OI_d_tech*, void*, long)
{
    minimum_.enforce(dialog_);
    return 0;
}
