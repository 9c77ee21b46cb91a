# Walks through the demo by the installer's automation interface and takes
# a screenshot of each window it shows: wish demo_walk.tcl APPNAME SHOTDIR
wm withdraw .
lassign $argv app shots

proc automation {args} {
    global app
    return [send $app [list automation {*}$args]]
}

# Waits until script answers true; fails after 20 s saying what it awaited.
proc wait_until {what script} {
    for {set i 0} {$i < 200} {incr i} {
        if {![catch {uplevel #0 $script} done] && $done} {
            return
        }
        after 100
    }
    error "the demo waited 20 s for $what"
}

proc shown_has {top} {
    expr {[lsearch -exact [automation shown] $top] >= 0}
}

proc wait_for {top} {
    wait_until "the installer to show $top" [list shown_has $top]
}

proc screenshot {name} {
    global shots env
    after 300
    exec sh -c "xwd -root -silent -display $env(DISPLAY) | xwdtopnm 2>/dev/null | pnmtopng > $shots/$name.png"
}

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
automation quit
exit
