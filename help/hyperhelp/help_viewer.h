// The viewer's window and what it shows: one help file at a time, a page of
// it (a topic, search results, or why nothing can be shown) and the pages
// the Back button returns to. The window is built by a Tcl script in the
// interpreter given, which the viewer does not own; the viewer gives that
// script its data through commands of its own.
#ifndef KITSETUP_HELP_HYPERHELP_HELP_VIEWER_H
#define KITSETUP_HELP_HYPERHELP_HELP_VIEWER_H

#include <tcl.h>

#include <string>
#include <utility>
#include <vector>

#include "help/help_file.h"

// What a page shows. A topic page with context 0 is the file's contents.
struct viewer_page {
    enum kind_t { no_file, topic, search, cannot_show };
    kind_t kind = no_file;
    std::string file;
    int context = 0;
    std::string words;   // of a search page
    std::string note;    // the line above the title, or ""
    std::string reason;  // why a cannot_show page's file cannot be shown
};

class help_viewer {
public:
    explicit help_viewer(Tcl_Interp* interp);
    // Takes the viewer's commands out of the interpreter, which outlives it.
    ~help_viewer();
    help_viewer(const help_viewer&) = delete;
    help_viewer& operator=(const help_viewer&) = delete;

    // Builds the window, blank until the first request: false with the
    // script's error in *error when that failed.
    bool build_window(std::string* error);
    // Adds the command "automation" that tests drive the viewer with.
    void add_automation(const std::string& identifier);

    // A request from outside (source "args" or "message", line as it came):
    // shows topic context of file, read afresh, or its contents for 0.
    void request(const std::string& source, const std::string& line, const std::string& file,
                 int context);
    // Shows the topic of the present file, or its contents with a note when
    // it has no such topic.
    void show_topic(int context);
    void show_contents();
    void search(const std::string& words);
    // Returns to the page before: false when there is none.
    bool back();
    // Brings the window up from an icon and over the others.
    void raise();

    // Set by "automation quit" and by closing the window.
    bool quit_requested() const { return quit_requested_; }

private:
    // Shows page, the one shown so far going on the Back list.
    void go(viewer_page page);
    // Shows page, reading its file when that is not the one read.
    void display(viewer_page page);
    // Reads file when it is not the one read, or always when fresh.
    void load(const std::string& file, bool fresh);
    // Whether the page shows a file that could be read, so that its
    // contents and search have something to look in.
    bool page_readable() const { return page_.kind != viewer_page::no_file && page_.reason.empty(); }
    // The blocks page shows; a topic page's context number becomes the one
    // shown, with a note when the file lacks the one asked for.
    std::vector<help_block> page_blocks(viewer_page* page) const;
    void render(const std::string& title, const std::string& note,
                const std::vector<help_block>& blocks);
    // Runs the command of words (taking them over), reporting an error.
    void call(const std::vector<Tcl_Obj*>& words);
    std::string page_title() const;
    std::string eval(const std::string& script);

    static int command(ClientData data, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]);
    static int automation(ClientData data, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]);
    // The answer to an automation call that asks (page, text, ...), or null
    // for any other call.
    Tcl_Obj* automation_query(const std::string& name);
    // Carries out an automation call that acts: false with *error saying
    // what was wrong.
    bool automation_action(const std::string& name, const std::string& argument, std::string* error);

    Tcl_Interp* interp_;
    help_file file_;
    std::string loaded_file_;
    std::string loaded_reason_;
    viewer_page page_;
    // Whether page_ has been shown: the blank window before it is no page.
    bool showing_ = false;
    std::vector<viewer_page> history_;
    // The link targets of the page shown, in order.
    std::vector<int> shown_links_;
    // Each request as {source line}.
    std::vector<std::pair<std::string, std::string>> requests_;
    std::string identifier_;
    bool quit_requested_ = false;
};

#endif
