#pragma once

#include <QString>

class ShellServices;
class SystemDoc;

// The changes the pedalboard makes to a dump: what a pedal (or a sequence step) calls. Each goes
// through the model's ReplaceBank with the changed record, so the views hear of it, and is one
// step on the document's undo stack, named after what it did. Record lengths never change, so no
// change can take the dump past what the device holds.
//
// A refused change (a bank or pedal that is not there, a patch that does not exist) changes
// nothing and returns false; a change to what is already there returns true and records no step.
class PedalboardEdits {
public:
    // A pedal of a bank: entry `index` of its active list (slots A-I, or the sequence steps).
    struct Pedal {
        int bank = 0;
        int index = -1;
        bool operator==(const Pedal& other) const { return bank == other.bank && index == other.index; }
        bool operator!=(const Pedal& other) const { return !(*this == other); }
    };

    PedalboardEdits(SystemDoc& doc, ShellServices& shell);

    // The patch number the pedal holds; -1 when the bank has no such pedal.
    int patchAt(const Pedal& pedal) const;
    // "Bank 5 Pedal C", "Bank 10 Step 3".
    QString pedalName(const Pedal& pedal) const;
    // Whether a copy of this number may land on another pedal: an existing patch, or none.
    // A reference to no patch (deleted or out of range) is moved by a swap but never copied.
    bool copiable(int patch) const;

    // "Assign Patch 12 to Bank 5 Pedal C"; patch 0 unassigns instead.
    bool assign(const Pedal& pedal, int patch);
    // "Unassign Bank 5 Pedal C".
    bool unassign(const Pedal& pedal);
    // "Swap Bank 5 Pedal C with Bank 7 Pedal A": the two pedals trade their patches.
    bool swap(const Pedal& from, const Pedal& to);
    // "Copy Bank 5 Pedal C to Bank 7 Pedal A": `to` calls what `from` calls.
    bool copy(const Pedal& from, const Pedal& to);

private:
    // Writes the patch numbers of one or two pedals, as one step.
    bool write(const Pedal& first, int firstPatch, const Pedal* second, int secondPatch, const QString& text);

    SystemDoc& m_doc;
    ShellServices& m_shell;
};
