# The release's notes: CHANGELOG.md must have an entry "## [VERSION] - YYYY-MM-DD"
# for the project's version, whose date is the release's date; from it the
# build writes the Debian changelog the .deb carries.
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md release_heading
     REGEX "^## \\[${PROJECT_VERSION}\\] - [0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
if(NOT release_heading)
  message(FATAL_ERROR "CHANGELOG.md has no entry \"## [${PROJECT_VERSION}] - YYYY-MM-DD\" "
                      "for the version in CMakeLists.txt")
endif()
string(REGEX MATCH "[0-9-]+$" GYRELLE_RELEASE_DATE "${release_heading}")

if(NOT WIN32)
  # Debian's changelog format (deb-changelog(5)), compressed as Debian's
  # policy asks (gzip -9n: no name or time stamp inside).
  execute_process(COMMAND date -u -d "${GYRELLE_RELEASE_DATE}" "+%a, %d %b %Y %H:%M:%S +0000"
                  OUTPUT_VARIABLE release_rfc2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                  COMMAND_ERROR_IS_FATAL ANY)
  file(WRITE ${PROJECT_BINARY_DIR}/release/changelog
       "gyrelle (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
       "  * Release ${PROJECT_VERSION}: see CHANGELOG.md beside this file.\n\n"
       " -- The Gyrelle developers <gyrelle@example.org>  ${release_rfc2822}\n")
  execute_process(COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/release/changelog COMMAND_ERROR_IS_FATAL ANY)

  # The manual page, gyrelle-sim(1), made by help2man from --help and
  # --version, so that it says what the program says; dated the release's
  # date (SOURCE_DATE_EPOCH). Not in the sanitizer builds, whose programs the
  # build would run.
  option(GYRELLE_MAN_PAGE "Write gyrelle-sim's manual page (help2man)" ON)
  find_program(HELP2MAN help2man)
  if(GYRELLE_MAN_PAGE AND NOT HELP2MAN)
    message(WARNING "help2man is missing (run scripts/setup.sh): no manual page")
  endif()
  if(GYRELLE_MAN_PAGE AND HELP2MAN)
    execute_process(COMMAND date -u -d "${GYRELLE_RELEASE_DATE}" +%s
                    OUTPUT_VARIABLE release_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                    COMMAND_ERROR_IS_FATAL ANY)
    set(GYRELLE_MAN_PAGE_FILE ${PROJECT_BINARY_DIR}/release/gyrelle-sim.1.gz)
    add_custom_command(
      OUTPUT ${GYRELLE_MAN_PAGE_FILE}
      COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${release_epoch} ${HELP2MAN} --no-info
              --name "fly scenarios with the Gyrelle module in the stand-in Halcyra host"
              --output ${PROJECT_BINARY_DIR}/release/gyrelle-sim.1 $<TARGET_FILE:gyrelle-sim>
      COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/release/gyrelle-sim.1
      DEPENDS gyrelle-sim
      COMMENT "Writing gyrelle-sim's manual page")
    add_custom_target(gyrelle_man_page ALL DEPENDS ${GYRELLE_MAN_PAGE_FILE})
  endif()
endif()
