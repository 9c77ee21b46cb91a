#include "ui/l_product_ui.h"

#include <cstring>

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "misc/utilities.h"
#include "prod/l_product.h"
#include "prod/product.h"
#include "toolkit/center_xy.h"
#include "toolkit/koi_button.h"
#include "toolkit/oi_app_window.h"
#include "toolkit/oi_dialog_box.h"
#include "toolkit/oi_flush.h"
#include "toolkit/oi_menu_cell.h"
#include "toolkit/oi_static_text.h"
#include "ui/actions.h"
#include "ui/help_request.h"
#include "ui/kitsetup.h"
#include "ui/progress_dialog.h"
#include "ui/ui_lookup.h"

l_product_ui* the_products_ui = nullptr;

namespace {

const int BUTTON_BORDER_WIDTH = 3;
const int MIN_WIDTH = 400;
const char* const DEFAULT_COLUMNS = "3";
// Arrows move along the products, Return takes the highlighted one, Tab
// goes between the products and the buttons.
const char* const KEY_TRANSLATIONS =
    "<KeyPress>Right: next_icon()\n<KeyPress>Down: next_icon()\n"
    "<KeyPress>Left: prev_icon()\n<KeyPress>Up: prev_icon()\n"
    "<KeyPress>Return: fire_prod()\n<KeyPress>Tab: set_next_tab()\n"
    "<KeyPress>ISO_Left_Tab: set_prev_tab()";

// Removes extension from the end of name, if it is there.
void strip_extension(listring& name, const char* extension)
{
    size_t length = std::strlen(extension);
    if (name.length() > length && std::strcmp(name.c_str() + name.length() - length, extension) == 0)
        name = listring(std::string(name.c_str(), name.length() - length).c_str());
}

bool listed(const l_listring& ids, const listring& id)
{
    for (unsigned i = 0; i < ids.entries(); ++i) {
        if (std::strcmp(ids.elem(i)->c_str(), id.c_str()) == 0)
            return true;
    }
    return false;
}

}  // namespace

l_product_ui::l_product_ui(l_product* products, const listring& name, const listring& title,
                           const listring& help_file, unsigned long help_context)
    : products_(products),
      name_(name),
      title_(title),
      help_file_(help_file),
      help_context_(help_context),
      root_(root_object()),
      template_dialog_(find_part<OI_dialog_box>(root_, PRODUCT_DIALOG)),
      dialog_(static_cast<OI_dialog_box*>(template_dialog_->clone()))
{
    if (dialog_ == nullptr) {
        error(format_message(DEF_DIALOG_NOT_FOUND, PRODUCT_DIALOG.c_str()), true);
        shutdown(-1);
    }
    dialog_id_ = dialog_->id();
    // Before the copy has widgets, so that they take its own resources.
    dialog_->set_name(name_.c_str());
    OI_actions_rec records[5];
    records[0].name = "fire_prod";
    records[0].object = [this]() -> OIU_callback_multiple* { return this; };
    records[0].member = static_cast<OI_member>(&l_product_ui::fire);
    const char* const plain_names[] = {"prev_icon", "next_icon", "set_next_tab", "set_prev_tab"};
    const OI_function plain[] = {prev_icon, next_icon, set_next_tab, set_prev_tab};
    for (int i = 0; i < 4; ++i) {
        records[i + 1].name = plain_names[i];
        records[i + 1].function = plain[i];
    }
    dialog_->push_actions(records, 5);
}

// The copy goes with its object, so that no callback outlives it; at the
// end of the program the toolkit may have taken it already.
l_product_ui::~l_product_ui()
{
    if (the_products_ui == this)
        the_products_ui = nullptr;
    clear_available();
    if (OI_d_tech::by_id(dialog_id_) == dialog_)
        dialog_->delete_all();
}

