// Implements: opening and closing every JACK client of the process in one place, and the
// one client it keeps for listing ports. libjack (jackd2) keeps one state for all clients of
// a process, and two things about it shape this file:
// - Once any client hears that its server went away, the next open closes and frees every
//   client of the process itself, and a later close of one of them crashes. So once a
//   client hears, no client opens until every client of that server is closed: their
//   owners close them when they find them gone, and the lister is closed by the next open.
//   (libjack marks the loss a few instructions before it tells the client; an open in
//   between cannot be told from outside.)
// - While any client is open, a new one shares the server memory the first one mapped, so
//   a client of a server that came back must not open beside one of the old server: every
//   client is closed, none kept.
// Nor does one open while the server of the open clients has stopped running its cycles,
// since it may be gone without having told them yet (an open that fails then does no harm,
// but it is no use either).
// Does not implement: the clients inside other libraries (FluidSynth's JACK audio driver).
#include "winmm/jack_session.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string_view>

#include "winmm/sound_library_logs.h"
#include "winmm/trace.h"

namespace plk::winmm {

struct JackClient::State {
  State(std::uint64_t generation, ShutdownHandler handler)
      : generation(generation), handler(std::move(handler)) {}
  const std::uint64_t generation;  // which start of the server it was opened on
  std::atomic<bool> gone{false};
  std::mutex handlerLock;  // held while a callback runs
  ShutdownHandler handler;
  JackProcessCallback process = nullptr;
  void* processArgument = nullptr;
  JackPortRegistrationCallback registration = nullptr;
  void* registrationArgument = nullptr;
};

namespace {

class Session {
 public:
  std::unique_ptr<JackClient> Open(const char* name, std::string& whyNot,
                                   JackClient::ShutdownHandler onShutdown) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return OpenLocked(name, whyNot, std::move(onShutdown));
  }

  void Close(jack_client_t* client, const std::shared_ptr<JackClient::State>& state) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    --open_;
    clients_.erase(std::find(clients_.begin(), clients_.end(), client));
    if (!state->gone) jack_deactivate(client);
    jack_client_close(client);
  }

  bool Running() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return ListerLocked();
  }

  std::optional<std::vector<ListedPort>> List(PortDirection direction) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!ListerLocked()) return std::nullopt;
    // A source sends: its JACK port is an output.
    const unsigned long flags =
        direction == PortDirection::kSource ? JackPortIsOutput : JackPortIsInput;
    const char** names = jack_get_ports(lister_->get(), nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
    std::vector<ListedPort> ports;
    for (const char** name = names; name && *name; ++name) {
      const std::string_view whole = *name;
      const auto colon = whole.find(':');
      if (colon == std::string_view::npos) continue;
      ports.push_back({std::string(whole.substr(0, colon)), std::string(whole.substr(colon + 1)),
                       std::string(whole)});
    }
    jack_free(names);
    return ports;
  }

  // On JACK's thread: no lock, since a close holding it waits for this thread.
  void MarkLost(std::uint64_t generation) {
    std::uint64_t seen = lost_.load();
    while (seen < generation && !lost_.compare_exchange_weak(seen, generation)) {
    }
  }

  int OpenClients() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return open_;
  }

 private:
  static void OnShutdown(void* argument);

  std::unique_ptr<JackClient> OpenLocked(const char* name, std::string& whyNot,
                                         JackClient::ShutdownHandler onShutdown);

  bool ListerLocked() {
    // NOTE: a client is closed only once it has heard itself that its server went away:
    // closing it while libjack is still taking it down can hang in jack_client_close.
    if (lister_ && lister_->ServerGone()) lister_.reset();
    if (lister_) return true;
    std::string whyNot;
    lister_ = OpenLocked(kListerName, whyNot, {});
    // An active client is told reliably when the server goes.
    if (lister_ && jack_activate(lister_->get()) != 0) lister_.reset();
    return lister_ != nullptr;
  }

  std::recursive_mutex lock_;
  std::uint64_t generation_ = 1;
  std::atomic<std::uint64_t> lost_{0};  // the latest generation whose server went away
  int open_ = 0;
  std::vector<jack_client_t*> clients_;  // the open ones
  std::unique_ptr<JackClient> lister_;
};

