// The cell pass, fast and literal, on a frame already set up by SetUpFigure.
#include <benchmark/benchmark.h>

#include "figure/cell_pass.h"
#include "figure/ring.h"
#include "figure/worker.h"

namespace zimbrel {
namespace {

template <bool (*Pass)(FrameBuffer&, const Figure&, std::stop_token)>
void RunPass(benchmark::State& state) {
  FrameBuffer frame(static_cast<int>(state.range(0)),
                    static_cast<int>(state.range(1)));
  const Figure figure = *SetUpFigure(frame);
  for (auto _ : state) {
    Pass(frame, figure, {});
    benchmark::DoNotOptimize(frame.Rows().data());
    benchmark::ClobberMemory();
  }
}

bool FastPass(FrameBuffer& frame, const Figure& figure, std::stop_token stop) {
  return ShadeCells(frame, figure, stop);
}

void BM_ShadeCells(benchmark::State& state) { RunPass<FastPass>(state); }
void BM_ShadeCellsLiteral(benchmark::State& state) {
  RunPass<ShadeCellsLiteral>(state);
}

BENCHMARK(BM_ShadeCells)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShadeCellsLiteral)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zimbrel

BENCHMARK_MAIN();
