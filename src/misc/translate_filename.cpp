#include "misc/translate_filename.h"

#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <unistd.h>

namespace {

// The home directory of user, or of the caller when user is empty ($HOME
// first, as the shell does); null when it cannot be found.
const char* home_directory(const listring& user)
{
    if (user.is_empty()) {
        const char* home = std::getenv("HOME");
        if (home != nullptr)
            return home;
        const passwd* entry = getpwuid(getuid());
        return entry == nullptr ? nullptr : entry->pw_dir;
    }
    const passwd* entry = getpwnam(user);
    return entry == nullptr ? nullptr : entry->pw_dir;
}

}  // namespace

listring OI_translate_filename(const listring& name)
{
    if (name.is_empty() || (name[0u] != '$' && name[0u] != '~'))
        return name;

    const char* text = name.c_str();
    const char* slash = std::strchr(text, '/');
    unsigned head_length = slash == nullptr ? name.length() : static_cast<unsigned>(slash - text);
    listring key;
    name.substr(1, head_length - 1, key);
    listring rest;
    name.substr(head_length, name.length() - head_length, rest);

    const char* expansion;
    if (name[0u] == '$') {
        expansion = std::getenv(key);
        if (expansion == nullptr)
            expansion = "";
    } else {
        expansion = home_directory(key);
        if (expansion == nullptr)
            return name;
    }
    listring result(expansion);
    result += rest;
    return result;
}
