#include "opts/t_subset.h"

#include <cctype>
#include <cerrno>
#include <cstring>

#include "cmds/l_cmd.h"
#include "lib/listream.h"
#include "misc/config_entries.h"
#include "misc/lidefs.h"
#include "misc/utilities.h"
#include "opts/l_subset.h"
#include "prod/product.h"
#include "lib/msgs.h"
#include "lib/reporter.h"

namespace {

// The record-ending "." of a cleaned line: the first one at the end of the
// line or before a blank. Dots inside words (version numbers, "a.b" lists)
// stay in the record. -1 when the line has none.
int record_stop(const listring& line)
{
    const char* text = line.c_str();
    for (int i = 0; text[i] != '\0'; ++i)
        if (text[i] == SUBSET_DELIMITERS[0u] && (text[i + 1] == '\0' || text[i + 1] == ' '))
            return i;
    return -1;
}

// Reads the next record into record: lines joined as they stand until a
// line whose last character is "." or the end of the file. Empty and
// comment lines are skipped wherever they stand.
void read_record(listream& file, listring& record)
{
    record.empty();
    listring line;
    for (;;) {
        file.getline(&line);
        liboolean at_end = !file.good();
        line.clean();
        if (!line.is_empty() && line[0u] != '#') {
            int stop = record_stop(line);
            if (stop < 0) {
                record += line;
            } else {
                listring piece;
                line.substr(0, static_cast<unsigned>(stop), piece);
                record += piece;
                if (static_cast<unsigned>(stop) + 1 == line.length())
                    return;
            }
        }
        if (at_end)
            return;
    }
}

// The flag of sub that a flag keyword names, or null for "Opt" and unknown
// keywords. "Man" and "Def" also select the subset, which the caller does.
void (subset::*flag_setter(const listring& keyword))(liboolean)
{
    struct rule {
        const listring& keyword;
        void (subset::*set)(liboolean);
    };
    static const rule rules[] = {
        {SUBSET_ARCHIVE_STRING, &subset::set_archive},
        {SUBSET_MANDATORY_STRING, &subset::set_mandatory},
        {SUBSET_DEFAULT_STRING, &subset::set_default},
        {SUBSET_INSTALL_STRING, &subset::set_install},
        {SUBSET_DEINSTALL_STRING, &subset::set_deinstall},
        {SUBSET_COMPRESSED_STRING, &subset::set_compressed},
        {SUBSET_ADVERTS_STRING, &subset::set_adverts},
        {SUBSET_HID_STRING, &subset::set_hidden},
    };
    for (const rule& r : rules)
        if (keyword == r.keyword)
            return r.set;
    return nullptr;
}

void (subset::*integer_setter(const listring& keyword))(int)
{
    if (keyword == SUBSET_VOLUME_STRING)
        return &subset::volume_no;
    if (keyword == SUBSET_POSITION_STRING)
        return &subset::position;
    if (keyword == SUBSET_SIZE_STRING)
        return &subset::size;
    if (keyword == SUBSET_NO_OF_FILES_STRING)
        return &subset::no_of_files;
    return nullptr;
}

// Size of the selected entries of a nested set.
std::int64_t selected_size(const t_subset* set)
{
    const l_subset* list = set->entries();
    std::int64_t total = 0;
    for (unsigned i = 0; list != nullptr && i < list->entries(); ++i)
        if (list->elem(i)->is_selected())
            total += list->elem(i)->size();
    return total;
}

// A subset name is a plain word that names files in the configuration
// directory: no path separator, no leading dot, no blank or control
// character, so its files and scripts cannot lie elsewhere.
bool plain_file_name(const listring& name)
{
    if (name.is_empty() || name[0u] == '.')
        return false;
    for (const char* c = name.c_str(); *c != '\0'; ++c)
        if (*c == '/' || std::isspace(static_cast<unsigned char>(*c)) ||
            std::iscntrl(static_cast<unsigned char>(*c)))
            return false;
    return true;
}

// The value of an integer keyword: a number that fits an int; sizes and
// file counts must also not be negative.
bool subset_integer(const listring& value, const listring& keyword, int* number)
{
    int parsed = 0;
    if (!integer_in_range(value, &parsed))
        return false;
    if (parsed < 0 && (keyword == SUBSET_SIZE_STRING || keyword == SUBSET_NO_OF_FILES_STRING))
        return false;
    *number = parsed;
    return true;
}

}  // namespace

