#include "ui/dialogs.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "misc/lidefs.h"
#include "misc/utilities.h"
#include "toolkit/center_xy.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_entry_field.h"
#include "toolkit/oi_menu_cell.h"
#include "toolkit/oi_multi_text.h"
#include "misc/translate_filename.h"
#include "ui/confirm_ui.h"
#include "ui/dialogs_ui.h"
#include "ui/error_ui.h"
#include "ui/info_ui.h"
#include "ui/transfer_status.h"
#include "ui/kitsetup.h"
#include "lib/msgs.h"
#include "ui/ui_lookup.h"
#include "ui/warning_ui.h"

namespace {

struct waiting_box {
    message_kind kind;
    listring text;
    unsigned long box_id;
};

std::vector<waiting_box>& waiting_boxes()
{
    static std::vector<waiting_box> boxes;
    return boxes;
}

// The object named name below the root, of class T, or null after the
// error box naming it (the root itself missing, or the dialog).
template <class T = OI_d_tech>
T* find_below_root(const listring& name)
{
    OI_d_tech* root = OI_root_object();
    return OI_find<T>(root, name.c_str(), missing_dialog(name, false));
}

// The part named part of dialog, of class T, or null after the error box.
template <class T>
T* find_part_or_report(OI_d_tech* dialog, const listring& part)
{
    return OI_find<T>(dialog, part.c_str(), missing_part(dialog, part, false));
}

// The directory prompt's acceptance check: an existing directory must be
// writable; a missing one may be created. Cancel always leaves.
long check_dir(OI_d_tech* cell, void* field_object, long)
{
    if (cell != nullptr && cell->name() == CANCEL_BTN.c_str())
        return 1;
    auto* field = static_cast<OI_entry_field*>(field_object);
    listring dir(field->text().c_str());
    expand_directory(dir);
    if (valid_directory(dir)) {
        if (write_access(dir))
            return 1;
        error(format_message(DEF_NO_WRITE, dir.c_str()), true);
        return 0;
    }
    return confirm(catalogue_text(DEF_DIR_DOESNT_EXIST), true) && create_dir(dir) == 0;
}

}  // namespace

void text_mode_reporter::end(int status)
{
    shutdown(status);
}

liboolean dialog_reporter::show(message_kind kind, const listring& text, liboolean modal)
{
    switch (kind) {
    case message_kind::error: {
        error_ui box(text, modal);
        box.popup();
        return true;
    }
    case message_kind::warning: {
        warning_ui box(text, modal);
        box.popup();
        return box.choice();
    }
    case message_kind::confirm: {
        confirm_ui box(text, modal);
        box.popup();
        return box.choice();
    }
    case message_kind::information: {
        info_ui box(text, modal);
        box.popup();
        return true;
    }
    case message_kind::dir:
        break;
    }
    return false;
}

// While the progress dialog is up its status line tells what is going on;
// otherwise the busy box does.
void dialog_reporter::show_busy(const listring& text)
{
    if (show_transfer_status(text))
        return;
    OI_d_tech* busy = find_below_root(WORKING);
    if (busy == nullptr)
        return;
    OI_multi_text* message = find_part_or_report<OI_multi_text>(busy, MESSAGE);
    if (message == nullptr)
        return;
    show_message_text(message, wrapped_message(text));
    busy->set_state(ACTIVE_NOT_DISPLAYED);
    OI_flush();
    center_xy(busy);
    busy->set_state(ACTIVE);
    OI_flush();
}

void dialog_reporter::hide_busy()
{
    if (OI_d_tech* busy = find_below_root(WORKING))
        busy->set_state(ACTIVE_NOT_DISPLAYED);
}

void dialog_reporter::update_display()
{
    OI_flush();
}

void dialog_reporter::end(int status)
{
    shutdown(status);
}

liboolean ask_directory(listring& dir, const listring& prompt)
{
    if (OI_uib_conn == nullptr)
        return false;
    auto* dialog = find_below_root<OI_dialog_box>(DIR_DIALOG);
    if (dialog == nullptr)
        return false;
    auto* field = find_part_or_report<OI_entry_field>(dialog, DIR_FIELD);
    auto* message = find_part_or_report<OI_multi_text>(dialog, MESSAGE);
    if (field == nullptr || message == nullptr)
        return false;
    show_message_text(message, wrapped_message(prompt));
    field->set_text(dir.c_str());
    dialog->set_state(ACTIVE_NOT_DISPLAYED);
    OI_flush();
    center_xy(dialog);
    note_message_box(message_kind::dir, prompt, dialog);
    OI_menu_cell* pressed = dialog->wait_button(true, OI_callback(check_dir, field));
    forget_message_box(dialog);
    if (pressed == nullptr || pressed->name() == CANCEL_BTN.c_str())
        return false;
    dir = OI_translate_filename(listring(field->text().c_str()));
    return true;
}

int get_dir(listring& dir, const listring& prompt)
{
    ask_directory(dir, prompt);
    return 0;
}

// character is a Unicode code point: the <ctype.h> tests only take the ASCII
// range; above it everything but the C1 controls is printable.
long def_char_check_cb(OI_d_tech*, void*, long character)
{
    if (character < 0 || (character >= 0x7f && character < 0xa0))
        return 0;
    if (character >= 0xa0)
        return 1;
    return std::isprint(static_cast<int>(character)) || std::isspace(static_cast<int>(character));
}

bool current_message_box(message_kind* kind, listring* text, OI_d_tech** box)
{
    for (auto waiting = waiting_boxes().rbegin(); waiting != waiting_boxes().rend(); ++waiting) {
        OI_d_tech* object = OI_d_tech::by_id(waiting->box_id);
        if (object != nullptr && object->is_displayed()) {
            *kind = waiting->kind;
            *text = waiting->text;
            *box = object;
            return true;
        }
    }
    return false;
}

void note_message_box(message_kind kind, const listring& text, OI_d_tech* box)
{
    waiting_boxes().push_back({kind, text, box->id()});
}

void forget_message_box(const OI_d_tech* box)
{
    auto& boxes = waiting_boxes();
    boxes.erase(std::remove_if(boxes.begin(), boxes.end(),
                               [box](const waiting_box& waiting) { return waiting.box_id == box->id(); }),
                boxes.end());
}
