#pragma once

#include <QByteArrayView>
#include <QSettings>
#include <QStringList>

#include <memory>

// Qt reads every value of a settings file as soon as it opens it, and a value written as a
// serialised object ("@Variant(...)") is rebuilt from its bytes there and then: a length in those
// bytes can ask for tens of gigabytes before one setting is read (the sanitizers end the program
// there; elsewhere it depends on how much memory the system hands out). These programs never
// write such a value, so a store that holds one is left closed.
namespace StoreCheck {

// Whether the text of a settings file may hold a serialised object. Errs on the safe side: the
// values are read with the INI escapes undone and without their quotes, blanks and tabs, so that
// no spelling of one hides it.
bool MayHoldSerialisedValue(QByteArrayView text);

// Whether Qt may open these files: each one is absent or unreadable, or small enough to be one
// this program wrote and holds no serialised object.
bool SafeToOpen(const QStringList& paths);

// The files QSettings(organization, application) reads as it opens: the program's and the
// organisation's file in each configuration folder (the user's first) and in the system-wide
// folder Qt was built with.
QStringList NativeFiles(const QString& organization, const QString& application);

// A store that fails the check is not opened: a store on no file stands for it, which reads as the
// defaults and fails to write (its status turns to an access error), so the file stays as it is.
// QSettings(organization, application), or that closed store.
std::unique_ptr<QSettings> OpenNative(const QString& organization, const QString& application);
// The INI file at `path`, or the closed store.
std::unique_ptr<QSettings> OpenIni(const QString& path);

} // namespace StoreCheck
