// The printer library's message table, its error reports and the handler
// that receives them.
#include <nl_types.h>

#include <algorithm>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "lib/msgs.h"
#include "xp/xp.h"
#include "xp/xp_internal.h"

#define XP_ERROR(identifier, text) {#identifier, text},
const XpMessage_t XpMessageCatalog[XP_ERROR_COUNT] = {
#include "xp/xp_errors.def"
};
#undef XP_ERROR

namespace {

const char* const CATALOGUE_NAME = "XpMsgs";
const int CATALOGUE_SET = 1;
const int WARNING_MESSAGE = 1;
const int ERROR_MESSAGE = 2;
// Message number of code 0; the words "Warning" and "Error" come first.
const int FIRST_CODE_MESSAGE = 3;
const nl_catd NO_CATALOGUE = reinterpret_cast<nl_catd>(-1);

// The library's error state: the last report's text, the installed handler
// (null: the default one) and the catalogue, opened on the first report.
struct error_state {
    std::string last_text;
    XpErrorHandler_t handler = nullptr;
    nl_catd catalogue = NO_CATALOGUE;
    bool catalogue_tried = false;
};

error_state& state()
{
    static error_state the_state;
    return the_state;
}

// Switches the message locale to the environment's while alive, so that the
// catalogue opened and the texts chosen follow the user's language.
class message_locale {
public:
    message_locale()
    {
        const char* current = std::setlocale(LC_MESSAGES, nullptr);
        if (current != nullptr) {
            saved_ = current;
            switched_ = std::setlocale(LC_MESSAGES, "") != nullptr;
        }
    }
    ~message_locale()
    {
        if (switched_)
            std::setlocale(LC_MESSAGES, saved_.c_str());
    }
    message_locale(const message_locale&) = delete;
    message_locale& operator=(const message_locale&) = delete;

private:
    std::string saved_;
    bool switched_ = false;
};

// The catalogue's text for number, or default_text when the catalogue is not
// open, lacks it, or has one that takes other arguments (a broken catalogue
// must never crash the formatting).
const char* catalogue_text(int number, const char* default_text)
{
    error_state& errors = state();
    if (errors.catalogue == NO_CATALOGUE)
        return default_text;
    const char* text = catgets(errors.catalogue, CATALOGUE_SET, number, default_text);
    if (text == nullptr || printf_conversions(text) != printf_conversions(default_text))
        return default_text;
    return text;
}

// format filled in with arguments.
std::string formatted(const char* format, va_list arguments)
{
    va_list measuring;
    va_copy(measuring, arguments);
    int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (length < 0)
        return format;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, arguments);
    text.resize(static_cast<size_t>(length));
    return text;
}

// Writes "Warning" or "Error", ": " and the last text to standard error; an
// error ends the program, as a caller without a handler cannot go on.
void default_handler(int /*code*/, int is_error)
{
    const char* word = is_error ? catalogue_text(ERROR_MESSAGE, "Error")
                                : catalogue_text(WARNING_MESSAGE, "Warning");
    std::fprintf(stderr, "%s: %s\n", word, state().last_text.c_str());
    if (is_error)
        std::exit(1);
}

}  // namespace

void XpError(int code, ...)
{
    error_state& errors = state();
    int is_error = 1;
    {
        message_locale user_locale;
        if (!errors.catalogue_tried) {
            // A missing catalogue is normal: the table's texts stand in.
            errors.catalogue_tried = true;
            errors.catalogue = catopen(CATALOGUE_NAME, NL_CAT_LOCALE);
        }
        if (code < 0 || code >= XP_ERROR_COUNT) {
            errors.last_text = "XpError:: unknown error code " + std::to_string(code);
        } else {
            const XpMessage_t& message = XpMessageCatalog[code];
            va_list arguments;
            va_start(arguments, code);
            std::string text =
                formatted(catalogue_text(code + FIRST_CODE_MESSAGE, message.text), arguments);
            va_end(arguments);
            errors.last_text = std::string(message.identifier) + ": " + text;
            is_error = message.identifier[0] == 'e';
        }
    }
    XpErrorHandler_t handler = errors.handler != nullptr ? errors.handler : default_handler;
    handler(code, is_error);
}

XpErrorHandler_t XpSetErrorHandler(XpErrorHandler_t handler)
{
    XpErrorHandler_t previous = state().handler;
    state().handler = handler;
    return previous;
}

void XpGetErrorText(char* buffer, int size)
{
    if (buffer == nullptr || size <= 0)
        return;
    const std::string& text = state().last_text;
    size_t length = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

namespace xp_internal {

void out_of_memory(const char* function, int status)
{
    XpError(eLMem, function);
    std::exit(status);
}

}  // namespace xp_internal
