#include "views/PedalboardEdits.h"

#include "dump/BankRecord.h"
#include "dump/Encoding.h"
#include "dump/EntryNames.h"
#include "dump/SystemDoc.h"
#include "widgets/EditStep.h"

PedalboardEdits::PedalboardEdits(SystemDoc& doc, ShellServices& shell) : m_doc(doc), m_shell(shell) {}

int PedalboardEdits::patchAt(const Pedal& pedal) const {
    const RecordSlot* record = m_doc.PeekBank(pedal.bank);
    if (pedal.bank < 1 || !record || !record->IsPresent())
        return -1;
    return BankRecord(*record).ActiveEntry(pedal.index);
}

QString PedalboardEdits::pedalName(const Pedal& pedal) const {
    const RecordSlot* record = m_doc.PeekBank(pedal.bank);
    const bool sequence = record && BankRecord(*record).SequenceMode() != 0;
    return QStringLiteral("Bank %1 %2")
        .arg(pedal.bank)
        .arg(sequence
                 ? QStringLiteral("Step %1").arg(pedal.index + 1)
                 : QStringLiteral("Pedal %1").arg(QString::fromStdString(PedalLabel(false, pedal.index))));
}

bool PedalboardEdits::copiable(int patch) const {
    const EntryKind kind = PatchEntryKind(m_doc, patch);
    return kind == EntryKind::Present || kind == EntryKind::Unassigned;
}

bool PedalboardEdits::assign(const Pedal& pedal, int patch) {
    if (patch == 0)
        return unassign(pedal);
    if (PatchEntryKind(m_doc, patch) != EntryKind::Present)
        return false;
    return write(pedal, patch, nullptr, 0,
                 QStringLiteral("Assign Patch %1 to %2").arg(patch).arg(pedalName(pedal)));
}

bool PedalboardEdits::unassign(const Pedal& pedal) {
    return write(pedal, 0, nullptr, 0, QStringLiteral("Unassign %1").arg(pedalName(pedal)));
}

bool PedalboardEdits::swap(const Pedal& from, const Pedal& to) {
    const int fromPatch = patchAt(from);
    const int toPatch = patchAt(to);
    if (fromPatch < 0 || toPatch < 0)
        return false;
    if (from == to)
        return true;
    return write(to, fromPatch, &from, toPatch,
                 QStringLiteral("Swap %1 with %2").arg(pedalName(from)).arg(pedalName(to)));
}

bool PedalboardEdits::copy(const Pedal& from, const Pedal& to) {
    const int patch = patchAt(from);
    if (patch < 0 || !copiable(patch))
        return false;
    return write(to, patch, nullptr, 0,
                 QStringLiteral("Copy %1 to %2").arg(pedalName(from)).arg(pedalName(to)));
}

bool PedalboardEdits::write(const Pedal& first, int firstPatch, const Pedal* second, int secondPatch,
                            const QString& text) {
    if (patchAt(first) < 0 || (second && patchAt(*second) < 0))
        return false;
    EditStep step(m_shell, m_doc);
    const auto store = [this](const Pedal& pedal, int patch) {
        RecordSlot record = m_doc.GetBank(pedal.bank);
        const int offset = BankRecord(record).ActiveOffset(pedal.index);
        if (offset < 0 || ReadWordQuadAt(record.Data(), record.Length(), offset) == patch)
            return;
        WriteWordQuad(record.Data() + offset, patch);
        m_doc.ReplaceBank(pedal.bank, record);
    };
    store(first, firstPatch);
    if (second)
        store(*second, secondPatch);
    step.commit(text, HintBanks, first.bank);
    return true;
}