// Whether the server of `client` still starts its cycles on time, read from the timer it
// shares with its clients (no request, so safe when it is gone). A server stalled by load
// for this long is taken for gone, and the open is tried again later.
bool Cycling(jack_client_t* client) {
  constexpr jack_time_t kLongestStall = 200000;  // microseconds
  jack_nframes_t frames = 0;
  jack_time_t start = 0, next = 0;
  float period = 0;
  if (jack_get_cycle_times(client, &frames, &start, &next, &period) != 0) return true;
  const jack_time_t now = jack_get_time();
  const auto limit = std::max(kLongestStall, static_cast<jack_time_t>(8 * period));
  return now <= next || now - next < limit;
}

// Never destroyed: clients may close while the process exits.
Session& TheSession() {
  static auto* session = new Session;
  return *session;
}

void Session::OnShutdown(void* argument) {
  auto* state = static_cast<JackClient::State*>(argument);
  state->gone = true;
  TheSession().MarkLost(state->generation);
  Trace("JACK client of start %llu heard its server go",
        static_cast<unsigned long long>(state->generation));
  std::lock_guard<std::mutex> guard(state->handlerLock);
  if (state->handler) state->handler();
}

std::unique_ptr<JackClient> Session::OpenLocked(const char* name, std::string& whyNot,
                                                JackClient::ShutdownHandler onShutdown) {
  if (lost_.load() >= generation_) {
    if (lister_ && lister_->ServerGone()) lister_.reset();
    if (open_ > 0) {
      whyNot = "the JACK server went away, and Plinkaro's clients on it are still closing";
      Trace("JACK open of %s refused: %s", name, whyNot.c_str());
      return nullptr;
    }
    ++generation_;
  }
  if (!clients_.empty() && !Cycling(clients_.front())) {
    whyNot = "the JACK server has stopped running its cycles";
    Trace("JACK open of %s refused: %s", name, whyNot.c_str());
    return nullptr;
  }
  QuietSoundLibraries();
  jack_status_t status{};
  jack_client_t* client = jack_client_open(name, JackNoStartServer, &status);
  if (!client) {
    whyNot = "no JACK server is running";
    Trace("JACK open of %s failed with status 0x%x", name, static_cast<unsigned>(status));
    return nullptr;
  }
  ++open_;
  clients_.push_back(client);
  auto state = std::make_shared<JackClient::State>(generation_, std::move(onShutdown));
  jack_on_shutdown(client, OnShutdown, state.get());
  Trace("JACK client %s opened on start %llu of the server", jack_get_client_name(client),
        static_cast<unsigned long long>(generation_));
  return std::unique_ptr<JackClient>(new JackClient(client, std::move(state)));
}

}  // namespace

std::unique_ptr<JackClient> JackClient::Open(const char* name, std::string& whyNot,
                                             ShutdownHandler onShutdown) {
  return TheSession().Open(name, whyNot, std::move(onShutdown));
}

JackClient::~JackClient() { TheSession().Close(client_, state_); }

bool JackClient::ServerGone() const { return state_->gone; }

void JackClient::SetProcessCallback(JackProcessCallback callback, void* argument) {
  {
    std::lock_guard<std::mutex> guard(state_->handlerLock);
    state_->process = callback;
    state_->processArgument = argument;
  }
  jack_set_process_callback(
      client_,
      [](jack_nframes_t frames, void* argument) {
        auto* state = static_cast<State*>(argument);
        std::lock_guard<std::mutex> guard(state->handlerLock);
        return state->process ? state->process(frames, state->processArgument) : 0;
      },
      state_.get());
}

void JackClient::SetPortRegistrationCallback(JackPortRegistrationCallback callback,
                                             void* argument) {
  {
    std::lock_guard<std::mutex> guard(state_->handlerLock);
    state_->registration = callback;
    state_->registrationArgument = argument;
  }
  jack_set_port_registration_callback(
      client_,
      [](jack_port_id_t port, int registered, void* argument) {
        auto* state = static_cast<State*>(argument);
        std::lock_guard<std::mutex> guard(state->handlerLock);
        if (state->registration) state->registration(port, registered, state->registrationArgument);
      },
      state_.get());
}

bool JackServerRunning() { return TheSession().Running(); }

std::optional<std::vector<ListedPort>> ListJackPorts(PortDirection direction) {
  return TheSession().List(direction);
}

int OpenJackClientsForTesting() { return TheSession().OpenClients(); }

}  // namespace plk::winmm
