// subset: one subset of a product ("an option" to the user): one archive on
// the installation media with its texts, flags, size, file count and tape
// place, its dependencies and, when it has them, its nested sub-options.
#ifndef KITSETUP_OPTS_SUBSET_H
#define KITSETUP_OPTS_SUBSET_H

#include <memory>

#include "lib/l_listring.h"
#include "opts/t_subset.h"

class subset : public t_subset {
public:
    // A subset of the set parent; owner is that set's owning subset.
    subset(t_subset* parent, subset* owner);
    ~subset() override;

    void name(const listring& value) { name_ = value; }
    void description(const listring& value) { description_ = value; }
    void set_archive(liboolean value) { archive_ = value; }
    void set_mandatory(liboolean value) { mandatory_ = value; }
    void set_default(liboolean value) { default_ = value; }
    void set_selected(liboolean value) { selected_ = value; }
    void set_compressed(liboolean value) { compressed_ = value; }
    void set_hidden(liboolean value) { hidden_ = value; }
    void set_adverts(liboolean value) { adverts_ = value; }
    void set_install(liboolean value) { install_ = value; }
    void set_deinstall(liboolean value) { deinstall_ = value; }
    void volume_no(int value) { volume_ = value; }
    void position(int value) { position_ = value; }
    void size(int value) { size_ = value; }
    void no_of_files(int value) { files_ = value; }
    // Appends a copy of a dependency's name: 0, or -1 after the add error.
    int add_dependency(const listring& name);
    // Takes the nested set; any earlier one is deleted.
    void set_suboptions(std::unique_ptr<t_subset> options);

    const listring& name() const { return name_; }
    const listring& description() const { return description_; }
    liboolean is_archive() const { return archive_; }
    liboolean is_file() const { return !archive_; }
    liboolean is_mandatory() const { return mandatory_; }
    liboolean is_default() const { return default_; }
    liboolean is_selected() const { return selected_; }
    liboolean is_compressed() const { return compressed_; }
    liboolean is_hidden() const { return hidden_; }
    liboolean has_adverts() const { return adverts_; }
    liboolean needs_install() const { return install_; }
    liboolean needs_deinstall() const { return deinstall_; }
    int volume_no() const { return volume_; }
    int position() const { return position_; }
    int size() const { return size_; }
    int no_of_files() const { return files_; }
    liboolean has_dependencies() const { return dependencies_.entries() > 0; }
    const l_listring& dependencies() const { return dependencies_; }
    liboolean has_suboptions() const { return suboptions_ != nullptr; }
    t_subset* suboptions() const { return suboptions_.get(); }

    // Selects or deselects the subset for an installation: selected and
    // default together, as the option dialogs and primary options do.
    void choose(liboolean on);

    // The commands that extract this subset, in order: on tape the skips
    // from where the installation's tape stands, then the extraction (its
    // line built with standalone flag), then the deletion of each selected
    // plain-file sub-option. Moves the installation's tape place on. A new
    // list for the caller, or null after the message of a template whose
    // line cannot be built.
    std::unique_ptr<l_cmd> extract_cmds(liboolean flag);

    // Run the subset's script {cfg}/{name}.ins or {cfg}/{name}.del in the
    // product's interpreter: the script's result (-1 failed, 0 go on, 1
    // stop, 2 bypass), or -1 after a message when the subset has no such
    // script or its file is missing. Nothing is installed into a
    // distribution server, so no installation script runs for one (0).
    int execute_install();
    int execute_deinstall();

private:
    listring name_;
    listring description_;
    liboolean archive_ = true;
    liboolean mandatory_ = false;
    liboolean default_ = false;
    liboolean selected_ = false;
    liboolean hidden_ = false;
    liboolean adverts_ = false;
    liboolean install_ = false;
    liboolean deinstall_ = false;
    liboolean compressed_ = false;
    int volume_ = 0;
    int position_ = 0;
    int size_ = 0;
    int files_ = 0;
    l_listring dependencies_;
    std::unique_ptr<t_subset> suboptions_;
};

#endif
