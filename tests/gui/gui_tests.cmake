# The input tests pace real xdotool keys and moves against the frames, and the
# sound test's capture is paced in real time: both run alone.
list(APPEND SERIAL_TESTS test_gui_input test_gui_sound)

# What the sound test plays reaches ALSA's default device, which for this test
# is a file of its own: 44,100 Hz 16-bit stereo at a sound card's pace.
set(GUI_TEST_DIR "${CMAKE_BINARY_DIR}/tests/gui")
if(TEST test_gui_sound)
    set(capture "${GUI_TEST_DIR}/gui_sound_capture.raw")
    set(conf "${GUI_TEST_DIR}/alsa-gui-capture.conf")
    file(WRITE "${conf}"
        "</usr/share/alsa/alsa.conf>\n"
        "pcm.!default { type plug slave { pcm \"pelloria_capture\" format S16_LE rate 44100 channels 2 } }\n"
        "pcm.pelloria_capture { type file slave.pcm \"pelloria_null\" format \"raw\"\n"
        "    file \"|exec perl ${CMAKE_SOURCE_DIR}/tools/alsa-pace 176400 ${capture}\" }\n"
        "pcm.pelloria_null { type null }\n")
    set_tests_properties(test_gui_sound PROPERTIES
        ENVIRONMENT "PELLORIA_ALSA_CONFIG=${conf};PELLORIA_SOUND_CAPTURE=${capture}")
endif()
