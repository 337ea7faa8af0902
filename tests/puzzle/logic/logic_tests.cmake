# The puzzle-data tests open a windowed device in the display's own mode,
# which a test that changes display modes would take away meanwhile.
list(APPEND DISPLAY_TESTS test_game_logic_data)
