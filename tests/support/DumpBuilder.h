#pragma once

// Builds encoded records and whole dump images in code, for tests, benchmarks and fuzz seeds.
// Independent of the model's own writers, so tests compare the model against a second opinion.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace testdump {

using Bytes = std::vector<uint8_t>;

inline void PutPair(Bytes& out, int v) {
    out.push_back(static_cast<uint8_t>((v >> 7) & 1));
    out.push_back(static_cast<uint8_t>(v & 0x7F));
}

inline void PutQuad(Bytes& out, int v) {
    PutPair(out, (v >> 8) & 0xFF);
    PutPair(out, v & 0xFF);
}

inline void PutName(Bytes& out, const std::string& name) {
    for (size_t i = 0; i < 15; ++i) {
        out.push_back(0);
        out.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : 0x20);
    }
}

struct CC {
    int flags = 0;
    int controller = 0;
    int minimum = 0;
    int maximum = 127;
};

inline void PutCC(Bytes& out, const CC& cc) {
    PutPair(out, cc.flags);
    PutPair(out, cc.controller);
    PutPair(out, cc.minimum);
    PutPair(out, cc.maximum);
}

struct Bank {
    int number = 1;
    std::string name = "BANK";
    std::array<int, 9> slotPatches{};
    int seqMode = 0;
    std::vector<int> steps;
};

inline Bytes MakeBank(const Bank& b) {
    Bytes out;
    PutPair(out, b.number);
    for (int slot : b.slotPatches)
        PutQuad(out, slot);
    PutName(out, b.name);
    PutPair(out, b.seqMode);
    PutQuad(out, static_cast<int>(b.steps.size()));
    for (int step : b.steps)
        PutQuad(out, step);
    return out;
}

struct Patch {
    int number = 1;
    std::string name = "PATCH";
    int mode = 0;
    std::array<CC, 6> ccs{}; // pedal 1 CC 1-3, pedal 2 CC 1-3
    Bytes a;
    Bytes b;
};

inline Bytes MakePatch(const Patch& p) {
    Bytes out;
    PutQuad(out, p.number);
    PutName(out, p.name);
    PutPair(out, p.mode);
    for (const CC& cc : p.ccs)
        PutCC(out, cc);
    PutQuad(out, static_cast<int>(p.a.size()));
    for (uint8_t byte : p.a)
        PutPair(out, byte);
    PutQuad(out, static_cast<int>(p.b.size()));
    for (uint8_t byte : p.b)
        PutPair(out, byte);
    return out;
}

// A patch or a bank with only its number and name set.
inline Bytes NamedPatch(int number, const std::string& name) {
    Patch p;
    p.number = number;
    p.name = name;
    return MakePatch(p);
}
inline Bytes NamedBank(int number, const std::string& name) {
    Bank b;
    b.number = number;
    b.name = name;
    return MakeBank(b);
}
// Patches 1 to `count`, named "P01", "P02", ...
inline std::vector<Bytes> NumberedPatches(int count) {
    std::vector<Bytes> patches;
    for (int n = 1; n <= count; ++n)
        patches.push_back(NamedPatch(n, (n < 10 ? "P0" : "P") + std::to_string(n)));
    return patches;
}

inline Bytes MakeSet(const std::vector<int>& banks) {
    Bytes out;
    PutQuad(out, static_cast<int>(banks.size()));
    for (int bank : banks)
        PutPair(out, bank);
    return out;
}

// A whole dump. Counts and the transmit length are computed from the records unless overridden.
struct Dump {
    int deviceChannel = 0;
    std::array<uint8_t, 100> config = DefaultConfig();
    std::array<std::vector<int>, 5> sets{};
    std::vector<Bytes> banks;
    std::vector<Bytes> patches;
    int bankCount = -1;      // -1: number of bank records
    int patchCount = -1;     // -1: number of patch records
    int transmitLength = -1; // -1: (length - 12) / 2

