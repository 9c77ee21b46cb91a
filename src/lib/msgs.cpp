#include "lib/msgs.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#define KIT_MSG(number, name, text) const kit_message name(number, text);
#include "lib/msgs.def"
#undef KIT_MSG

nl_catd msg_file = nullptr;

std::string printf_conversions(const char* format)
{
    std::string conversions;
    for (const char* p = std::strchr(format, '%'); p != nullptr; p = std::strchr(p, '%')) {
        ++p;
        if (*p == '%') {
            ++p;
            continue;
        }
        for (; *p != '\0' && std::strchr("#0- +'123456789.$*hlLqjzt", *p) != nullptr; ++p) {
            if (std::strchr("$*hlLqjzt", *p) != nullptr)
                conversions += *p;
        }
        if (*p == '\0')
            break;
        conversions += *p++;
        conversions += '|';
    }
    return conversions;
}

const char* catalogue_text(const kit_message& message)
{
    // catgets copes with a failed handle but not with one never opened.
    if (msg_file == nullptr || msg_file == CATALOGUE_FAILED)
        return message;
    const char* text = catgets(msg_file, KITSETUP_MSG_SET, message.number(), message);
    if (text == nullptr || printf_conversions(text) != printf_conversions(message))
        return message;
    return text;
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
