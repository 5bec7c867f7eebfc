// The substitution engine on its own, in memory, against the line-by-line pass.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "script_generator.h"
#include "symbols/stream_substituter.h"
#include "symbols/substitute_line.h"
#include "text/scan_paths.h"

namespace {

std::string script(const std::string& kind, std::size_t bytes) {
  wqnprep::bench::Generator generator;
  std::string text;
  while (text.size() < bytes) text += wqnprep::bench::scriptLine(generator, kind);
  return text;
}

void streamEngine(benchmark::State& state, const std::string& kind) {
  const std::string text = script(kind, 8 << 20);
  wqnprep::StreamSubstituter sizing;
  std::vector<char> out(sizing.outputCapacity(text.size()));
  for (auto _ : state) {
    wqnprep::StreamSubstituter engine;
    char* cursor = out.data();
    engine.substitute(text.data(), text.size(), true, cursor);
    benchmark::DoNotOptimize(cursor);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.SetLabel(wqnprep::scanPathName(wqnprep::pairScanPath()));
}

void linePass(benchmark::State& state, const std::string& kind) {
  const std::string text = script(kind, 256 << 10);
  for (auto _ : state) benchmark::DoNotOptimize(wqnprep::substituteText(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

BENCHMARK_CAPTURE(streamEngine, realistic, std::string("realistic"));
BENCHMARK_CAPTURE(streamEngine, dense, std::string("dense"));
BENCHMARK_CAPTURE(linePass, realistic, std::string("realistic"));
BENCHMARK_CAPTURE(linePass, dense, std::string("dense"));

}  // namespace

BENCHMARK_MAIN();
