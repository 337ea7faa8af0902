# The level tests make the whole puzzle game inside the test program (the
# program's classes are a library of their own) and play it in a virtual
# desktop, whose windowed display modes they need.
file(GLOB LEVEL_TEST_SOURCES CONFIGURE_DEPENDS "${CMAKE_CURRENT_LIST_DIR}/test_level_*.cpp"
     "${CMAKE_CURRENT_LIST_DIR}/bench_game_logic.cpp")
foreach(src ${LEVEL_TEST_SOURCES})
    get_filename_component(name "${src}" NAME_WE)
    if(TARGET ${name})
        target_link_libraries(${name} PRIVATE pelloria_app)
    endif()
endforeach()
