#include "help/hyperhelp/help_viewer.h"

#include <algorithm>
#include <iostream>

namespace {

// The window, in the installer's Motif-like look. The C++ side fills it
// through hh::show_page and hh::set_states and hears from it through
// hh::command.
const char WINDOW_SCRIPT[] = R"tcl(
option add *background #c0c0c0
option add *foreground black
option add *highlightBackground #c0c0c0
option add *activeBackground #d0d0d0
option add *font {Helvetica 12}
option add *Button.font {Helvetica 12 bold}
option add *Entry.font {Courier 12}
. configure -background #c0c0c0
wm title . Help
wm geometry . 600x480
wm protocol . WM_DELETE_WINDOW {hh::command quit}

frame .bar -borderwidth 0
button .bar.contents -text Contents -relief raised -borderwidth 2 -command {hh::command contents}
button .bar.back -text Back -relief raised -borderwidth 2 -command {hh::command back}
label .bar.search -text Search:
entry .bar.words -width 18 -relief sunken -borderwidth 2
button .bar.find -text Find -relief raised -borderwidth 2 -command hh::find
bind .bar.words <Return> hh::find
pack .bar.contents -side left
pack .bar.back -side left -padx {6 0}
pack .bar.find -side right
pack .bar.words -side right -padx 6
pack .bar.search -side right -padx {12 0}

frame .rule -height 2 -borderwidth 1 -relief sunken
label .note -anchor w -justify left -foreground #8b0000
label .title -anchor w -justify left -font {Helvetica 16 bold}
foreach label {.note .title} {
    bind $label <Configure> {%W configure -wraplength [expr {%w - 4}]}
}
frame .body -relief sunken -borderwidth 2
text .body.text -wrap word -borderwidth 0 -highlightthickness 0 -padx 10 -pady 8 \
    -width 1 -height 1 -cursor left_ptr -state disabled -yscrollcommand {.body.bar set}
scrollbar .body.bar -orient vertical -borderwidth 2 -command {.body.text yview}
pack .body.bar -side right -fill y
pack .body.text -side left -fill both -expand 1

grid .bar -row 0 -sticky ew -padx 8 -pady {8 6}
grid .rule -row 1 -sticky ew
grid .note -row 2 -sticky ew -padx 10 -pady {6 0}
grid .title -row 3 -sticky ew -padx 10 -pady {6 6}
grid .body -row 4 -sticky nsew -padx 8 -pady {0 8}
grid columnconfigure . 0 -weight 1
grid rowconfigure . 4 -weight 1
grid remove .note

set t .body.text
$t tag configure paragraph -spacing3 8
$t tag configure item -lmargin1 8 -lmargin2 24 -tabs {24} -spacing3 4
$t tag configure pre -font {Courier 12} -lmargin1 16 -lmargin2 16 -wrap char
# The first block after a list or an example stands a little apart from it.
$t tag configure after_group -spacing1 8
$t tag configure bold -font {Helvetica 12 bold}
$t tag configure link -foreground blue -underline 1
$t tag bind link <Enter> {%W configure -cursor hand2}
$t tag bind link <Leave> {%W configure -cursor left_ptr}
$t tag bind link <Button-1> {hh::click %W %x %y}
unset t

namespace eval hh {}

proc hh::find {} {
    hh::command find [.bar.words get]
}

# Follows the link under the pointer: its target is in its tag "target_N".
proc hh::click {w x y} {
    foreach tag [$w tag names @$x,$y] {
        if {[string match target_* $tag]} {
            hh::command follow [string range $tag 7 end]
            return
        }
    }
}

# Shows a page: blocks is a list of {kind runs}, kind paragraph, item or
# pre, each run {style text target} with style plain, bold or link.
proc hh::show_page {title note blocks} {
    set t .body.text
    $t configure -state normal
    $t delete 1.0 end
    set previous ""
    foreach block $blocks {
        lassign $block kind runs
        set tags [list $kind]
        if {$previous ni [list "" paragraph $kind]} {
            lappend tags after_group
        }
        if {$kind eq "item"} {
            $t insert end "\u2022\t" $tags
        }
        foreach run $runs {
            lassign $run style text target
            set run_tags $tags
            if {$style eq "bold"} {
                lappend run_tags bold
            } elseif {$style eq "link"} {
                lappend run_tags link target_$target
            }
            $t insert end $text $run_tags
        }
        $t insert end \n $tags
        set previous $kind
    }
    $t delete end-1c
    $t configure -state disabled
    $t yview moveto 0
    .title configure -text $title
    if {$note eq ""} {
        grid remove .note
    } else {
        .note configure -text $note
        grid .note
    }
}

proc hh::set_states {window_title back_enabled file_enabled} {
    wm title . $window_title
    .bar.back configure -state [expr {$back_enabled ? "normal" : "disabled"}]
    foreach button {.bar.contents .bar.find} {
        $button configure -state [expr {$file_enabled ? "normal" : "disabled"}]
    }
}

update idletasks
wm minsize . [expr {[winfo reqwidth .bar] + 16}] 240
)tcl";

