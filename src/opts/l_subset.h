// l_subset: the subsets of one set in file order. The list owns them:
// removing one or destroying the list deletes them.
#ifndef KITSETUP_OPTS_L_SUBSET_H
#define KITSETUP_OPTS_L_SUBSET_H

#include "lib/typed_list.h"
#include "opts/subset.h"

class l_subset : public typed_list<subset> {
public:
    l_subset();
    ~l_subset() override;
    l_subset(const l_subset&) = delete;
    l_subset& operator=(const l_subset&) = delete;

    using typed_list<subset>::add;
    using typed_list<subset>::elem;
    // The first subset named exactly name, whatever the program's case
    // setting; null after DEF_SUBSET_DOES_NOT_EXIST.
    subset* elem(const listring& name) const;
    // The same without the message, for callers that expect misses.
    subset* find(const listring& name) const;

protected:
    listring element_name(const subset& element) const override { return element.name(); }
};

#endif
