// Times whole runs of two programs, alternately, so that both see the same machine load.
// Usage: tempconv_startup RUNS INPUT PROGRAM_A PROGRAM_B
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

namespace {

double run_once(const char *program, const char *input) {
  posix_spawn_file_actions_t actions{};
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input, O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::array<char *, 2> argv{const_cast<char *>(program), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  int status = 0;
  if (posix_spawn(&pid, program, &actions, nullptr, argv.data(), environ) != 0 ||
      waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    static_cast<void>(std::fprintf(stderr, "tempconv_startup: %s did not run cleanly\n", program));
    std::exit(1);
  }
  const auto took = std::chrono::steady_clock::now() - start;
  posix_spawn_file_actions_destroy(&actions);
  return std::chrono::duration<double, std::micro>(took).count();
}

double median(std::vector<double> &times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 5) {
    static_cast<void>(
        std::fprintf(stderr, "usage: tempconv_startup RUNS INPUT PROGRAM_A PROGRAM_B\n"));
    return 2;
  }
  const auto runs = static_cast<std::size_t>(std::stoul(argv[1]));
  std::vector<double> a;
  std::vector<double> b;
  for (std::size_t i = 0; i < runs; ++i) {
    // The order alternates too, so that neither program always runs on a warmer cache.
    if (i % 2 == 0) {
      a.push_back(run_once(argv[3], argv[2]));
      b.push_back(run_once(argv[4], argv[2]));
    } else {
      b.push_back(run_once(argv[4], argv[2]));
      a.push_back(run_once(argv[3], argv[2]));
    }
  }
  const double ma = median(a);
  const double mb = median(b);
  std::printf("median wall time over %zu runs each: %.1f us against %.1f us, ratio %.2f\n", runs,
              ma, mb, ma / mb);
  return 0;
}
