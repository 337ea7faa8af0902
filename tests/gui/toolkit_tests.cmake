# The toolkit test drives real xdotool clicks, keys and drags against its
# frames: it runs alone, like the widgets' input test.
list(APPEND SERIAL_TESTS test_gui_toolkit)
