#include "dump/SystemDoc.h"

#include "dump/Encoding.h"
#include "dump/Prompter.h"

#include <algorithm>
#include <cstring>

namespace {
SilentPrompter g_silentPrompter;

const uint8_t kHeaderTemplate[SystemDoc::kHeaderSize] = {0xF0, 0x00, 0x00, 0x10, 0x00, 0x0E,
                                                         0x41, 0,    0,    0,    0};

// Copies a record into the image without passing `end`; returns the new position.
size_t Put(std::vector<uint8_t>& image, size_t pos, const uint8_t* bytes, size_t length) {
    if (pos >= image.size() || !bytes)
        return pos + length;
    const size_t n = std::min(length, image.size() - pos);
    std::memcpy(image.data() + pos, bytes, n);
    return pos + length;
}
} // namespace

SystemDoc::SystemDoc(int midiChannel) {
    SetNewDumpChannel(midiChannel);
    InitEmptyDump();
    SetModifiedFlag(false);
}

SystemDoc::SystemDoc(const uint8_t* image, size_t length) {
    ParseDump(image, length);
    SetModifiedFlag(false);
}

bool SystemDoc::OnNewDocument() {
    if (!ZIVBackupDoc::OnNewDocument())
        return false;
    InitEmptyDump();
    SetModifiedFlag(false);
    return true;
}

SystemDoc::State SystemDoc::SaveState() const {
    State state;
    state.dumpSize = m_dumpSize;
    state.header = m_header;
    state.config = m_config;
    state.sets = m_sets;
    state.banks = m_banks;
    state.patches = m_patches;
    return state;
}

void SystemDoc::RestoreState(const State& state) {
    m_dumpSize = state.dumpSize;
    m_header = state.header;
    m_config = state.config;
    m_sets = state.sets;
    m_banks = state.banks;
    m_patches = state.patches;
}

namespace {
bool SameRecord(const RecordSlot& a, const RecordSlot& b) {
    if (a.IsPresent() != b.IsPresent())
        return false;
    if (!a.IsPresent())
        return true;
    return a.Number() == b.Number() && a.Length() == b.Length() &&
           std::equal(a.Data(), a.Data() + a.Length(), b.Data());
}

template <size_t N> bool SameRecords(const std::array<RecordSlot, N>& a, const std::array<RecordSlot, N>& b) {
    for (size_t i = 0; i < N; ++i)
        if (!SameRecord(a[i], b[i]))
            return false;
    return true;
}
} // namespace

bool SystemDoc::State::SameContent(const State& other) const {
    return dumpSize == other.dumpSize && header == other.header && config == other.config &&
           SameRecords(sets, other.sets) && SameRecords(banks, other.banks) &&
           SameRecords(patches, other.patches);
}

void SystemDoc::SetNewDumpChannel(int midiChannel) {
    m_newDumpChannel = midiChannel >= 1 && midiChannel <= 16 ? midiChannel : 1;
}

void SystemDoc::SetPrompter(Prompter* prompter) {
    m_prompter = prompter;
}

Prompter& SystemDoc::GetPrompter() const {
    return m_prompter ? *m_prompter : g_silentPrompter;
}

void SystemDoc::InitEmptyDump() {
    m_dumpSize = kEmptyDumpSize;
    std::memcpy(m_header.data(), kHeaderTemplate, kHeaderSize);
    m_header[4] = static_cast<uint8_t>(m_newDumpChannel - 1);
    WriteWordQuad(m_header.data() + 7, (kEmptyDumpSize - 12) / 2);

    m_config.fill(0);
    SetPedalCalMax(1, 255);
    SetPedalCalType(1, 0x10);
    SetPedalCalMax(2, 255);
    SetPedalCalType(2, 0x10);
    CCAssignment cc;
    cc.maximum = 127;
    SetGlobalCC(1, cc);
    SetGlobalCC(2, cc);

    static const uint8_t kEmptySet[4] = {0, 0, 0, 0};
    for (int s = 1; s <= kSets; ++s) {
        m_sets[static_cast<size_t>(s)].Assign(kEmptySet, 4);
        m_sets[static_cast<size_t>(s)].SetNumber(s);
    }
    m_sets[0].Clear();
    for (RecordSlot& bank : m_banks)
        bank.Clear();
    for (RecordSlot& patch : m_patches)
        patch.Clear();
    SetModifiedFlag(true);
}

std::vector<uint8_t> SystemDoc::BuildImage() const {
    std::vector<uint8_t> image(static_cast<size_t>(std::max(m_dumpSize, 0)), 0);
    size_t pos = 0;
    pos = Put(image, pos, m_header.data(), kHeaderSize);
    pos = Put(image, pos, m_config.data(), kConfigSize);
    static const uint8_t kEmptySet[4] = {0, 0, 0, 0};
    for (int s = 1; s <= kSets; ++s) {
        const RecordSlot& set = m_sets[static_cast<size_t>(s)];
        if (set.IsPresent())
            pos = Put(image, pos, set.Data(), static_cast<size_t>(set.Length()));
        else
            pos = Put(image, pos, kEmptySet, 4);
    }
    for (int b = 1; b <= kBanks; ++b) {
        const RecordSlot& bank = m_banks[static_cast<size_t>(b)];
        if (bank.IsPresent())
            pos = Put(image, pos, bank.Data(), static_cast<size_t>(bank.Length()));
    }
    for (int p = 1; p <= kPatches; ++p) {
        const RecordSlot& patch = m_patches[static_cast<size_t>(p)];
        if (patch.IsPresent())
            pos = Put(image, pos, patch.Data(), static_cast<size_t>(patch.Length()));
    }
    static const uint8_t kEnd = 0xF7;
    Put(image, pos, &kEnd, 1);
    return image;
}

