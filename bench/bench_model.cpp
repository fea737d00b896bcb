// Model operations that large tables stress: building long variables and finding a
// value's position by code, as the database import does for every aggregated figure.
#include <benchmark/benchmark.h>

#include <string>

#include "core/model/vexa_mess.h"

namespace {

void fillCodes(zendra::DimensionData& variable, int count) {
  variable.UseCodes = true;
  for (int i = 0; i < count; ++i) {
    auto value = variable.addVal();
    value->code = std::to_string(100000 + i);
    value->value = "Value " + std::to_string(i);
  }
}

void BM_AddValues(benchmark::State& state) {
  const auto count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    auto variable = zendra::DimensionData::create("region");
    fillCodes(*variable, count);
    benchmark::DoNotOptimize(variable->ValueCode.Count());
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_AddValues)->Arg(1000)->Arg(100000);

void BM_GetCodeIndexStub(benchmark::State& state) {
  const auto count = static_cast<int>(state.range(0));
  zendra::VexaMess doc;
  fillCodes(*doc.addDimension("region", 0), count);
  int i = 0;
  for (auto _ : state) {
    const std::string code = std::to_string(100000 + (i++ % count));
    benchmark::DoNotOptimize(doc.GetCodeIndexStub(code, 1));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetCodeIndexStub)->Arg(300)->Arg(10000);

void BM_GetDimensionByKey(benchmark::State& state) {
  zendra::VexaMess doc;
  for (int i = 0; i < 10; ++i) (void)doc.addDimension("Variable " + std::to_string(i), i % 2);
  for (auto _ : state) benchmark::DoNotOptimize(doc.Get_Dimension("VARIABLE 7"));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetDimensionByKey);

}  // namespace
