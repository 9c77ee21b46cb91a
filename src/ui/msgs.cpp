#include "ui/msgs.h"

#include <cstdarg>
#include <cstdio>

#include "misc/lidefs.h"
#include "misc/unix_cat.h"
#include "ui/kitsetup.h"

#define KIT_MSG(number, name, text) const kit_message name(number, text);
#include "ui/msgs.def"
#undef KIT_MSG

const char* catalogue_text(const kit_message& message)
{
    return unix_catgets(msg_file, KITSETUP_MSG_SET, message.number(), message);
}

listring format_text(const char* format, ...)
{
    char buffer[MESSAGE_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    // The format comes from the catalogue, so the compiler cannot check it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::vsnprintf(buffer, sizeof buffer, format, args);
#pragma GCC diagnostic pop
    va_end(args);
    return listring(buffer);
}
