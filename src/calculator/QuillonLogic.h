#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// Everything the calculator computes, apart from its widgets: the composed messages, the MSB/LSB
// split and the decomposer's reading rule and descriptions.
class QuillonLogic {
public:
    enum Mode {
        NoMode = 0,
        ProgramChange = 1,
        ControlChange = 2,
        NoteOn = 3,
        NoteOff = 4,
        NumberConversion = 5,
        PitchBend = 6,
        MsbLsb = 7,
        HexDecomposer = 8,
    };

    // Captions of the data controls in a mode; an empty caption hides the control with its label.
    struct Labels {
        QString data1;
        QString data2;
        QString msbLsb;
        bool channel = false;
    };
    static Labels LabelsFor(int mode);

    // True for the modes that build a message from the combos.
    static bool Composes(int mode);

    // The message of a composing mode from combo indexes (channel 0-15, data 0-127); empty when the
    // mode composes nothing or a combo it needs has no selection (index -1).
    static QString Compose(int mode, int channel, int data1, int data2);

    // The 14-bit value of MSB and LSB, as the MSB/LSB field shows it.
    static int MsbLsbValue(int msb, int lsb);

    // The typed MSB/LSB text: its leading decimal digits, wrapped into 14 bits; anything else is 0.
    static int ReadMsbLsbText(const QString& text);

    enum class ReadOutcome { Bytes, Empty, Incomplete, NonHex };
    // The decomposer's reading rule: byte pairs from the very first character, blanks only between
    // bytes. `bytes` holds what was read before a failure.
    static ReadOutcome ReadHexBytes(const QString& text, std::vector<uint8_t>& bytes);

    // The description of one typed message; lines end in "\r\n".
    static QString Decompose(const QString& text);
};
