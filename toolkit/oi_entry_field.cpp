#include "toolkit/oi_entry_field.h"

#include <tcl.h>

#include <cstdlib>

#include "toolkit/oi_connection.h"
#include "toolkit/oi_tk.h"
#include "toolkit/oi_utf8.h"

namespace {

const int default_columns = 20;

// "::oi::entry_check ID ACTION INSERTED REASON NEWTEXT": the validation
// command of every entry field's widget; its result accepts or refuses.
int entry_check_command(ClientData, Tcl_Interp* interp, int argc, const char** argv)
{
    bool accepted = true;
    if (argc == 6) {
        auto* field = dynamic_cast<OI_entry_field*>(
            OI_d_tech::by_id(std::strtoul(argv[1], nullptr, 10)));
        if (field != nullptr)
            accepted = field->accept_edit(argv[2], argv[3], argv[4], argv[5]);
    }
    Tcl_SetObjResult(interp, Tcl_NewBooleanObj(accepted));
    return TCL_OK;
}

// Each interpreter (a new one after every OI_init) gets the command once.
void ensure_check_command(Tcl_Interp* interp)
{
    Tcl_CmdInfo info;
    if (Tcl_GetCommandInfo(interp, "::oi::entry_check", &info) == 0)
        Tcl_CreateCommand(interp, "::oi::entry_check", entry_check_command, nullptr, nullptr);
}

}  // namespace

void OI_entry_field::create_widget(const std::string& path)
{
    OI_connection* conn = OI_uib_conn;
    ensure_check_command(OI_tk::interp(conn));
    OI_tk::eval("frame " + path + " -borderwidth 0");
    OI_tk::eval("label " + label_path() + " -anchor e");
    OI_tk::eval("entry " + entry_path() + " -relief sunken -borderwidth 2 -width " +
               std::to_string(columns()) + " -validate key -validatecommand {::oi::entry_check " +
               std::to_string(id()) + " %d %S %V %P}");
    OI_tk::eval("grid " + entry_path() + " -row 0 -column 1 -sticky ew");
    OI_tk::eval("grid columnconfigure " + path + " 1 -weight 1");
    for (const char* key : {"<Return>", "<KP_Enter>"})
        OI_tk::eval("bind " + entry_path() + " " + key + " {" + event_script("enter") + "}");
    show_label();
    show_text();
}

void OI_entry_field::copy_settings_to(OI_entry_field* copy) const
{
    copy->text_set_ = text_set_;
    copy->text_ = text_;
    copy->label_set_ = label_set_;
    copy->label_ = label_;
    copy->columns_ = columns_;
    copy->char_check_ = char_check_;
    copy->entry_callback_ = entry_callback_;
    copy->char_check_set_ = char_check_set_;
    copy->entry_callback_set_ = entry_callback_set_;
}

OI_d_tech* OI_entry_field::copy_self() const
{
    auto* copy = new OI_entry_field(name());
    copy_settings_to(copy);
    return copy;
}

OI_d_tech* OI_seq_entry_field::copy_self() const
{
    auto* copy = new OI_seq_entry_field(name());
    copy_settings_to(copy);
    return copy;
}

// The frame takes the common resources; the font and colours go on to the
// label and the entry, which draw the text.
void OI_entry_field::apply_resources()
{
    OI_d_tech::apply_resources();
    OI_connection* conn = OI_uib_conn;
    std::string font = resource("font", "Font");
    std::string foreground = resource("foreground", "Foreground");
    std::string background = resource("background", "Background");
    for (const std::string& part : {label_path(), entry_path()}) {
        if (!font.empty())
            OI_tk::eval(part + " configure -font " + quoted(font));
        if (!foreground.empty())
            OI_tk::eval(part + " configure -foreground " + quoted(foreground));
    }
    if (!background.empty())
        OI_tk::eval(label_path() + " configure -background " + quoted(background));
    OI_tk::eval(entry_path() + " configure -width " + std::to_string(columns()));
    if (!char_check_set_)
        char_check_ = conn->callback_from_resource(resource("charCheck", "CharCheck"), name());
    if (!entry_callback_set_)
        entry_callback_ = conn->callback_from_resource(resource("entryAction", "EntryAction"), name());
    show_label();
    if (!text_set_)
        show_text();
}