    static std::array<uint8_t, 100> DefaultConfig() {
        std::array<uint8_t, 100> c{};
        c[54] = 1; // pedal 1 max 255 as a byte pair
        c[55] = 0x7F;
        c[59] = 0x10;
        c[60] = 1;
        c[61] = 0x7F;
        c[65] = 0x10;
        c[73] = 127; // pedal 1 global CC maximum
        c[81] = 127; // pedal 2 global CC maximum
        return c;
    }

    Bytes Build() const {
        Bytes out = {0xF0, 0x00, 0x00, 0x10, static_cast<uint8_t>(deviceChannel), 0x0E, 0x41, 0, 0, 0, 0};
        std::array<uint8_t, 100> c = config;
        Bytes counts;
        PutPair(counts, bankCount < 0 ? static_cast<int>(banks.size()) : bankCount);
        PutQuad(counts, patchCount < 0 ? static_cast<int>(patches.size()) : patchCount);
        for (size_t i = 0; i < counts.size(); ++i)
            c[82 + i] = counts[i];
        out.insert(out.end(), c.begin(), c.end());
        for (const auto& set : sets) {
            const Bytes s = MakeSet(set);
            out.insert(out.end(), s.begin(), s.end());
        }
        for (const Bytes& b : banks)
            out.insert(out.end(), b.begin(), b.end());
        for (const Bytes& p : patches)
            out.insert(out.end(), p.begin(), p.end());
        out.push_back(0xF7);
        Bytes quad;
        PutQuad(quad, transmitLength < 0 ? static_cast<int>((out.size() - 12) / 2) : transmitLength);
        for (size_t i = 0; i < 4; ++i)
            out[7 + i] = quad[i];
        return out;
    }
};

// The largest dump the editor reads from a file: 99 banks, 500 patches whose strings fill the
// image to exactly 65,520 bytes.
inline Bytes LargestDump() {
    Dump d;
    for (int s = 0; s < 5; ++s)
        for (int i = 0; i < 20; ++i)
            d.sets[static_cast<size_t>(s)].push_back(1 + (s * 20 + i) % 99);
    for (int b = 1; b <= 99; ++b) {
        Bank bank;
        bank.number = b;
        bank.name = "BANK " + std::to_string(b);
        for (int k = 0; k < 9; ++k)
            bank.slotPatches[static_cast<size_t>(k)] = 1 + (b * 9 + k) % 500;
        if (b % 10 == 0) {
            bank.seqMode = 1;
            bank.steps = {b, b + 1, 0, b + 2};
        }
        d.banks.push_back(MakeBank(bank));
    }
    // Fixed part: everything but the strings; the strings share what is left.
    size_t fixed = 11 + 100 + 1;
    for (const auto& set : d.sets)
        fixed += 4 + 2 * set.size();
    for (const Bytes& b : d.banks)
        fixed += b.size();
    fixed += 500 * 92;
    const size_t stringPairs = (65520 - fixed) / 2; // string bytes over all patches
    for (int p = 1; p <= 500; ++p) {
        Patch patch;
        patch.number = p;
        patch.name = "PATCH " + std::to_string(p);
        patch.mode = (p % 6) | ((p % 4) << 3) | ((p % 3) << 6);
        patch.ccs[0].flags = 0x40 | (p % 16);
        patch.ccs[0].controller = p % 128;
        size_t share = stringPairs / 500 + (static_cast<size_t>(p) <= stringPairs % 500 ? 1 : 0);
        patch.a.push_back(0xC0);
        patch.a.push_back(static_cast<uint8_t>(p % 128));
        share -= 2;
        for (size_t i = 0; i < share; ++i)
            patch.b.push_back(static_cast<uint8_t>(i == 0 ? 0xF0 : (i + 1 == share ? 0xF7 : i % 128)));
        d.patches.push_back(MakePatch(patch));
    }
    return d.Build();
}

} // namespace testdump
