// Arbitrary bytes as a record pasted from the clipboard (another editor, another program): the
// payload is refused or gives a record of the kind asked for, which copies back unchanged.
#include "FuzzRequire.h"
#include "views/RecordClipboard.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray payload(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const auto kind :
         {RecordClipboard::Kind::Patch, RecordClipboard::Kind::Bank, RecordClipboard::Kind::Set}) {
        bool ok = false;
        const RecordSlot record = RecordClipboard::decode(kind, payload, &ok);
        if (!ok || !record.IsPresent())
            continue;
        Require(RecordClipboard::isPlausible(kind, record.Data(), record.Length()));
        bool again = false;
        const RecordSlot copy = RecordClipboard::decode(kind, RecordClipboard::encode(record), &again);
        Require(again && copy.Length() == record.Length());
    }
    return 0;
}