void l_product_ui::create_cb()
{
    if (initialised_)
        return;
    container_ = find_part<OI_d_tech>(dialog_, CONTAINER);
    instruction_ = find_part<OI_static_text>(dialog_, CMD_TEXT);
    separator_ = find_part<OI_d_tech>(dialog_, SEPERATOR);
    help_button_ = find_part<OI_menu_cell>(dialog_, HELP_BTN);
    template_help_button_ = find_part<OI_menu_cell>(template_dialog_, HELP_BTN);
    dialog_->set_unpin(OI_callback(this, &l_product_ui::popdown, nullptr));

    OI_d_tech* first_box = find_part<OI_d_tech>(container_, PRODUCT_BOX);
    KOI_button* template_button = find_part<KOI_button>(first_box, PRODUCT_ICON);
    listring first_id = products_->entries() > 0 ? products_->elem(0u)->id() : listring("");
    template_button->set_name(first_id.c_str());
    for (unsigned i = 0; i < products_->entries(); ++i) {
        product* p = products_->elem(i);
        OI_d_tech* box = i == 0 ? first_box : first_box->clone();
        if (box == nullptr) {
            error(format_message(DEF_WIDGET_NOT_FOUND, PRODUCT_BOX.c_str(), PRODUCT_DIALOG.c_str()), true);
            shutdown(-1);
        }
        auto* label = find_part<OI_static_text>(box, PRODUCT_LABEL);
        OI_d_tech* old_button = box->descendant(first_id.c_str());
        if (old_button == nullptr) {
            error(format_message(DEF_WIDGET_NOT_FOUND, first_id.c_str(), PRODUCT_DIALOG.c_str()), true);
            shutdown(-1);
        }
        old_button->delete_all();
        KOI_button* button = create_koi_button(p->id().c_str(), icon_file(*p).c_str(), 2, 2, 30);
        if (button == nullptr) {
            error(format_message(DEF_WIDGET_NOT_FOUND, p->id().c_str(), PRODUCT_DIALOG.c_str()), true);
            shutdown(-1);
        }
        label->set_text(p->short_description().c_str());
        button->layout_associated_object(box, 0, 0, ACTIVE);
        lay_out_box(box, i);
        boxes_.push_back(box);
        labels_.push_back(label);
        buttons_.push_back(button);
    }
    // A border in the background's colour for all but the first: the
    // first product starts highlighted.
    for (size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i]->set_bdr_width(BUTTON_BORDER_WIDTH);
        highlight(buttons_[i], i == 0);
    }
    dialog_->set_associated_object(root_, OI_DEFAULT_LOC, OI_DEFAULT_LOC, ACTIVE_NOT_DISPLAYED);
    dialog_->set_transient_for(find_dialog(MAIN_WINDOW));
    dialog_->substitute_translations(KEY_TRANSLATIONS);
    dialog_->set_resize(OI_callback(this, &l_product_ui::resize_cb, nullptr));
    initialised_ = true;
}

// Up to nine products stand in one column under each other; more fill the
// rows of a grid, so that a scrolling container shows any number.
void l_product_ui::lay_out_box(OI_d_tech* box, unsigned i) const
{
    unsigned columns = 1;
    if (products_->entries() > MAX_COLUMN_PRODUCTS) {
        int wanted = std::atoi(dialog_->resource("productColumns", "ProductColumns", DEFAULT_COLUMNS).c_str());
        columns = wanted > 0 ? static_cast<unsigned>(wanted) : 1;
    }
    box->layout_associated_object(container_, static_cast<int>(i % columns), static_cast<int>(i / columns + 1),
                                  ACTIVE);
}

// A product names its picture as a file in the icons directory, with or
// without its extension; the image converter adds the extension itself.
listring l_product_ui::icon_file(const product& p) const
{
    listring file = p.bitmap();
    if (file.is_empty())
        return file;
    strip_extension(file, ".xpm");
    strip_extension(file, ".xbm");
    if (file[0u] == '/' || file[0u] == '$' || file[0u] == '~')
        return file;
    return join_directory(ICONS_DIR, file);
}

void l_product_ui::bind_and_title()
{
    help_button_->change_action(OI_callback(this, &l_product_ui::help_btn_cb, nullptr));
    for (KOI_button* button : buttons_)
        button->set_click(OI_callback(this, &l_product_ui::product_btn_cb, nullptr));
    dialog_->set_term_action(false, OI_callback(this, &l_product_ui::dialog_term_cb, nullptr));
    set_title();
    set_name();
    dialog_->update_resources();
}

void l_product_ui::set_title()
{
    instruction_->set_text(title_.c_str());
}

void l_product_ui::set_name()
{
    dialog_->set_name(name_.c_str());
}

long l_product_ui::help_btn_cb(OI_d_tech*, void*, long value)
{
    if (value != 0)
        request_help(help_file_, help_context_);
    return 0;
}

long l_product_ui::dialog_term_cb(OI_d_tech* origin, void*, long)
{
    if (origin == nullptr || origin->name() != CANCEL_BTN.c_str())
        return 0;
    popdown(origin, nullptr, 0);
    return 1;
}

long l_product_ui::fire(OI_d_tech*, void*, long)
{
    for (KOI_button* button : buttons_) {
        if (is_highlighted(button)) {
            button->press();
            return 0;
        }
    }
    error(catalogue_text(DEF_BAD_PRODUCT_SELECTED), true);
    return 0;
}

long l_product_ui::resize_cb(OI_d_tech*, void*, long)
{
    minimum_.enforce(dialog_);
    return 0;
}

