# Project-wide compile settings and the helpers every folder uses.
#
#   pos_library(NAME [WIN32_ONLY] [SOURCES ...] [EXCLUDE ...] [DEPS ...])
#       A static library of the folder's *.cpp (or the SOURCES given), minus EXCLUDE.
#   pos_resources(TARGET RCFILE [FILES ...])   (win32)
#       Compiles a resource script of the folder (FILES: what it names) and links the
#       resources into every module that links TARGET, not into TARGET's archive, where
#       nothing would pull them in.
#   pos_test(NAME [SOURCES ...] [DEPS ...] [TIMEOUT s] [SHARDS n])
#       One test program per folder of tests/: all its cases run in one process,
#       natively or under Wine (one Wine start per program, not per case). A long
#       program runs as n tests of a share of its cases each (GoogleTest's shards),
#       which CTest runs side by side.

set(POS_ROOT ${CMAKE_SOURCE_DIR})

# Narrow literals are GBK in both toolchains; sources are UTF-8.
set(POS_CXX_FLAGS -finput-charset=UTF-8 -fexec-charset=GBK -Wall -Wextra -Wno-unused-parameter)
# clang (the fuzz tree) knows no GBK execution character set: there literals stay UTF-8.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  list(REMOVE_ITEM POS_CXX_FLAGS -fexec-charset=GBK)
endif()
if(WIN32)
  # SSE2 doubles: the same results as the native build, no x87 excess precision.
  list(APPEND POS_CXX_FLAGS -msse2 -mfpmath=sse -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0601)
endif()

if(POS_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
if(POS_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

function(pos_library name)
  cmake_parse_arguments(A "WIN32_ONLY" "" "SOURCES;EXCLUDE;DEPS" ${ARGN})
  if(A_WIN32_ONLY AND NOT WIN32)
    return()
  endif()
  if(A_SOURCES)
    set(srcs ${A_SOURCES})
  else()
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  foreach(x ${A_EXCLUDE})
    list(REMOVE_ITEM srcs ${CMAKE_CURRENT_SOURCE_DIR}/${x})
  endforeach()
  if(NOT srcs)
    # A folder whose sources have not arrived yet: headers only.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${POS_ROOT})
    if(A_DEPS)
      target_link_libraries(${name} INTERFACE ${A_DEPS})
    endif()
    return()
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${POS_ROOT})
  target_compile_options(${name} PRIVATE ${POS_CXX_FLAGS})
  if(A_DEPS)
    target_link_libraries(${name} PUBLIC ${A_DEPS})
  endif()
endfunction()

function(pos_resources target rc)
  get_filename_component(base ${rc} NAME_WE)
  set(obj ${CMAKE_CURRENT_BINARY_DIR}/${base}_resources.o)
  set(deps ${CMAKE_CURRENT_SOURCE_DIR}/${rc})
  foreach(f ${ARGN})
    list(APPEND deps ${CMAKE_CURRENT_SOURCE_DIR}/${f})
  endforeach()
  add_custom_command(OUTPUT ${obj}
    COMMAND ${CMAKE_RC_COMPILER} -O coff -I ${CMAKE_CURRENT_SOURCE_DIR} -i ${CMAKE_CURRENT_SOURCE_DIR}/${rc} -o ${obj}
    DEPENDS ${deps} VERBATIM)
  add_custom_target(${target}_resources DEPENDS ${obj})
  add_dependencies(${target} ${target}_resources)
  target_link_libraries(${target} INTERFACE ${obj})
endfunction()

# GoogleTest: the system package natively; built from Debian's sources for win32.
if(WIN32)
  if(NOT TARGET gtest)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
  endif()
  set(POS_GTEST gtest gtest_main)
else()
  find_package(GTest REQUIRED)
  set(POS_GTEST GTest::gtest GTest::gtest_main)
endif()

function(pos_test name)
  cmake_parse_arguments(A "" "TIMEOUT;SHARDS" "SOURCES;DEPS" ${ARGN})
  if(A_SOURCES)
    set(srcs ${A_SOURCES})
  else()
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_include_directories(${name} PRIVATE ${POS_ROOT} ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${POS_CXX_FLAGS})
  target_link_libraries(${name} PRIVATE ${A_DEPS} ${POS_GTEST})
  # Every case file includes GoogleTest, whose header alone takes a compiler some two
  # seconds: precompiled once per program, each file compiles that much faster (a
  # program of one or two files would gain nothing).
  list(LENGTH srcs count)
  if(count GREATER 2)
    target_precompile_headers(${name} PRIVATE <gtest/gtest.h>)
  endif()
  target_compile_definitions(${name} PRIVATE POS_SOURCE_DIR="${POS_ROOT}" POS_BINARY_DIR="${CMAKE_BINARY_DIR}")
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 600)
  endif()
  if(A_SHARDS)
    math(EXPR last "${A_SHARDS} - 1")
    foreach(index RANGE ${last})
      math(EXPR number "${index} + 1")
      set(test ${name}_${number}of${A_SHARDS})
      add_test(NAME ${test} COMMAND ${name} --gtest_brief=1)
      set_tests_properties(${test} PROPERTIES TIMEOUT ${A_TIMEOUT}
                           ENVIRONMENT "GTEST_TOTAL_SHARDS=${A_SHARDS};GTEST_SHARD_INDEX=${index}")
    endforeach()
  else()
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT})
  endif()
endfunction()
