#include "ui/printer_offer.h"

#include <cstdlib>
#include <memory>

#include "lib/msgs.h"
#include "lib/reporter.h"
#include "misc/lidefs.h"
#include "misc/translate_filename.h"
#include "misc/unix_cat.h"
#include "misc/utilities.h"
#include "print/print_ui.h"
#include "toolkit/merge_resource_file.h"
#include "toolkit/oi_connection.h"
#include "ui/help_request.h"

namespace {

// Merges one printer resource file, creating its dialogs when make_objects
// is set; false (reported) when it is missing or bad.
bool merge_printer_file(const listring& path, bool make_objects)
{
    OI_resource_fault fault;
    if (!make_objects) {
        if (OI_uib_conn->add_resources(OI_translate_filename(path).c_str(), 0, &fault) != 0)
            return true;
        error(bad_resource_file_text(path, fault), true);
        return false;
    }
    OI_d_tech** objects = nullptr;
    int merged = merge_resource_file(nullptr, path.c_str(), &objects, &fault);
    std::free(objects);
    if (merged == 1)
        return true;
    error(merged == 0 ? bad_resource_file_text(path, fault) : format_message(DEF_BAD_RESOURCE_FILE, path.c_str()),
          true);
    return false;
}

// Loads print.cf and its language copy on first use only: the dialogs they
// declare live for the rest of the run. The texts go in first, since the
// dialogs take their resources when they are made.
bool load_printer_resources()
{
    static int loaded = -1;
    if (loaded == -1) {
        listring texts = language_file(CONFIG_FILE_DIR, PRINT_RES_FILE);
        loaded = (texts.is_empty() || merge_printer_file(texts, false)) &&
                 merge_printer_file(join_directory(CONFIG_FILE_DIR, PRINT_RES_FILE), true);
    }
    return loaded == 1;
}

void open_printer_help(const listring& file, unsigned long context)
{
    request_help(file, context);
}

}  // namespace

int run_printer_configuration(XpDefaults_t type)
{
    if (!popup_main_print_dialog)
        return -1;
    print_ui::set_help_opener(open_printer_help);
    if (!load_printer_resources()) {
        information(catalogue_text(DEF_PRINTER_CONFIG_ERROR), true);
        return -1;
    }
    auto dialog = std::make_unique<print_ui>(type);
    if (dialog->initialise() != 0) {
        information(catalogue_text(DEF_PRINTER_CONFIG_ERROR), true);
        return -1;
    }
    if (!dialog->initialised())
        return -1;
    dialog->popup();
    // A library error closed the dialogs: the changes were not saved.
    return popup_main_print_dialog ? 0 : -1;
}

void offer_printer_configuration(product&)
{
    run_printer_configuration(XP_SYSTEM_DEFAULTS);
}
