// A JACK MIDI client for the end-to-end tests, over RtMidi. "record PORT" listens to the
// first output port whose name contains PORT and prints each message as a MIDI log call
// ("short 90 3c 64", "long f0 7e f7") until SIGTERM; "play [CLIENT]" opens the output port
// "CLIENT:out" ("e2e player:out" by default) and sends each such call that it reads from
// stdin, until stdin ends.
#include <rtmidi/RtMidi.h>
#include <signal.h>
#include <unistd.h>

#include <csignal>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

volatile std::sig_atomic_t stopping = 0;

void Print(double, std::vector<unsigned char>* message, void*) {
  std::printf("%s", message->at(0) == 0xF0 ? "long" : "short");
  for (unsigned char byte : *message) std::printf(" %02x", byte);
  std::printf("\n");
  std::fflush(stdout);
}

int Record(const std::string& part) {
  RtMidiIn in(RtMidi::UNIX_JACK, "e2e recorder");
  in.ignoreTypes(false, false, false);
  in.setCallback(Print);
  for (unsigned port = 0; port < in.getPortCount(); ++port) {
    if (in.getPortName(port).find(part) == std::string::npos) continue;
    in.openPort(port, "in");
    // Stopped, it leaves JACK as a client should, so the server need not wait for it.
    std::signal(SIGTERM, [](int) { stopping = 1; });
    while (!stopping) pause();
    return 0;
  }
  std::fprintf(stderr, "no JACK MIDI output port has \"%s\" in its name\n", part.c_str());
  return 1;
}

int Play(const std::string& client) {
  RtMidiOut out(RtMidi::UNIX_JACK, client);
  out.openVirtualPort("out");
  // Stopped, it leaves JACK as a client should: one killed inside a cycle holds a
  // synchronous server up to ten client timeouts. The signal ends the read of stdin.
  struct sigaction stop {};
  stop.sa_handler = [](int) { stopping = 1; };
  sigaction(SIGTERM, &stop, nullptr);
  for (std::string line; !stopping && std::getline(std::cin, line);) {
    std::istringstream call(line.substr(line.find(' ') + 1));
    std::vector<unsigned char> bytes;
    for (unsigned byte; call >> std::hex >> byte;)
      bytes.push_back(static_cast<unsigned char>(byte));
    if (!bytes.empty()) out.sendMessage(&bytes);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the last cycles go out
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 3 && std::string(argv[1]) == "record") return Record(argv[2]);
    return Play(argc == 3 ? argv[2] : "e2e player");
  } catch (const RtMidiError& error) {
    std::fprintf(stderr, "%s\n", error.getMessage().c_str());
    return 1;
  }
}
