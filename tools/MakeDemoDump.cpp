// Writes the demo dump that ships with Tolvane: a small, plausible rig of banks, patches and
// sets, so that a first start shows something to look at. Run: make-demo-dump OUT
// With --largest it writes instead the largest dump the editor reads (65,520 bytes), which the
// transfer tests send through real MIDI ports. With --same-bank-number it writes the demo dump
// with its third bank numbered 2 like the second: a file that fails the integrity check and whose
// rebuilt image falls short of its size, as an editor user can save one past the warning.
#include "support/DumpBuilder.h"

#include <cstdio>

using namespace testdump;

namespace {
Patch MakeDemoPatch(int number, const char* name, Bytes a, Bytes b = {}, int mode = 0x02) {
    Patch p;
    p.number = number;
    p.name = name;
    p.mode = mode;
    p.a = std::move(a);
    p.b = std::move(b);
    return p;
}
} // namespace

namespace {
int WriteFile(const char* path, const Bytes& image) {
    std::FILE* f = std::fopen(path, "wb");
    if (!f || std::fwrite(image.data(), 1, image.size(), f) != image.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "make-demo-dump: cannot write %s\n", path);
        return 1;
    }
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--largest")
        return WriteFile(argv[2], LargestDump());
    const bool sameBankNumber = argc == 3 && std::string(argv[1]) == "--same-bank-number";
    // An output name that starts with a dash is a mistyped option, not a file to write.
    if ((argc != 2 && !sameBankNumber) || argv[argc - 1][0] == '-') {
        std::fprintf(stderr, "usage: make-demo-dump [--largest | --same-bank-number] OUT\n");
        return 2;
    }
    Dump d;
    d.config[5] = 1;  // current bank 1
    d.config[3] = 1;  // current patch 1
    d.config[7] = 1;  // current set 1
    d.config[89] = 1; // default channel 1

    const Patch patches[] = {
        MakeDemoPatch(1, "CLEAN", {0xC0, 0x00, 0xB0, 0x07, 0x64}),
        MakeDemoPatch(2, "CRUNCH", {0xC0, 0x01, 0xB0, 0x07, 0x6E}),
        MakeDemoPatch(3, "LEAD", {0xC0, 0x02, 0xB0, 0x07, 0x7F}, {0xB1, 0x5B, 0x28}),
        MakeDemoPatch(4, "AMBIENT VERB", {0xC1, 0x10, 0xB1, 0x5B, 0x7F, 0xB1, 0x5D, 0x40}),
        MakeDemoPatch(5, "DELAY 1/8", {0xC1, 0x11}, {0xF0, 0x7D, 0x01, 0x02, 0x03, 0xF7}),
        MakeDemoPatch(6, "WAH ON", {0xB0, 0x0B, 0x7F}, {}, 0x08 | 0x40),
        MakeDemoPatch(7, "TUNER", {0xB0, 0x44, 0x7F}, {}, 0x05),
        MakeDemoPatch(8, "SOLO BOOST", {0xC0, 0x03, 0xB0, 0x07, 0x7F}),
        MakeDemoPatch(9, "RHYTHM", {0xC0, 0x04}),
        MakeDemoPatch(10, "CLEAN CHORUS", {0xC0, 0x05, 0xB1, 0x5D, 0x50}),
        MakeDemoPatch(12, "ACOUSTIC SIM", {0xC2, 0x00}),
    };
    for (const Patch& p : patches)
        d.patches.push_back(MakePatch(p));

    Bank live;
    live.number = 1;
    live.name = "LIVE SET";
    live.slotPatches = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    Bank studio;
    studio.number = 2;
    studio.name = "STUDIO";
    studio.slotPatches = {10, 12, 4, 5, 0, 0, 0, 0, 7};
    Bank song;
    song.number = sameBankNumber ? 2 : 3;
    song.name = "SONG INTRO";
    song.seqMode = 1;
    song.steps = {1, 10, 3, 1};
    d.banks = {MakeBank(live), MakeBank(studio), MakeBank(song)};

    d.sets[0] = {1, 2};
    d.sets[1] = {3, 1};

    return WriteFile(argv[argc - 1], d.Build());
}
