#include "ui/bindings.h"

#include <vector>

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
    OI_add_actions(table.data(), static_cast<int>(table.size()));
}
