# CPack: the packages scripts/package.sh builds from a build tree.
#   Linux:   gyrelle-VERSION-linux-x86_64.tar.gz (one folder, runs where it is
#            unpacked) and gyrelle_VERSION_amd64.deb (under /usr)
#   Windows: gyrelle-VERSION-win64.zip (one folder: the module, gyrelle-sim.exe,
#            halcyra.dll, the scenarios, the pilot's guide)
# The version is the project's (CMakeLists.txt), the one --version prints.
set(CPACK_PACKAGE_NAME gyrelle)
set(CPACK_PACKAGE_VENDOR "The Gyrelle developers")
set(CPACK_PACKAGE_CONTACT "The Gyrelle developers <gyrelle@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Attitude display and autopilot module for Halcyra, with a stand-in host")
set(CPACK_PACKAGE_DESCRIPTION
    "Gyrelle is a multi-function-display module for the Halcyra space-flight
simulator: it shows the focus vessel's pitch, yaw and roll against a reference
attitude and flies an attitude hold and a velocity trim. This package holds the
module, the stand-in host runtime (libhalcyra.so) with its headers for module
developers, and gyrelle-sim, which flies scenarios with real flight dynamics
from the command line.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR "TGZ;DEB")
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})
endif()
set(CPACK_PACKAGE_FILE_NAME gyrelle-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# The tarball and the zip unpack into one folder named as the file.
set(CPACK_PACKAGE_INSTALL_DIRECTORY ${CPACK_PACKAGE_FILE_NAME})

# The .deb, under /usr: Debian's naming, owner root, compressed documents and
# dependencies worked out by dpkg-shlibdeps from what the programs link.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_INSTALL_LIBDIR} ${CMAKE_INSTALL_LIBDIR}/gyrelle)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
# libhalcyra.so is in the linker's folders: ldconfig runs through Debian's
# trigger, not from maintainer scripts.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
set(CPACK_DEB_COMPONENT_INSTALL OFF)
# The .deb installs under /usr; the tarball's and the zip's folder is the prefix.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_generator.cmake)
include(CPack)
