// Comparing two largest-size dumps (65,520 bytes each) that differ in every record.
#include "dump/BankRecord.h"
#include "dump/DumpComparison.h"
#include "dump/Encoding.h"
#include "dump/PatchRecord.h"
#include "dump/SystemDoc.h"
#include "support/DumpBuilder.h"

#include <benchmark/benchmark.h>

namespace {
const std::vector<uint8_t>& Largest() {
    static const std::vector<uint8_t> image = testdump::LargestDump();
    return image;
}

// The largest dump with the header, the configuration and every set, bank and patch changed
// without changing any length.
std::vector<uint8_t> ChangedEverywhere() {
    SystemDoc doc(Largest().data(), Largest().size());
    doc.SetDeviceChannel(doc.GetDeviceChannel() ^ 1);
    doc.SetCurrentSet(doc.GetCurrentSet() ^ 1);
    for (int s = 1; s <= SystemDoc::kSets; ++s) {
        RecordSlot set = doc.GetSet(s);
        WriteBytePair(set.Data() + 4, ReadBytePair(set.Data() + 4) % 99 + 1);
        doc.ReplaceSet(s, set);
    }
    for (int b = 1; b <= SystemDoc::kBanks; ++b) {
        RecordSlot bank = doc.GetBank(b);
        bank.Data()[BankRecord::kName + 1] ^= 1;
        doc.ReplaceBank(b, bank);
    }
    for (int p = 1; p <= SystemDoc::kPatches; ++p) {
        RecordSlot patch = doc.GetPatch(p);
        patch.Data()[PatchRecord::kName + 1] ^= 1;
        doc.ReplacePatch(p, patch);
    }
    return doc.BuildImage();
}

void BM_CompareLargestChangedEverywhere(benchmark::State& state) {
    const SystemDoc first(Largest().data(), Largest().size());
    const std::vector<uint8_t> image = ChangedEverywhere();
    const SystemDoc second(image.data(), image.size());
    size_t lines = 0;
    for (auto _ : state) {
        const DumpComparison comparison(first, second);
        lines = comparison.Lines().size();
        benchmark::DoNotOptimize(lines);
    }
    // Header, configuration, 5 sets, 99 banks and 500 patches each give at least one line.
    if (lines < 1 + 1 + 5 + 99 + 500)
        state.SkipWithError("not every record differs");
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_CompareLargestChangedEverywhere)->Unit(benchmark::kMillisecond);

// Parsing both files as the command does, then comparing.
void BM_ParseBothAndCompare(benchmark::State& state) {
    const std::vector<uint8_t> image = ChangedEverywhere();
    for (auto _ : state) {
        const SystemDoc first(Largest().data(), Largest().size());
        const SystemDoc second(image.data(), image.size());
        benchmark::DoNotOptimize(DumpComparison(first, second).Differences().size());
    }
}
BENCHMARK(BM_ParseBothAndCompare)->Unit(benchmark::kMillisecond);
} // namespace
