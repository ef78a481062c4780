# quarn_test(NAME SOURCES ... LIBS ...): one test executable, its cases discovered by CTest.
function(quarn_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock_main Threads::Threads)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endfunction()

# quarn_bench(NAME SOURCES ... LIBS ...): a Google Benchmark executable, run by `make bench`.
function(quarn_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark Threads::Threads)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()

# quarn_qt_test(NAME SOURCES ... LIBS ... CLASSES ... DESKTOP_CLASSES ...): one Qt Test executable
# holding the test classes CLASSES and DESKTOP_CLASSES (each registered with QUARN_QT_TEST); CTest
# runs each of CLASSES as the test "CLASS.all" on the offscreen platform, and each of
# DESKTOP_CLASSES as "CLASS.desktop" on a private X server with a window manager (skipped when
# neither can start), for what only a real window manager shows: frames, placement, focus.
function(quarn_qt_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;CLASSES;DESKTOP_CLASSES" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/fixtures/qt_test_main.cpp)
  set_target_properties(${name} PROPERTIES AUTOMOC ON
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Widgets Qt6::Test Threads::Threads)
  foreach(class ${T_CLASSES})
    add_test(NAME ${class}.all COMMAND ${name} ${class}
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set_tests_properties(${class}.all PROPERTIES LABELS window ENVIRONMENT
      "QT_QPA_PLATFORM=offscreen;QUARN_SCREENSHOT_DIR=${CMAKE_BINARY_DIR}/screenshots")
    quarn_qt_test_tsan_options(${class}.all)
  endforeach()
  foreach(class ${T_DESKTOP_CLASSES})
    add_test(NAME ${class}.desktop COMMAND desktop_session $<TARGET_FILE:${name}> ${class}
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set_tests_properties(${class}.desktop PROPERTIES LABELS "window;desktop" SKIP_RETURN_CODE 77
      ENVIRONMENT "QUARN_SCREENSHOT_DIR=${CMAKE_BINARY_DIR}/screenshots")
    quarn_qt_test_tsan_options(${class}.desktop)
  endforeach()
  if(T_DESKTOP_CLASSES)
    add_dependencies(${name} desktop_session)
  endif()
endfunction()

function(quarn_qt_test_tsan_options test)
  if(QUARN_TSAN)
    set_property(TEST ${test} PROPERTY ENVIRONMENT_MODIFICATION
      "TSAN_OPTIONS=string_append: suppressions=${CMAKE_SOURCE_DIR}/tests/fixtures/qt_tsan.supp")
  endif()
endfunction()
