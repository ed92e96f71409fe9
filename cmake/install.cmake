# What `cmake --install` puts where (GNUInstallDirs), and so what the packages
# hold (cmake/packaging.cmake).
#
# Linux, under the prefix:
#   bin/gyrelle-sim                         finds its libraries through $ORIGIN/../lib
#   lib/libhalcyra.so                       the stand-in host runtime
#   lib/gyrelle/libgyrelle.so, gyrelle-sim-full, cockpit/
#                                           what comes with gyrelle-sim (sim/run/program_files.h)
#   include/halcyra/hostapi/host_api.h and the platform headers it includes
#   lib/cmake/Halcyra/, lib/pkgconfig/halcyra.pc   for module developers: find_package(Halcyra)
#   share/gyrelle/scenarios/                the example scenarios and campaigns
#   share/doc/gyrelle/                      README, CHANGELOG, the pilot's guide, the example module
#   share/man/man1/gyrelle-sim.1.gz
# Windows: one flat folder, as a pilot unpacks it: gyrelle-sim.exe, gyrelle.dll
# and halcyra.dll side by side, scenarios/, the pilot's guide.
#
# Components: runtime, sdk, scenarios, docs. The Python package has its own
# component (python/CMakeLists.txt), left out of a full install.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

if(WIN32)
  set(GYRELLE_INSTALL_BINDIR .)
  set(GYRELLE_INSTALL_COMPANIONDIR .)
  set(GYRELLE_INSTALL_DATADIR .)
  set(GYRELLE_INSTALL_DOCDIR .)
else()
  set(GYRELLE_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
  set(GYRELLE_INSTALL_COMPANIONDIR ${CMAKE_INSTALL_LIBDIR}/gyrelle)
  set(GYRELLE_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/gyrelle)
  set(GYRELLE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/gyrelle)
endif()
set(GYRELLE_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Halcyra)
set(GYRELLE_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/halcyra)

# gyrelle-sim looks for its companions beside itself, then here.
file(RELATIVE_PATH companion_from_bin /prefix/${GYRELLE_INSTALL_BINDIR}
     /prefix/${GYRELLE_INSTALL_COMPANIONDIR})
# (A source's property is seen by the targets of the folder it is set for:
# sim/, whose targets compile the file.)
set_property(SOURCE ${PROJECT_SOURCE_DIR}/sim/run/program_files.cpp DIRECTORY ${PROJECT_SOURCE_DIR}/sim
             APPEND PROPERTY COMPILE_DEFINITIONS GYRELLE_COMPANION_DIR="${companion_from_bin}")

# The programs and libraries find each other relative to themselves, so that
# an unpacked package runs from any folder; "$ORIGIN" too for the Python
# package, which keeps them all in one folder (python/CMakeLists.txt).
file(RELATIVE_PATH lib_from_bin /prefix/${GYRELLE_INSTALL_BINDIR} /prefix/${CMAKE_INSTALL_LIBDIR})
file(RELATIVE_PATH lib_from_companion /prefix/${GYRELLE_INSTALL_COMPANIONDIR}
     /prefix/${CMAKE_INSTALL_LIBDIR})
if(NOT WIN32)
  set_target_properties(gyrelle-sim PROPERTIES INSTALL_RPATH "$ORIGIN/${lib_from_bin};$ORIGIN")
  set_target_properties(gyrelle gyrelle-sim-full PROPERTIES INSTALL_RPATH
                                                          "$ORIGIN/${lib_from_companion};$ORIGIN")
endif()

# --- runtime -----------------------------------------------------------------
install(TARGETS gyrelle-sim RUNTIME DESTINATION ${GYRELLE_INSTALL_BINDIR} COMPONENT runtime)
install(TARGETS gyrelle
        LIBRARY DESTINATION ${GYRELLE_INSTALL_COMPANIONDIR} COMPONENT runtime
        RUNTIME DESTINATION ${GYRELLE_INSTALL_COMPANIONDIR} COMPONENT runtime)
if(WIN32)
  install(TARGETS halcyra RUNTIME DESTINATION ${GYRELLE_INSTALL_BINDIR} COMPONENT runtime)
else()
  install(TARGETS halcyra EXPORT HalcyraTargets
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime
          INCLUDES DESTINATION ${GYRELLE_INSTALL_INCLUDEDIR})
endif()
if(TARGET gyrelle-sim-full)
  install(TARGETS gyrelle-sim-full RUNTIME DESTINATION ${GYRELLE_INSTALL_COMPANIONDIR}
          COMPONENT runtime)
  # The cockpit page as the build copied it beside the programs.
  install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/cockpit
          DESTINATION ${GYRELLE_INSTALL_COMPANIONDIR} COMPONENT runtime PATTERN .stamp EXCLUDE)
