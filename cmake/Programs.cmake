# The programs the package installs, each with the one-line summary of its man
# page. This list is the one place that names them: a listed program that this
# configuration builds is installed, gets a man page and its --version and
# --help tests, and is expected by scripts/check-package; one it does not build
# is left out.
set(CORVANE_PROGRAMS
  corvane-logger   "capture and analyse the laboratory heat engine"
  corvane-batch    "evaluate capture files into one results file"
  corvane-calibrate "calibrate the bench from captures taken for it"
  corvane-simulate "make capture files from the simulated engine"
  corvane-report   "write a PDF lab report for each capture file"
  corvane-record   "record a whole experiment: every scan and every engine cycle")

# One version for every program, from project(), through a generated header.
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
               ${PROJECT_BINARY_DIR}/generated/corvane/version.h @ONLY)
add_library(corvane_version INTERFACE)
target_include_directories(corvane_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

# Man pages are made from each program's --help and --version at build time;
# the sanitizer build has no use for them.
if(NOT CORVANE_SANITIZE AND NOT CORVANE_TSAN)
  find_program(HELP2MAN help2man)
  find_program(GZIP gzip)
  if(NOT HELP2MAN OR NOT GZIP)
    message(WARNING "help2man or gzip not found: no man pages (scripts/setup installs them)")
  endif()
endif()

# A test that PROGRAM answers ARGUMENT with ANSWER, run without a display.
function(corvane_answer_test program argument answer)
  string(REPLACE "--" "" kind ${argument})
  add_test(NAME ${program}_${kind}
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
            ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DARGUMENT=${argument}
            "-DEXPECTED=${answer}" -P ${PROJECT_SOURCE_DIR}/cmake/CheckProgramAnswer.cmake)
endfunction()

# Called once all folders are added.
function(corvane_finish_programs)
  set(expected "version ${PROJECT_VERSION}\n")
  set(built)
  set(pages)
  set(programs ${CORVANE_PROGRAMS})
  while(programs)
    list(POP_FRONT programs name summary)
    if(NOT TARGET ${name})
      continue()
    endif()
    list(APPEND built ${name})
    string(APPEND expected "program ${name}\n")
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

    # Both are answered before any window or board exists: no display needed.
    if(BUILD_TESTING)
      corvane_answer_test(${name} --version "${name} ${PROJECT_VERSION}")
      corvane_answer_test(${name} --help "Usage: ${name}")
    endif()

    if(HELP2MAN AND GZIP)
      set(page ${PROJECT_BINARY_DIR}/man/${name}.1)
      add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
        COMMAND ${HELP2MAN} --no-info --name=${summary} --output=${page} $<TARGET_FILE:${name}>
        COMMAND ${GZIP} -9nf ${page}
        DEPENDS ${name}
        COMMENT "Making the man page of ${name}"
        VERBATIM)
      list(APPEND pages ${page}.gz)
      install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
  endwhile()

  if(pages)
    add_custom_target(corvane_man_pages ALL DEPENDS ${pages})
  endif()
  # What the package holds that must be built first (scripts/package builds
  # only this, not the tests and benchmarks).
  add_custom_target(corvane_package_contents)
  add_dependencies(corvane_package_contents ${built})
  if(pages)
    add_dependencies(corvane_package_contents corvane_man_pages)
  endif()
  # The programs and version scripts/check-package expects in the package.
  file(WRITE ${PROJECT_BINARY_DIR}/package-expected.txt "${expected}")
endfunction()
