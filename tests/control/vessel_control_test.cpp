// The vessel characteristics taken from the thruster groups.
#include "vessel/vessel_control.h"

#include "control_world.h"

namespace {

using control_test::ControlWorld;
using control_test::thruster;

class VesselCharacteristics : public ControlWorld {};

TEST_F(VesselCharacteristics, ResponseTimeChangesOnlyAboveTenMilliseconds) {
  moduleState.control.responseTime = 1.0;
  setupVesselControl(nullptr, 0.01);
  EXPECT_EQ(moduleState.control.responseTime, 1.0);
  setupVesselControl(nullptr, 0.011);
  EXPECT_EQ(moduleState.control.responseTime, 0.011);
}

TEST_F(VesselCharacteristics, RotationCapacitySumsBothGroupsAtFullDistance) {
  const auto id = addVessel("Pitcher", {
                                           thruster(3, {0, 0, 10}, {0, 1, 0}, 1000),
                                           thruster(3, {0, 0, -10}, {0, -1, 0}, 1000),
                                           thruster(4, {0, 0, 10}, {0, -1, 0}, 1000),
                                           thruster(4, {0, 0, -10}, {0, 1, 0}, 1000),
                                       });
  setupVesselControl(iface(id), 0.25);
  EXPECT_EQ(moduleState.control.axisTorque[0], 40000.0);
  EXPECT_EQ(moduleState.control.axisTorque[1], 0.0);
  EXPECT_EQ(moduleState.control.axisTorque[2], 0.0);
  EXPECT_EQ(moduleState.control.vessel, iface(id));
  EXPECT_EQ(moduleState.control.responseTime, 0.25);
}

TEST_F(VesselCharacteristics, LeverArmIsTheFullDistanceWhateverTheDirection) {
  // The thrust points along the arm, so its true torque is zero.
  const auto id = addVessel("Arm", {thruster(5, {3, 4, 0}, {0.6, 0.8, 0}, 100)});
  EXPECT_EQ(groupMaxTorque(iface(id), THGROUP_YAW_LOWER), 500.0);
  EXPECT_EQ(groupMaxTorque(iface(id), THGROUP_YAW_RAISE), 0.0);
  EXPECT_EQ(groupMaxTorque(nullptr, THGROUP_YAW_LOWER), 0.0);
}

TEST_F(VesselCharacteristics, LinearCapacityIsTheMeanOfThePair) {
  const auto id = addVessel("Slider", {
                                          thruster(9, {0, 0, 1}, {1, 0, 0}, 150),
                                          thruster(9, {0, 0, -1}, {1, 0, 0}, 250),
                                          thruster(10, {0, 0, 0}, {-1, 0, 0}, 600),
                                          thruster(0, {0, 0, -5}, {0, 0, 1}, 7000),
                                          thruster(2, {0, 0, 0}, {0, 1, 0}, 3000),
                                      });
  EXPECT_EQ(groupMaxThrust(iface(id), THGROUP_LIN_POS_X), 400.0);
  setupVesselControl(iface(id), 0.25);
  EXPECT_EQ(moduleState.control.linearThrust[0], 500.0);
  EXPECT_EQ(moduleState.control.linearThrust[1], 0.0);
  EXPECT_EQ(moduleState.control.engineThrust[ENGINE_MAIN], 7000.0);
  EXPECT_EQ(moduleState.control.engineThrust[ENGINE_RETRO], 0.0);
  EXPECT_EQ(moduleState.control.engineThrust[ENGINE_HOVER], 3000.0);
}

TEST_F(VesselCharacteristics, NullVesselFliesNothingAndKeepsThePreviousValues) {
  halcyra::VesselSpec spec;
  spec.name = "Generic";
  spec.body = "Earth";
  spec.position = VECTOR3{1000, 0, 0};
  const auto id = world->addVessel(spec);
  setupVesselControl(iface(id), 0.25);
  // The generic class: rotation pairs of 1000 N at 10 m (pitch, yaw) and
  // 5 m (roll), 500 N linear thrusters in pairs, pmi (15, 16, 6).
  EXPECT_EQ(moduleState.control.axisTorque[0], 40000.0);
  EXPECT_EQ(moduleState.control.axisTorque[2], 20000.0);
  EXPECT_EQ(moduleState.control.linearThrust[2], 1000.0);
  EXPECT_EQ(moduleState.control.pmi.y, 16.0);

  setupVesselControl(nullptr, 0.5);
  EXPECT_EQ(moduleState.control.vessel, nullptr);  // no vessel is flown, the values stay
  EXPECT_EQ(moduleState.control.axisTorque[0], 40000.0);
  EXPECT_EQ(moduleState.control.engineThrust[ENGINE_MAIN], 200000.0);
  EXPECT_EQ(moduleState.control.pmi.z, 6.0);
  EXPECT_EQ(moduleState.control.responseTime, 0.5);
}

}  // namespace
