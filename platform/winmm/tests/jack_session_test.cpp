// The JACK session's guard on opening a client while the open ones may have lost their server.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "jack_server.h"
#include "winmm/jack_session.h"

namespace plk::winmm {
namespace {

TEST(JackSession, NothingOpensWhileTheServerOfTheOpenClientsRunsNoCycles) {
  JackServer server;
  ASSERT_TRUE(server.running_);
  std::string whyNot;
  auto first = JackClient::Open("first", whyNot);
  ASSERT_TRUE(first) << whyNot;

  // Well past the longest stall the session waits out.
  server.Pause();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  auto second = JackClient::Open("second", whyNot);
  EXPECT_FALSE(second);
  EXPECT_EQ(whyNot, "the JACK server has stopped running its cycles");

  server.Resume();
  EXPECT_TRUE(JackServer::Eventually([&] {
    second = JackClient::Open("second", whyNot);
    return second != nullptr;
  })) << whyNot;
  EXPECT_FALSE(first->ServerGone());
}

}  // namespace
}  // namespace plk::winmm
