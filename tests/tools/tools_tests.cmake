# The bootstrap's package step against a prepared apt state (a mirror that
# left one architecture's index out): a shell script, needing root and apt as
# the bootstrap does, and skipped with a message elsewhere.
add_test(NAME test_bootstrap_mirror COMMAND bash "${CMAKE_CURRENT_LIST_DIR}/test_bootstrap_mirror.sh")
set_tests_properties(test_bootstrap_mirror PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