void OI_entry_field::show_enabled(bool enabled)
{
    std::string state = enabled ? "normal" : "disabled";
    OI_tk::eval(entry_path() + " configure -state " + state);
    OI_tk::eval(label_path() + " configure -state " + state);
}

// Puts text() into the widget; the toolkit's own change is no typing, so
// accept_edit lets it through unchecked.
void OI_entry_field::show_text()
{
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || !realized())
        return;
    std::string state;
    OI_tk::eval(entry_path() + " cget -state", &state);
    showing_text_ = true;
    OI_tk::eval(entry_path() + " configure -state normal");
    OI_tk::eval(entry_path() + " delete 0 end");
    OI_tk::eval(entry_path() + " insert 0 " + quoted(text()));
    OI_tk::eval(entry_path() + " configure -state " + (state.empty() ? "normal" : state));
    showing_text_ = false;
}

void OI_entry_field::show_label() const
{
    OI_connection* conn = OI_uib_conn;
    if (conn == nullptr || !realized())
        return;
    std::string text = label();
    OI_tk::eval(label_path() + " configure -text " + quoted(text));
    if (text.empty())
        OI_tk::eval("grid remove " + label_path());
    else
        OI_tk::eval("grid " + label_path() + " -row 0 -column 0 -sticky e -padx {0 4}");
}

std::string OI_entry_field::text() const
{
    return text_set_ ? text_ : resource("text", "Text");
}

std::string OI_entry_field::part_text(int start, int count) const
{
    std::vector<OI_utf8_character> characters = OI_utf8_characters(text());
    std::string part;
    for (int i = start < 0 ? 0 : start; i < static_cast<int>(characters.size()) && count > 0;
         ++i, --count)
        part += characters[static_cast<size_t>(i)].bytes;
    return part;
}

void OI_entry_field::set_text(const std::string& text, int, const char*)
{
    text_set_ = true;
    text_ = text;
    show_text();
}

long OI_entry_field::set_value_as_typed(const std::string& text)
{
    std::string typed;
    for (const OI_utf8_character& character : OI_utf8_characters(text)) {
        if (accepts(character.bytes))
            typed += character.bytes;
    }
    set_text(typed);
    return entry_callback_.call(this, 0);
}

std::string OI_entry_field::label() const
{
    return label_set_ ? label_ : resource("label", "Label");
}

void OI_entry_field::set_label(const std::string& label)
{
    label_set_ = true;
    label_ = label;
    show_label();
}

void OI_entry_field::set_char_chk(const OI_callback& check)
{
    char_check_set_ = true;
    char_check_ = check;
}

void OI_entry_field::set_entry_callback(const OI_callback& callback)
{
    entry_callback_set_ = true;
    entry_callback_ = callback;
}

int OI_entry_field::columns() const
{
    if (columns_ > 0)
        return columns_;
    int columns = std::atoi(resource("columns", "Columns").c_str());
    return columns > 0 ? columns : default_columns;
}

void OI_entry_field::set_columns(int columns)
{
    columns_ = columns;
    if (realized())
        OI_tk::eval(entry_path() + " configure -width " + std::to_string(this->columns()));
}

// True when the check accepts every character of characters (or there is
// no check).
bool OI_entry_field::accepts(const std::string& characters)
{
    if (!char_check_)
        return true;
    for (const OI_utf8_character& character : OI_utf8_characters(characters)) {
        if (char_check_.call(this, character.code) == 0)
            return false;
    }
    return true;
}

bool OI_entry_field::accept_edit(const std::string& action, const std::string& inserted,
                                 const std::string& reason, const std::string& new_text)
{
    if (showing_text_)
        return true;
    if (action == "1" && reason == "key" && !accepts(inserted))
        return false;
    text_set_ = true;
    text_ = new_text;
    return true;
}

void OI_entry_field::handle_event(const std::string& kind, const std::vector<std::string>& args)
{
    if (kind == "enter")
        entry_callback_.call(this, 0);
    else
        OI_d_tech::handle_event(kind, args);
}

bool OI_entry_field::get_value_text(std::string* text) const
{
    *text = this->text();
    return true;
}

OI_set_result OI_entry_field::set_value_text(const std::string& text, OI_set_by by, std::string*)
{
    if (by == OI_set_by::user)
        set_value_as_typed(text);
    else
        set_text(text);
    return OI_set_result::set;
}
