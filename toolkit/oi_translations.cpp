#include "toolkit/oi_translations.h"

#include <cctype>
#include <cstring>
#include <iterator>
#include <sstream>

namespace {

struct name_pair {
    const char* x_name;
    const char* tk_name;
};

// X event names and the Tk event type (with its detail where X folds the
// button into the name).
const name_pair event_names[] = {
    {"Key", "KeyPress"},           {"KeyPress", "KeyPress"},   {"KeyDown", "KeyPress"},
    {"KeyUp", "KeyRelease"},       {"KeyRelease", "KeyRelease"},
    {"BtnDown", "ButtonPress"},    {"ButtonPress", "ButtonPress"},
    {"BtnUp", "ButtonRelease"},    {"ButtonRelease", "ButtonRelease"},
    {"Btn1Down", "ButtonPress-1"}, {"Btn2Down", "ButtonPress-2"}, {"Btn3Down", "ButtonPress-3"},
    {"Btn1Up", "ButtonRelease-1"}, {"Btn2Up", "ButtonRelease-2"}, {"Btn3Up", "ButtonRelease-3"},
    {"Enter", "Enter"},            {"EnterWindow", "Enter"},
    {"Leave", "Leave"},            {"LeaveWindow", "Leave"},
    {"FocusIn", "FocusIn"},        {"FocusOut", "FocusOut"},
    {"Motion", "Motion"},          {"PtrMoved", "Motion"},     {"MouseMoved", "Motion"},
};

const name_pair modifier_names[] = {
    {"Shift", "Shift"}, {"Ctrl", "Control"}, {"Lock", "Lock"}, {"Meta", "Meta"},
    {"Alt", "Alt"},     {"Mod1", "Mod1"},    {"Mod2", "Mod2"}, {"Mod3", "Mod3"},
    {"Mod4", "Mod4"},   {"Mod5", "Mod5"},    {"Button1", "B1"}, {"Button2", "B2"},
    {"Button3", "B3"},
};

const char* tk_name_of(const name_pair* pairs, size_t count, const std::string& x_name)
{
    for (size_t i = 0; i < count; ++i) {
        if (x_name == pairs[i].x_name)
            return pairs[i].tk_name;
    }
    return nullptr;
}

std::string trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The lines of text, split at real newlines and at the escaped "\n".
std::vector<std::string> table_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        bool escaped_newline = text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n';
        if (text[i] == '\n' || escaped_newline) {
            lines.push_back(line);
            line.clear();
            if (escaped_newline)
                ++i;
        } else {
            line += text[i];
        }
    }
    lines.push_back(line);
    return lines;
}

// "[modifiers]<Event>[detail]" as a Tk sequence, or "" with *reason set.
// Tk has no "not" or "exactly" modifiers, so "~Mod" and "!" are dropped.
std::string tk_sequence(const std::string& event_part, std::string* reason)
{
    size_t open = event_part.find('<');
    size_t close = event_part.find('>', open == std::string::npos ? 0 : open);
    if (open == std::string::npos || close == std::string::npos) {
        *reason = "no event in \"" + event_part + "\"";
        return "";
    }
    if (event_part.find('<', close) != std::string::npos || event_part.find(',') != std::string::npos) {
        *reason = "event sequences of more than one event are not supported: \"" + event_part + "\"";
        return "";
    }
    std::string sequence = "<";
    std::istringstream modifiers(event_part.substr(0, open));
    std::string modifier;
    while (modifiers >> modifier) {
        if (modifier[0] == '!' || modifier[0] == ':')
            modifier.erase(0, 1);
        if (modifier.empty() || modifier[0] == '~' || modifier == "None")
            continue;
        const char* tk_modifier = tk_name_of(modifier_names, std::size(modifier_names), modifier);
        if (tk_modifier == nullptr) {
            *reason = "unknown modifier \"" + modifier + "\"";
            return "";
        }
        sequence += std::string(tk_modifier) + "-";
    }
    std::string event = trimmed(event_part.substr(open + 1, close - open - 1));
    const char* tk_event = tk_name_of(event_names, std::size(event_names), event);
    if (tk_event == nullptr) {
        *reason = "unknown event \"" + event + "\"";
        return "";
    }
    sequence += tk_event;
    std::string detail = trimmed(event_part.substr(close + 1));
    if (!detail.empty()) {
        bool numbered = std::strchr(tk_event, '-') != nullptr;
        if (numbered) {
            *reason = "\"" + event + "\" takes no detail";
            return "";
        }
        sequence += "-" + detail;
    }
    return sequence + ">";
}

// The action names of "name(params) name2()"; false when one is malformed.
bool action_names(const std::string& text, std::vector<std::string>* names, std::string* reason)
{
    size_t at = 0;
    while (true) {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
            ++at;
        if (at == text.size())
            break;
        size_t open = text.find('(', at);
        size_t close = open == std::string::npos ? open : text.find(')', open);
        std::string name = open == std::string::npos ? "" : trimmed(text.substr(at, open - at));
        if (close == std::string::npos || name.empty() ||
            name.find_first_of(" \t") != std::string::npos) {
            *reason = "an action is written \"name()\", not \"" + trimmed(text.substr(at)) + "\"";
            return false;
        }
        names->push_back(name);
        at = close + 1;
    }
    if (names->empty()) {
        *reason = "no action after the event";
        return false;
    }
    return true;
}

}  // namespace

bool OI_parse_translations(const std::string& text, std::vector<OI_translation>* table,
                           std::string* reason)
{
    std::vector<std::string> lines = table_lines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = trimmed(lines[i]);
        if (line.empty() || (i == 0 && (line == "#override" || line == "#augment" ||
                                        line == "#replace")))
            continue;
        size_t close = line.find('>');
        size_t colon = line.find(':', close == std::string::npos ? 0 : close);
        if (close == std::string::npos || colon == std::string::npos) {
            *reason = "line " + std::to_string(i + 1) + " is not \"<Event>detail: action()\"";
            return false;
        }
        OI_translation translation;
        std::string why;
        translation.sequence = tk_sequence(line.substr(0, colon), &why);
        if (translation.sequence.empty() ||
            !action_names(line.substr(colon + 1), &translation.actions, &why)) {
            *reason = "line " + std::to_string(i + 1) + ": " + why;
            return false;
        }
        table->push_back(translation);
    }
    return true;
}
