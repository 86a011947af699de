#include "settings/Settings.h"

#include "dump/Prompter.h"
#include "store/StoreCheck.h"
#include "version/Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QVariant>

#include <array>

namespace {

const QString kSettingsGroup = QStringLiteral("Settings");
const QString kRecentFileGroup = QStringLiteral("Recent File List");
const QString kRecentBackgroundGroup = QStringLiteral("Recent Backgrounds");

// Stored as 8 bits; this marker stands for "never stored".
constexpr int kChannelAbsent = 255;
constexpr int kDefaultDelay = 60;
constexpr int kDefaultBufferSize = 256;
constexpr int kMaxDelay = 1000;
constexpr std::array<int, 10> kOfferedBufferSizes = {64, 128, 256, 512, 1024, 2048, 4096, 8192, 16384, 32768};

const QString kWebHost = QStringLiteral("www.morvik.example");

int ReadInt(const QSettings& store, const QString& key, int fallback) {
    const QVariant value = store.value(key);
    if (!value.isValid())
        return fallback;
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? number : fallback;
}

bool ReadFlag(const QSettings& store, const QString& key, bool fallback) {
    return ReadInt(store, key, fallback ? 1 : 0) != 0;
}

QString ReadString(const QSettings& store, const QString& key, const QString& fallback) {
    const QVariant value = store.value(key);
    return value.isValid() ? value.toString() : fallback;
}

// Flags are integers in the store, as older versions wrote them.
void WriteFlag(QSettings& store, const QString& key, bool on) {
    store.setValue(key, on ? 1 : 0);
}

// An empty text removes the value rather than storing an empty one.
void WriteOrRemove(QSettings& store, const QString& key, const QString& text) {
    if (text.isEmpty())
        store.remove(key);
    else
        store.setValue(key, text);
}

// A count that is 0 unless there is something to tell is stored only then.
void WriteOrRemove(QSettings& store, const QString& key, int number) {
    if (number == 0)
        store.remove(key);
    else
        store.setValue(key, number);
}

bool Stored(QSettings& store) {
    store.sync();
    return store.isWritable() && store.status() == QSettings::NoError;
}

} // namespace

Settings::Settings(const QString& iniPath, const QString& programDir)
    : m_iniPath(iniPath),
      m_programDir(programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir),
      m_recentFiles(kRecentFileGroup), m_recentBackgrounds(kRecentBackgroundGroup),
      m_versionFile(QStringLiteral("/Orlen/ziv/version.txt")), m_hostname(kWebHost),
      m_downloadUrl(kWebHost + QStringLiteral("/Orlen/ziv/download.html")) {
    Load();
    LoadRecentFiles();
}

Settings::~Settings() = default;

// A fresh QSettings each time: its status keeps the first error it met, and a save has to know
// whether its own first write failed. A store that may hold a serialised object (see StoreCheck)
// is not opened: a store on no file stands for it, so the values are the defaults and saving
// reports the store as not writable. The file stays as it is.
std::unique_ptr<QSettings> Settings::OpenStore() const {
    if (m_iniPath.isEmpty())
        return StoreCheck::OpenNative(QString::fromLatin1(kCompany), QString::fromLatin1(kApplication));
    return StoreCheck::OpenIni(m_iniPath);
}

bool Settings::IsOfferedBufferSize(int bytes) {
    for (int offered : kOfferedBufferSizes) {
        if (offered == bytes)
            return true;
    }
    return false;
}

int Settings::NormalisedBufferSize(int bytes) {
    return IsOfferedBufferSize(bytes) ? bytes : kDefaultBufferSize;
}

// A negative pause would wait practically for ever once taken as an unsigned count.
int Settings::NormalisedDelay(int milliseconds) {
    return milliseconds > kMaxDelay || milliseconds < 0 ? kDefaultDelay : milliseconds;
}

Settings::WindowRect Settings::DecodeDisplay(const QByteArray& bytes) {
    std::array<uint8_t, kDisplayBytes> raw{};
    const int count = std::min<int>(static_cast<int>(bytes.size()), kDisplayBytes);
    for (int i = 0; i < count; ++i)
        raw[static_cast<size_t>(i)] = static_cast<uint8_t>(bytes[i]);
    const auto field = [&raw](size_t at) {
        const uint32_t value = uint32_t(raw[at]) | uint32_t(raw[at + 1]) << 8 | uint32_t(raw[at + 2]) << 16 |
                               uint32_t(raw[at + 3]) << 24;
        return static_cast<int32_t>(value);
    };
    WindowRect rect;
    rect.left = field(0);
    rect.top = field(4);
    rect.right = field(8);
    rect.bottom = field(12);
    return rect;
}

QByteArray Settings::EncodeDisplay(const WindowRect& rect) {
    QByteArray bytes;
    bytes.reserve(kDisplayBytes);
    for (int32_t field : {rect.left, rect.top, rect.right, rect.bottom}) {
        const auto value = static_cast<uint32_t>(field);
        for (int shift = 0; shift < 32; shift += 8)
            bytes.append(static_cast<char>((value >> shift) & 0xFF));
    }
    return bytes;
}

