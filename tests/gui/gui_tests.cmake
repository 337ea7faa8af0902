# The widget tests take screenshots of the shared display: they take turns
# with the other display tests. The input tests move the real pointer and type
# real keys, and the sound test's capture is paced in real time: both run
# alone.
list(APPEND DISPLAY_TESTS test_gui_widgets)
list(APPEND SERIAL_TESTS test_gui_input test_gui_sound)
