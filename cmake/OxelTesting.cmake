# Shared build settings and the helpers that declare tests, for both builds.
#
# oxel_test(NAME SOURCES ... [LIBS ...])  one GoogleTest program, one ctest test;
#   native: built with the sanitizers; Windows: run under Wine by the emulator.
# oxel_fuzzer(NAME SOURCES ... [LIBS ...] [SECONDS n])  native only, a libFuzzer
#   target that ctest runs for a bounded time.
# oxel_deliverable(TARGET)  puts a program or plug-in into the output folder.
#
# Every test writes its GoogleTest XML report into OXEL_TEST_REPORTS, from which
# scripts/summarize-tests.py counts passed and failed cases across both builds.

set(OXEL_OUT_DIR "${CMAKE_BINARY_DIR}/out" CACHE PATH "Ready-to-copy output folder")
set(OXEL_TEST_REPORTS "${CMAKE_BINARY_DIR}/test-reports")
file(MAKE_DIRECTORY "${OXEL_OUT_DIR}" "${OXEL_TEST_REPORTS}")

if(OXEL_WINDOWS)
  # The 32-bit program, or its 64-bit twin: each runs under the Wine loader of
  # its own word size, with a prefix of its own.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(OXEL_WIN_ARCH x86_64)
    set(OXEL_WINEARCH win64)
    set(OXEL_WINE_LOADER /usr/lib/wine/wine64)
    set(OXEL_WINE_SERVER /usr/lib/wine/wineserver64)
  else()
    set(OXEL_WIN_ARCH i686)
    set(OXEL_WINEARCH win32)
    set(OXEL_WINE_LOADER /usr/lib/wine/wine)
    set(OXEL_WINE_SERVER /usr/lib/wine/wineserver32)
  endif()
  set(OXEL_DEPS "${CMAKE_SOURCE_DIR}/.deps/${OXEL_WIN_ARCH}" CACHE PATH "Prefix of the cross-built libwebp and minizip")
  set(OXEL_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix of the tests")
  add_compile_definitions(UNICODE _UNICODE WINVER=0x0601 _WIN32_WINNT=0x0601 NOMINMAX WIN32_LEAN_AND_MEAN)
  add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type)
  # Everything runs on a clean Windows: no MinGW runtime DLLs.
  add_link_options(-static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
  configure_file("${CMAKE_SOURCE_DIR}/scripts/wine-emulator.sh.in" "${CMAKE_BINARY_DIR}/wine-emulator" @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_BINARY_DIR}/wine-emulator")

  # GoogleTest from Debian's source package, built with the cross compiler.
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
  set(OXEL_GTEST_LIBS gtest gtest_main)

  # The three libraries that Oxel links.
  find_library(OXEL_ZLIB NAMES libz.a z REQUIRED)
  find_path(OXEL_ZLIB_INCLUDE zlib.h REQUIRED)
  find_library(OXEL_MINIZIP NAMES libminizip.a minizip PATHS "${OXEL_DEPS}/lib" NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  foreach(lib webpdemux webpmux webp sharpyuv)
    find_library(OXEL_LIB_${lib} NAMES lib${lib}.a PATHS "${OXEL_DEPS}/lib" NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  endforeach()
  add_library(oxel_thirdparty INTERFACE)
  target_include_directories(oxel_thirdparty INTERFACE "${OXEL_DEPS}/include" "${OXEL_ZLIB_INCLUDE}")
  set(webp_libs ${OXEL_LIB_webpdemux} ${OXEL_LIB_webpmux} ${OXEL_LIB_webp})
  if(OXEL_LIB_sharpyuv)
    list(APPEND webp_libs ${OXEL_LIB_sharpyuv})
  endif()
  target_link_libraries(oxel_thirdparty INTERFACE ${OXEL_MINIZIP} ${webp_libs} ${OXEL_ZLIB})
else()
  add_compile_options(-Wall -Wextra -g -O1 -fno-omit-frame-pointer
                      -fsanitize=address,undefined -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  find_package(GTest REQUIRED)
  set(OXEL_GTEST_LIBS GTest::gtest GTest::gtest_main)
  set(OXEL_FUZZ_SECONDS 20 CACHE STRING "Seconds each fuzzer runs in the test suite")
endif()

# The path of a test's XML report as the test program takes it: a Windows
# program reads "/tmp/x" as relative to its own folder, and Wine reaches the
# Unix file system as drive Z:.
function(oxel_report_path name out)
  set(report "${OXEL_TEST_REPORTS}/${name}.xml")
  if(OXEL_WINDOWS)
    string(REPLACE "/" "\\" report "Z:${report}")
  endif()
  set(${out} "${report}" PARENT_SCOPE)
endfunction()

function(oxel_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${OXEL_GTEST_LIBS})
  oxel_report_path(${name} report)
  add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${report}
           WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
  set_tests_properties(${name} PROPERTIES TIMEOUT 600
    ENVIRONMENT "OXEL_SOURCE_DIR=${CMAKE_SOURCE_DIR};OXEL_OUT_DIR=${OXEL_OUT_DIR};OXEL_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()

function(oxel_fuzzer name)
  cmake_parse_arguments(F "" "SECONDS" "SOURCES;LIBS" ${ARGN})
  if(OXEL_WINDOWS OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    return()
  endif()
  if(NOT F_SECONDS)
    set(F_SECONDS ${OXEL_FUZZ_SECONDS})
  endif()
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  set(corpus "${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus")
  file(MAKE_DIRECTORY "${corpus}")
  add_test(NAME ${name}
           COMMAND "${CMAKE_SOURCE_DIR}/scripts/run-fuzzer.sh" $<TARGET_FILE:${name}> "${corpus}"
                   ${F_SECONDS} "${OXEL_TEST_REPORTS}/${name}.xml")
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
endfunction()

function(oxel_deliverable target)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY "${OXEL_OUT_DIR}"
    LIBRARY_OUTPUT_DIRECTORY "${OXEL_OUT_DIR}")
endfunction()

# A plug-in module: a DLL named NAME.spi exporting by plain stdcall names from its .def file.
function(oxel_plugin target def)
  set_target_properties(${target} PROPERTIES PREFIX "" SUFFIX ".spi" OUTPUT_NAME ${target})
  target_sources(${target} PRIVATE ${def})
  target_link_options(${target} PRIVATE -Wl,--enable-stdcall-fixup -Wl,--kill-at)
  oxel_deliverable(${target})
endfunction()
