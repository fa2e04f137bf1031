// Every JACK client of the process, opened and closed in one place so that a server that goes
// away and comes back is followed safely.
#pragma once

#include <jack/jack.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "winmm/port_directory.h"

namespace plk::winmm {

class JackClient {
 public:
  // Called on JACK's thread when the server stops or throws the client out. It may not call
  // into JACK; waking a thread that does is what it is for.
  using ShutdownHandler = std::function<void()>;

  // A client named `name` (or a numbered variant the server gives), not yet active; null
  // with the reason in whyNot when no server answers, or while a client of a server that
  // went away is still open.
  static std::unique_ptr<JackClient> Open(const char* name, std::string& whyNot,
                                          ShutdownHandler onShutdown = {});
  // Leaves the server: deactivates the client and closes it.
  ~JackClient();
  JackClient(const JackClient&) = delete;
  JackClient& operator=(const JackClient&) = delete;

  jack_client_t* get() const { return client_; }
  bool ServerGone() const;
  // The client's callbacks go through these, which take the client's lock while they run.
  void SetProcessCallback(JackProcessCallback callback, void* argument);
  void SetPortRegistrationCallback(JackPortRegistrationCallback callback, void* argument);

  struct State;
  // Made by Open.
  JackClient(jack_client_t* client, std::shared_ptr<State> state)
      : client_(client), state_(std::move(state)) {}

 private:
  jack_client_t* client_;
  std::shared_ptr<State> state_;
};

// Whether a JACK server answers.
bool JackServerRunning();

// The JACK ports that take or send MIDI, through one client the process keeps for listing
// (opened again after a server came back); nullopt when no server answers.
std::optional<std::vector<ListedPort>> ListJackPorts(PortDirection direction);

// How many clients the process has open, the lister's included (for tests).
int OpenJackClientsForTesting();

}  // namespace plk::winmm