const char NO_FILE_TITLE[] = "No help file";
const char CANNOT_SHOW_TITLE[] = "Cannot show this help file";
// Pages kept for Back; the oldest go first.
const size_t HISTORY_LIMIT = 100;

Tcl_Obj* text_obj(const std::string& text)
{
    return Tcl_NewStringObj(text.data(), static_cast<int>(text.size()));
}

Tcl_Obj* list_obj(const std::vector<Tcl_Obj*>& elements)
{
    return Tcl_NewListObj(static_cast<int>(elements.size()), elements.data());
}

help_run run(help_run::kind_t kind, const std::string& text, int target = 0)
{
    return help_run{kind, text, target};
}

help_block paragraph(std::vector<help_run> runs)
{
    return help_block{help_block::paragraph, std::move(runs)};
}

std::string quoted(const std::string& words)
{
    return "\"" + words + "\"";
}

}  // namespace

help_viewer::help_viewer(Tcl_Interp* interp) : interp_(interp) {}

help_viewer::~help_viewer()
{
    Tcl_DeleteCommand(interp_, "hh::command");
    Tcl_DeleteCommand(interp_, "automation");
}

bool help_viewer::build_window(std::string* error)
{
    Tcl_CreateObjCommand(interp_, "hh::command", command, this, nullptr);
    if (Tcl_Eval(interp_, WINDOW_SCRIPT) != TCL_OK) {
        *error = Tcl_GetStringResult(interp_);
        return false;
    }
    return true;
}

void help_viewer::add_automation(const std::string& identifier)
{
    identifier_ = identifier;
    Tcl_CreateObjCommand(interp_, "automation", automation, this, nullptr);
}

void help_viewer::request(const std::string& source, const std::string& line,
                          const std::string& file, int context)
{
    requests_.emplace_back(source, line);
    viewer_page page;
    if (!file.empty()) {
        page.kind = viewer_page::topic;
        page.file = file;
        page.context = context;
        load(file, true);
    }
    go(page);
}

void help_viewer::show_topic(int context)
{
    viewer_page page;
    page.kind = viewer_page::topic;
    page.file = loaded_file_;
    page.context = context;
    go(page);
}

void help_viewer::show_contents()
{
    show_topic(0);
}

void help_viewer::search(const std::string& words)
{
    viewer_page page;
    page.kind = viewer_page::search;
    page.file = loaded_file_;
    size_t first = words.find_first_not_of(" \t");
    page.words = first == std::string::npos ? "" : words.substr(first, words.find_last_not_of(" \t") + 1 - first);
    go(page);
}

bool help_viewer::back()
{
    if (history_.empty())
        return false;
    viewer_page page = history_.back();
    history_.pop_back();
    display(page);
    return true;
}

void help_viewer::raise()
{
    eval("wm deiconify .; raise .");
}

void help_viewer::go(viewer_page page)
{
    if (showing_)
        history_.push_back(page_);
    if (history_.size() > HISTORY_LIMIT)
        history_.erase(history_.begin());
    display(page);
}

void help_viewer::load(const std::string& file, bool fresh)
{
    if (!fresh && file == loaded_file_)
        return;
    loaded_file_ = file;
    loaded_reason_.clear();
    file_.read(file, &loaded_reason_);
}

