// The live session between the simulation thread and the HTTP threads, in
// process: pacing, pausing, stepping, the action queue's bound and the
// publication rate.
#include "sim/serve/session.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class Session : public ::testing::Test {
 protected:
  void SetUp() override { session.begin(world); }
  // Runs pace(t) on a thread of its own; the future is ready when it returns.
  std::future<sim::LivePace> paceAsync(double t) {
    return std::async(std::launch::async, [this, t] { return session.pace(t); });
  }
  halcyra::World world;  // no screens, no vessels: the state is small
  sim::LiveSession session{1.0, 0.02, 100.0, nullptr};
};

TEST_F(Session, APausedFlightWaitsForAStepAnActionOrAStopRequest) {
  std::atomic<bool> stop{false};
  session.setStopCheck([&] { return stop.load(); });
  sim::SimCommand pause;
  pause.pause = true;
  session.command(pause, 0ms);  // applied; nobody publishes the state that shows it
  auto paced = paceAsync(0.02);
  EXPECT_EQ(paced.wait_for(200ms), std::future_status::timeout) << "a paused flight went on";
  sim::SimCommand step;
  step.step = 1;
  session.command(step, 0ms);
  ASSERT_EQ(paced.wait_for(1s), std::future_status::ready) << "a step asked for was not taken";
  EXPECT_EQ(paced.get(), sim::LivePace::Step);
  // Only one: the next pace waits again.
  paced = paceAsync(0.04);
  EXPECT_EQ(paced.wait_for(200ms), std::future_status::timeout);
  // An action is applied where the flight stands, without a step.
  session.submit(sim::Action{}, 0ms);
  ASSERT_EQ(paced.wait_for(1s), std::future_status::ready) << "an action waits unapplied";
  EXPECT_EQ(paced.get(), sim::LivePace::Again);
  paced = paceAsync(0.04);
  stop = true;
  ASSERT_EQ(paced.wait_for(1s), std::future_status::ready) << "a stop request went unheard";
  EXPECT_EQ(paced.get(), sim::LivePace::Again) << "a stop must not take a step";
}

TEST_F(Session, PacingFollowsTheWallClockAtTheSpeedAsked) {
  sim::SimCommand fast;
  fast.speed = 2.0;
  session.command(fast, 0ms);  // from t = 0 now, at 2x
  const auto start = Clock::now();
  session.pace(0.38);  // its step to 0.4 is due 0.2 s of wall time after the base
  const double waited = std::chrono::duration<double>(Clock::now() - start).count();
  EXPECT_GT(waited, 0.15);
  EXPECT_LT(waited, 0.6);
}

TEST_F(Session, WaitingActionsAreBoundedAndRefusedOnceTheFlightHasEnded) {
  sim::Action key;
  for (size_t i = 0; i < sim::LiveSession::kMaxQueued; ++i) {
    const sim::ActionResult r = session.submit(key, 0ms);  // nobody applies them
    EXPECT_EQ(r.status, 503);
    EXPECT_NE(r.message.find("not taken"), std::string::npos) << r.message;
  }
  const sim::ActionResult full = session.submit(key, 0ms);
  EXPECT_EQ(full.status, 503);
  EXPECT_NE(full.message.find("too many"), std::string::npos) << full.message;
  session.end(1.0);
  EXPECT_TRUE(session.ended());
  const sim::ActionResult late = session.submit(key, 0ms);
  EXPECT_EQ(late.status, 503);
  EXPECT_NE(late.message.find("ended"), std::string::npos) << late.message;
  EXPECT_EQ(session.command(sim::SimCommand{}, 0ms).status, 503);
}

TEST_F(Session, StatesArePublishedAtMostEvery50Milliseconds) {
  sim::SimCommand fastest;
  fastest.speed = 0.0;
  session.command(fastest, 0ms);
  const auto start = Clock::now();
  uint64_t steps = 0;
  while (Clock::now() - start < 300ms) session.pace(0.02 * double(++steps));
  const sim::Snapshot last = session.latest();
  EXPECT_GT(steps, 100u);
  EXPECT_GE(last.serial, 3u);
  EXPECT_LE(last.serial, 300 / 50 + 1) << "published more often than every 50 ms";
  EXPECT_NE(last.json->find("\"t\":"), std::string::npos);
}

}  // namespace
