#include "lib/reporter.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "lib/msgs.h"

namespace {

const unsigned MESSAGE_COLUMNS = 80;

text_reporter standard_error;
reporter* installed = &standard_error;

// Writes prefix, text and a newline to standard error, flushed, so that the
// line is out before anything the program does next.
void write_line(const char* prefix, const listring& text)
{
    std::fprintf(stderr, "%s%s\n", prefix, text.c_str());
    std::fflush(stderr);
}

}  // namespace

void reporter::show_busy(const listring&) {}

void reporter::hide_busy() {}

void reporter::update_display() {}

liboolean text_reporter::show(message_kind kind, const listring& text, liboolean)
{
    listring wrapped = wrapped_message(text);
    switch (kind) {
    case message_kind::error:
        write_line(catalogue_text(DEF_ERROR_PREFIX), wrapped);
        return true;
    case message_kind::warning:
        write_line(catalogue_text(DEF_WARNING_PREFIX), wrapped);
        return false;
    case message_kind::confirm:
        write_line("", catalogue_text(DEF_UNINITIALISED_INTERFACE));
        end_program(-1);
    case message_kind::information:
        write_line("", wrapped);
        return true;
    case message_kind::dir:
        break;
    }
    return false;
}

void text_reporter::end(int status)
{
    std::exit(status);
}

reporter* set_reporter(reporter* replacement)
{
    reporter* previous = installed;
    installed = replacement == nullptr ? &standard_error : replacement;
    return previous;
}

void error(const listring& text, liboolean modal)
{
    installed->show(message_kind::error, text, modal);
}

liboolean warning(const listring& text, liboolean modal)
{
    return installed->show(message_kind::warning, text, modal);
}

liboolean confirm(const listring& text, liboolean modal)
{
    return installed->show(message_kind::confirm, text, modal);
}

void information(const listring& text, liboolean modal)
{
    installed->show(message_kind::information, text, modal);
}

void popup_busy(const listring& text)
{
    installed->show_busy(text);
}

void popdown_busy()
{
    installed->hide_busy();
}

void update_display()
{
    installed->update_display();
}

void end_program(int status)
{
    installed->end(status);
    // A reporter whose end came back must not let the caller go on.
    std::exit(status);
}

void out_of_memory()
{
    // A second failure while ending must not come back here.
    std::set_new_handler(nullptr);
    write_line("", catalogue_text(DEF_NO_MEMORY));
    end_program(-1);
}

listring wrapped_message(const listring& message)
{
    listring wrapped(message);
    if (wrapped.length() > MESSAGE_COLUMNS)
        wrapped.format_for_output();
    return wrapped;
}
