quel_test(shell_info SOURCES ${CMAKE_CURRENT_LIST_DIR}/info_test.cpp LIBS quel_info)
