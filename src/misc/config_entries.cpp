#include "misc/config_entries.h"

#include <cstring>

#include "misc/lidefs.h"
#include "misc/unix_cat.h"
#include "lib/msgs.h"
#include "lib/reporter.h"

int read_config_entries(listream& file, const listring& path, const listring& delimiters,
                        const std::function<bool(const listring& key)>& is_known,
                        const std::function<int(const listring& key, const listring& value,
                                                int line)>& take)
{
    file.set_delimiters(delimiters);
    int result = 0;
    int line = 0;
    listring key;
    listring value;
    for (;;) {
        unsigned nul_before = file.nul_line();
        file.word(&key);
        // Any failure ends the read, not just the end of the file: a stream
        // that cannot be read would otherwise give empty words for ever.
        if (key.is_empty() && !file.good())
            break;
        ++line;
        liboolean ended_at_colon = !file.is_end_of_line() && !file.eof();
        key.clean();
        bool comment = key.is_empty() || key[0u] == '#';
        bool known = !comment && is_known(key);
        if (known)
            file.rest_of_line(&value);
        else if (ended_at_colon)
            file.end_of_line();
        // A NUL byte cuts a text short where it stands, so its line is bad
        // whatever it seemed to hold.
        if (file.nul_line() != nul_before || (!comment && !known)) {
            error(format_message(DEF_BAD_CFG_FILE_LINE, line, path.c_str()), true);
            result = -1;
            continue;
        }
        if (!known)
            continue;
        value.clean();
        if (take(key, value, line) != 0)
            result = -1;
    }
    return result;
}

int refuse_nul_line(const listream& file, const listring& path)
{
    if (file.nul_line() == 0)
        return 0;
    error(format_message(DEF_BAD_CFG_FILE_LINE, static_cast<int>(file.nul_line()), path.c_str()),
          true);
    return -1;
}

void split_parameter(const listring& parameter, listring& keyword, listring& value)
{
    int at = parameter.find(SUBSET_PARAM_VALUE_DELIMITERS);
    if (at < 0) {
        keyword = parameter;
        value.empty();
    } else {
        parameter.substr(0, static_cast<unsigned>(at), keyword);
        value = parameter;
        value.rest_of_string(at + 1);
    }
    keyword.clean();
    value.clean();
}

int for_each_parameter(const listring& record, nl_catd catalogue,
                       const std::function<int(const listring& keyword, const listring& value)>& take)
{
    listring rest(record);
    listring keyword;
    listring value;
    for (;;) {
        listring parameter = rest.token(SUBSET_PARAM_DELIMITERS);
        if (parameter.is_empty())
            return 0;
        split_parameter(parameter, keyword, value);
        // A blank parameter (as between ";  ;") says nothing.
        if (keyword.is_empty() && value.is_empty())
            continue;
        if (int status = take(keyword, catalogue_reference_text(catalogue, value)); status != 0)
            return status;
    }
}

int split_name_list(const listring& value, const std::function<int(const listring& name)>& add)
{
    if (!value.is_empty() && value[0u] == '0')
        return 0;
    const char* delimiters = SUBSET_PARAM_LIST_DELIMITERS.c_str();
    listring piece;
    for (const char* c = value.c_str();; ++c) {
        if (*c != '\0' && std::strchr(delimiters, *c) == nullptr) {
            piece += *c;
            continue;
        }
        piece.clean();
        int status = add(piece);
        if (status != 0 || *c == '\0')
            return status;
        piece.empty();
    }
}
