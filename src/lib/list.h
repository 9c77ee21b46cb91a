// List: the one generic container of the installer, an ordered,
// index-addressed ring of untyped pointers. A list owns its link records,
// never the elements: removing an entry leaves the element to its maker.
#ifndef KITSETUP_LIB_LIST_H
#define KITSETUP_LIB_LIST_H

#include <cstdint>

struct ListEntry {
    ListEntry* next;
    ListEntry* previous;
    const void* data;
};

class List {
public:
    List() = default;
    virtual ~List();
    List(const List&) = delete;
    List& operator=(const List&) = delete;

    // Appends data at the end: 0, or -1 when no link record can be had.
    int add(const void* data);

    // Removes the i-th entry, keeping the order of the others: 0, or -1 when
    // i is out of range.
    virtual int remove(unsigned i);

    // Removes the first entry through remove(0).
    virtual int tail();

    // The i-th element; an index out of range ends the program.
    void* elem(unsigned i) const;

    virtual unsigned entries() const { return count_; }
    bool is_empty() const { return count_ == 0; }

    // Removes every entry.
    void empty();

private:
    ListEntry* entry_at(unsigned i) const;

    ListEntry* head_ = nullptr;
    std::uint32_t count_ = 0;
    // The entry last reached by index, so that walking a list in order
    // costs one step per element; null when a removal may have moved it.
    mutable ListEntry* cursor_ = nullptr;
    mutable std::uint32_t cursor_index_ = 0;
};

#endif
