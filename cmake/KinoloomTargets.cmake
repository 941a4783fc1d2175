# Globbed sources reach the build at the next configure, but moc's code generator does not
# notice a header that joined the target later and leaves its Q_OBJECT unresolved. Writing the
# source list to a file that the generator depends on makes it run again whenever the list changes.
function(kinoloom_autogen_follows_sources target)
  get_target_property(sources ${target} SOURCES)
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}.sources)
  file(CONFIGURE OUTPUT ${list_file} CONTENT "${sources}")
  set_property(TARGET ${target} APPEND PROPERTY AUTOGEN_TARGET_DEPENDS ${list_file})
endfunction()

# One library per layer. Sources are collected from the layer's folder so that
# adding a unit means adding its .h/.cpp pair and nothing else.
function(kinoloom_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;LINK" ${ARGN})
  set(sources)
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB found CONFIGURE_DEPENDS
      ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp
      ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h
      ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.qrc)
    list(APPEND sources ${found})
  endforeach()
  list(FILTER sources INCLUDE REGEX "\\.(cpp|qrc)$|\\.h$")
  set(has_cpp ${sources})
  list(FILTER has_cpp INCLUDE REGEX "\\.cpp$")
  if(has_cpp)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_LINK})
    kinoloom_autogen_follows_sources(${name})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_LINK})
  endif()
endfunction()

# Every tests/<folder>/tst_<Family>.cpp becomes one Qt Test executable registered with ctest.
# PLAYERS: the tests may make media players (see below).
function(kinoloom_tests folder)
  cmake_parse_arguments(ARG "PLAYERS" "TIMEOUT" "LINK" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/tst_*.cpp)
  foreach(test_source IN LISTS tests)
    get_filename_component(test_name ${test_source} NAME_WE)
    set(target ${folder}_${test_name})
    string(REPLACE "/" "_" target ${target})
    add_executable(${target} ${test_source})
    target_link_libraries(${target} PRIVATE ${ARG_LINK} Qt6::Test)
    add_test(NAME ${folder}/${test_name} COMMAND ${target})
    # Qt Test's own watchdog (five minutes a function) gets the family's time too: on a loaded
    # machine a function that renders every codec can outlast it while the family is in time.
    math(EXPR function_timeout "${ARG_TIMEOUT} * 1000")
    set_tests_properties(${folder}/${test_name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_MEDIA_BACKEND=gstreamer;KINOLOOM_TEST_SUPPORT=${CMAKE_CURRENT_SOURCE_DIR}/support;QTEST_FUNCTION_TIMEOUT=${function_timeout}")
    if(ARG_PLAYERS)
      # Media players load GStreamer, whose plugins keep memory until exit; the leak suppressions
      # name those by function, which the sanitizer's fast unwinder cannot see through system
      # libraries built without frame pointers. Appended: the sanitizer run's options stay.
      set_tests_properties(${folder}/${test_name} PROPERTIES
        ENVIRONMENT_MODIFICATION "ASAN_OPTIONS=string_append::fast_unwind_on_malloc=0")
    endif()
  endforeach()
endfunction()
