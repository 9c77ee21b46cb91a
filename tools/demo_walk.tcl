# Walks through the demo by the installer's automation interface, as an
# administrator would use it, and takes a screenshot of each window shown:
#   wish demo_walk.tcl APPNAME SHOTDIR MEDIADIR SCRATCH
# It installs the sample product from the CD directory into SCRATCH/kps30,
# reads its release notes, runs its user set-up, removes it with one file
# changed, installs the database product from the emulated tape into
# SCRATCH/kdb12, and prints what went where and how long each step took.
wm withdraw .
lassign $argv app shots media scratch

proc automation {args} {
    global app
    return [send $app [list automation {*}$args]]
}

# Waits until script answers true; fails after 30 s saying what it awaited.
proc wait_until {what script} {
    set limit [expr {[clock milliseconds] + 30000}]
    while {[clock milliseconds] < $limit} {
        if {![catch {uplevel #0 $script} done] && $done} {
            return
        }
        after 50
    }
    error "the demo waited 30 s for $what"
}

proc shown_has {top} {
    expr {[lsearch -exact [automation shown] $top] >= 0}
}

proc wait_for {top} {
    wait_until "the installer to show $top" [list shown_has $top]
}

# Waits for a message box whose text starts with start and answers it with
# button, after a screenshot when shot is given.
# A box still up from the step before (its button press not yet handled)
# is not the one awaited.
proc reply {start button {shot ""}} {
    global message
    set message ""
    if {[catch {
        wait_until "a message starting \"$start\"" [list apply {{start} {
            set ::message [lindex [automation message] 1]
            expr {[string first $start [string map {"\n" " "} $::message]] == 0}
        }} $start]
    } failed]} {
        error "$failed; the installer shows \"[string map {"\n" " "} $message]\""
    }
    if {$shot ne ""} {
        screenshot $shot
    }
    automation answer $button
    # The next question may follow at once.
    wait_until "the message to go" {expr {[lindex [automation message] 1] ne $message}}
}

proc screenshot {name} {
    global shots env
    # Let the window manager-less server finish drawing what was just mapped.
    after 300
    exec sh -c "xwd -root -silent -display $env(DISPLAY) | xwdtopnm 2>/dev/null | pnmtopng > $shots/$name.png"
}

# Timing of the walk's steps, for the summary.
set steps {}
proc step {name script} {
    global steps
    set start [clock milliseconds]
    uplevel #0 $script
    lappend steps $name [expr {([clock milliseconds] - $start) / 1000.0}]
}

# The viewer would stand in front of the dialogs that follow.
proc close_help_viewer {} {
    catch {send kitsetup_demo_help automation quit}
    wait_until "the help viewer to end" {expr {[lsearch -exact [winfo interps] kitsetup_demo_help] < 0}}
}

proc back_at_main_window {} {
    wait_until "only the main window to be shown" {expr {[automation shown] eq "main_win"}}
}

proc count_files {dir} {
    set n 0
    foreach entry [glob -nocomplain -directory $dir *] {
        if {[file isdirectory $entry] && [file type $entry] ne "link"} {
            incr n [count_files $entry]
        } else {
            incr n
        }
    }
    return $n
}

step "Main window and help" {
    wait_for main_win
    # The splash goes by itself once it has been seen.
    wait_until "the splash to go" {expr {[llength [automation shown]] == 1}}
    screenshot main_window
    automation key main_win main_win F10
    screenshot main_help_menu
    automation press main_win main_help_choice4
    wait_for "About Install"
    screenshot about_box
    automation press "About Install" about_dialog
    automation press main_win main_help_choice2
    wait_until "the help viewer's contents" \
        {expr {[lindex [send kitsetup_demo_help automation page] 1] == 5}}
    screenshot help_contents
    close_help_viewer
}

set kps30 [file join $scratch kps30]
file mkdir $kps30
step "Install Sample Product 3.0 from the CD directory" {
    automation press main_win install_icon
    wait_for inst_product_dialog
    screenshot install_selection
    automation press inst_product_dialog kps30
    wait_for primary_options_dialog
    screenshot primary_options
    automation press primary_options_dialog Custom
    wait_for options_dialog
    automation set options_dialog source_field [file join $media cd]
    automation set options_dialog target_field $kps30
    automation press options_dialog print
    screenshot installation_options
    automation press options_dialog ok_btn
    wait_for suboptions_dialog
    automation press suboptions_dialog html
    automation press suboptions_dialog install_btn
    screenshot suboptions
    automation press suboptions_dialog ok_btn
    wait_for continue_dialog
    screenshot continue
    automation press continue_dialog go_icon
    # The printing sample asks through its own dialog where its data goes.
    wait_for sample_dialog
    screenshot subset_script_dialog
    automation press sample_dialog ok_btn
    # A successful installation offers the printer configuration.
    wait_for main_print_dialog
    screenshot printer_configuration
    automation press main_print_dialog add_btn
    wait_for print_edit_dialog
    screenshot printer_edit
    automation press print_edit_dialog cancel_btn
    wait_until "the edit dialog to close" {expr {![shown_has print_edit_dialog]}}
    automation press main_print_dialog done_btn
    reply "Installation of Sample Product 3.0" ok_btn install_complete
    set ::kps30_files [count_files $kps30]
    back_at_main_window
    automation press main_win log_btn
    wait_for log_dialog
    screenshot log
    automation press log_dialog cancel_btn
}

step "Release notes" {
    automation press main_win view_icon
    wait_until "the release notes" \
        {expr {[string match *kps30rel* [lindex [send kitsetup_demo_help automation page] 0]]}}
    screenshot release_notes
    close_help_viewer
}

step "User set-up" {
    automation press main_win setup_icon
    reply "Sample Product 3.0" ok_btn user_setup
    back_at_main_window
}

set changed [file join $kps30 bin kpsadm]
step "Deinstall Sample Product 3.0 with a changed file" {
    set f [open $changed a]
    puts $f "A local note added after installation."
    close $f
    automation press main_win deinstall_icon
    reply "Beginning deinstallation of Sample Product 3.0" yes_btn deinstall_confirm
    reply "Do you wish to backup" yes_btn backup_question
    wait_for dir_dialog
    automation set dir_dialog dir_field [file join $scratch kps30.bak]
    screenshot backup_directory
    automation press dir_dialog ok_btn
    reply "Directory does not exist" yes_btn
    reply "Deinstallation of Sample Product 3.0" ok_btn deinstall_complete
    back_at_main_window
}

set kdb12 [file join $scratch kdb12]
file mkdir $kdb12
step "Install Sample Database 1.2 from the emulated tape" {
    automation press main_win install_icon
    wait_for inst_product_dialog
    automation press inst_product_dialog kdb12
    wait_for options_dialog
    automation press options_dialog tape_btn
    automation set options_dialog target_field $kdb12
    screenshot tape_options
    automation press options_dialog ok_btn
    wait_for continue_dialog
    automation press continue_dialog go_icon
    wait_for transfer_dialog
    wait_until "the tape's files to come" {string match Copying* [automation get transfer_dialog status_text]}
    screenshot transfer
    wait_for main_print_dialog
    automation press main_print_dialog done_btn
    reply "Installation of" ok_btn
    back_at_main_window
}

automation quit

puts "\nWhat the demo did:"
puts [format "  %-50s %8s" "Step" "Seconds"]
foreach {name seconds} $steps {
    puts [format "  %-50s %8.1f" $name $seconds]
}
puts "\nWhere things went:"
puts "  Sample Product 3.0: $kps30_files files installed into $kps30, then removed;\
    [count_files $kps30] left there (its install directory, which removal keeps)"
set mods [file join $scratch kps30.bak MODS.LST]
if {[file exists $mods]} {
    puts "  its changed files were kept in [file dirname $mods] (MODS.LST lists them)"
}
puts "  Sample Database 1.2: [count_files $kdb12] files installed into $kdb12"
exit
