// typed_list<X>: the pattern every typed list follows over List: type-safe
// access, the list's own labels in its messages, a fatal subscript check.
// It never deletes its elements; lists that own theirs do so themselves.
#ifndef KITSETUP_LIB_TYPED_LIST_H
#define KITSETUP_LIB_TYPED_LIST_H

#include "lib/list.h"
#include "lib/listring.h"

// The texts a typed list shows: its label in DEF_LIST_ADD_ERROR and in
// DEF_SUBSCRIPT_ERROR.
struct list_labels {
    const char* add_label;
    const char* subscript_label;
};

// Shows DEF_LIST_ADD_ERROR for an element that could not be added.
void report_list_add_error(const list_labels& labels, const listring& name);
// Shows DEF_SUBSCRIPT_ERROR for index i.
void report_subscript_error(const list_labels& labels, unsigned i);

template <class X>
class typed_list : public List {
public:
    explicit typed_list(const list_labels& labels) : labels_(labels) {}

    // Appends p: 0, or -1 after the add-error box.
    int add(X* p)
    {
        if (List::add(p) != 0) {
            report_list_add_error(labels_, element_name(*p));
            return -1;
        }
        return 0;
    }

    // The i-th element; an index out of range is reported and ends the
    // program.
    X* elem(unsigned i) const
    {
        if (i >= entries()) {
            report_subscript_error(labels_, i);
            fatal_subscript();
        }
        return static_cast<X*>(List::elem(i));
    }

protected:
    // Removes entry i after the subscript check: the out-of-range case is
    // reported and gives -1, and the program goes on.
    int checked_remove(unsigned i)
    {
        if (i >= entries()) {
            report_subscript_error(labels_, i);
            return -1;
        }
        return List::remove(i);
    }

    // The first element whose key (key_of(element)) equals name, compared
    // case-sensitively whatever the program's setting; null when none does.
    // Lists with a name key build their elem(name) on this.
    template <class KeyOf>
    X* find_by_key(const listring& name, KeyOf key_of) const
    {
        case_sensitive_section exact;
        for (unsigned i = 0; i < entries(); ++i) {
            X* element = static_cast<X*>(List::elem(i));
            if (key_of(*element) == name)
                return element;
        }
        return nullptr;
    }

    // The name shown in the add-error box.
    virtual listring element_name(const X& element) const = 0;

    const list_labels& labels() const { return labels_; }

private:
    [[noreturn]] static void fatal_subscript();

    list_labels labels_;
};

[[noreturn]] void end_after_subscript_error();

template <class X>
void typed_list<X>::fatal_subscript()
{
    end_after_subscript_error();
}

#endif
