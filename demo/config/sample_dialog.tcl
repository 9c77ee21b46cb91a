# A product script's own dialog: asks where the sample data goes and whether
# to keep a backup, and hands the answers on in the globals SAMPLE_DIR and
# SAMPLE_BACKUP. Its result is "stop" when the user cancels.

# Termination callback: OK with an empty directory keeps the dialog up.
proc sample_dialog_done {button} {
    if {$button == "ok_btn" && [string trim [get_value sample_dialog data_dir]] == ""} {
        warning "Please give a directory for the sample data."
        return 0
    }
    return 1
}

load_resources [file join [file dirname [info script]] sample_dialog.cf]
if {[info exists TARGET]} {
    set_value sample_dialog data_dir [file join $TARGET sample]
}
set_value sample_dialog backup 1
set_cb sample_dialog sample_dialog_done
center sample_dialog

set answer stop
if {[popup sample_dialog] == "ok_btn"} {
    set SAMPLE_DIR [get_value sample_dialog data_dir]
    set SAMPLE_BACKUP [get_value sample_dialog backup]
    set answer continue
}
set answer
