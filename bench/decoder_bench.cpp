// Input decoder throughput over what a player's terminal sends: mostly SGR
// mouse motion reports (the game asks for every motion), with arrow keys,
// Enter, letters and clicks among them, handed over in the chunks a read of
// the terminal returns.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/terminal/decoder.h"

namespace kippfeld {
namespace {

using platform::InputDecoder;
using platform::InputRecord;

// About 1 MiB of input. Weights per hundred tokens: 70 motion reports, 10
// arrows, 5 Home/End/PgUp/PgDn, 5 Enter, 5 letters, 5 click pairs.
std::string RealisticInput() {
  static const std::vector<std::string> arrows = {"\x1b[A", "\x1b[B", "\x1b[C", "\x1b[D"};
  static const std::vector<std::string> jumps = {"\x1b[H", "\x1b[F", "\x1b[5~", "\x1b[6~"};
  std::mt19937 random(850);
  std::uniform_int_distribution<int> percent(0, 99), column(1, 80), row(1, 25), any(0, 3);
  std::string input;
  while (input.size() < (1u << 20)) {
    const int kind = percent(random);
    const std::string x = std::to_string(column(random)), y = std::to_string(row(random));
    if (kind < 70) {
      input += "\x1b[<35;" + x + ";" + y + "M";
    } else if (kind < 80) {
      input += arrows[any(random)];
    } else if (kind < 85) {
      input += jumps[any(random)];
    } else if (kind < 90) {
      input += '\r';
    } else if (kind < 95) {
      input += static_cast<char>('a' + any(random));
    } else {
      input += "\x1b[<0;" + x + ";" + y + "M\x1b[<0;" + x + ";" + y + "m";
    }
  }
  return input;
}

// chunk: bytes per read. A read returns what arrived since the last one; 64
// bytes is a few reports, 4096 a burst.
void DecoderThroughput(benchmark::State& state) {
  const std::string input = RealisticInput();
  const auto chunk = static_cast<std::size_t>(state.range(0));
  std::uint64_t records = 0;
  std::uint64_t now = 0;
  for (auto _ : state) {
    InputDecoder decoder;
    decoder.SetScreenSize(80, 25);
    for (std::size_t at = 0; at < input.size(); at += chunk) {
      decoder.Feed(std::string_view(input).substr(at, chunk), ++now);
      InputRecord record;
      while (decoder.Pop(record)) ++records;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
  state.counters["records_per_second"] =
      benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
}
BENCHMARK(DecoderThroughput)->Arg(64)->Arg(4096)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kippfeld
