// OI_find: the one way to look an object up by name in the object tree,
// with the caller's policy for a name that finds nothing usable. The toolkit
// knows none of the program's messages, so a failure is handed to the
// caller's report function to word and show.
#ifndef KITSETUP_TOOLKIT_OI_LOOKUP_H
#define KITSETUP_TOOLKIT_OI_LOOKUP_H

#include <functional>
#include <string>

#include "toolkit/oi_d_tech.h"

// Why a look-up found nothing.
enum class OI_lookup_failure {
    no_start,    // there was no object to start from (the toolkit is not up)
    not_found,   // no descendant has the name
    wrong_class  // the first one of that name is of another class
};

// What a failed look-up does besides returning null: nothing, or call the
// report function with the reason.
class OI_lookup_policy {
public:
    using report_function = std::function<void(OI_lookup_failure)>;
    static OI_lookup_policy silent() { return OI_lookup_policy(nullptr); }
    static OI_lookup_policy reporting(report_function report) { return OI_lookup_policy(std::move(report)); }
    void failed(OI_lookup_failure failure) const
    {
        if (report_)
            report_(failure);
    }

private:
    explicit OI_lookup_policy(report_function report) : report_(std::move(report)) {}
    report_function report_;
};

// The first descendant of from (depth first) named name, when it is of class
// T; otherwise null after policy's report.
template <class T = OI_d_tech>
T* OI_find(const OI_d_tech* from, const std::string& name, const OI_lookup_policy& policy)
{
    OI_d_tech* found = from == nullptr ? nullptr : from->descendant(name);
    T* wanted = dynamic_cast<T*>(found);
    if (wanted == nullptr)
        policy.failed(from == nullptr ? OI_lookup_failure::no_start
                      : found == nullptr ? OI_lookup_failure::not_found
                                         : OI_lookup_failure::wrong_class);
    return wanted;
}

#endif