t_subset::t_subset(t_subset* parent, subset* owner, const listring& name)
    : parent_(parent), owner_(owner)
{
    file_ = parent == nullptr
                ? product::config_file_name(name, PROD_OPT_FILE_SUFFIX, CONFIG_FILE_EXTENSION)
                : product::subset_options_file(name);
}

t_subset::~t_subset() = default;

t_subset* t_subset::root()
{
    return parent_ == nullptr ? this : parent_->root();
}

// A plain set at the top has nobody to ask: only prod_opts can be a root.
t_subset* t_subset::answering_root()
{
    t_subset* top = root();
    if (top == nullptr || top == this) {
        error(catalogue_text(DEF_NO_ROOT_OPTION), true);
        end_program(-1);
    }
    return top;
}

product* t_subset::current_prod()
{
    return answering_root()->current_prod();
}

l_product* t_subset::all_products()
{
    return answering_root()->all_products();
}

l_cmd* t_subset::cmd_templates()
{
    return answering_root()->cmd_templates();
}

cmd* t_subset::cmd_templates(cmd_t kind)
{
    return answering_root()->cmd_templates(kind);
}

int t_subset::parse_config()
{
    errno = 0;
    listream file(file_.c_str());
    if (!file.is_open()) {
        int open_errno = errno;
        error(format_message(DEF_CANT_OPEN_FILE, file_.c_str(), std::strerror(open_errno)), true);
        return -1;
    }
    case_insensitive_section ignore_case;
    name_seen_ = false;
    listring record;
    for (int record_number = 1;; ++record_number) {
        read_record(file, record);
        if (refuse_nul_line(file, file_) != 0)
            return -1;
        record.clean();
        if (record.is_empty())
            break;
        if (parse_record(record, record_number) < 0)
            return -1;
    }
    unsigned defined = entries_ == nullptr ? 0 : entries_->entries();
    if (defined > 0)
        return 0;
    error(format_message(DEF_TOO_FEW_SUBSETS, file_.c_str(), static_cast<int>(defined)), true);
    return -1;
}

int t_subset::parse_record(const listring& record, int record_number)
{
    // Each record names the subset that follows those named before it.
    record_entry_ = entries_ == nullptr ? 0 : entries_->entries();
    record_number_ = record_number;
    return for_each_parameter(
        record, current_prod()->catalogue(),
        [this, record_number](const listring& keyword, const listring& value) {
            if (!name_seen_ && keyword != SUBSET_NAME_STRING) {
                error(format_message(DEF_OPT_NAME_NOT_FIRST, record_number), true);
                return 1;
            }
            return apply_parameter(keyword, value, record_number) != 0 ? -1 : 0;
        });
}

int t_subset::apply_parameter(const listring& keyword, const listring& value,
                              int record_number)
{
    if (keyword == SUBSET_NAME_STRING)
        return set_name(value, record_number);
    if (keyword == SUBSET_DESC_STRING)
        return set_desc(value, record_number);
    if (keyword == SUBSET_DEPEND_STRING)
        return set_list(value, record_number);
    if (keyword == SUBSET_OPTIONS_STRING || flag_setter(keyword) != nullptr)
        return set_flag(value, keyword, record_number);
    if (integer_setter(keyword) != nullptr)
        return set_integer(value, keyword, record_number);
    error(format_message(DEF_BAD_KEYWORD, file_.c_str(), keyword.c_str(), record_number), true);
    return -1;
}

// A record that names no subset of its own acts on a position that does
// not exist yet, and the list's subscript check ends the program.
subset* t_subset::record_subset()
{
    if (entries_ == nullptr || record_entry_ >= entries_->entries())
        error(format_message(DEF_OPTION_WITHOUT_NAME, file_.c_str(), record_number_), true);
    return elem(record_entry_);
}

int t_subset::append(std::unique_ptr<subset> option)
{
    if (entries_ == nullptr)
        entries_ = std::make_unique<l_subset>();
    if (entries_->add(option.get()) != 0)
        return -1;
    option.release();
    return 0;
}

