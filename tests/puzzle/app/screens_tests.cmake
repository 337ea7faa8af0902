# The real program played through xdotool: real input and the program's one
# application-data folder, so these run alone, like the other input tests.
foreach(t test_play_through test_play_bad_input test_play_sound test_play_clean_log)
    if(TARGET ${t})
        list(APPEND SERIAL_TESTS ${t})
        add_dependencies(${t} Pelloria)
    endif()
endforeach()
# ctest's limit stays above the virtual-desktop run's own (600 s for the play
# through and the clean log, with the test that times a run out beside the
# former), so a run past its time is ended whole by the test program.
foreach(t test_play_through test_play_clean_log)
    if(TEST ${t})
        set_tests_properties(${t} PROPERTIES TIMEOUT 720)
    endif()
endforeach()
if(TEST test_play_sound)
    set(capture "${CMAKE_BINARY_DIR}/tests/puzzle/app/menu_capture.raw")
    set(conf "${CMAKE_BINARY_DIR}/tests/puzzle/app/alsa-menu-capture.conf")
    file(WRITE "${conf}"
        "</usr/share/alsa/alsa.conf>\n"
        "pcm.!default { type plug slave { pcm \"pelloria_capture\" format S16_LE rate 44100 channels 2 } }\n"
        "pcm.pelloria_capture { type file slave.pcm \"pelloria_null\" format \"raw\"\n"
        "    file \"|exec perl ${CMAKE_SOURCE_DIR}/tools/alsa-pace 176400 ${capture}\" }\n"
        "pcm.pelloria_null { type null }\n")
    set_tests_properties(test_play_sound PROPERTIES
        ENVIRONMENT "PELLORIA_ALSA_CONFIG=${conf};PELLORIA_SOUND_CAPTURE=${capture}")
endif()
# The same program once more on a machine without a sound device (ALSA's
# default names a card that does not exist): its log may hold what that
# costs, and nothing else.
if(TEST test_play_clean_log)
    set(conf "${CMAKE_BINARY_DIR}/tests/puzzle/app/alsa-clean-nodevice.conf")
    file(WRITE "${conf}" "</usr/share/alsa/alsa.conf>\npcm.!default { type hw card 99 }\nctl.!default { type hw card 99 }\n")
    add_test(NAME test_play_clean_log_silent COMMAND test_play_clean_log --gtest_color=no)
    set_tests_properties(test_play_clean_log_silent PROPERTIES TIMEOUT 720
        ENVIRONMENT "PELLORIA_ALSA_CONFIG=${conf};PELLORIA_NO_SOUND_DEVICE=1")
    list(APPEND SERIAL_TESTS test_play_clean_log_silent)
endif()
if(TARGET bench_game)
    target_link_libraries(bench_game PRIVATE pelloria_app)
endif()
