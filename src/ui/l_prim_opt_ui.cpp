#include "ui/l_prim_opt_ui.h"

#include <string>

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "prod/l_prim_opt.h"
#include "prod/product.h"
#include "toolkit/center_xy.h"
#include "toolkit/koi_button.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_lookup.h"
#include "toolkit/oi_static_text.h"
#include "ui/actions.h"
#include "ui/help_request.h"
#include "ui/kitsetup.h"
#include "ui/prod_opts_ui.h"
#include "ui/progress_dialog.h"
#include "ui/ui_lookup.h"

l_prim_opt_ui* the_primary_options_ui = nullptr;

namespace {

const int ICON_BORDER_WIDTH = 3;
// An image narrower than this is no picture; the button keeps a usable size.
const int MIN_IMAGE_WIDTH = 3;
const int EMPTY_BUTTON_SIZE = 32;
const int LABEL_SPACING = 30;
// The part of a choice box that shows the option's description, if any.
const char* const DESCRIPTION_TEXT = "description";

// The option's icon file as the image converter takes it: without its
// extension, in the icons directory unless a directory is given.
std::string icon_file(const listring& bitmap)
{
    std::string file(bitmap.c_str());
    if (file.empty())
        return file;
    size_t dot = file.rfind('.');
    if (dot != std::string::npos && file.find('/', dot) == std::string::npos)
        file.erase(dot);
    if (file.find('/') == std::string::npos)
        file = "$ICONS_DIR/" + file;
    return file;
}

OI_actions_rec dialog_action(const char* name, OI_member member, OI_function function)
{
    OI_actions_rec record;
    record.name = name;
    if (member != nullptr) {
        record.object = []() -> OIU_callback_multiple* { return the_primary_options_ui; };
        record.member = member;
    }
    record.function = function;
    return record;
}

[[noreturn]] void missing_choice_box()
{
    error(format_message(DEF_WIDGET_NOT_FOUND, CHOICE_BOX.c_str()), true);
    shutdown(-1);
}

}  // namespace

void l_prim_opt_ui::find_parts()
{
    if (initialised_)
        return;
    dialog_ = find_part<OI_dialog_box>(root_object(), PRIMARY_OPTIONS_DIALOG);
    container_ = find_part<OI_d_tech>(dialog_, CONTAINER);
    choice_box_ = find_part<OI_d_tech>(container_, CHOICE_BOX);
    find_part<OI_static_text>(choice_box_, NAME);
    const OI_actions_rec keys[] = {
        dialog_action("fire_selected", static_cast<OI_member>(&l_prim_opt_ui::fire_selected), nullptr),
        dialog_action("next_selection", nullptr, next_icon),
        dialog_action("prev_selection", nullptr, prev_icon),
    };
    dialog_->push_actions(keys, 3);
    initialised_ = true;
}

void l_prim_opt_ui::discard_choices()
{
    for (KOI_button* button : buttons_)
        button->delete_all();
    buttons_.clear();
    for (OI_d_tech* box : cloned_boxes_)
        box->delete_all();
    cloned_boxes_.clear();
}

void l_prim_opt_ui::create_cb(product& chosen)
{
    the_primary_options_ui = this;
    prod_ = &chosen;
    handling_ = false;
    find_parts();
    dialog_->set_resize(OI_callback());
    dialog_->set_unpin(OI_callback(this, &l_prim_opt_ui::unpin_cb, nullptr));
    dialog_->set_term_action(false, OI_callback(this, &l_prim_opt_ui::dialog_term_cb, nullptr));
    discard_choices();
    l_prim_opt* options = chosen.primary_opts();
    unsigned count = options == nullptr ? 0 : options->entries();
    std::vector<OI_d_tech*> boxes{choice_box_};
    for (unsigned i = 1; i < count; ++i) {
        OI_d_tech* copy = choice_box_->clone();
        if (copy == nullptr)
            missing_choice_box();
        cloned_boxes_.push_back(copy);
        copy->layout_associated_object(container_, 0, static_cast<int>(i), ACTIVE);
        boxes.push_back(copy);
    }
    for (unsigned i = 0; i < count; ++i) {
        options->elem(i)->set_selected(i == 0);
        fill_choice(boxes[i], options->elem(i));
    }
    dialog_->update_resources();
}

