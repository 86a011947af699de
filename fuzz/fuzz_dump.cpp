// Arbitrary bytes as a dump image: parse, check, build, every export and the hex listing must
// never crash or read outside a buffer, and a dump that checks clean must survive a round trip
// and a few edits without losing its consistency.
#include "FuzzRequire.h"
#include "dump/DumpComparison.h"
#include "dump/HexRender.h"
#include "dump/SystemDoc.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {
void ExerciseReaders(const SystemDoc& doc) {
    const std::vector<uint8_t> image = doc.BuildImage();
    Require(image.size() == static_cast<size_t>(doc.DumpSize() < 0 ? 0 : doc.DumpSize()));
    ExportOptions options;
    for (int variant = 0; variant < 4; ++variant) {
        options.tabDelimited = (variant & 1) != 0;
        options.mixedCase = (variant & 2) != 0;
        (void)doc.PatchTableText(options);
        (void)doc.BankTableText(options, false);
        (void)doc.BankTableText(options, true);
    }
    (void)doc.XmlText(options);
    (void)RenderHexDump(image.data(), image.size(), true, true);
    (void)RenderHexDump(image.data(), image.size(), false, false);
    for (int p = 1; p <= SystemDoc::kPatches; p += 37)
        (void)doc.BanksUsingPatch(p);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SystemDoc doc;
    doc.ParseDump(data, size);
    const int code = doc.CheckIntegrity();
    ExerciseReaders(doc);

    // The loading path of an empty file and a repair attempt must be safe on anything.
    SystemDoc before(data, size);
    doc.FixTransmitLength();
    ExerciseReaders(doc);
    // Comparing reads every field of every record, however malformed; a dump equals itself.
    Require(DumpComparison(doc, doc).Same());
    (void)DumpComparison(before, SystemDoc()).Lines();

    if (code != 0)
        return 0;
    // A consistent dump writes out the way it reads back.
    doc.ParseDump(data, size);
    const std::vector<uint8_t> image = doc.BuildImage();
    SystemDoc copy(image.data(), image.size());
    Require(copy.CheckIntegrity() == 0);
    Require(copy.BuildImage() == image);

    // Edits keep it consistent.
    const int pick = size > 0 ? data[size / 2] : 0;
    copy.InsertPatch(1 + pick % SystemDoc::kPatches, true);
    copy.InsertBank(1 + pick % SystemDoc::kBanks, true);
    Require(copy.CheckIntegrity() == 0);
    copy.DeletePatch(1 + (pick * 7) % SystemDoc::kPatches, (pick & 1) != 0);
    copy.DeleteBank(1 + (pick * 3) % SystemDoc::kBanks, (pick & 2) != 0);
    Require(copy.CheckIntegrity() == 0);
    const std::vector<uint8_t> edited = copy.BuildImage();
    SystemDoc reread(edited.data(), edited.size());
    Require(reread.CheckIntegrity() == 0 && reread.BuildImage() == edited);
    return 0;
}