void help_viewer::display(viewer_page page)
{
    page.reason.clear();
    if (page.kind != viewer_page::no_file) {
        load(page.file, false);
        page.reason = loaded_reason_;
    }
    std::vector<help_block> blocks = page_blocks(&page);
    page_ = page;
    showing_ = true;
    render(page_title(), page.note, blocks);
    bool readable = page_readable();
    call({text_obj("hh::set_states"), text_obj(readable ? "Help: " + file_.contents()->title : "Help"),
          Tcl_NewBooleanObj(!history_.empty()), Tcl_NewBooleanObj(readable)});
}

std::vector<help_block> help_viewer::page_blocks(viewer_page* page) const
{
    std::vector<help_block> blocks;
    if (page->kind == viewer_page::no_file) {
        blocks.push_back(paragraph({run(help_run::plain,
            "No help file was named. Start the viewer with the name of a help file "
            "and, to show one of its topics, that topic's context number:")}));
        blocks.push_back(help_block{help_block::preformatted, {run(help_run::plain, "hyperhelp FILE -c NUMBER")}});
    } else if (!page->reason.empty()) {
        blocks.push_back(paragraph({run(help_run::plain, "The help file "), run(help_run::bold, page->file),
                                    run(help_run::plain, " cannot be shown:")}));
        blocks.push_back(paragraph({run(help_run::plain, page->reason + ".")}));
    } else if (page->kind == viewer_page::search) {
        for (const help_topic* found : file_.search(page->words))
            blocks.push_back(help_block{help_block::list_item, {run(help_run::link, found->title, found->context)}});
        if (blocks.empty())
            blocks.push_back(paragraph({run(help_run::plain, "No topic contains " + quoted(page->words) + ".")}));
    } else {
        if (page->context != 0 && file_.topic(page->context) == nullptr) {
            page->note = "Topic " + std::to_string(page->context) + " is not in this help file.";
            page->context = 0;
        }
        if (page->context == 0)
            page->context = file_.contents()->context;
        blocks = file_.topic(page->context)->blocks;
    }
    return blocks;
}

std::string help_viewer::page_title() const
{
    if (page_.kind == viewer_page::no_file)
        return NO_FILE_TITLE;
    if (!page_.reason.empty())
        return CANNOT_SHOW_TITLE;
    if (page_.kind == viewer_page::search)
        return "Search results for " + quoted(page_.words);
    return file_.topic(page_.context)->title;
}

void help_viewer::render(const std::string& title, const std::string& note,
                         const std::vector<help_block>& blocks)
{
    static const char* const block_kinds[] = {"paragraph", "item", "pre"};
    static const char* const run_styles[] = {"plain", "bold", "link"};
    shown_links_.clear();
    std::vector<Tcl_Obj*> block_objs;
    for (const help_block& block : blocks) {
        std::vector<Tcl_Obj*> run_objs;
        for (const help_run& run : block.runs) {
            run_objs.push_back(list_obj({Tcl_NewStringObj(run_styles[run.kind], -1), text_obj(run.text),
                                         Tcl_NewIntObj(run.target)}));
            if (run.kind == help_run::link)
                shown_links_.push_back(run.target);
        }
        block_objs.push_back(list_obj({Tcl_NewStringObj(block_kinds[block.kind], -1), list_obj(run_objs)}));
    }
    call({text_obj("hh::show_page"), text_obj(title), text_obj(note), list_obj(block_objs)});
}

void help_viewer::call(const std::vector<Tcl_Obj*>& words)
{
    for (Tcl_Obj* word : words)
        Tcl_IncrRefCount(word);
    if (Tcl_EvalObjv(interp_, static_cast<int>(words.size()), words.data(), TCL_EVAL_GLOBAL) != TCL_OK)
        std::cerr << "hyperhelp: " << Tcl_GetStringResult(interp_) << "\n";
    for (Tcl_Obj* word : words)
        Tcl_DecrRefCount(word);
}

std::string help_viewer::eval(const std::string& script)
{
    if (Tcl_EvalEx(interp_, script.c_str(), -1, TCL_EVAL_GLOBAL) != TCL_OK)
        std::cerr << "hyperhelp: " << Tcl_GetStringResult(interp_) << "\n";
    return Tcl_GetStringResult(interp_);
}

