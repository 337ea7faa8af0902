# The game made inside a test program. Its windowed display mode exists only
# inside a virtual desktop, and these tests look at the focus: they take turns
# with the other display tests.
list(APPEND DISPLAY_TESTS test_game test_game_silent)
# The captured-output test plays in real time through a paced ALSA file
# device, as the engine's output test does: alone.
list(APPEND SERIAL_TESTS test_game_sound)

set(GAME_TEST_DIR "${CMAKE_BINARY_DIR}/tests/puzzle/app")
if(TEST test_game_silent)
    set(conf "${GAME_TEST_DIR}/alsa-nodevice.conf")
    file(WRITE "${conf}" "</usr/share/alsa/alsa.conf>\npcm.!default { type hw card 99 }\nctl.!default { type hw card 99 }\n")
    set_tests_properties(test_game_silent PROPERTIES ENVIRONMENT "PELLORIA_ALSA_CONFIG=${conf}")
endif()
if(TEST test_game_sound)
    set(capture "${GAME_TEST_DIR}/game_capture.raw")
    set(conf "${GAME_TEST_DIR}/alsa-capture.conf")
    file(WRITE "${conf}"
        "</usr/share/alsa/alsa.conf>\n"
        "pcm.!default { type plug slave { pcm \"pelloria_capture\" format S16_LE rate 44100 channels 2 } }\n"
        "pcm.pelloria_capture { type file slave.pcm \"pelloria_null\" format \"raw\"\n"
        "    file \"|exec perl ${CMAKE_SOURCE_DIR}/tools/alsa-pace 176400 ${capture}\" }\n"
        "pcm.pelloria_null { type null }\n")
    set_tests_properties(test_game_sound PROPERTIES
        ENVIRONMENT "PELLORIA_ALSA_CONFIG=${conf};PELLORIA_SOUND_CAPTURE=${capture}")
endif()

# The real program: each run shares the application-data folder and the
# registry key with every other, and the test types real keys: alone.
list(APPEND SERIAL_TESTS test_program)
if(TARGET test_program)
    add_dependencies(test_program Pelloria)
endif()

if(TARGET bench_frame)
    target_link_libraries(bench_frame PRIVATE pelloria_app)
endif()
