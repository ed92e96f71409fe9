# A second module that differs from libgyrelle.so in one line, which
# scripts/compare-flights must tell apart from it (compare_flights_linux_test):
# the attitude hold asks for 1.5 times the torque. The line is changed in a
# copy of its source made when the build is configured, and the copy is linked
# with every other object of the module; the product's code has no hook for it.
set(hold_source ${PROJECT_SOURCE_DIR}/control/attitude_hold.cpp)
set(hold_line "const double torque = change * c.pmi[axis] * mass / rateChangeTime(stepLength);")
set(hold_variant_line
    "const double torque = 1.5 * change * c.pmi[axis] * mass / rateChangeTime(stepLength);")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${hold_source})
file(READ ${hold_source} hold_text)
string(FIND "${hold_text}" "${hold_line}" hold_at)
if(hold_at EQUAL -1)
  message(FATAL_ERROR "${hold_source} no longer has the line the hold variant changes "
                      "(tests/sim/hold_variant.cmake): ${hold_line}")
endif()
string(REPLACE "${hold_line}" "${hold_variant_line}" hold_text "${hold_text}")
set(hold_variant_dir ${CMAKE_CURRENT_BINARY_DIR}/hold_variant)
file(WRITE ${hold_variant_dir}/attitude_hold.cpp.new "${hold_text}")
# Rewritten only when it changes, so that a new configure does not rebuild it.
configure_file(${hold_variant_dir}/attitude_hold.cpp.new ${hold_variant_dir}/attitude_hold.cpp
               COPYONLY)

add_library(gyrelle_hold_variant SHARED
  ${PROJECT_SOURCE_DIR}/module/exports.cpp ${hold_variant_dir}/attitude_hold.cpp
  "$<FILTER:$<TARGET_OBJECTS:gyrelle_core>,EXCLUDE,/control/attitude_hold\\.cpp\\.o$>")
set_target_properties(gyrelle_hold_variant PROPERTIES
  CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
  LIBRARY_OUTPUT_DIRECTORY ${hold_variant_dir}
  LINK_DEPENDS ${PROJECT_SOURCE_DIR}/module/exports.map)
target_link_libraries(gyrelle_hold_variant PRIVATE halcyra)
target_link_options(gyrelle_hold_variant PRIVATE -Wl,--no-undefined
                    -Wl,--version-script=${PROJECT_SOURCE_DIR}/module/exports.map)