endif()

# --- scenarios and documents ---------------------------------------------------
install(DIRECTORY ${PROJECT_SOURCE_DIR}/scenarios/ DESTINATION ${GYRELLE_INSTALL_DATADIR}/scenarios
        COMPONENT scenarios)
if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/pilot-guide.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md
                ${PROJECT_SOURCE_DIR}/LICENSE
          DESTINATION ${GYRELLE_INSTALL_DOCDIR} COMPONENT docs)
else()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md
                ${PROJECT_SOURCE_DIR}/docs/pilot-guide.md
          DESTINATION ${GYRELLE_INSTALL_DOCDIR} COMPONENT docs)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${GYRELLE_INSTALL_DOCDIR}/examples
          COMPONENT docs)
  if(GYRELLE_MAN_PAGE_FILE)
    install(FILES ${GYRELLE_MAN_PAGE_FILE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT docs)
  endif()
  # The licence and release notes in Debian's form (cmake/release.cmake).
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${PROJECT_BINARY_DIR}/release/changelog.gz
          DESTINATION ${GYRELLE_INSTALL_DOCDIR} COMPONENT docs)
endif()

# --- sdk: what a module developer builds against ------------------------------
# The host-interface header and the platform headers it includes, under
# include/halcyra so that a module includes "hostapi/host_api.h" as Gyrelle does.
if(NOT WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/hostapi/host_api.h
          DESTINATION ${GYRELLE_INSTALL_INCLUDEDIR}/hostapi COMPONENT sdk)
  install(FILES ${PROJECT_SOURCE_DIR}/platform/dll.h ${PROJECT_SOURCE_DIR}/platform/gdi.h
                ${PROJECT_SOURCE_DIR}/platform/platform_api.h
                ${PROJECT_SOURCE_DIR}/platform/windows_headers.h
          DESTINATION ${GYRELLE_INSTALL_INCLUDEDIR}/platform COMPONENT sdk)
  install(EXPORT HalcyraTargets NAMESPACE Halcyra:: DESTINATION ${GYRELLE_INSTALL_CMAKEDIR}
          COMPONENT sdk)
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/HalcyraConfig.cmake.in
                                ${PROJECT_BINARY_DIR}/sdk/HalcyraConfig.cmake
                                INSTALL_DESTINATION ${GYRELLE_INSTALL_CMAKEDIR}
                                PATH_VARS GYRELLE_INSTALL_BINDIR)
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/sdk/HalcyraConfigVersion.cmake
                                   COMPATIBILITY SameMajorVersion)
  install(FILES ${PROJECT_BINARY_DIR}/sdk/HalcyraConfig.cmake
                ${PROJECT_BINARY_DIR}/sdk/HalcyraConfigVersion.cmake
          DESTINATION ${GYRELLE_INSTALL_CMAKEDIR} COMPONENT sdk)
  # pkg-config: relative to the .pc file itself, so an unpacked tarball works too.
  file(RELATIVE_PATH prefix_from_pc /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/halcyra.pc.in ${PROJECT_BINARY_DIR}/sdk/halcyra.pc
                 @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/sdk/halcyra.pc
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT sdk)
endif()
