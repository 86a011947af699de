#include "dump/DumpComparison.h"

#include "dump/BankRecord.h"
#include "dump/Encoding.h"
#include "dump/PatchRecord.h"
#include "dump/SystemDoc.h"
#include "miditext/MidiText.h"

#include <cstdio>
#include <cstring>

namespace {
using Record = DumpComparison::Record;
using Difference = DumpComparison::Difference;

std::string Padded(const char* format, int value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// A field that did not fit inside its record reads as -1.
std::string Number(int value) {
    return value < 0 ? "unreadable" : std::to_string(value);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string OnOff(bool on) {
    return on ? "on" : "off";
}

std::string ListText(const std::vector<int>& values) {
    if (values.empty())
        return "none";
    std::string text;
    for (int v : values) {
        if (!text.empty())
            text += ", ";
        text += std::to_string(v);
    }
    return text;
}

// Hex text of values that may be wider than a byte (malformed pairs show all their digits).
std::string HexValues(const std::vector<int>& values) {
    if (values.empty())
        return "none";
    std::string text;
    for (int v : values) {
        if (!text.empty())
            text += ' ';
        text += Padded("%02x", v);
    }
    return text;
}

// A name from one of the editors' lists, or the raw number when the value is not in it.
std::string NameOr(const std::string& name, int value) {
    return name.empty() ? std::to_string(value) : name;
}

// Collects the changed fields of one record.
class Fields {
public:
    Fields(std::vector<Difference>& out, Record record, int number)
        : m_out(out), m_record(record), m_number(number), m_start(out.size()) {}

    void Text(const std::string& name, const std::string& a, const std::string& b) {
        if (a != b)
            Add(name + " " + a + " -> " + b);
    }
    void Value(const std::string& name, int a, int b) {
        if (a != b)
            Text(name, Number(a), Number(b));
    }
    void Add(const std::string& change) { m_out.push_back({m_record, m_number, change}); }
    // Bytes that differ where no field shows it (a blank at the end of a name, the high bit of
    // a string byte, a malformed record): the record still differs.
    void Bytes(const uint8_t* a, int lengthA, const uint8_t* b, int lengthB) {
        if (m_out.size() != m_start)
            return;
        if (lengthA != lengthB || (lengthA > 0 && std::memcmp(a, b, static_cast<size_t>(lengthA)) != 0))
            Add("stored bytes differ");
    }

private:
    std::vector<Difference>& m_out;
    Record m_record;
    int m_number;
    size_t m_start;
};

std::string Flag(const CCAssignment& cc, int bit) {
    return cc.flags < 0 ? "unreadable" : OnOff((cc.flags & bit) != 0);
}

bool SameBytes(const RecordSlot& a, const RecordSlot& b) {
    return a.Length() == b.Length() &&
           (a.Length() <= 0 || std::memcmp(a.Data(), b.Data(), static_cast<size_t>(a.Length())) == 0);
}

// "pedal 1 global CC ..." (cc 0) or "pedal 2 CC 3 ...": the title is made only for an assignment
// that differs, as a large dump holds thousands of them.
void CompareCC(Fields& f, int pedal, int cc, const CCAssignment& a, const CCAssignment& b) {
    if (a.flags == b.flags && a.controller == b.controller && a.minimum == b.minimum &&
        a.maximum == b.maximum)
        return;
    const std::string title = "pedal " + std::to_string(pedal) +
                              (cc == 0 ? std::string(" global CC") : " CC " + std::to_string(cc));
    f.Value(title + " channel", a.flags < 0 ? -1 : a.Channel(), b.flags < 0 ? -1 : b.Channel());
    f.Value(title + " CC", a.controller, b.controller);
    f.Value(title + " min", a.minimum, b.minimum);
    f.Value(title + " max", a.maximum, b.maximum);
    f.Text(title + " enabled", Flag(a, 0x40), Flag(b, 0x40));
    f.Text(title + " invert pedal polarity", Flag(a, 0x10), Flag(b, 0x10));
    f.Text(title + " immediate send", Flag(a, 0x20), Flag(b, 0x20));
    f.Text(title + " first time", Flag(a, 0x80), Flag(b, 0x80));
}

// "only in the first" / "only in the second"; true when the record is in both.
bool InBoth(Fields& f, bool inFirst, bool inSecond) {
    if (inFirst && !inSecond)
        f.Add("only in the first");
    else if (inSecond && !inFirst)
        f.Add("only in the second");
    return inFirst && inSecond;
}

std::vector<int> SetEntries(const RecordSlot& set) {
    std::vector<int> entries;
    const int count = ReadWordQuadAt(set.Data(), set.Length(), 0, 0);
    for (int i = 0; i < count; ++i) {
        const int bank = ReadBytePairAt(set.Data(), set.Length(), 4 + 2 * i);
        if (bank < 0)
            break;
        entries.push_back(bank);
    }
    return entries;
}

std::vector<int> Steps(const BankRecord& bank) {
    std::vector<int> steps;
    const int count = bank.SequenceLength();
    for (int i = 0; i < count; ++i) {
        const int step = bank.Step(i);
        if (step < 0)
            break;
        steps.push_back(step);
    }
    return steps;
}

std::string StringHex(const PatchRecord& patch, int which) {
    int count = 0;
    const uint8_t* pairs = patch.StringPairs(which, &count);
    if (count < 1)
        return "none";
    std::string hex = FormatHexBytes(pairs, count, true, false);
    while (!hex.empty() && hex.back() == ' ')
        hex.pop_back();
    return hex;
}

std::string ModeName(const std::string& name, int mode, int mask) {
    return mode < 0 ? "unreadable" : NameOr(name, mode & mask);
}
} // namespace

std::string DumpComparison::Difference::Key() const {
    switch (record) {
    case Record::Header:
        return "header";
    case Record::Configuration:
        return "configuration";
    case Record::Set:
        return "set " + std::to_string(number);
    case Record::Bank:
        return "bank " + Padded("%02d", number);
    case Record::Patch:
        return "patch " + Padded("%03d", number);
    }
    return {};
}

std::string DumpComparison::Difference::Line() const {
    return Key() + ": " + change;
}

DumpComparison::DumpComparison(const SystemDoc& first, const SystemDoc& second) {
    CompareHeader(first, second);
    CompareConfig(first, second);
    for (int s = 1; s <= SystemDoc::kSets; ++s)
        CompareSet(s, first, second);
    for (int b = 1; b <= SystemDoc::kBanks; ++b)
        CompareBank(b, first, second);
    for (int p = 1; p <= SystemDoc::kPatches; ++p)
        ComparePatch(p, first, second);
}

std::vector<std::string> DumpComparison::Lines() const {
    std::vector<std::string> lines;
    lines.reserve(m_differences.size());
    for (const Difference& d : m_differences)
        lines.push_back(d.Line());
    return lines;
}

std::vector<std::string> DumpComparison::Keys() const {
    std::vector<std::string> keys;
    for (size_t i = 0; i < m_differences.size(); ++i) {
        const Difference& d = m_differences[i];
        if (i > 0 && m_differences[i - 1].record == d.record && m_differences[i - 1].number == d.number)
            continue;
        keys.push_back(d.Key());
    }
    return keys;
}

void DumpComparison::CompareHeader(const SystemDoc& a, const SystemDoc& b) {
    Fields f(m_differences, Record::Header, 0);
    const uint8_t* ha = a.Header();
    const uint8_t* hb = b.Header();
    const auto byte = [](int v) { return Padded("0x%02x", v); };
    f.Text("start", byte(ha[0]), byte(hb[0]));
    for (int i = 1; i <= 3; ++i)
        f.Text("manufacturer byte " + std::to_string(i), byte(ha[i]), byte(hb[i]));
    f.Value("device channel", a.GetDeviceChannel() + 1, b.GetDeviceChannel() + 1);
    f.Text("device ID", byte(ha[5]), byte(hb[5]));
    f.Text("message type", byte(ha[6]), byte(hb[6]));
    f.Value("transmit length", a.GetTransmitLength(), b.GetTransmitLength());
}

void DumpComparison::CompareConfig(const SystemDoc& a, const SystemDoc& b) {
    Fields f(m_differences, Record::Configuration, 0);
    f.Value("total banks", a.GetBankCount(), b.GetBankCount());
    f.Value("total patches", a.GetPatchCount(), b.GetPatchCount());
    f.Value("powerup patch", a.GetPowerUpPatch(), b.GetPowerUpPatch());
    f.Value("powerup timeout", a.GetPowerUpTimeout(), b.GetPowerUpTimeout());
    const auto channel = [](int v) { return v == 0 ? std::string("none") : std::to_string(v); };
    f.Text("default channel", channel(a.GetDefaultChannel()), channel(b.GetDefaultChannel()));
    f.Value("current bank", a.GetCurrentBank(), b.GetCurrentBank());
    f.Value("current patch", a.GetCurrentPatch(), b.GetCurrentPatch());
    f.Value("current set", a.GetCurrentSet(), b.GetCurrentSet());
    // The options as the configuration page shows them: two of them are stored inverted.
    f.Text("filter redundant program changes", OnOff(a.GetFilterOff() != 1), OnOff(b.GetFilterOff() != 1));
    f.Text("edit sysex in hex", OnOff(a.GetEditSysexHex() != 0), OnOff(b.GetEditSysexHex() != 0));
    f.Text("MIDI merging", OnOff(a.GetMergeOff() != 1), OnOff(b.GetMergeOff() != 1));
    f.Text("reverse footswitch LEDs", OnOff(a.GetReverseLeds() != 0), OnOff(b.GetReverseLeds() != 0));
    for (int pedal = 1; pedal <= 2; ++pedal) {
        const std::string title = "pedal " + std::to_string(pedal);
        CompareCC(f, pedal, 0, a.GetGlobalCC(pedal), b.GetGlobalCC(pedal));
        f.Value(title + " calibration min", a.GetPedalCalMin(pedal), b.GetPedalCalMin(pedal));
        f.Value(title + " calibration max", a.GetPedalCalMax(pedal), b.GetPedalCalMax(pedal));
        f.Text(title + " calibration type", Padded("0x%02x", a.GetPedalCalType(pedal)),
               Padded("0x%02x", b.GetPedalCalType(pedal)));
    }
    const std::array<int, 16> filtersA = a.GetMidiFilters();
    const std::array<int, 16> filtersB = b.GetMidiFilters();
    f.Text("MIDI filters", HexValues({filtersA.begin(), filtersA.end()}),
           HexValues({filtersB.begin(), filtersB.end()}));
    f.Bytes(a.Config(), SystemDoc::kConfigSize, b.Config(), SystemDoc::kConfigSize);
}

void DumpComparison::CompareSet(int n, const SystemDoc& a, const SystemDoc& b) {
    Fields f(m_differences, Record::Set, n);
    const RecordSlot* sa = a.PeekSet(n);
    const RecordSlot* sb = b.PeekSet(n);
    if (!InBoth(f, sa->IsPresent(), sb->IsPresent()) || SameBytes(*sa, *sb))
        return;
    f.Text("entries", ListText(SetEntries(*sa)), ListText(SetEntries(*sb)));
    f.Bytes(sa->Data(), sa->Length(), sb->Data(), sb->Length());
}

void DumpComparison::CompareBank(int n, const SystemDoc& a, const SystemDoc& b) {
    Fields f(m_differences, Record::Bank, n);
    if (!InBoth(f, a.HasBank(n), b.HasBank(n)))
        return;
    const RecordSlot& sa = *a.PeekBank(n);
    const RecordSlot& sb = *b.PeekBank(n);
    if (SameBytes(sa, sb))
        return;
    const BankRecord ba(sa);
    const BankRecord bb(sb);
    f.Text("name", Quoted(ba.Name()), Quoted(bb.Name()));
    const auto mode = [](int v) { return v < 0 ? std::string("unreadable") : OnOff(v > 0); };
    f.Text("sequence mode", mode(ba.SequenceMode()), mode(bb.SequenceMode()));
    for (int slot = 0; slot < BankRecord::kSlotCount; ++slot)
        if (ba.SlotPatch(slot) != bb.SlotPatch(slot))
            f.Value(std::string("pedal ") + static_cast<char>('A' + slot) + " patch", ba.SlotPatch(slot),
                    bb.SlotPatch(slot));
    const std::vector<int> stepsA = Steps(ba);
    const std::vector<int> stepsB = Steps(bb);
    if (stepsA != stepsB)
        f.Text("sequence steps", ListText(stepsA), ListText(stepsB));
    f.Bytes(sa.Data(), sa.Length(), sb.Data(), sb.Length());
}

void DumpComparison::ComparePatch(int n, const SystemDoc& a, const SystemDoc& b) {
    Fields f(m_differences, Record::Patch, n);
    if (!InBoth(f, a.HasPatch(n), b.HasPatch(n)))
        return;
    const RecordSlot& sa = *a.PeekPatch(n);
    const RecordSlot& sb = *b.PeekPatch(n);
    if (SameBytes(sa, sb))
        return;
    const PatchRecord pa(sa);
    const PatchRecord pb(sb);
    f.Text("name", Quoted(pa.Name()), Quoted(pb.Name()));
    const int ma = pa.Mode();
    const int mb = pb.Mode();
    if (ma != mb) {
        f.Text("channel switch", ModeName(ChannelSwitchName(ma & PatchRecord::kChannelSwitchMask), ma, 0x07),
               ModeName(ChannelSwitchName(mb & PatchRecord::kChannelSwitchMask), mb, 0x07));
        f.Text("pedal type", ModeName(PedalTypeName(ma & PatchRecord::kPedalTypeMask), ma, 0x18),
               ModeName(PedalTypeName(mb & PatchRecord::kPedalTypeMask), mb, 0x18));
        f.Text("global CC", ModeName(GlobalCCName(ma & 0xC0), ma, 0xC0),
               ModeName(GlobalCCName(mb & 0xC0), mb, 0xC0));
        const auto sent = [](int mode) {
            return mode < 0 ? std::string("unreadable") : OnOff((mode & PatchRecord::kStringASentBit) != 0);
        };
        f.Text("string A sent", sent(ma), sent(mb));
    }
    for (int pedal = 1; pedal <= 2; ++pedal)
        for (int cc = 1; cc <= 3; ++cc)
            CompareCC(f, pedal, cc, pa.LocalCC(pedal, cc), pb.LocalCC(pedal, cc));
    for (int which = 0; which < 2; ++which) {
        int countA = 0;
        int countB = 0;
        const uint8_t* pairsA = pa.StringPairs(which, &countA);
        const uint8_t* pairsB = pb.StringPairs(which, &countB);
        if (countA != countB ||
            (countA > 0 && std::memcmp(pairsA, pairsB, 2 * static_cast<size_t>(countA)) != 0))
            f.Text(which == 0 ? "MIDI string A" : "MIDI string B", StringHex(pa, which),
                   StringHex(pb, which));
    }
    f.Bytes(sa.Data(), sa.Length(), sb.Data(), sb.Length());
}
