// Parse, check, build, exports and the hex listing of a largest-size dump (65,520 bytes:
// 99 banks, 500 patches with long strings).
#include "dump/HexRender.h"
#include "dump/SystemDoc.h"
#include "support/DumpBuilder.h"

#include <benchmark/benchmark.h>

namespace {
const std::vector<uint8_t>& Largest() {
    static const std::vector<uint8_t> image = testdump::LargestDump();
    return image;
}

const SystemDoc& LargestDoc() {
    static const SystemDoc doc(Largest().data(), Largest().size());
    return doc;
}

void BM_ParseAndCheck(benchmark::State& state) {
    SystemDoc doc;
    int code = 0;
    for (auto _ : state) {
        doc.ParseDump(Largest());
        code = doc.CheckIntegrity();
        benchmark::DoNotOptimize(code);
    }
    if (code != 0)
        state.SkipWithError("largest dump does not check clean");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Largest().size()));
}
BENCHMARK(BM_ParseAndCheck);

void BM_Check(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(LargestDoc().CheckIntegrity());
}
BENCHMARK(BM_Check);

void BM_BuildImage(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<uint8_t> image = LargestDoc().BuildImage();
        benchmark::DoNotOptimize(image.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Largest().size()));
}
BENCHMARK(BM_BuildImage);

void BM_ExportPatchTable(benchmark::State& state) {
    ExportOptions options;
    options.mixedCase = state.range(0) != 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(LargestDoc().PatchTableText(options));
}
BENCHMARK(BM_ExportPatchTable)->Arg(0)->Arg(1);

void BM_ExportBankTable(benchmark::State& state) {
    ExportOptions options;
    options.tabDelimited = state.range(0) != 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(LargestDoc().BankTableText(options, false));
}
BENCHMARK(BM_ExportBankTable)->Arg(0)->Arg(1);

void BM_ExportBankLayout(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(LargestDoc().BankTableText(ExportOptions(), true));
}
BENCHMARK(BM_ExportBankLayout);

void BM_ExportXml(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(LargestDoc().XmlText(ExportOptions()));
}
BENCHMARK(BM_ExportXml);

void BM_HexRender(benchmark::State& state) {
    const std::vector<uint8_t> image = LargestDoc().BuildImage();
    const bool ascii = state.range(0) != 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(RenderHexDump(image.data(), image.size(), ascii, true));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * image.size()));
}
BENCHMARK(BM_HexRender)->Arg(1)->Arg(0);
} // namespace
