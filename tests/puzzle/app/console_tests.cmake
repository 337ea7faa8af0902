# The console's statistics without a sound device: ALSA's default names a card
# that does not exist, as for the silent game test.
if(TEST test_console_silent)
    set(conf "${CMAKE_BINARY_DIR}/tests/puzzle/app/alsa-nodevice-console.conf")
    file(WRITE "${conf}" "</usr/share/alsa/alsa.conf>\npcm.!default { type hw card 99 }\nctl.!default { type hw card 99 }\n")
    set_tests_properties(test_console_silent PROPERTIES ENVIRONMENT "PELLORIA_ALSA_CONFIG=${conf}")
endif()
