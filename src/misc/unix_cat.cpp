#include "misc/unix_cat.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "misc/lidefs.h"
#include "misc/utilities.h"
#include "lib/msgs.h"
#include "lib/reporter.h"

listring ERROR_CATALOGUE;

namespace {

// The environment's value of name, or "" when unset.
const char* environment_value(const listring& name)
{
    const char* value = std::getenv(name);
    return value == nullptr ? "" : value;
}

// MESSAGES_DIR/lang/KARCH/name.cat
listring catalogue_path(const listring& name, const char* lang)
{
    listring path(MESSAGES_DIR);
    path += "/";
    path += lang;
    path += "/";
    path += environment_value(ARCH_VAR);
    path += "/";
    path += name;
    path += STRING_FILE_EXTENSION;
    return path;
}

// Switches the process to the "C" language for the rest of the run: its
// children see LANG=C and an NLSPATH into the "C" catalogues.
liboolean fall_back_to_c_language()
{
    static char lang_entry[MESSAGE_BUFFER_SIZE];
    static char nlspath_entry[MESSAGE_BUFFER_SIZE];
    std::snprintf(lang_entry, sizeof lang_entry, "%s=%s", LANG_VAR.c_str(), DEF_LANG.c_str());
    std::snprintf(nlspath_entry, sizeof nlspath_entry, "NLSPATH=%s%cinstall%cnls%c%s%c%s%c%%N.cat",
                  environment_value(TARNU_VAR), '/', '/', '/', DEF_LANG.c_str(), '/',
                  environment_value(ARCH_VAR), '/');
    if (putenv(lang_entry) != 0 || putenv(nlspath_entry) != 0)
        return false;
    return std::setlocale(LC_ALL, DEF_LANG) != nullptr;
}

}  // namespace

liboolean unix_setlocale()
{
    return std::setlocale(LC_ALL, "") != nullptr;
}

nl_catd unix_catopen(const listring& name, int flag)
{
    listring lang(environment_value(LANG_VAR));
    if (lang.is_empty())
        lang = DEF_LANG;
    if (unix_setlocale())
        return catopen(catalogue_path(name, lang), flag);

    if (!fall_back_to_c_language())
        return CATALOGUE_FAILED;
    nl_catd handle = catopen(catalogue_path(name, DEF_LANG), flag);
    warning(format_message(DEF_NO_LOCALE, lang.c_str(), DEF_LANG.c_str()), true);
    return handle;
}

const char* unix_catgets(nl_catd handle, int set, int number, const listring& default_text)
{
    // catgets itself copes with a failed handle but not with one never opened.
    if (handle == CATALOGUE_FAILED || handle == nullptr)
        return default_text;
    return catgets(handle, set, number, default_text);
}

void unix_catclose(nl_catd handle)
{
    if (handle != CATALOGUE_FAILED && handle != nullptr)
        catclose(handle);
}

listring catalogue_reference_text(nl_catd product_catalogue, const listring& text)
{
    if (text.find(MSG_STR) < 0)
        return text;
    listring number(text);
    number.rest_of_string('_');
    return listring(unix_catgets(product_catalogue, KITSETUP_MSG_SET, string_to_integer(number), text));
}

liboolean open_installer_catalogue()
{
    if (msg_file != nullptr)
        return true;
    msg_file = unix_catopen(ERROR_CATALOGUE, NL_CAT_LOCALE);
    if (msg_file != CATALOGUE_FAILED)
        return true;
    listring text(catalogue_text(DEF_CANNOT_OPEN));
    text += ERROR_CATALOGUE;
    text += catalogue_text(DEF_MESS_CATALOG);
    return warning(text, true);
}
