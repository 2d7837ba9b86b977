# Warnings on our own code only, as errors unless CORVANE_WERROR is off;
# sanitizers when asked for (the address and undefined-behaviour pair, or the
# thread sanitizer alone).
function(corvane_setup target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(CORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  # GCC 12 at -O3 reports overlapping copies inside std::string's inlined
  # insert ("text" + std::to_string(n)) that cannot happen: in optimised
  # builds that one warning would only stop the build on correct code.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-Wno-restrict>)
  endif()
  if(CORVANE_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(CORVANE_TSAN)
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  endif()
endfunction()

# Headers that most files of a many-file target parse (Qt's widgets, QCustomPlot,
# GoogleTest), compiled once for the target: parsing them is most of such a
# file's build time. Left to the compiler's own build where precompiled headers
# are off (-DCORVANE_PCH=OFF: a check that every file includes what it uses).
# Never on the targets clang-tidy reads: it cannot load GCC's precompiled form.
function(corvane_precompile target)
  if(CORVANE_PCH)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()

# The precompiled headers of another target, where this one parses the same
# (QCustomPlot's header, made once for all the graph and window targets).
function(corvane_precompile_like target origin)
  if(CORVANE_PCH)
    target_precompile_headers(${target} REUSE_FROM ${origin})
  endif()
endfunction()

# A program whose moc output is included by its own source files (a test with
# Q_OBJECT in its .cpp): its generated mocs_compilation.cpp is empty, and would
# take seconds only to load the precompiled header.
function(corvane_moc_without_precompile target)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/mocs_compilation.cpp
    TARGET_DIRECTORY ${target} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
endfunction()

# A GoogleTest executable registered with ctest:
#   corvane_gtest(name sources... [PREFIX prefix.] [ENVIRONMENT VAR=value...])
# PREFIX starts every test's ctest name (so that ctest -R can pick a family);
# ENVIRONMENT is set for every test. The shared test helpers (a folder of its
# own per test, running a tool in it) are on every test's include path: ctest
# runs each case as a process of its own, in parallel, so no two may share a
# file name in the system's temporary folder.
function(corvane_gtest name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "PREFIX" "ENVIRONMENT")
  add_executable(${name} ${arg_UNPARSED_ARGUMENTS})
  corvane_setup(${name})
  target_link_libraries(${name} PRIVATE GTest::gtest_main)
  # All compiled position-independent, as Qt demands of the programs linking
  # it, so that they can share one precompiled GoogleTest header.
  target_compile_options(${name} PRIVATE -fPIC)
  corvane_precompile_like(${name} corvane_gtest_header)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  include(GoogleTest)
  set(properties)
  if(arg_ENVIRONMENT)
    set(properties PROPERTIES ENVIRONMENT "${arg_ENVIRONMENT}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_PREFIX "${arg_PREFIX}" ${properties})
endfunction()