void Settings::Load() {
    const std::unique_ptr<QSettings> store = OpenStore();
    store->beginGroup(kSettingsGroup);

    m_midiChannel = static_cast<uint8_t>(ReadInt(*store, QStringLiteral("MIDI Channel"), kChannelAbsent));
    m_firstRun = m_midiChannel == kChannelAbsent;
    if (m_firstRun)
        m_midiChannel = 1;
    m_midiInputDevice = ReadInt(*store, QStringLiteral("MIDI Input Device"), 0);
    m_midiOutputDevice = ReadInt(*store, QStringLiteral("MIDI Output Device"), 0);
    m_midiInputDeviceName = ReadString(*store, QStringLiteral("MIDI Input Device Name"), QString());
    m_midiOutputDeviceName = ReadString(*store, QStringLiteral("MIDI Output Device Name"), QString());
    m_midiInputDeviceNameIndex =
        NormalisedNameIndex(ReadInt(*store, QStringLiteral("MIDI Input Device Name Index"), 0));
    m_midiOutputDeviceNameIndex =
        NormalisedNameIndex(ReadInt(*store, QStringLiteral("MIDI Output Device Name Index"), 0));
    m_background = ReadString(*store, QStringLiteral("Background"), QString());
    m_hexShowAscii = ReadFlag(*store, QStringLiteral("HexShowAscii"), true);
    m_hexShowOffset = ReadFlag(*store, QStringLiteral("HexShowOffset"), true);
    m_promptBeforeDownload = ReadFlag(*store, QStringLiteral("PromptBeforeDownload"), true);
    m_hideBlanks = ReadFlag(*store, QStringLiteral("HideBlanks"), false);
    m_deletePrompt = ReadFlag(*store, QStringLiteral("DeletePrompt"), true);
    m_reloadLastFile = ReadFlag(*store, QStringLiteral("ReloadLastFile"), true);
    m_versionFile =
        ReadString(*store, QStringLiteral("VersionFile"), QStringLiteral("/Orlen/ziv/version.txt"));
    m_hostname = ReadString(*store, QStringLiteral("Hostname"), kWebHost);
    m_configEditPrompt = ReadFlag(*store, QStringLiteral("ConfigEditPrompt"), true);
    m_exportMixedCase = ReadFlag(*store, QStringLiteral("ExportMixedCase"), false);
    m_exportTabDelimited = ReadFlag(*store, QStringLiteral("ExportTabDelimited"), false);
    m_recycleFiles = ReadFlag(*store, QStringLiteral("RecycleFiles"), false);
    m_displayMidiStringComments = ReadFlag(*store, QStringLiteral("DisplayMIDIStringComments"), true);
    m_delayBetweenBuffers =
        NormalisedDelay(ReadInt(*store, QStringLiteral("DelayBetweenBuffers"), kDefaultDelay));
    m_bufferSize = NormalisedBufferSize(ReadInt(*store, QStringLiteral("BufferSize"), kDefaultBufferSize));
    m_display = DecodeDisplay(store->value(QStringLiteral("Display")).toByteArray());

    m_midiHelpFile = ReadString(*store, QStringLiteral("MIDIHelpFile"), QString());
    if (m_midiHelpFile.isEmpty())
        m_midiHelpFile = QDir(m_programDir).filePath(QString::fromLatin1(kDefaultHelpFileName));
    // A help file that is gone would only fail later, when the user asks for help.
    if (!QFileInfo(m_midiHelpFile).isFile())
        m_midiHelpFile.clear();
    m_midiHelpKeyword = m_midiHelpFile.isEmpty()
                            ? QString()
                            : ReadString(*store, QStringLiteral("MIDIHelpKeyword"), QStringLiteral("Tables"));

    m_downloadUrl = ReadString(*store, QStringLiteral("DownloadURL"),
                               kWebHost + QStringLiteral("/Orlen/ziv/download.html"));
    m_lastFolder = ReadString(*store, QStringLiteral("Last Folder"), QString());
    m_keepDownloadBackups = ReadFlag(*store, QStringLiteral("KeepDownloadBackups"), true);
    m_backupsToKeep = NormalisedBackupsToKeep(ReadInt(*store, QStringLiteral("BackupsToKeep"), 50));
    store->endGroup();
}

