#pragma once

#include "dump/RecordSlot.h"

#include <QByteArray>
#include <QString>

class QMimeData;

// Single records on the clipboard, shared between documents and between running editors. One
// format per kind ("ZIV10 Patch", "ZIV10 Bank", "ZIV10 Set"); the data is the record length n as
// a signed 32-bit little-endian integer followed by the n record bytes as the dump holds them.
//
// Reading trusts nothing: a payload whose length is negative or runs past the data, or whose
// bytes are not a well-formed record of the kind asked for, is refused.
class RecordClipboard {
public:
    enum class Kind { Patch, Bank, Set };

    // "ZIV10 Patch", "ZIV10 Bank", "ZIV10 Set".
    static QString formatName(Kind kind);
    // The MIME type the format travels under (on Windows the registered clipboard format name).
    static QString mimeType(Kind kind);

    static QByteArray encode(const RecordSlot& record);
    // The record of a payload: empty with *ok true when it holds no bytes, empty with *ok false
    // when it is malformed.
    static RecordSlot decode(Kind kind, const QByteArray& payload, bool* ok);
    // True when the bytes are a whole record of that kind: its own length fields account for
    // exactly `length` bytes, and every byte is a MIDI data byte.
    static bool isPlausible(Kind kind, const uint8_t* data, int length);

    // True when the system clipboard holds data of that kind.
    static bool available(Kind kind);
    // Puts the record on the system clipboard; false (and nothing changes) for an empty record.
    static bool write(Kind kind, const RecordSlot& record);
    // The record on the system clipboard. Empty when there is none or it holds no bytes; a
    // malformed payload also reads as empty and beeps.
    static RecordSlot read(Kind kind);
};
