#include "misc/unix_cat.h"

#include <algorithm>
#include <climits>
#include <clocale>
#include <string>
#include <vector>

#include "misc/lidefs.h"
#include "misc/utilities.h"
#include "lib/msgs.h"
#include "lib/reporter.h"

listring ERROR_CATALOGUE;

namespace {

// The environment's value of name, or "" when unset.
const char* environment_value(const listring& name)
{
    const char* value = unix_getenv(name);
    return value == nullptr ? "" : value;
}

// True when lang can name one directory below another and nothing else: no
// "/" or "..", not ".", not empty and not longer than a file name may be.
bool plain_language_name(const std::string& lang)
{
    return !lang.empty() && lang.size() <= NAME_MAX && lang != "." &&
           lang.find('/') == std::string::npos && lang.find("..") == std::string::npos;
}

// The names lang stands for, most specific first: the full name, the name
// without its codeset ("de_DE.UTF-8@euro" gives "de_DE@euro", then
// "de_DE"), the language alone ("de"), then "C". A name that could leave its
// directory gives "C" alone.
std::vector<std::string> language_candidates(const std::string& lang)
{
    std::vector<std::string> names;
    auto add = [&names](const std::string& name) {
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    };
    if (plain_language_name(lang)) {
        add(lang);
        std::string::size_type dot = lang.find('.');
        if (dot != std::string::npos) {
            std::string::size_type at = lang.find('@', dot);
            add(lang.substr(0, dot) + (at == std::string::npos ? "" : lang.substr(at)));
        }
        add(lang.substr(0, lang.find_first_of(".@")));
        add(lang.substr(0, lang.find_first_of("_.@")));
    }
    add(DEF_LANG.c_str());
    return names;
}

// KARCH/name.cat: a catalogue's place below its language directory.
listring catalogue_file(const listring& name)
{
    listring file(name);
    file += STRING_FILE_EXTENSION;
    return join_directory(architecture(), file);
}

// Switches the process to the "C" language for the rest of the run: its
// children see LANG=C and an NLSPATH into the "C" catalogues. False with
// errno set when the environment could not be changed.
liboolean fall_back_to_c_language()
{
    listring nlspath(environment_value(TARNU_VAR));
    nlspath += "/install/nls/";
    nlspath += DEF_LANG;
    nlspath += "/";
    nlspath += architecture();
    nlspath += "/%N.cat";
    if (unix_setenv(LANG_VAR, DEF_LANG) != 0 || unix_setenv("NLSPATH", nlspath) != 0)
        return false;
    std::setlocale(LC_ALL, DEF_LANG);
    return true;
}

}  // namespace

listring language_file(const listring& dir, const listring& file)
{
    for (const std::string& language : language_candidates(environment_value(LANG_VAR))) {
        listring path = join_directory(join_directory(dir, language.c_str()), file);
        if (valid_file(path, R_OK))
            return path;
    }
    return listring();
}

liboolean unix_setlocale()
{
    return std::setlocale(LC_ALL, "") != nullptr;
}

// The catalogue is looked for under the language the user asked for, before
// a missing locale switches the process to "C".
nl_catd unix_catopen(const listring& name, int flag)
{
    listring lang(environment_value(LANG_VAR));
    listring path = language_file(MESSAGES_DIR, catalogue_file(name));
    if (!unix_setlocale()) {
        if (!fall_back_to_c_language())
            error(format_message(DEF_NO_MEMORY), true);
        if (path.is_empty())
            warning(format_message(DEF_NO_LOCALE, lang.c_str(), DEF_LANG.c_str()), true);
    }
    if (path.is_empty())
        return CATALOGUE_FAILED;
    return catopen(path, flag);
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
