// listring: the text type of the whole installer. Owns a growable,
// NUL-terminated buffer and carries the process-wide switch that makes every
// comparison and search case-sensitive or not.
#ifndef KITSETUP_LIB_LISTRING_H
#define KITSETUP_LIB_LISTRING_H

#include <type_traits>

#include "lib/liboolean.h"

class listring {
public:
    listring();
    listring(char c);
    listring(const char* s);
    listring(const listring& other);
    virtual ~listring();

    listring& operator=(const listring& other);
    listring& operator=(const char* s);
    listring& operator+=(const listring& other);
    listring& operator+=(unsigned char c);
    listring& operator+=(char c) { return *this += static_cast<unsigned char>(c); }
    listring& operator+=(const char* s) { return *this += listring(s); }
    listring& add(const listring& other) { return *this += other; }
    listring& add(unsigned char c) { return *this += c; }

    // Negative, 0 or positive as strcmp; upper-cased comparison when the
    // program is case-insensitive.
    int compare(const listring& other) const;
    bool operator==(const listring& other) const { return compare(other) == 0; }
    bool operator!=(const listring& other) const { return compare(other) != 0; }
    bool operator==(const char* other) const { return compare(listring(other)) == 0; }
    bool operator!=(const char* other) const { return compare(listring(other)) != 0; }

    // Index of the first occurrence, or -1. The empty string is found at 0.
    int find(const listring& s) const;
    int find(char c) const;

    // out = up to n characters from pos; empty when pos is past the end.
    void substr(unsigned pos, unsigned n, listring& out) const;

    void strip_leading_blanks();
    void strip_trailing_blanks();
    void strip_leading_and_trailing_blanks();

    // out = the characters up to the first blank; this string is unchanged.
    void get_word(listring& out) const;

    // Trims both ends and collapses each run of blanks between words to one
    // space.
    void clean();

    // Drops everything up to and including the first c (unchanged when c
    // does not occur), or the first n characters.
    void rest_of_string(char c);
    void rest_of_string(int n);

    // Skips leading delimiters, returns the next run of non-delimiters and
    // leaves this string starting at the delimiter that ended the run.
    listring token(const listring& delimiters);

    unsigned length() const { return length_; }
    unsigned size_of() const { return capacity_; }
    void empty();
    bool is_empty() const { return length_ == 0; }
    bool operator!() const { return length_ == 0; }
    void shrink();

    operator const char*() const { return store_; }
    const char* c_str() const { return store_; }

    // The character at i; i may equal the length (the NUL). A larger index
    // ends the program.
    // One template for every integer type, so that an index of type size_t
    // or int is never ambiguous; a negative index wraps and is out of range.
    template <typename Index, typename = std::enable_if_t<std::is_integral_v<Index>>>
    char operator[](Index i) const { return elem(static_cast<unsigned>(i)); }
    char elem(unsigned i) const;

    // Turns spaces into newlines so that no line is longer than 80 characters
    // where a space allows it; the length does not change.
    void format_for_output();

    static void case_sensitive_on();
    static void case_sensitive_off();
    static liboolean is_case_sensitive();

    // Capacity granted for a request of n bytes: the next multiple of 32
    // strictly above n.
    static unsigned capacity_for(unsigned n) { return (n & ~31u) + 32; }

private:
    void allocate(unsigned request);
    void grow(unsigned request);
    void assign(const char* s, unsigned n);

    char* store_;
    unsigned capacity_;
    unsigned length_;

    static liboolean case_sensitive_;
};

inline bool operator==(const char* left, const listring& right) { return right == left; }
inline bool operator!=(const char* left, const listring& right) { return right != left; }

// Turns case sensitivity on for the life of the object when it was off, and
// restores the previous setting afterwards: the program's exact-match pattern.
class case_sensitive_section {
public:
    case_sensitive_section();
    ~case_sensitive_section();
    case_sensitive_section(const case_sensitive_section&) = delete;
    case_sensitive_section& operator=(const case_sensitive_section&) = delete;

private:
    liboolean was_insensitive_;
};

// The opposite: comparisons ignore case for the life of the object.
class case_insensitive_section {
public:
    case_insensitive_section();
    ~case_insensitive_section();
    case_insensitive_section(const case_insensitive_section&) = delete;
    case_insensitive_section& operator=(const case_insensitive_section&) = delete;

private:
    liboolean was_sensitive_;
};

// The word delimiters every stream starts with: space, tab and newline.
extern const listring DEFAULT_DELIMITERS;

#endif
