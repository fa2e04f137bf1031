// LoadSmf of a large generated file: throughput from the page cache and the peak resident
// memory of a process that does nothing but load it. The file is written by a child
// process, so that its generation leaves no trace in this process's peak.
//
//   song_load_measure [--megabytes N] [--path FILE]     (defaults: 100,
//   /tmp/plinkaro-bench-100mb.mid)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "smf/test_songs.h"
#include "song/smf_loader.h"
#include "song/song_state.h"

namespace {

constexpr std::uint32_t kTracks = 16;

// Sixteen equal tracks of the dense mix, about `megabytes` MiB in all.
void WriteSong(const std::string& path, std::uint32_t megabytes) {
  const std::uint64_t trackBytes = (std::uint64_t{megabytes} << 20) / kTracks;
  // The dense mix averages 29 bytes in 8 events.
  const plk::smf::Bytes track = plk::smf::Chunk(
      "MTrk", plk::smf::DenseTrackData(static_cast<std::uint32_t>(trackBytes * 8 / 29), 0));
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const plk::smf::Bytes header = plk::smf::Header(1, kTracks, 480);
  out.write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
  for (std::uint32_t i = 0; i < kTracks; i++) {
    out.write(reinterpret_cast<const char*>(track.data()), std::streamsize(track.size()));
  }
}

long StatusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0)
      return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
  }
  return -1;
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  std::uint32_t megabytes = 100;
  std::string path = "/tmp/plinkaro-bench-100mb.mid";
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--megabytes") == 0) megabytes = std::uint32_t(std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--path") == 0) path = argv[i + 1];
  }
  const pid_t writer = fork();
  if (writer == 0) {
    WriteSong(path, megabytes);
    _exit(0);
  }
  int status = 0;
  waitpid(writer, &status, 0);
  std::ifstream sized(path, std::ios::binary | std::ios::ate);
  const double fileBytes = double(sized.tellg());
  const double fileMiB = fileBytes / (1 << 20);

  const long before = StatusKilobytes("VmHWM:");
  if (!LoadSmf(path.c_str())) {
    std::fprintf(stderr, "%s did not load\n", path.c_str());
    return 1;
  }
  const long afterFirst = StatusKilobytes("VmHWM:");
  std::printf("file: %s, %.1f MiB, %u tracks\n", path.c_str(), fileMiB, songState.trackCount);
  std::printf("peak resident: %.1f MiB before, %.1f MiB after the first load (goal %.1f MiB)\n",
              before / 1024.0, afterFirst / 1024.0, 2 * fileMiB + 32);

  // Later loads from the page cache, each after the previous song is given up.
  std::vector<double> wall, cpu;
  for (int run = 0; run < 7; run++) {
    ReleaseSong();
    const double cpuStart = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const BOOL loaded = LoadSmf(path.c_str());
    wall.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    cpu.push_back(CpuSeconds() - cpuStart);
    if (!loaded) return 1;
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  std::printf(
      "LoadSmf over 7 loads: wall best %.1f ms, median %.1f ms -> %.2f / %.2f GB/s; "
      "cpu median %.1f ms\n",
      wall.front() * 1e3, wall[3] * 1e3, fileBytes / wall.front() / 1e9, fileBytes / wall[3] / 1e9,
      cpu[3] * 1e3);

  // A load over a loaded song holds the old song, the file image and the new copies.
  LoadSmf(path.c_str());
  std::printf("peak resident after loading over a loaded song: %.1f MiB\n",
              StatusKilobytes("VmHWM:") / 1024.0);
  ReleaseSong();
  return 0;
}
