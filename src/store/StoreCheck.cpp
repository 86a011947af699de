#include "store/StoreCheck.h"

#include "miditext/MidiText.h"

#include <QByteArray>
#include <QFile>
#include <QLibraryInfo>
#include <QStandardPaths>

namespace StoreCheck {

namespace {

// Far above what this program writes (a few kilobytes); a larger file is not read at all.
constexpr qint64 kLargestStore = 1024 * 1024;

int OctalDigit(char ch) {
    return ch >= '0' && ch <= '7' ? ch - '0' : -1;
}

std::unique_ptr<QSettings> ClosedStore() {
    return std::make_unique<QSettings>(QString(), QSettings::IniFormat);
}

} // namespace

bool MayHoldSerialisedValue(QByteArrayView text) {
    // Undoes the escapes as Qt does: the codes of one letter, \x with any number of hexadecimal
    // digits and \ with octal ones (both kept to 16 bits), a backslash before a line break joins
    // the lines, before anything else it is dropped. What comes out beyond ASCII cannot be part
    // of the marker and stands as one byte that is not.
    QByteArray plain;
    plain.reserve(text.size());
    const auto put = [&plain](char16_t unit) {
        if (unit == u'"' || unit == u' ' || unit == u'\t')
            return;
        plain += unit < 0x80 ? static_cast<char>(unit) : '\x7f';
    };
    qsizetype i = 0;
    while (i < text.size()) {
        const char ch = text[i++];
        if (ch != '\\') {
            put(static_cast<unsigned char>(ch));
            continue;
        }
        if (i >= text.size())
            break;
        const char code = text[i++];
        if (code == 'x' || OctalDigit(code) >= 0) {
            const int base = code == 'x' ? 16 : 8;
            const auto digit = [base](char c) { return base == 16 ? HexDigitValue(c) : OctalDigit(c); };
            char16_t unit = code == 'x' ? 0 : static_cast<char16_t>(OctalDigit(code));
            bool any = code != 'x';
            for (; i < text.size() && digit(text[i]) >= 0; ++i) {
                unit = static_cast<char16_t>(unit * base + digit(text[i]));
                any = true;
            }
            if (any)
                put(unit);
        } else if (code == '\n' || code == '\r') {
            if (i < text.size() && (text[i] == '\n' || text[i] == '\r') && text[i] != code)
                ++i;
        } else if (QByteArrayView("abfnrtv\"?'\\").contains(code)) {
            put(u'\x01'); // a control character or punctuation: never part of the marker
        }
    }
    return plain.contains("@Variant(");
}

bool SafeToOpen(const QStringList& paths) {
    for (const QString& path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue; // nothing Qt can read either
        if (file.size() > kLargestStore)
            return false;
        const QByteArray text = file.read(kLargestStore + 1);
        if (text.size() > kLargestStore || MayHoldSerialisedValue(text))
            return false;
    }
    return true;
}

QStringList NativeFiles(const QString& organization, const QString& application) {
    QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    // Qt's system-wide folder, should the environment name others.
    const QString system = QLibraryInfo::path(QLibraryInfo::SettingsPath);
    if (!folders.contains(system))
        folders << system;
    QStringList files;
    for (const QString& folder : folders) {
        files << folder + QLatin1Char('/') + organization + QLatin1Char('/') + application +
                     QStringLiteral(".conf");
        files << folder + QLatin1Char('/') + organization + QStringLiteral(".conf");
    }
    return files;
}

std::unique_ptr<QSettings> OpenNative(const QString& organization, const QString& application) {
    if (!SafeToOpen(NativeFiles(organization, application)))
        return ClosedStore();
    return std::make_unique<QSettings>(organization, application);
}

std::unique_ptr<QSettings> OpenIni(const QString& path) {
    if (!SafeToOpen({path}))
        return ClosedStore();
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

} // namespace StoreCheck
