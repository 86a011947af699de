#pragma once

#include <QByteArrayView>
#include <QStringList>

// Qt reads every value of a settings file as soon as it opens it, and a value written as a
// serialised object ("@Variant(...)") is rebuilt from its bytes there and then: a length in those
// bytes can ask for gigabytes, which ends the program before it has read one setting. This
// program never writes such a value, so a store that holds one is left closed.
namespace StoreCheck {

// Whether the text of a settings file may hold a serialised object. Errs on the safe side: the
// values are read with the INI escapes undone and without their quotes, blanks and tabs, so that
// no spelling of one hides it.
bool MayHoldSerialisedValue(QByteArrayView text);

// Whether Qt may open these files: each one is absent or unreadable, or small enough to be one
// this program wrote and holds no serialised object.
bool SafeToOpen(const QStringList& paths);

} // namespace StoreCheck
