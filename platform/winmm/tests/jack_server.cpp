#include "jack_server.h"

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "winmm/jack_session.h"
#include "winmm/sound_library_logs.h"

extern char** environ;

namespace plk::winmm {
namespace {

// Sets the server name, and says whether no server of that name runs. Its client is not one
// of the session's (jack_session.h), so it opens only while the session has no client of a
// server that went away.
bool Free(const std::string& name) {
  setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
  QuietSoundLibraries();
  jack_status_t status;
  jack_client_t* client = jack_client_open("probe", JackNoStartServer, &status);
  if (client) jack_client_close(client);
  return client == nullptr;
}

}  // namespace

JackServer::JackServer(int sampleRate) {
  // One test process with JACK servers at a time on the machine, held until it ends: every
  // server of a user shares libjack's metadata store, and a client's open fails while
  // another process's server starts or ends.
  static const int machineWide = [] {
    const int lock = open("/tmp/plinkaro-winmm-test-jack.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lock >= 0) flock(lock, LOCK_EX);
    return lock;
  }();
  (void)machineWide;
  // The session's clients of a server that went away close before a server is probed for.
  Eventually([] { return !JackServerRunning() && OpenJackClientsForTesting() == 0; });
  // A name of a few kept for these tests: JACK frees a table entry that a server left
  // behind only when a server of that name starts again. Each name is held with a lock
  // file while its server runs, since the tests run in several processes at once.
  for (int slot = 0; slot < 4; ++slot) {
    const std::string name = "plinkaro-winmm-test-" + std::to_string(slot);
    lock_ = open(("/tmp/" + name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lock_ >= 0 && flock(lock_, LOCK_EX | LOCK_NB) == 0 && Free(name)) break;
    if (lock_ >= 0) close(lock_);
    lock_ = -1;
  }
  const std::string rate = std::to_string(sampleRate);
  const char* arguments[] = {"jackd", "--no-realtime", "--sync", "-d",   "dummy",
                             "-r",    rate.c_str(),    "-p",     "1024", nullptr};
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&quiet, 1, 2);
  posix_spawnp(&pid_, "jackd", &quiet, nullptr, const_cast<char**>(arguments), environ);
  posix_spawn_file_actions_destroy(&quiet);
  running_ = Eventually([] { return Free(getenv("JACK_DEFAULT_SERVER")) == false; });
}

void JackServer::Pause() {
  kill(pid_, SIGSTOP);
  // The state letter follows the name in parentheses: T once the stop took effect.
  Eventually([this] {
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(") ");
    return close != std::string::npos && line.compare(close + 2, 1, "T") == 0;
  });
}

void JackServer::Resume() { kill(pid_, SIGCONT); }

JackServer::~JackServer() {
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  // The session's lister is closed once it has heard, so that its thread is joined even
  // when no test opens a client after this one.
  Eventually([] { return !JackServerRunning(); });
  unsetenv("JACK_DEFAULT_SERVER");
  if (lock_ >= 0) close(lock_);
}

}  // namespace plk::winmm
