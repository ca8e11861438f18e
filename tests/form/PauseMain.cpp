// A program that only lasts the seconds its one argument names (at most a minute): the
// stand-in for a slow system command wherever the tests wait for one.
#include <chrono>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
  const long seconds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 0;
  std::this_thread::sleep_for(std::chrono::seconds(seconds < 0 ? 0 : seconds > 60 ? 60 : seconds));
  return 0;
}
