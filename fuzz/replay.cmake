# The fuzz targets as ordinary tests: each runs over its seed corpus and a fixed series of mutations.
# Included from tests/CMakeLists.txt; the libFuzzer build itself is fuzz/CMakeLists.txt.
include_guard(GLOBAL)

foreach(target table settings manifest)
  add_executable(fuzz_replay_${target}
    ${CMAKE_CURRENT_LIST_DIR}/${target}_fuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/replay_main.cpp)
  target_include_directories(fuzz_replay_${target} PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  if(target STREQUAL "manifest")
    target_link_libraries(fuzz_replay_${target} PRIVATE quel_campus)
  else()
    target_link_libraries(fuzz_replay_${target} PRIVATE quel_schedule)
  endif()
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
