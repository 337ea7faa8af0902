# The shipped content as the game reads it (packed), written once by the
# generator itself for every test that plays or checks the generated level.
set(LEVEL_CONTENT_DIR "${CMAKE_BINARY_DIR}/tests/puzzle/logic/level_content")
add_test(NAME generate_level_content COMMAND PelloriaContent "Z:${LEVEL_CONTENT_DIR}")
set_tests_properties(generate_level_content PROPERTIES FIXTURES_SETUP level_content TIMEOUT 300)
if(TEST test_generated_level)
    set_tests_properties(test_generated_level PROPERTIES FIXTURES_REQUIRED level_content)
endif()
