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
endif()