long l_product_ui::product_btn_cb(OI_d_tech* origin, void*, long)
{
    if (handling_)
        return 0;
    handling_ = true;
    product* chosen = nullptr;
    bool matched = false;
    for (unsigned i = 0; i < products_->entries(); ++i) {
        product* p = products_->elem(i);
        highlight(buttons_[i], false);
        bool clicked = origin != nullptr && buttons_[i]->name() == origin->name();
        p->select(clicked);
        if (clicked) {
            matched = true;
            chosen = p;
        }
    }
    if (!matched) {
        error(catalogue_text(DEF_NO_PRODUCT_SELECTED), true);
        handling_ = false;
        return 0;
    }
    choose(chosen, true);
    return 0;
}

// The flag stays set once the product is handed on: only the next popup
// clears it, so that a click queued meanwhile does nothing.
void l_product_ui::choose(product* chosen, bool shown)
{
    if (chosen == nullptr) {
        error(catalogue_text(DEF_NO_ACCESS_TO_PRODUCT), true);
        handling_ = false;
        return;
    }
    handling_ = true;
    chosen->select(true);
    if (!chosen->initialised() && chosen->initialise() != 0) {
        handling_ = false;
        return;
    }
    if (shown && handle_before_popdown_) {
        handle_cb(chosen);
        popdown(nullptr, nullptr, 0);
        return;
    }
    if (shown)
        popdown(nullptr, nullptr, 0);
    handle_cb(chosen);
}

// The dialog is built on its first popup, so that a long product list
// costs start-up nothing for the dialogs the user never opens.
void l_product_ui::start_popup()
{
    handling_ = false;
    the_products_ui = this;
    if (!initialised_) {
        create_cb();
        bind_and_title();
    }
}

long l_product_ui::installed_popup(OI_d_tech*, void*, long)
{
    start_popup();
    if (modify_interface() != 0)
        return 0;
    show_or_handle(available_, catalogue_text(DEF_NO_PRODUCTS));
    return 0;
}

void l_product_ui::show_or_handle(const l_listring& available, const listring& empty_message)
{
    if (available.entries() == 0) {
        information(empty_message, true);
        return;
    }
    if (available.entries() == 1) {
        product* only = find_product(*available.elem(0u));
        if (only == nullptr)
            error(catalogue_text(DEF_BAD_PRODUCT_SELECTED), true);
        else
            choose(only, false);
        return;
    }
    show();
}

// The first product offered starts highlighted, so that Return takes it.
// The dialog's size is known only once its container has fitted itself
// to the products, so it is widened just before it shows.
void l_product_ui::show()
{
    set_main_window_busy(true);
    bool highlighted = false;
    for (KOI_button* button : buttons_) {
        highlight(button, !highlighted && button->state() == ACTIVE);
        highlighted = highlighted || button->state() == ACTIVE;
    }
    OI_flush();
    if (dialog_->size_x() < MIN_WIDTH)
        dialog_->set_size(MIN_WIDTH, dialog_->size_y());
    center_xy(dialog_);
    dialog_->set_state(ACTIVE);
    if (!minimum_.remembered())
        minimum_.remember(dialog_);
}

long l_product_ui::popdown(OI_d_tech*, void*, long)
{
    set_main_window_busy(false);
    dialog_->set_state(ACTIVE_NOT_DISPLAYED);
    return 0;
}

int l_product_ui::modify_interface()
{
    if (list_installed(available_) != 0)
        return -1;
    offer_available(available_);
    bind_and_title();
    return 0;
}

int l_product_ui::list_installed(l_listring& available)
{
    clear_available();
    if (get_prod_ids_from_files(TARNU_DIR, available, DATA_LOG_EXTENSION) != 0) {
        available.delete_all();
        if (valid_directory(TARNU_DIR)) {
            information(format_message(DEF_MUST_RECORD, TARNU_DIR.c_str()), true);
            return -1;
        }
    }
    if (available.entries() == 0) {
        information(catalogue_text(DEF_NO_PRODUCTS), true);
        return -1;
    }
    for (unsigned i = 0; i < available.entries(); ++i) {
        const listring& id = *available.elem(i);
        if (find_product(id) == nullptr &&
            !warning(format_message(DEF_NO_CONFIG_FOR_ID, id.c_str(), CONFIG_FILE_DIR.c_str()), true))
            return -1;
    }
    return 0;
}

void l_product_ui::offer_available(const l_listring& available)
{
    for (unsigned i = 0; i < products_->entries(); ++i) {
        bool offered = listed(available, products_->elem(i)->id());
        buttons_[i]->set_state(offered ? ACTIVE : INACTIVE);
        labels_[i]->set_state(offered ? ACTIVE : INACTIVE);
        if (offered)
            buttons_[i]->set_click(OI_callback(this, &l_product_ui::product_btn_cb, nullptr));
    }
}

product* l_product_ui::find_product(const listring& id) const
{
    for (unsigned i = 0; i < products_->entries(); ++i) {
        product* p = products_->elem(i);
        if (std::strcmp(p->id().c_str(), id.c_str()) == 0)
            return p;
    }
    return nullptr;
}

void l_product_ui::clear_available()
{
    available_.delete_all();
}