// hh::command contents|back|quit|find WORDS|follow N: what the window's
// buttons, entry and links do.
int help_viewer::command(ClientData data, Tcl_Interp*, int objc, Tcl_Obj* const objv[])
{
    help_viewer* viewer = static_cast<help_viewer*>(data);
    std::string action = objc > 1 ? Tcl_GetString(objv[1]) : "";
    std::string argument = objc > 2 ? Tcl_GetString(objv[2]) : "";
    int context = 0;
    if (action == "quit")
        viewer->quit_requested_ = true;
    else if (action == "back")
        viewer->back();
    else if (!viewer->page_readable())
        return TCL_OK;  // nothing to look in: the buttons are greyed
    else if (action == "contents")
        viewer->show_contents();
    else if (action == "find" && argument.find_first_not_of(" \t") != std::string::npos)
        viewer->search(argument);
    else if (action == "follow" && help_file::parse_context(argument, &context))
        viewer->show_topic(context);
    return TCL_OK;
}

int help_viewer::automation(ClientData data, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
    help_viewer* viewer = static_cast<help_viewer*>(data);
    std::string name = objc > 1 ? Tcl_GetString(objv[1]) : "";
    std::string argument;
    for (int i = 2; i < objc; ++i)
        argument += (i > 2 ? " " : "") + std::string(Tcl_GetString(objv[i]));
    Tcl_Obj* result = viewer->automation_query(name);
    std::string error;
    if (result == nullptr && !viewer->automation_action(name, argument, &error)) {
        Tcl_SetObjResult(interp, text_obj(error));
        return TCL_ERROR;
    }
    Tcl_SetObjResult(interp, result == nullptr ? Tcl_NewObj() : result);
    return TCL_OK;
}

Tcl_Obj* help_viewer::automation_query(const std::string& name)
{
    auto numbers = [](const std::vector<int>& values) {
        std::vector<Tcl_Obj*> objs;
        for (int value : values)
            objs.push_back(Tcl_NewIntObj(value));
        return list_obj(objs);
    };
    if (name == "page")
        return list_obj({text_obj(page_.file), Tcl_NewIntObj(page_readable() ? page_.context : 0),
                         text_obj(page_title())});
    if (name == "text")
        return text_obj(eval(".body.text get 1.0 end-1c"));
    if (name == "note")
        return text_obj(page_.note);
    if (name == "links")
        return numbers(shown_links_);
    if (name == "id")
        return text_obj(identifier_);
    if (name == "requests") {
        std::vector<Tcl_Obj*> objs;
        for (const auto& request : requests_)
            objs.push_back(list_obj({text_obj(request.first), text_obj(request.second)}));
        return list_obj(objs);
    }
    if (name == "topics") {
        std::vector<int> contexts;
        for (size_t i = 0; page_readable() && i < file_.topics().size(); ++i)
            contexts.push_back(file_.topics()[i].context);
        return numbers(contexts);
    }
    return nullptr;
}

bool help_viewer::automation_action(const std::string& name, const std::string& argument, std::string* error)
{
    int context = 0;
    bool numbered = help_file::parse_context(argument, &context);
    if (name == "quit") {
        quit_requested_ = true;
    } else if (name == "back") {
        *error = "there is no page to go back to";
        return back();
    } else if (name == "follow") {
        bool linked = std::find(shown_links_.begin(), shown_links_.end(), context) != shown_links_.end();
        if (!numbered || !linked) {
            *error = "no link to topic " + argument + " on this page";
            return false;
        }
        show_topic(context);
    } else if (name != "show" && name != "contents" && name != "search") {
        *error = "usage: automation page|text|note|requests|show N|follow N|back|contents|"
                 "search TEXT|links|topics|id|quit";
        return false;
    } else if (!page_readable()) {
        *error = "no help file is shown";
        return false;
    } else if (name == "contents") {
        show_contents();
    } else if (name == "search") {
        search(argument);
    } else if (numbered) {
        show_topic(context);
    } else {
        *error = "usage: automation show CONTEXT";
        return false;
    }
    return true;
}
