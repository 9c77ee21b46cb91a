# One timed run of the real installer for bench/run, driven through its
# automation interface on the display in DISPLAY, or of a bare wish window
# to compare with. Prints its figures on one line of standard output; any
# failure ends it with status 1 after a line on standard error.
#
#   wish drive.tcl startup KITSETUP TREE TARNU
#       seconds from exec to the installer's main window shown
#   wish drive.tcl bare
#       seconds from exec to a bare wish's one window shown
#   wish drive.tcl install KITSETUP TREE TARNU cd|tape TARGET
#       seconds from the options dialog's OK to the completion message, the
#       installer's peak resident size in KB, the processor seconds it used
#       itself (start-up included, its commands not), its peak resident
#       size in KB before the OK and the processor seconds it had used by then
#
# The installer runs on TREE with /opt/tarnu bound to TARNU
# (tools/private_tarnu.sh). A send that meets no answer yet is retried, so
# the polls cost the installer one short request each.
wm withdraw .
set here [file dirname [file normalize [info script]]]
set private_tarnu [file join [file dirname $here] tools private_tarnu.sh]
set app bench_[pid]

proc fail {text} {
    puts stderr "drive.tcl: $text"
    exit 1
}

proc automation {args} {
    global app
    return [send $app [list automation {*}$args]]
}

# Polls script every interval ms until it answers true; fails after 120 s
# saying what it waited for.
proc wait_until {what interval script} {
    set limit [expr {[clock milliseconds] + 120000}]
    while {[clock milliseconds] < $limit} {
        if {![catch {uplevel #0 $script} done] && $done} {
            return
        }
        after $interval
    }
    fail "waited 120 s for $what"
}

proc shown_has {top} {
    expr {[lsearch -exact [automation shown] $top] >= 0}
}

proc source_ends_with {ending} {
    string match *$ending [automation get options_dialog source_field]
}

proc wait_for {top} {
    wait_until "the installer to show $top" 10 [list shown_has $top]
}

# Starts the installer in the background: its process id.
proc start_installer {kitsetup tree tarnu} {
    global env app private_tarnu
    set env(KITSETUP_AUTOMATION) $app
    return [exec $private_tarnu $tarnu $kitsetup -dir $tree > /dev/null 2>@ stderr &]
}

# Asks the installer to end and waits until it has gone from the display.
proc quit_installer {} {
    global app
    catch {automation quit}
    wait_until "the installer to end" 20 {expr {[lsearch -exact [winfo interps] $app] < 0}}
}

# The peak resident size of process pid so far, in KB.
proc peak_rss_kb {pid} {
    set f [open /proc/$pid/status]
    set status [read $f]
    close $f
    if {![regexp {VmHWM:\s+(\d+) kB} $status -> kb]} {
        fail "no VmHWM for process $pid"
    }
    return $kb
}

# The processor seconds process pid has used so far, its children not
# counted (the clock ticks are the kernel's usual hundred a second).
proc cpu_seconds {pid} {
    set f [open /proc/$pid/stat]
    set stat [read $f]
    close $f
    set fields [split [string trim [string range $stat [string last ")" $stat]+1 end]]]
    format %.2f [expr {([lindex $fields 11] + [lindex $fields 12]) / 100.0}]
}

proc seconds_since {start} {
    format %.4f [expr {([clock microseconds] - $start) / 1e6}]
}

proc startup {kitsetup tree tarnu} {
    set start [clock microseconds]
    start_installer $kitsetup $tree $tarnu
    wait_until "the main window" 5 {shown_has main_win}
    set seconds [seconds_since $start]
    quit_installer
    puts $seconds
}

proc bare {} {
    global app
    set script [file join $::here bare_window.tcl]
    set start [clock microseconds]
    exec wish $script -name $app &
    wait_until "the bare window" 5 [list send $app {winfo ismapped .}]
    set seconds [seconds_since $start]
    catch {send $app exit}
    wait_until "the bare wish to end" 20 {expr {[lsearch -exact [winfo interps] $app] < 0}}
    puts $seconds
}

proc install {kitsetup tree tarnu medium target} {
    set pid [start_installer $kitsetup $tree $tarnu]
    wait_for main_win
    automation press main_win install_icon
    wait_for options_dialog
    automation press options_dialog ${medium}_btn
    set ending [expr {$medium eq "cd" ? "/cd" : "/nst0"}]
    wait_until "the default source of $medium" 10 [list source_ends_with $ending]
    automation set options_dialog target_field $target
    set rss_before [peak_rss_kb $pid]
    set cpu_before [cpu_seconds $pid]
    set start [clock microseconds]
    automation press options_dialog ok_btn
    wait_for continue_dialog
    automation press continue_dialog go_icon
    # A message box instead of the printer offer is a failed installation.
    wait_until "the printer offer" 20 {
        expr {[shown_has main_print_dialog] || [lindex [automation message] 1] ne ""}
    }
    if {![shown_has main_print_dialog]} {
        fail "the installation said: [automation message]"
    }
    automation press main_print_dialog done_btn
    wait_until "the completion message" 10 {
        expr {[lindex [automation message] 1] ne ""}
    }
    set seconds [seconds_since $start]
    set message [lindex [automation message] 1]
    if {![string match "Installation of*complete*" [string map {"\n" " "} $message]]} {
        fail "the installation ended with: $message"
    }
    set rss [peak_rss_kb $pid]
    set cpu [cpu_seconds $pid]
    automation answer ok_btn
    quit_installer
    puts "$seconds $rss $cpu $rss_before $cpu_before"
}

set mode [lindex $argv 0]
switch -- $mode {
    startup - bare - install {
        if {[catch {$mode {*}[lrange $argv 1 end]} problem]} {
            fail $problem
        }
    }
    default {
        fail "unknown mode \"$mode\""
    }
}
exit 0
