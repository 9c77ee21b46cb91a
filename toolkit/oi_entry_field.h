// OI_entry_field: a one-line text entry with an optional label on its left.
// A character check may refuse typed characters one by one; the entry
// callback runs when the user confirms the entry with the Return key.
// OI_seq_entry_field is an entry field whose text is a sequence of values.
#ifndef KITSETUP_TOOLKIT_OI_ENTRY_FIELD_H
#define KITSETUP_TOOLKIT_OI_ENTRY_FIELD_H

#include "toolkit/oi_d_tech.h"

class OI_entry_field : public OI_d_tech {
public:
    explicit OI_entry_field(const std::string& name) : OI_d_tech(name) {}
    const char* class_name() const override { return "EntryField"; }

    // The text now in the field (what the user typed included).
    std::string text() const;
    // At most count characters of the text from character start on.
    std::string part_text(int start, int count) const;
    // Replaces the text without the character check or the entry callback.
    // The flag and the encoding are accepted for callers that pass them;
    // texts are UTF-8.
    void set_text(const std::string& text, int flag = 0, const char* encoding = nullptr);
    // Puts text in as if the user typed it (each character through the
    // check), then runs the entry callback as Return does: its result, or
    // 0 when there is none.
    long set_value_as_typed(const std::string& text);
    // The text; setting it by the user is set_value_as_typed.
    bool get_value_text(std::string* text) const override;
    OI_set_result set_value_text(const std::string& text, OI_set_by by, std::string* reason) override;

    // The label on the left; before set_label, the "label" resource.
    std::string label() const;
    void set_label(const std::string& label);

    // Called with each typed character (its Unicode value); a zero answer
    // refuses the character. Resource "charCheck" names a plain function.
    void set_char_chk(const OI_callback& check);
    // Called when the user confirms the entry. Resource "entryAction".
    void set_entry_callback(const OI_callback& callback);

    // Width of the field in characters; before set_columns, the "columns"
    // resource (20 when there is none).
    int columns() const;
    void set_columns(int columns);

    void handle_event(const std::string& kind, const std::vector<std::string>& args) override;
    // Validates one edit of the field's widget (Tk's %d, %S, %V and %P):
    // false refuses it. Typed insertions go through the character check.
    bool accept_edit(const std::string& action, const std::string& inserted,
                     const std::string& reason, const std::string& new_text);

protected:
    void create_widget(const std::string& path) override;
    OI_d_tech* copy_self() const override;
    void apply_resources() override;
    void show_enabled(bool enabled) override;
    // Gives copy this field's own settings.
    void copy_settings_to(OI_entry_field* copy) const;

private:
    bool accepts(const std::string& characters);
    void show_text();
    void show_label() const;
    std::string entry_path() const { return widget() + ".e"; }
    std::string label_path() const { return widget() + ".l"; }

    bool text_set_ = false;      // else the "text" resource
    std::string text_;           // kept equal to the widget's by accept_edit
    bool showing_text_ = false;  // the toolkit itself is changing the widget
    bool label_set_ = false;
    std::string label_;
    int columns_ = 0;            // 0: the "columns" resource
    OI_callback char_check_;
    OI_callback entry_callback_;
    bool char_check_set_ = false;
    bool entry_callback_set_ = false;
};

class OI_seq_entry_field : public OI_entry_field {
public:
    explicit OI_seq_entry_field(const std::string& name) : OI_entry_field(name) {}
    const char* class_name() const override { return "SeqEntryField"; }

protected:
    OI_d_tech* copy_self() const override;
};

#endif
