// Prints the installer's message table as gencat source on standard output,
// so the catalogue and the built-in texts come from one table. Translators
// copy the output, translate the quoted texts and compile it with gencat.
#include <cstdio>

namespace {

struct message_entry {
    int number;
    const char* name;
    const char* text;
};

const message_entry messages[] = {
#define KIT_MSG(number, name, text) {number, #name, text},
#include "lib/msgs.def"
#undef KIT_MSG
};

// Writes text between double quotes with gencat's escapes, so newlines, tabs,
// quotes and backslashes survive the round trip.
void put_quoted(const char* text)
{
    std::putchar('"');
    for (const char* p = text; *p; ++p) {
        switch (*p) {
        case '\n': std::fputs("\\n", stdout); break;
        case '\t': std::fputs("\\t", stdout); break;
        case '"': std::fputs("\\\"", stdout); break;
        case '\\': std::fputs("\\\\", stdout); break;
        default: std::putchar(*p); break;
        }
    }
    std::putchar('"');
}

}  // namespace

int main()
{
    std::puts("$ kitsetup message catalogue, generated from the program's message table.");
    std::puts("$ Translate the quoted texts; keep the numbers and every %s and %d.");
    std::puts("$quote \"");
    std::puts("$set 1");
    for (const message_entry& entry : messages) {
        std::printf("$ %s\n%d ", entry.name, entry.number);
        put_quoted(entry.text);
        std::putchar('\n');
    }
    return std::ferror(stdout) ? 1 : 0;
}
