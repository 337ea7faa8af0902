# The input tests pace real xdotool keys and moves against the frames, and the
# sound test's capture is paced in real time: both run alone.
list(APPEND SERIAL_TESTS test_gui_input test_gui_sound)
