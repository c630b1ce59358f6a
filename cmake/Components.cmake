# One static library per component, built from every source below its folder
# (tests excluded), and one test executable per component holding every
# tests/*_test.cpp anywhere below it: one sanitizer link per component, while
# CTest still lists every case on its own (unless MORVANT_TEST_SHARDS says
# otherwise).
#
#   morvant_component(<target> [DEPS libs...] [TEST_DEPS libs...] [EXCLUDE files...]
#                     [TSAN_TESTS files...])
#
# Any other .cpp or .h in a tests/ folder is shared test support, linked into
# the component's test executable. TSAN_TESTS names the tests that start
# threads of a component whose code runs on one thread otherwise: a
# ThreadSanitizer build (MORVANT_TSAN) compiles only those, as nothing else
# there can race.
set(MORVANT_COMMON_HEADERS
    <QByteArray> <QDataStream> <QFile> <QMap> <QObject> <QString> <QStringList> <QUuid> <QVariant> <QVector>
    <algorithm> <functional> <map> <memory> <set> <stdexcept> <string> <vector>)
# Compile options of the test executables' own sources only, never of the code
# they test, e.g. -O0 for the tests of the ThreadSanitizer build (scripts/test.sh).
set(MORVANT_TEST_OPTIONS "" CACHE STRING "Compile options of the test executables' own sources")
# 0: CTest runs every test case as a process of its own. N: each test
# executable runs as N CTest tests, each one process with a 1/N share of the
# cases (GoogleTest's sharding). Under AddressSanitizer a process costs about
# half a CPU-second to start and to check for leaks at its exit, more than
# most cases take, so the sanitizer build of CI runs shards (scripts/test.sh).
set(MORVANT_TEST_SHARDS 0 CACHE STRING "Processes per test executable under CTest; 0 for one per test case")

# The Qt and standard headers nearly every source includes, parsed once per
# target instead of once per source, where that pays: a target compiled as one
# unity batch parses them once anyway, and writing the header image would cost
# more than it saves.
function(morvant_precompile target sources)
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  list(LENGTH sources count)
  if(NOT MORVANT_UNITY OR count GREATER MORVANT_UNITY_BATCH)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()

function(morvant_component name)
  cmake_parse_arguments(C "" "" "DEPS;TEST_DEPS;EXCLUDE;TSAN_TESTS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  list(FILTER srcs EXCLUDE REGEX "/tests/")
  foreach(ex ${C_EXCLUDE})
    list(REMOVE_ITEM srcs ${CMAKE_CURRENT_SOURCE_DIR}/${ex})
  endforeach()
  if(NOT srcs MATCHES "\\.cpp")
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp "// component without sources yet\n")
    list(APPEND srcs ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${C_DEPS})
  target_compile_options(${name} PRIVATE ${MORVANT_COVERAGE_OPTIONS})
  morvant_precompile(${name} "${srcs}" ${MORVANT_COMMON_HEADERS})

  if(BUILD_TESTING)
    file(GLOB_RECURSE tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
    list(FILTER tests INCLUDE REGEX "/tests/[^/]+$")
    file(GLOB_RECURSE support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    list(FILTER support INCLUDE REGEX "/tests/[^/]+$")
    list(FILTER support EXCLUDE REGEX "_test\\.cpp$")
    set_property(GLOBAL APPEND PROPERTY MORVANT_TEST_SOURCES ${tests})
    if(MORVANT_TSAN AND C_TSAN_TESTS)
      list(TRANSFORM C_TSAN_TESTS PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/ OUTPUT_VARIABLE tests)
    endif()
    if(tests)
      set(exe ${name}_tests)
      add_executable(${exe} ${tests} ${support})
      target_link_libraries(${exe} PRIVATE ${name} ${C_TEST_DEPS} morvant_test_main)
      morvant_precompile(${exe} "${tests};${support}" ${MORVANT_COMMON_HEADERS} <gtest/gtest.h>)
      target_compile_options(${exe} PRIVATE ${MORVANT_TEST_OPTIONS})
      if(MORVANT_TEST_SHARDS GREATER 0)
        math(EXPR last "${MORVANT_TEST_SHARDS} - 1")
        foreach(shard RANGE ${last})
          add_test(NAME ${exe}.shard${shard} COMMAND ${exe})
          set_tests_properties(${exe}.shard${shard} PROPERTIES
            TIMEOUT 600
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;GTEST_TOTAL_SHARDS=${MORVANT_TEST_SHARDS};GTEST_SHARD_INDEX=${shard}")
        endforeach()
      else()
        gtest_discover_tests(${exe}
          DISCOVERY_MODE PRE_TEST
          DISCOVERY_TIMEOUT 120
          PROPERTIES
            TIMEOUT 300
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
      endif()
    endif()
  endif()
endfunction()

# Fails configuration when a *_test.cpp of the tree is in no test executable:
# a test that is never built would pass unseen.
function(morvant_check_tests)
  file(GLOB_RECURSE all CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/seltrane_components/*_test.cpp
       ${PROJECT_SOURCE_DIR}/components/*_test.cpp
       ${PROJECT_SOURCE_DIR}/applications/*_test.cpp
       ${PROJECT_SOURCE_DIR}/tests/*_test.cpp
       ${PROJECT_SOURCE_DIR}/bench/*_test.cpp)
  get_property(built GLOBAL PROPERTY MORVANT_TEST_SOURCES)
  foreach(t ${all})
    if(NOT t IN_LIST built)
      file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${t})
      message(FATAL_ERROR "${rel} is in no test executable: put it in a tests/ folder of a component")
    endif()
  endforeach()
endfunction()
