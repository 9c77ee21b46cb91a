#include "ui/bindings.h"

#include <vector>

#include "print/print_edit_ui.h"
#include "print/print_ui.h"
#include "toolkit/oi_connection.h"
#include "ui/actions.h"
#include "ui/continue_ui.h"
#include "ui/l_prim_opt_ui.h"
#include "ui/prod_opts_ui.h"
#include "ui/sub_opts_ui.h"
#include "ui/dialogs.h"
#include "ui/log_ui.h"
#include "ui/main_ui.h"
#include "ui/transfer_ui.h"
#include "ui/working_ui.h"

// Each dialog adds its object and callbacks here as it joins the program.
void register_bindings()
{
    const std::vector<OI_actions_rec> table = {
        OI_object_action("the_main_ui", &the_interface),
        OI_object_action("the_log_dialog_ui", &the_log_dialog_ui),
        OI_object_action("the_transfer_dialog_ui", &the_transfer_dialog_ui),
        OI_object_action("the_working_dialog_ui", &the_working_dialog_ui),
        OI_object_action("the_options_ui", &the_options_ui),
        OI_object_action("the_primary_options_ui", &the_primary_options_ui),
        OI_object_action("the_suboptions_ui", &the_suboptions_ui),
        OI_object_action("the_continue_ui", &the_continue_ui),
        OI_member_action("prod_opts_ui::media_menu_cb", &prod_opts_ui::media_menu_cb),
        OI_member_action("prod_opts_ui::local_btn_cb", &prod_opts_ui::local_btn_cb),
        OI_member_action("prod_opts_ui::remote_btn_cb", &prod_opts_ui::remote_btn_cb),
        OI_member_action("prod_opts_ui::all_btn_cb", &prod_opts_ui::all_btn_cb),
        OI_member_action("prod_opts_ui::reset_btn_cb", &prod_opts_ui::reset_btn_cb),
        OI_member_action("prod_opts_ui::ok_btn_cb", &prod_opts_ui::ok_btn_cb),
        OI_member_action("prod_opts_ui::cancel_btn_cb", &prod_opts_ui::cancel_btn_cb),
        OI_member_action("prod_opts_ui::help_btn_cb", &prod_opts_ui::help_btn_cb),
        OI_member_action("l_prim_opt_ui::cancel_btn_cb", &l_prim_opt_ui::cancel_btn_cb),
        OI_member_action("l_prim_opt_ui::help_btn_cb", &l_prim_opt_ui::help_btn_cb),
        OI_member_action("sub_opts_ui::install_btn_cb", &sub_opts_ui::install_btn_cb),
        OI_member_action("sub_opts_ui::install_all_btn_cb", &sub_opts_ui::install_all_btn_cb),
        OI_member_action("sub_opts_ui::remove_btn_cb", &sub_opts_ui::remove_btn_cb),
        OI_member_action("sub_opts_ui::ok_btn_cb", &sub_opts_ui::ok_btn_cb),
        OI_member_action("sub_opts_ui::cancel_btn_cb", &sub_opts_ui::cancel_btn_cb),
        OI_member_action("sub_opts_ui::help_btn_cb", &sub_opts_ui::help_btn_cb),
        OI_member_action("continue_ui::help_btn_cb", &continue_ui::help_btn_cb),
        OI_member_action("main_ui::exit_btn_cb", &main_ui::exit_btn_cb),
        OI_member_action("main_ui::log_btn_cb", &main_ui::log_btn_cb),
        OI_member_action("main_ui::resize_cb", &main_ui::resize_cb),
        OI_member_action("log_ui::cancel_btn_cb", &log_ui::cancel_btn_cb),
        OI_member_action("log_ui::resize_cb", &log_ui::resize_cb),
        OI_member_action("transfer_ui::stop_btn_cb", &transfer_ui::stop_btn_cb),
        OI_member_action("transfer_ui::log_btn_cb", &transfer_ui::log_btn_cb),
        OI_member_action("working_ui::stop_btn_cb", &working_ui::stop_btn_cb),
        OI_member_action("working_ui::log_btn_cb", &working_ui::log_btn_cb),
        OI_function_action("def_char_check_cb", def_char_check_cb),
        OI_function_action("next_icon", next_icon),
        OI_function_action("prev_icon", prev_icon),
        OI_function_action("set_next_tab", set_next_tab),
        OI_function_action("set_prev_tab", set_prev_tab),
    };
    // The printer dialogs, shared with kpconfig.
    const std::vector<OI_actions_rec> kpconfig_action_tbl = {
        OI_object_action("the_main_print_ui", &the_main_print_ui),
        OI_object_action("the_print_edit_ui", &the_print_edit_ui),
        OI_member_action("print_ui::dialog_term_cb", &print_ui::dialog_term_cb),
        OI_member_action("print_ui::add_btn_cb", &print_ui::add_btn_cb),
        OI_member_action("print_ui::del_btn_cb", &print_ui::del_btn_cb),
        OI_member_action("print_ui::edit_btn_cb", &print_ui::edit_btn_cb),
        OI_member_action("print_ui::done_btn_cb", &print_ui::done_btn_cb),
        OI_member_action("print_ui::set_def_btn_cb", &print_ui::set_def_btn_cb),
        OI_member_action("print_ui::help_btn_cb", &print_ui::help_btn_cb),
        OI_member_action("print_edit_ui::ok_btn_cb", &print_edit_ui::ok_btn_cb),
        OI_member_action("print_edit_ui::alias_field_cb", &print_edit_ui::alias_field_cb),
        OI_member_action("print_edit_ui::cmd_field_cb", &print_edit_ui::cmd_field_cb),
        OI_member_action("print_edit_ui::cancel_btn_cb", &print_edit_ui::cancel_btn_cb),
        OI_member_action("print_edit_ui::dialog_term_cb", &print_edit_ui::dialog_term_cb),
    };
    std::vector<OI_actions_rec> all = table;
    all.insert(all.end(), kpconfig_action_tbl.begin(), kpconfig_action_tbl.end());
    OI_add_actions(all.data(), static_cast<int>(all.size()));
}