// --- read accessors ------------------------------------------------------------------------

RecordSlot SystemDoc::GetSet(int n) const {
    const RecordSlot* slot = n >= 1 ? PeekSet(n) : nullptr;
    return slot && slot->IsPresent() ? *slot : RecordSlot();
}

RecordSlot SystemDoc::GetBank(int n) const {
    const RecordSlot* slot = n >= 1 ? PeekBank(n) : nullptr;
    return slot && slot->IsPresent() ? *slot : RecordSlot();
}

RecordSlot SystemDoc::GetPatch(int n) const {
    const RecordSlot* slot = n >= 1 ? PeekPatch(n) : nullptr;
    return slot && slot->IsPresent() ? *slot : RecordSlot();
}

const RecordSlot* SystemDoc::PeekSet(int n) const {
    return n >= 0 && n <= kSets ? &m_sets[static_cast<size_t>(n)] : nullptr;
}

const RecordSlot* SystemDoc::PeekBank(int n) const {
    return n >= 0 && n <= kBanks ? &m_banks[static_cast<size_t>(n)] : nullptr;
}

const RecordSlot* SystemDoc::PeekPatch(int n) const {
    return n >= 0 && n <= kPatches ? &m_patches[static_cast<size_t>(n)] : nullptr;
}

bool SystemDoc::HasBank(int n) const {
    return n >= 1 && n <= kBanks && m_banks[static_cast<size_t>(n)].IsPresent();
}

bool SystemDoc::HasPatch(int n) const {
    return n >= 1 && n <= kPatches && m_patches[static_cast<size_t>(n)].IsPresent();
}

int SystemDoc::ConfigBytePair(int offset) const {
    return ReadBytePair(m_config.data() + offset);
}
int SystemDoc::ConfigWordQuad(int offset) const {
    return ReadWordQuad(m_config.data() + offset);
}
void SystemDoc::SetConfigBytePair(int offset, int value) {
    WriteBytePair(m_config.data() + offset, value);
}
void SystemDoc::SetConfigWordQuad(int offset, int value) {
    WriteWordQuad(m_config.data() + offset, value);
}

namespace {
int PedalOffset(int pedal, int first, int second) {
    return pedal == 2 ? second : first;
}
} // namespace

int SystemDoc::GetPedalCalMax(int pedal) const {
    return ConfigBytePair(PedalOffset(pedal, CfgPedal1Max, CfgPedal2Max));
}
int SystemDoc::GetPedalCalMin(int pedal) const {
    return ConfigBytePair(PedalOffset(pedal, CfgPedal1Min, CfgPedal2Min));
}
int SystemDoc::GetPedalCalType(int pedal) const {
    return ConfigBytePair(PedalOffset(pedal, CfgPedal1Type, CfgPedal2Type));
}
void SystemDoc::SetPedalCalMax(int pedal, int v) {
    SetConfigBytePair(PedalOffset(pedal, CfgPedal1Max, CfgPedal2Max), v);
}
void SystemDoc::SetPedalCalMin(int pedal, int v) {
    SetConfigBytePair(PedalOffset(pedal, CfgPedal1Min, CfgPedal2Min), v);
}
void SystemDoc::SetPedalCalType(int pedal, int v) {
    SetConfigBytePair(PedalOffset(pedal, CfgPedal1Type, CfgPedal2Type), v);
}

CCAssignment SystemDoc::GetGlobalCC(int pedal) const {
    const int offset = PedalOffset(pedal, CfgPedal1GlobalCC, CfgPedal2GlobalCC);
    CCAssignment cc;
    cc.flags = ConfigBytePair(offset);
    cc.controller = ConfigBytePair(offset + 2);
    cc.minimum = ConfigBytePair(offset + 4);
    cc.maximum = ConfigBytePair(offset + 6);
    return cc;
}

void SystemDoc::SetGlobalCC(int pedal, const CCAssignment& cc) {
    const int offset = PedalOffset(pedal, CfgPedal1GlobalCC, CfgPedal2GlobalCC);
    SetConfigBytePair(offset, cc.flags);
    SetConfigBytePair(offset + 2, cc.controller);
    SetConfigBytePair(offset + 4, cc.minimum);
    SetConfigBytePair(offset + 6, cc.maximum);
}

std::array<int, 16> SystemDoc::GetMidiFilters() const {
    std::array<int, 16> filters{};
    for (size_t i = 0; i < filters.size(); ++i)
        filters[i] = ConfigBytePair(CfgMidiFilters + 2 * static_cast<int>(i));
    return filters;
}

void SystemDoc::SetMidiFilters(const std::array<int, 16>& filters) {
    for (size_t i = 0; i < filters.size(); ++i)
        SetConfigBytePair(CfgMidiFilters + 2 * static_cast<int>(i), filters[i]);
}

int SystemDoc::GetTransmitLength() const {
    return ReadWordQuad(m_header.data() + 7);
}

void SystemDoc::SetTransmitLength(int v) {
    WriteWordQuad(m_header.data() + 7, v);
}

void SystemDoc::AddToTransmitLength(int delta) {
    SetTransmitLength(GetTransmitLength() + delta);
}