bool Settings::Save(Prompter& prompter) {
    const std::unique_ptr<QSettings> store = OpenStore();
    store->beginGroup(kSettingsGroup);

    // The first write tells whether the store takes writes at all.
    store->setValue(QStringLiteral("Background"), m_background);
    if (!Stored(*store)) {
        prompter.Message(kWriteFailedText, kWriteFailedCaption, Prompter::Icon::Stop);
        return false;
    }
    WriteOrRemove(*store, QStringLiteral("MIDIHelpFile"), m_midiHelpFile);
    WriteOrRemove(*store, QStringLiteral("MIDIHelpKeyword"), m_midiHelpKeyword);
    WriteFlag(*store, QStringLiteral("ReloadLastFile"), m_reloadLastFile);
    WriteFlag(*store, QStringLiteral("HideBlanks"), m_hideBlanks);
    WriteFlag(*store, QStringLiteral("DeletePrompt"), m_deletePrompt);
    WriteFlag(*store, QStringLiteral("ConfigEditPrompt"), m_configEditPrompt);
    WriteFlag(*store, QStringLiteral("ExportMixedCase"), m_exportMixedCase);
    WriteFlag(*store, QStringLiteral("ExportTabDelimited"), m_exportTabDelimited);
    WriteFlag(*store, QStringLiteral("RecycleFiles"), m_recycleFiles);
    WriteFlag(*store, QStringLiteral("DisplayMIDIStringComments"), m_displayMidiStringComments);
    store->setValue(QStringLiteral("DelayBetweenBuffers"), m_delayBetweenBuffers);
    store->setValue(QStringLiteral("BufferSize"), m_bufferSize);
    store->setValue(QStringLiteral("MIDI Channel"), static_cast<int>(m_midiChannel));
    store->setValue(QStringLiteral("MIDI Input Device"), m_midiInputDevice);
    store->setValue(QStringLiteral("MIDI Output Device"), m_midiOutputDevice);
    store->setValue(QStringLiteral("MIDI Input Device Name"), m_midiInputDeviceName);
    store->setValue(QStringLiteral("MIDI Output Device Name"), m_midiOutputDeviceName);
    WriteOrRemove(*store, QStringLiteral("MIDI Input Device Name Index"), m_midiInputDeviceNameIndex);
    WriteOrRemove(*store, QStringLiteral("MIDI Output Device Name Index"), m_midiOutputDeviceNameIndex);
    store->setValue(QStringLiteral("Display"), EncodeDisplay(m_display));
    WriteFlag(*store, QStringLiteral("HexShowAscii"), m_hexShowAscii);
    WriteFlag(*store, QStringLiteral("HexShowOffset"), m_hexShowOffset);
    WriteFlag(*store, QStringLiteral("PromptBeforeDownload"), m_promptBeforeDownload);
    WriteOrRemove(*store, QStringLiteral("Last Folder"), m_lastFolder);
    WriteFlag(*store, QStringLiteral("KeepDownloadBackups"), m_keepDownloadBackups);
    store->setValue(QStringLiteral("BackupsToKeep"), m_backupsToKeep);
    store->endGroup();
    return Stored(*store);
}

void Settings::LoadRecentFiles() {
    m_recentFiles.Load(*OpenStore());
}

bool Settings::SaveRecentFiles() {
    const std::unique_ptr<QSettings> store = OpenStore();
    m_recentFiles.Save(*store);
    // The folder last used changes with the list.
    store->beginGroup(kSettingsGroup);
    WriteOrRemove(*store, QStringLiteral("Last Folder"), m_lastFolder);
    store->endGroup();
    return Stored(*store);
}

void Settings::LoadRecentBackgrounds() {
    m_recentBackgrounds.Load(*OpenStore());
}

bool Settings::SaveRecentBackgrounds() {
    const std::unique_ptr<QSettings> store = OpenStore();
    m_recentBackgrounds.Save(*store);
    return Stored(*store);
}

int Settings::NormalisedBackupsToKeep(int count) {
    return count < 1 ? 1 : count > 9999 ? 9999 : count;
}

QString Settings::VersionText() const {
    return QStringLiteral("%1 version %2.%3.%4.%5")
        .arg(QString::fromLatin1(kApplication))
        .arg(TOLVANE_VERSION_MAJOR)
        .arg(TOLVANE_VERSION_MINOR)
        .arg(TOLVANE_VERSION_PATCH)
        .arg(0);
}

QString Settings::WebsiteAddress() const {
    return QStringLiteral("http://") + kWebHost + QStringLiteral("/");
}

QString Settings::MailLink() const {
    return QStringLiteral("mailto:support@morvik.example?Subject=") + VersionText();
}

int Settings::NormalisedNameIndex(int index) {
    return index < 0 ? 0 : index;
}

TransferSettings Settings::Transfer() const {
    TransferSettings transfer;
    // -1 (nothing chosen) becomes the all-ones device number, the system's default output.
    transfer.inputDevice = static_cast<uint32_t>(m_midiInputDevice);
    transfer.outputDevice = static_cast<uint32_t>(m_midiOutputDevice);
    transfer.inputDeviceName = m_midiInputDeviceName.toStdString();
    transfer.outputDeviceName = m_midiOutputDeviceName.toStdString();
    transfer.inputDeviceNameIndex = static_cast<size_t>(m_midiInputDeviceNameIndex);
    transfer.outputDeviceNameIndex = static_cast<size_t>(m_midiOutputDeviceNameIndex);
    transfer.bufferSize = m_bufferSize;
    transfer.delayBetweenBuffers = m_delayBetweenBuffers;
    transfer.promptBeforeDownload = m_promptBeforeDownload;
    return transfer;
}
