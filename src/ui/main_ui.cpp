#include "ui/main_ui.h"

#include "lib/l_listring.h"
#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "misc/unix_cat.h"
#include "misc/utilities.h"
#include "prod/l_product.h"
#include "prod/product.h"
#include "toolkit/koi_button.h"
#include "toolkit/oi_app_window.h"
#include "toolkit/oi_connection.h"
#include "toolkit/oi_help_menu.h"
#include "ui/continue_ui.h"
#include "ui/dialogs.h"
#include "ui/help_request.h"
#include "ui/kitsetup.h"
#include "ui/l_del_prod_ui.h"
#include "ui/l_inst_prod_ui.h"
#include "ui/l_prim_opt_ui.h"
#include "ui/l_user_prod_ui.h"
#include "ui/l_view_prod_ui.h"
#include "ui/log_ui.h"
#include "ui/prod_opts_ui.h"
#include "ui/sub_opts_ui.h"
#include "ui/transfer_ui.h"
#include "ui/ui_lookup.h"
#include "ui/working_ui.h"

main_ui* the_interface = nullptr;

namespace {

// The help menu's entries, in the order they are offered.
struct help_choice {
    const listring& name;
    const listring& label;
};
const help_choice help_choices[] = {
    {MAIN_HELP_CHOICE1, MAIN_HELP_LABEL1},
    {MAIN_HELP_CHOICE2, MAIN_HELP_LABEL2},
    {MAIN_HELP_CHOICE3, MAIN_HELP_LABEL3},
    {MAIN_HELP_CHOICE4, MAIN_HELP_LABEL4},
};

// The icons, in the order of main_ui::action.
const listring* const icon_names[] = {&INSTALL_ICON, &DEINSTALL_ICON, &VIEW_ICON, &SETUP_ICON};

const int ICON_BORDER_WIDTH = 3;

// A click on the about box closes it.
long close_about_box(OI_d_tech* origin, void*, long)
{
    if (OI_d_tech* box = origin == nullptr ? nullptr : origin->top_level())
        box->delete_all();
    return 0;
}

}  // namespace

main_ui::main_ui()
    : main_window_(find_part<OI_app_window>(root_object(), MAIN_WINDOW)),
      log_(std::make_unique<log_ui>()),
      transfer_(std::make_unique<transfer_ui>()),
      working_(std::make_unique<working_ui>()),
      continue_(std::make_unique<continue_ui>()),
      options_(std::make_unique<prod_opts_ui>()),
      primary_options_(std::make_unique<l_prim_opt_ui>()),
      suboptions_(std::make_unique<sub_opts_ui>()),
      products_(std::make_unique<l_product>(this)),
      product_ids_(std::make_unique<l_listring>())
{
    the_log_dialog_ui = log_.get();
    the_transfer_dialog_ui = transfer_.get();
    the_working_dialog_ui = working_.get();
    the_continue_ui = continue_.get();
    the_options_ui = options_.get();
    the_primary_options_ui = primary_options_.get();
    the_suboptions_ui = suboptions_.get();
    products_->set_views(transfer_.get(), working_.get(), log_.get());
    product::set_directory_prompt(ask_directory);
    l_product::collect_ids(*product_ids_);
    products_->fill(*product_ids_);
    install_dialog_ = std::make_unique<l_inst_prod_ui>(products_.get());
    deinstall_dialog_ = std::make_unique<l_del_prod_ui>(products_.get());
    view_dialog_ = std::make_unique<l_view_prod_ui>(products_.get());
    user_dialog_ = std::make_unique<l_user_prod_ui>(products_.get());
    l_product_ui* dialogs[action_count] = {install_dialog_.get(), deinstall_dialog_.get(), view_dialog_.get(),
                                           user_dialog_.get()};
    for (int i = 0; i < action_count; ++i)
        bind_action(static_cast<action>(i), OI_callback(dialogs[i], &l_product_ui::popup, nullptr));
    create_cb();
    OI_actions_rec activate_help;
    activate_help.name = "activate_help";
    activate_help.object = [this]() -> OIU_callback_multiple* { return this; };
    activate_help.member = static_cast<OI_member>(&main_ui::fire);
    main_window_->push_actions(&activate_help, 1);
}

main_ui::~main_ui()
{
    if (the_log_dialog_ui == log_.get())
        the_log_dialog_ui = nullptr;
    if (the_transfer_dialog_ui == transfer_.get())
        the_transfer_dialog_ui = nullptr;
    if (the_working_dialog_ui == working_.get())
        the_working_dialog_ui = nullptr;
    if (the_continue_ui == continue_.get())
        the_continue_ui = nullptr;
    if (the_options_ui == options_.get())
        the_options_ui = nullptr;
    if (the_primary_options_ui == primary_options_.get())
        the_primary_options_ui = nullptr;
    if (the_suboptions_ui == suboptions_.get())
        the_suboptions_ui = nullptr;
    // The dialogs go before the products they show, the products before
    // the log they may still write to.
    install_dialog_.reset();
    deinstall_dialog_.reset();
    view_dialog_.reset();
    user_dialog_.reset();
    products_.reset();
    // The identifier list never frees its strings itself.
    product_ids_->delete_all();
}

