// The "Key: value" files that products ship (the description file, the
// command configuration file) share one way of reading: one entry a line,
// "#" comments and blank lines skipped but counted, a key without a colon
// taking the next line as its value.
#ifndef KITSETUP_MISC_CONFIG_ENTRIES_H
#define KITSETUP_MISC_CONFIG_ENTRIES_H

#include <nl_types.h>

#include <functional>

#include "lib/listream.h"
#include "lib/listring.h"

// Reads every entry of file (named path in messages) with delimiters
// between key and value. A key is_known accepts goes to take with its
// cleaned value and line number, and take's non-zero result counts as a
// failure; any other key is reported with DEF_BAD_CFG_FILE_LINE. Returns 0,
// or -1 when an entry failed.
int read_config_entries(listream& file, const listring& path, const listring& delimiters,
                        const std::function<bool(const listring& key)>& is_known,
                        const std::function<int(const listring& key, const listring& value,
                                                int line)>& take);

// 0 while file has read no NUL byte; else -1 after DEF_BAD_CFG_FILE_LINE
// (with path) for the line that held it. A NUL cuts a text short where it
// stands, so the text files' readers refuse such a line.
int refuse_nul_line(const listream& file, const listring& path);

// The record files (installation options, subset definitions) hold
// "keyword=value" parameters: splits parameter at its first "=" into
// keyword and value, both cleaned; without "=" the value is empty.
void split_parameter(const listring& parameter, listring& keyword, listring& value);

// Hands each parameter of record (split at ";"; blank ones skipped) to take
// as keyword and value, the value's "msg_" reference replaced from the
// product catalogue. Stops at take's first non-zero result and returns it,
// else 0.
int for_each_parameter(const listring& record, nl_catd catalogue,
                       const std::function<int(const listring& keyword, const listring& value)>& take);

// Hands each cleaned piece of value between any of the list delimiters ",."
// to add, empty pieces included; a value starting with "0" names nothing.
// Stops at add's first non-zero result and returns it, else 0.
int split_name_list(const listring& value, const std::function<int(const listring& name)>& add);

#endif
