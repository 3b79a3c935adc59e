# Shared settings and helpers for every target of the project.

# The program folder: Velmora.exe and Mervik.exe stand side by side in it.
set(VELMORA_PROGRAM_DIR ${CMAKE_BINARY_DIR}/program)

# Every literal in our sources is UTF-8; the program speaks GBK (code page 936).
if(MSVC)
  set(VELMORA_CHARSET_FLAGS /utf-8 /execution-charset:.936)
else()
  set(VELMORA_CHARSET_FLAGS -finput-charset=UTF-8 -fexec-charset=GBK)
endif()

if(MERVIK_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  # clang has no execution character set but UTF-8, so a fuzzing build keeps the
  # literals in UTF-8: the messages read differently, the logic is the same.
  set(VELMORA_CHARSET_FLAGS -finput-charset=UTF-8)
endif()

if(WIN32 AND NOT MSVC)
  # Nothing but Windows' own DLLs at run time.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # No link time in the PE header: the same sources give the same bytes.
  add_link_options(-Wl,--no-insert-timestamp)
  # The rich-edit control takes some two hundred bytes of memory for every byte of a
  # plain document; a 32-bit program limited to 2 GB runs out of it on a 10 MB file.
  # Large-address aware, it gets 4 GB on a 64-bit system (and under Wine). A 64-bit
  # program has the room anyway, and its linker refuses the option.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_link_options(-Wl,--large-address-aware)
  endif()
endif()

if(NOT WIN32 AND VELMORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

function(velmora_target_defaults target)
  target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:C,CXX>:${VELMORA_CHARSET_FLAGS}>")
  if(NOT MSVC)
    target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:C,CXX>:-Wall;-Wextra;-Wno-missing-field-initializers>")
  endif()
  # MinGW's GCC 12 optimiser reports overlapping copies inside std::string's own code for
  # "text" + std::string (a false -Wrestrict, gone in GCC 13); under -Werror it stopped
  # every release build. Only there: clang-tidy reads the host build's flags and does not
  # know the option.
  if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:-Wno-restrict>")
  endif()
  if(WIN32)
    target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  endif()
endfunction()

# A GoogleTest executable registered with CTest. On Windows builds made on Linux the
# test runs under Wine through scripts/wine-run.sh, which puts a time limit on it.
function(velmora_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  velmora_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBRARIES} gtest gtest_main)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(WIN32 AND CMAKE_CROSSCOMPILING)
    # "wine." tells the Windows run of a test from its native run in the summary.
    set(test_name wine.${name})
    add_test(NAME ${test_name}
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${T_TIMEOUT} $<TARGET_FILE:${name}>
             WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  else()
    set(test_name ${name})
    add_test(NAME ${test_name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  set_tests_properties(${test_name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  set(VELMORA_LAST_TEST ${test_name} PARENT_SCOPE)
endfunction()

# A test of the real windows: links the harness and the program's resources
# (glyphs, icon, manifest) so the windows look as they do in Velmora.exe.
function(velmora_add_gui_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBRARIES" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  velmora_add_test(${name} TIMEOUT ${T_TIMEOUT}
    SOURCES ${T_SOURCES} $<TARGET_OBJECTS:velmora_resources>
    LIBRARIES velmora_gui_harness ${T_LIBRARIES})
  set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE OFF)
  # Several GUI tests must not share one desktop's focus at the same time.
  set_tests_properties(${VELMORA_LAST_TEST} PROPERTIES RESOURCE_LOCK wine_desktop)
  set(VELMORA_LAST_TEST ${VELMORA_LAST_TEST} PARENT_SCOPE)
endfunction()
