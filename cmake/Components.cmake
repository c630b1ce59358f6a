# One static library per component, built from every source in its folder
# (tests excluded), and one test executable per tests/<name>_test.cpp.
#
#   morvant_component(<target> [DEPS libs...] [TEST_DEPS libs...] [EXCLUDE files...])
#
# Any tests/*.cpp that is not a *_test.cpp is shared test support for that
# component and is linked into each of its test executables.
function(morvant_component name)
  cmake_parse_arguments(C "" "" "DEPS;TEST_DEPS;EXCLUDE" ${ARGN})
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

  if(BUILD_TESTING)
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*_test.cpp)
    file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.h)
    list(FILTER support EXCLUDE REGEX "_test\\.cpp$")
    foreach(t ${tests})
      get_filename_component(base ${t} NAME_WE)
      set(exe ${name}_${base})
      add_executable(${exe} ${t} ${support})
      target_link_libraries(${exe} PRIVATE ${name} ${C_TEST_DEPS} morvant_test_main)
      gtest_discover_tests(${exe}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 120
        PROPERTIES
          TIMEOUT 300
          ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endforeach()
  endif()
endfunction()
