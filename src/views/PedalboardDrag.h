#pragma once

#include <QString>

class QMimeData;
class SystemDoc;

// What a drag on the pedalboard carries: a patch from the palette, or a pedal with its patch,
// and which document (of which running editor) it comes from, so that a drop elsewhere is told
// apart. It also carries the patch as text ("012 ACOUSTIC SIM") for other programs.
//
// Reading trusts nothing: anything but a whole payload of the right size is not a pedalboard drag.
class PedalboardDrag {
public:
    enum class Source { Palette = 1, Pedal = 2 };

    struct Payload {
        Source source = Source::Palette;
        int patch = 0;
        int bank = 0;   // Source::Pedal: where it was picked up
        int index = -1; //   (entry of the bank's active list)
        quint64 document = 0;
        qint64 process = 0;
    };

    static QString mimeType();

    // A new drag's data (the caller owns it).
    static QMimeData* encode(const SystemDoc& doc, Source source, int patch, int bank = 0, int index = -1);
    // False when the data holds no pedalboard payload, or a malformed one.
    static bool decode(const QMimeData* data, Payload& payload);
    // Whether the payload was picked up in `doc` of this running editor.
    static bool fromDocument(const Payload& payload, const SystemDoc& doc);
};
