# Helpers that keep the folder CMakeLists short: a folder's sources are its
# *.cpp files, its unit tests are the *_test.cpp files beside them.

# qx_sources(OUT DIR...) lists the non-test sources of the given folders.
function(qx_sources out)
  set(all)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp)
    list(FILTER found EXCLUDE REGEX "_(test|fuzz|bench)\\.cpp$")
    list(APPEND all ${found})
  endforeach()
  set(${out} ${all} PARENT_SCOPE)
endfunction()

# Flags of the code that runs inside the print system: no exceptions cross a
# library boundary, and only the C entry points are visible.
function(qx_library_flags target)
  target_compile_options(${target} PRIVATE -fno-exceptions -fvisibility=hidden
                                           -fvisibility-inlines-hidden)
endfunction()

# qx_unit_tests(NAME DIR LIBS...) builds DIR/*_test.cpp into one test
# executable linked with LIBS and registers its cases with CTest.
function(qx_unit_tests name dir)
  file(GLOB tests CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  if(NOT tests)
    return()
  endif()
  add_executable(${name} ${tests})
  target_link_libraries(${name} PRIVATE ${ARGN} qx_test_main GTest::gtest GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
endfunction()

# A fuzz build (clang, QX_FUZZ on) gives every library coverage instrumentation,
# so that the fuzz targets see into the code they drive; scripts/run-fuzz adds
# the address and undefined-behaviour sanitizers through QX_SANITIZE.
# Warnings stay errors in the regular (gcc) builds; a fuzz build only reports
# clang's own, so that they never keep the fuzz targets from running.
if(QX_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link -Wno-error)
endif()

# qx_fuzz_target(NAME SOURCE LIBS...) builds a libFuzzer target when QX_FUZZ is on.
function(qx_fuzz_target name source)
  if(NOT QX_FUZZ)
    return()
  endif()
  add_executable(${name} ${source})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARGN})
endfunction()

# qx_fuzz_targets(DIR LIBS...) builds each DIR/<name>_fuzz.cpp as the fuzz target
# <name>_fuzz linked with LIBS.
function(qx_fuzz_targets dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*_fuzz.cpp)
  foreach(source IN LISTS sources)
    get_filename_component(name ${source} NAME_WE)
    qx_fuzz_target(${name} ${source} ${ARGN})
  endforeach()
endfunction()

# qx_driver_library(NAME DIRS...) builds one of the print system's libraries:
# an object library qx_<lower name> that unit tests link directly, and the shared
# object NAME.so (no "lib" prefix) that the print system loads by name.
function(qx_driver_library name)
  qx_sources(sources ${ARGN})
  string(TOLOWER ${name} lower)
  add_library(qx_${lower} OBJECT ${sources})
  qx_library_flags(qx_${lower})
  target_include_directories(qx_${lower} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(qx_${lower} PUBLIC qxplatform)
  add_library(${name} SHARED $<TARGET_OBJECTS:qx_${lower}>)
  target_link_libraries(${name} PRIVATE qx_${lower})
  target_link_options(${name} PRIVATE -Wl,--no-undefined
                      -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/driver_exports.map)
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name} SUFFIX ".so")
endfunction()
