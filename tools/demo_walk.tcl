# Walks through the demo by the installer's automation interface and takes
# a screenshot of each window it shows: wish demo_walk.tcl APPNAME SHOTDIR
wm withdraw .
lassign $argv app shots

proc automation {args} {
    global app
    return [send $app automation {*}$args]
}

# Waits until the installer shows the window named top; fails after 20 s.
proc wait_for {top} {
    for {set i 0} {$i < 200} {incr i} {
        if {![catch {automation shown} shown] && [lsearch -exact $shown $top] >= 0} {
            return
        }
        after 100
    }
    error "the installer never showed $top"
}

proc screenshot {name} {
    global shots env
    after 300
    exec sh -c "xwd -root -silent -display $env(DISPLAY) | xwdtopnm 2>/dev/null | pnmtopng > $shots/$name.png"
}

wait_for main_win
screenshot main_window
automation quit
exit
