# orbisk_library(NAME DEPENDS lib... EXCLUDE file...): a static library of every .cpp in the calling folder.
function(orbisk_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;EXCLUDE" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(x ${ARG_EXCLUDE})
    list(REMOVE_ITEM srcs ${CMAKE_CURRENT_SOURCE_DIR}/${x})
  endforeach()
  if(NOT srcs MATCHES "\\.cpp")
    # Nothing built here yet: an interface library keeps the dependency chain intact.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${ORBISK_SRC})
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
    return()
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${ORBISK_SRC})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# orbisk_test(NAME SOURCES... DEPENDS lib... [ENVIRONMENT VAR=VALUE]): a GoogleTest executable whose
# cases CTest runs headless (the shared main selects the offscreen platform).
function(orbisk_test name)
  cmake_parse_arguments(ARG "" "ENVIRONMENT" "SOURCES;DEPENDS" ${ARGN})
  if(NOT ARG_ENVIRONMENT)
    set(ARG_ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE orbisk_testmain ${ARG_DEPENDS} GTest::gtest)
  target_compile_definitions(${name} PRIVATE
    ORBISK_EXAMPLES="${ORBISK_EXAMPLES}" ORBISK_FIELD_DATA="${ORBISK_FIELD_DATA}"
    ORBISK_TESTS_DIR="${CMAKE_SOURCE_DIR}/tests")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}")
endfunction()
