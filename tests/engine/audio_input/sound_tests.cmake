# The sound tests encode their Ogg Vorbis fixtures themselves.
foreach(t test_sound_readers test_sound_buffers test_sound_ds7 test_sound_manager test_sound_output test_sound_silent)
    if(TARGET ${t})
        target_link_libraries(${t} PRIVATE vorbisenc vorbis ogg)
    endif()
endforeach()

# What the output test plays reaches ALSA's default device, which for this test
# is a file: 44,100 Hz 16-bit stereo, appended to sound_capture.raw at the rate
# a sound card would take it.
set(SOUND_TEST_DIR "${CMAKE_BINARY_DIR}/tests/engine/audio_input")
if(TEST test_sound_output)
    set(capture "${SOUND_TEST_DIR}/sound_capture.raw")
    set(conf "${SOUND_TEST_DIR}/alsa-capture.conf")
    file(WRITE "${conf}"
        "</usr/share/alsa/alsa.conf>\n"
        "pcm.!default { type plug slave { pcm \"pelloria_capture\" format S16_LE rate 44100 channels 2 } }\n"
        "pcm.pelloria_capture { type file slave.pcm \"pelloria_null\" format \"raw\"\n"
        "    file \"|exec perl ${CMAKE_SOURCE_DIR}/tools/alsa-pace 176400 ${capture}\" }\n"
        "pcm.pelloria_null { type null }\n")
    set_tests_properties(test_sound_output PROPERTIES
        ENVIRONMENT "PELLORIA_ALSA_CONFIG=${conf};PELLORIA_SOUND_CAPTURE=${capture}")
endif()

# No sound device at all: ALSA's default names a card that does not exist.
if(TEST test_sound_silent)
    set(conf "${SOUND_TEST_DIR}/alsa-nodevice.conf")
    file(WRITE "${conf}" "</usr/share/alsa/alsa.conf>\npcm.!default { type hw card 99 }\nctl.!default { type hw card 99 }\n")
    set_tests_properties(test_sound_silent PROPERTIES ENVIRONMENT "PELLORIA_ALSA_CONFIG=${conf}")
endif()
