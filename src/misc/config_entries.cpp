#include "misc/config_entries.h"

#include "ui/dialogs.h"
#include "ui/msgs.h"

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
        file.word(&key);
        if (key.is_empty() && file.eof())
            break;
        ++line;
        liboolean ended_at_colon = !file.is_end_of_line() && !file.eof();
        key.clean();
        bool comment = key.is_empty() || key[0u] == '#';
        if (!comment && !is_known(key)) {
            error(format_message(DEF_BAD_CFG_FILE_LINE, line, path.c_str()), true);
            result = -1;
        }
        if (comment || !is_known(key)) {
            if (ended_at_colon)
                file.end_of_line();
            continue;
        }
        file.rest_of_line(&value);
        value.clean();
        if (take(key, value, line) != 0)
            result = -1;
    }
    return result;
}
