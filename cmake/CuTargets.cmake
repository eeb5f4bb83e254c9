# Project-wide compile settings and the two helpers every folder uses:
#   cu_add_library(NAME SOURCES ... [POSIX ...] [WIN32 ...] [DEPS ...])
#   cu_add_test(NAME SOURCES ... [DEPS ...] [LABELS ...])
# Platform bodies are chosen here, never by #ifdef in engine code.

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra)
  # Diagnostics name the source file as the project knows it, not the build machine's path. Ninja
  # names sources relative to the build tree, Make by their absolute path: map both.
  file(RELATIVE_PATH cu_source_from_build ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
  string(REGEX REPLACE "/$" "" cu_source_from_build "${cu_source_from_build}")
  add_compile_options(-fmacro-prefix-map=${CMAKE_SOURCE_DIR}/=
                      -fmacro-prefix-map=${cu_source_from_build}/=)
endif()
if(WIN32)
  # C99 printf (%zu, %lld) from the MinGW runtime; 8-bit Win32 API throughout.
  add_compile_definitions(__USE_MINGW_ANSI_STDIO=1 WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

find_package(Threads REQUIRED)

function(cu_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;POSIX;WIN32;DEPS;INCLUDES" ${ARGN})
  set(srcs ${ARG_SOURCES})
  if(WIN32)
    list(APPEND srcs ${ARG_WIN32})
  else()
    list(APPEND srcs ${ARG_POSIX})
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${ARG_INCLUDES})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# One CTest test per test executable: under Wine a process costs real time, so the executable runs
# all its cases in one go.
function(cu_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} cu_gtest_main)
  # Tests find their data under the source tree; under Wine the Linux root is drive Z:.
  if(CMAKE_CROSSCOMPILING)
    target_compile_definitions(${name} PRIVATE CU_SOURCE_DIR="Z:${CMAKE_SOURCE_DIR}")
  else()
    target_compile_definitions(${name} PRIVATE CU_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 LABELS "${ARG_LABELS}")
  if(CMAKE_CROSSCOMPILING)
    # One Wine prefix per build tree; scripts/test.sh keeps a wineserver running for it.
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
  endif()
  foreach(src ${ARG_SOURCES})
    get_filename_component(abs ${src} ABSOLUTE)
    set_property(GLOBAL APPEND PROPERTY CU_REGISTERED_TEST_SOURCES ${abs})
  endforeach()
endfunction()

# A test file that no executable builds is a test that silently stopped running.
function(cu_check_every_test_is_registered)
  file(GLOB_RECURSE all_tests RELATIVE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/*_test.cpp)
  list(FILTER all_tests EXCLUDE REGEX "^(build|out)/")
  if(WIN32)
    list(FILTER all_tests EXCLUDE REGEX "_posix_test\\.cpp$")  # built for POSIX only
  endif()
  get_property(registered GLOBAL PROPERTY CU_REGISTERED_TEST_SOURCES)
  foreach(t ${all_tests})
    if(NOT "${CMAKE_SOURCE_DIR}/${t}" IN_LIST registered)
      message(FATAL_ERROR "${t} is not built by any cu_add_test(): register it")
    endif()
  endforeach()
endfunction()

# A folder that is one module: every .cpp in it is part of the library, except that *_win32.cpp
# files build only for Windows and *_posix.cpp only for POSIX, and each *_test.cpp becomes a test
# executable of its own linked against the module.
# EXCLUDE takes a regular expression of sources that are not part of the module (they belong to
# a program built beside it).
#   cu_add_module(NAME [DEPS targets...] [WIN32_LIBS libs...] [TEST_DEPS targets...]
#                 [TEST_LABELS labels...] [EXCLUDE regex])
function(cu_add_module name)
  cmake_parse_arguments(ARG "" "EXCLUDE" "DEPS;WIN32_LIBS;TEST_DEPS;TEST_LABELS" ${ARGN})
  file(GLOB all_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(ARG_EXCLUDE)
    list(FILTER all_sources EXCLUDE REGEX "${ARG_EXCLUDE}")
  endif()
  set(sources)
  set(tests)
  foreach(src ${all_sources})
    if(src MATCHES "_test\\.cpp$")
      list(APPEND tests ${src})
    elseif(src MATCHES "_win32\\.cpp$")
      if(WIN32)
        list(APPEND sources ${src})
      endif()
    elseif(src MATCHES "_posix\\.cpp$")
      if(NOT WIN32)
        list(APPEND sources ${src})
      endif()
    else()
      list(APPEND sources ${src})
    endif()
  endforeach()
  if(NOT sources)
    # A module with headers only still links as a library.
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp "")
    set(sources ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} Threads::Threads)
  if(WIN32 AND ARG_WIN32_LIBS)
    target_link_libraries(${name} PUBLIC ${ARG_WIN32_LIBS})
  endif()
  if(CU_BUILD_TESTS)
    foreach(test_src ${tests})
      get_filename_component(test_name ${test_src} NAME_WE)
      cu_add_test(${test_name} SOURCES ${test_src} DEPS ${name} ${ARG_TEST_DEPS}
                  LABELS ${ARG_TEST_LABELS})
    endforeach()
  endif()
endfunction()

# The project's libraries that this configuration has, for programs that may use any of them
# (fuzz targets, benchmarks).
function(cu_project_libraries out)
  set(libs)
  foreach(lib mutil mfileio mtoolbox digest mfcutil talk cu_engine)
    if(TARGET ${lib})
      list(APPEND libs ${lib})
    endif()
  endforeach()
  set(${out} ${libs} PARENT_SCOPE)
endfunction()
