# The program's classes are a library of their own (the program adds only its
# entry point): every test of this folder links it.
file(GLOB APP_TEST_SOURCES CONFIGURE_DEPENDS "${CMAKE_CURRENT_LIST_DIR}/test_*.cpp")
foreach(src ${APP_TEST_SOURCES})
    get_filename_component(name "${src}" NAME_WE)
    if(TARGET ${name})
        target_link_libraries(${name} PRIVATE pelloria_app)
    endif()
endforeach()