void main_ui::create_cb()
{
    if (!initialised_) {
        help_menu_ = main_window_->help_menu();
        if (help_menu_ == nullptr) {
            error(catalogue_text(DEF_MAIN_HELP_MENU_NOT_FOUND), true);
            shutdown(-1);
        }
        for (int i = 0; i < action_count; ++i)
            icons_[i] = find_part<KOI_button>(main_window_, *icon_names[i]);
        // Only the installer's own entries belong in its help menu.
        for (OI_d_tech* built_in : {main_window_->help_obj(), main_window_->hyper_help()}) {
            if (built_in != nullptr)
                built_in->delete_all();
        }
        initialised_ = true;
    }
    setup_help();
    main_window_->substitute_translations("<KeyPress>F1: activate_help()");
    for (int i = 0; i < action_count; ++i) {
        KOI_button* icon = icons_[i];
        // A border in the icon's own colour: no icon starts highlighted.
        icon->set_bdr_width(ICON_BORDER_WIDTH);
        icon->set_bdr_color(icon->bkg_color());
        icon->set_click(OI_callback(this, &main_ui::icon_btn_cb, reinterpret_cast<void*>(static_cast<long>(i))));
    }
    main_window_->update_resources();
    main_window_->set_resize(OI_callback(this, &main_ui::resize_cb, nullptr));
}

// The entries are labelled from help.cf, in the user's language, where it
// gives a label; the built-in English one otherwise.
void main_ui::setup_help()
{
    help_menu_->set_name(MAIN_HELP_MENU.c_str());
    help_menu_->set_bdr_width(0);
    for (const help_choice& choice : help_choices) {
        if (help_menu_->descendant(choice.name.c_str()) == nullptr)
            help_menu_->add_cell(choice.name.c_str(), choice.label.c_str(),
                                 OI_callback(this, &main_ui::help_btn_cb, nullptr));
    }
    listring path = language_file(CONFIG_FILE_DIR, HELP_RES_FILE);
    if (path.is_empty())
        path = join_directory(join_directory(CONFIG_FILE_DIR, DEF_LANG), HELP_RES_FILE);
    OI_resource_fault fault;
    if (OI_uib_conn->add_resources(path.c_str(), 0, &fault) == 0) {
        error(format_message(DEF_BAD_RESOURCE_FILE, path.c_str()), true);
        shutdown(-1);
    }
    for (const help_choice& choice : help_choices) {
        auto* entry = static_cast<OI_help_menu_entry*>(help_menu_->descendant(choice.name.c_str()));
        entry->set_label(entry->resource("label", "Label", choice.label.c_str()));
    }
    help_menu_->refill();
}

long main_ui::help_btn_cb(OI_d_tech* origin, void*, long value)
{
    if (origin == nullptr || value == 0)
        return 0;
    const std::string& name = origin->name();
    if (name == MAIN_HELP_CHOICE1.c_str())
        request_help(HOH_HELP_FILE, 0, true);
    else if (name == MAIN_HELP_CHOICE2.c_str())
        request_help(KITSETUP_HELP_FILE, HELP_CONTENTS_TOPIC);
    else if (name == MAIN_HELP_CHOICE3.c_str())
        request_help(KITSETUP_HELP_FILE, HELP_ACTIONS_TOPIC);
    else if (name == MAIN_HELP_CHOICE4.c_str())
        show_about_box();
    return 0;
}

// One about box at a time: asking again brings the open one to the front.
void main_ui::show_about_box()
{
    listring title(catalogue_text(DEF_ABOUT_TITLE));
    for (OI_d_tech* shown : OI_uib_conn->shown_objects()) {
        if (shown->name() == title.c_str() && shown->is_displayed()) {
            shown->raise();
            return;
        }
    }
    KOI_button* image = create_koi_button(ABOUT_DIALOG.c_str(), "", 2, 2, 30);
    if (image == nullptr)
        return;
    image->set_click(OI_callback(close_about_box, nullptr));
    if (OI_d_tech* box = display_splash(image, title, DEFAULT_SPLASH_ICON))
        box->set_delete_window_action(OI_callback(close_about_box, nullptr));
}

long main_ui::fire(OI_d_tech*, void*, long)
{
    request_help(KITSETUP_HELP_FILE, HELP_ACTIONS_TOPIC);
    return 0;
}

long main_ui::icon_btn_cb(OI_d_tech* origin, void* argument, long value)
{
    long which = reinterpret_cast<long>(argument);
    if (which < 0 || which >= action_count)
        return 0;
    return actions_[which].call(origin, value);
}

void main_ui::bind_action(action which, const OI_callback& popup)
{
    actions_[which] = popup;
}

void main_ui::choose_options(product& chosen)
{
    if (!chosen.initialised() && chosen.initialise() != 0)
        return;
    if (chosen.has_primary_options()) {
        primary_options_->create_cb(chosen);
        primary_options_->popup();
        return;
    }
    options_->create_cb(chosen);
    options_->popup();
}

long main_ui::exit_btn_cb(OI_d_tech*, void*, long)
{
    shutdown(0);
}

long main_ui::shutdown_app(OI_d_tech*, void*, long)
{
    shutdown(0);
}

long main_ui::log_btn_cb(OI_d_tech*, void*, long)
{
    log_->popup();
    return 0;
}

// The first size seen is the least the window may shrink to.
long main_ui::resize_cb(OI_d_tech*, void*, long)
{
    if (!minimum_.remembered())
        minimum_.remember(main_window_);
    else
        minimum_.enforce(main_window_);
    return 0;
}
