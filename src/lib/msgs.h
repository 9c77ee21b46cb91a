// The default texts of every message the installer shows, each with its fixed
// number in set 1 of the installer's catalogue. The table itself is msgs.def;
// the build also turns it into the catalogue source that translators edit.
#ifndef KITSETUP_LIB_MSGS_H
#define KITSETUP_LIB_MSGS_H

#include <nl_types.h>

#include <string>
#include <type_traits>

#include "lib/listring.h"

// A DEF_ message: a listring holding the default text, plus its number.
class kit_message : public listring {
public:
    kit_message(int number, const char* text) : listring(text), number_(number) {}
    int number() const { return number_; }

private:
    int number_;
};

#define KIT_MSG(number, name, text) extern const kit_message name;
#include "lib/msgs.def"
#undef KIT_MSG

// Set of the installer's catalogue that holds every message.
const int KITSETUP_MSG_SET = 1;

// Every formatted message and environment entry is built in a buffer of
// this size.
const unsigned MESSAGE_BUFFER_SIZE = 1024;

// The platform's failure value for a catalogue; 0 means "never opened".
const nl_catd CATALOGUE_FAILED = reinterpret_cast<nl_catd>(-1);

// The installer's catalogue: 0 until opened, CATALOGUE_FAILED after a
// failed open.
extern nl_catd msg_file;

// The printf conversions of format, each with its length modifier and any
// "*" it takes ("%-10s %ld" gives "s|ld|"), so that two formats that take
// the same arguments compare equal.
std::string printf_conversions(const char* format);

// The message's text from the installer's catalogue (msg_file), or its
// default text when the catalogue is not open, lacks it, or has a text that
// takes other arguments: a broken translation must never crash formatting.
const char* catalogue_text(const kit_message& message);

// format used as a printf format with the remaining arguments, cut at 1024
// bytes.
listring format_text(const char* format, ...);

// The catalogue text of message used as a printf format with args, cut at
// 1024 bytes. Only plain values may be passed: a listring goes as const char*.
template <class... Args>
listring format_message(const kit_message& message, Args... args)
{
    static_assert((std::is_scalar_v<Args> && ...), "pass strings as const char*");
    return format_text(catalogue_text(message), args...);
}

#endif