void l_prim_opt_ui::fill_choice(OI_d_tech* box, prim_opt* option)
{
    auto* name = OI_find<OI_static_text>(box, NAME.c_str(), missing_part(box, NAME, true));
    name->set_text(option->name().c_str());
    if (auto* description = OI_find<OI_static_text>(box, DESCRIPTION_TEXT, OI_lookup_policy::silent()))
        description->set_text(option->description().c_str());
    std::string file = icon_file(option->bitmap());
    KOI_button* button = create_koi_button(option->name().c_str(), file.c_str(), 2, 2, LABEL_SPACING);
    if (button == nullptr)
        shutdown(-1);
    int width = 0;
    int height = 0;
    button->image_size(&width, &height);
    if (width < MIN_IMAGE_WIDTH)
        button->set_size(EMPTY_BUTTON_SIZE, EMPTY_BUTTON_SIZE);
    button->layout_associated_object(box, 0, 0, ACTIVE);
    button->set_bdr_width(ICON_BORDER_WIDTH);
    button->set_bdr_color(button->bkg_color());
    button->set_click(OI_callback(this, &l_prim_opt_ui::option_btn_cb, option));
    buttons_.push_back(button);
}

void l_prim_opt_ui::popup()
{
    center_xy(dialog_);
    set_main_window_busy(true);
    dialog_->set_state(ACTIVE);
    minimum_.remember(dialog_);
    dialog_->set_resize(OI_callback(this, &l_prim_opt_ui::resize_cb, nullptr));
}

void l_prim_opt_ui::popdown()
{
    if (dialog_ == nullptr)
        return;
    set_main_window_busy(false);
    dialog_->set_state(ACTIVE_NOT_DISPLAYED);
}

long l_prim_opt_ui::option_btn_cb(OI_d_tech* origin, void* argument, long)
{
    auto* option = static_cast<prim_opt*>(argument);
    if (handling_ || option == nullptr || prod_ == nullptr)
        return 0;
    handling_ = true;
    std::string colour = origin != nullptr ? origin->bkg_color() : dialog_->bkg_color();
    for (KOI_button* button : buttons_) {
        if (button != origin)
            button->set_bdr_color(colour);
    }
    prod_->primary_opts()->apply(option);
    the_options_ui->create_cb(*prod_);
    popdown();
    the_options_ui->popup();
    handling_ = false;
    return 0;
}

long l_prim_opt_ui::fire_selected(OI_d_tech*, void*, long)
{
    for (KOI_button* button : buttons_) {
        if (is_highlighted(button))
            return button->press() ? 1 : 0;
    }
    return buttons_.empty() ? 0 : (buttons_.front()->press() ? 1 : 0);
}

long l_prim_opt_ui::cancel_btn_cb(OI_d_tech*, void*, long)
{
    popdown();
    return 0;
}

long l_prim_opt_ui::unpin_cb(OI_d_tech*, void*, long)
{
    popdown();
    return 0;
}

long l_prim_opt_ui::dialog_term_cb(OI_d_tech* origin, void*, long)
{
    if (origin == nullptr || origin->name() != CANCEL_BTN.c_str())
        return 0;
    popdown();
    return 1;
}

long l_prim_opt_ui::help_btn_cb(OI_d_tech*, void*, long)
{
    request_help(KITSETUP_HELP_FILE, HELP_PRIMARY_OPTIONS_TOPIC);
    return 0;
}

long l_prim_opt_ui::resize_cb(OI_d_tech*, void*, long)
{
    minimum_.enforce(dialog_);
    return 0;
}
