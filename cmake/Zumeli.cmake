# Shared build settings: one warnings target every Zumeli target links, sanitizer and fuzzing
# flags, and small helpers for libraries and tests.

add_library(zumeli_warnings INTERFACE)
target_compile_options(zumeli_warnings INTERFACE -Wall -Wextra)

if(ZUMELI_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(ZUMELI_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ZUMELI_FUZZ needs clang (configure with CMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# zumeli_library(<name> SOURCES ... [DEPS ...]): a static library named zumeli_<name> whose
# headers are included as "<folder>/Header.h" from the project root.
function(zumeli_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(zumeli_${name} STATIC ${ARG_SOURCES})
  target_include_directories(zumeli_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(zumeli_${name} PUBLIC ${ARG_DEPS} PRIVATE zumeli_warnings)
endfunction()

# zumeli_test(<name> SOURCES ... [DEPS ...]): a GoogleTest program whose tests CTest runs one by one,
# named after their test folder ("engine.Client.Step"), so `ctest -R '^engine\.'` runs one folder.
function(zumeli_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main zumeli_warnings)
  target_compile_definitions(${name} PRIVATE ZUMELI_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  gtest_discover_tests(${name} TEST_PREFIX "${folder}." DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()
