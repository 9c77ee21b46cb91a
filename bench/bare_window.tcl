# The bare wish window bench/run compares the installer's start-up with: one
# top-level window with one label, shown as soon as wish is idle.
label .text -text "bench"
pack .text