int t_subset::set_name(const listring& value, int record_number)
{
    name_seen_ = true;
    if (!plain_file_name(value)) {
        error(format_message(DEF_BAD_SUBSET_NAME, file_.c_str(), value.c_str(), record_number),
              true);
        return -1;
    }
    if (!claim_name(value)) {
        error(format_message(DEF_SUBSET_NAME_EXISTS, file_.c_str(), value.c_str()), true);
        error(format_message(DEF_BAD_SUBSET_NAME, file_.c_str(), value.c_str(), record_number),
              true);
        return -1;
    }
    auto option = std::make_unique<subset>(this, owner_);
    option->name(value);
    return append(std::move(option));
}

int t_subset::set_desc(const listring& value, int)
{
    record_subset()->description(value);
    return 0;
}

int t_subset::set_flag(const listring& value, const listring& keyword, int)
{
    if (!valid_flag(value)) {
        error(format_message(DEF_BAD_FLAG, file_.c_str(), keyword.c_str()), true);
        return -1;
    }
    subset* option = record_subset();
    // A flag can only be switched on: a false value changes nothing.
    if (!string_to_boolean(value))
        return 0;
    if (keyword == SUBSET_OPTIONS_STRING) {
        // The nested set's own result is not checked: its messages have
        // been shown, and the subset simply has what could be read.
        option->set_suboptions(make_nested_set(option));
        return 0;
    }
    (option->*flag_setter(keyword))(true);
    if (keyword == SUBSET_MANDATORY_STRING || keyword == SUBSET_DEFAULT_STRING)
        option->set_selected(true);
    return 0;
}

int t_subset::set_list(const listring& value, int)
{
    subset* option = record_subset();
    return split_name_list(value,
                           [option](const listring& name) { return option->add_dependency(name); });
}

int t_subset::set_integer(const listring& value, const listring& keyword, int record_number)
{
    int number = 0;
    if (!subset_integer(value, keyword, &number)) {
        error(format_message(DEF_BAD_SUBSET_INT, file_.c_str(), keyword.c_str(), record_number),
              true);
        return -1;
    }
    (record_subset()->*integer_setter(keyword))(number);
    return 0;
}

std::unique_ptr<t_subset> t_subset::make_nested_set(subset* owner)
{
    auto nested = std::make_unique<t_subset>(this, owner, owner->name());
    nested->parse_config();
    return nested;
}

liboolean t_subset::claim_name(const listring& name)
{
    return root()->names_.insert(name.c_str()).second;
}

subset* t_subset::elem(unsigned index)
{
    if (entries_ == nullptr)
        entries_ = std::make_unique<l_subset>();
    return entries_->elem(index);
}

subset* t_subset::elem(const listring& name)
{
    if (entries_ == nullptr)
        entries_ = std::make_unique<l_subset>();
    return entries_->elem(name);
}

std::int64_t t_subset::space_reqd(liboolean own_sizes_only)
{
    product* prod = current_prod();
    listring insname(prod->id());
    insname += INST_ARCHIVE_SUFFIX;
    liboolean whole_media = prod->create_dist_server();
    liboolean disc = prod->media() == MEDIA_CD || prod->media() == MEDIA_DISTRIBUTION;
    std::int64_t total = 0;
    case_sensitive_section exact;
    for (unsigned i = 0; entries_ != nullptr && i < entries_->entries(); ++i) {
        subset* option = entries_->elem(i);
        if (whole_media) {
            total += option->size();
            continue;
        }
        liboolean installer = option->name() == insname;
        liboolean counted = disc ? option->is_selected() || installer
                                 : option->is_selected() && !installer;
        if (!counted)
            continue;
        if (option->has_suboptions() && !own_sizes_only)
            total += selected_size(option->suboptions());
        else
            total += option->size();
    }
    return total;
}

std::int64_t t_subset::total_files()
{
    std::int64_t total = 0;
    for (unsigned i = 0; entries_ != nullptr && i < entries_->entries(); ++i)
        if (entries_->elem(i)->is_selected())
            total += entries_->elem(i)->no_of_files();
    return total;
}
