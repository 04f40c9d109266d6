# The fuzz targets as ordinary tests: each runs over its seed corpus and a fixed series of mutations.
# Included from tests/CMakeLists.txt; the libFuzzer build itself is fuzz/CMakeLists.txt.
include_guard(GLOBAL)

set(fuzz_replay_table_lib quel_schedule)
set(fuzz_replay_settings_lib quel_schedule)
set(fuzz_replay_play_list_lib quel_player)
set(fuzz_replay_history_line_lib quel_history)
set(fuzz_replay_command_line_lib quel_platform)
set(fuzz_replay_manifest_lib quel_campus)
set(fuzz_replay_followers_log_lib quel_campus)

foreach(target table settings play_list history_line command_line manifest followers_log)
  add_executable(fuzz_replay_${target}
    ${CMAKE_CURRENT_LIST_DIR}/${target}_fuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/replay_main.cpp)
  target_include_directories(fuzz_replay_${target} PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(fuzz_replay_${target} PRIVATE ${fuzz_replay_${target}_lib})
  add_test(NAME fuzz_replay_${target}
    COMMAND fuzz_replay_${target} ${CMAKE_CURRENT_LIST_DIR}/corpus/${target})
  set_tests_properties(fuzz_replay_${target} PROPERTIES TIMEOUT 60 ENVIRONMENT "LANG=C.UTF-8")
endforeach()

# The calendar's readers: national holiday files and school calendars.
add_executable(fuzz_replay_calendar ${CMAKE_CURRENT_LIST_DIR}/calendar_fuzz.cpp ${CMAKE_CURRENT_LIST_DIR}/replay_main.cpp)
target_include_directories(fuzz_replay_calendar PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(fuzz_replay_calendar PRIVATE quel_calendar)
add_test(NAME fuzz_replay_calendar COMMAND fuzz_replay_calendar ${CMAKE_CURRENT_LIST_DIR}/corpus/calendar)
set_tests_properties(fuzz_replay_calendar PROPERTIES TIMEOUT 120 ENVIRONMENT "LANG=C.UTF-8")
