#pragma once

#include "midi/TransferSettings.h"
#include "settings/RecentList.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

class Prompter;
class QSettings;

// Every persistent setting of the editor with its default and its normalisation, kept in
// QSettings("Morvik", "Tolvane"): group "Settings" for the values, "Recent File List" and
// "Recent Backgrounds" for the two recent lists. Nothing else in the program touches QSettings.
// Value names and types are a contract with stores written by earlier versions.
//
// Used on the user-interface thread only. The constructor sets the defaults and loads the store;
// Save() writes the values back (the owner calls it after the preferences are accepted and at
// exit); the recent lists are written by their own Save calls.
class Settings {
public:
    // The main window's rectangle as stored in "Display": four little-endian 32-bit integers.
    struct WindowRect {
        int32_t left = 0;
        int32_t top = 0;
        int32_t right = 0;
        int32_t bottom = 0;
    };

    static constexpr const char* kCompany = "Morvik";
    static constexpr const char* kApplication = "Tolvane";
    static constexpr const char* kDefaultHelpFileName = "Vurivivu.hlp";
    static constexpr const char* kWriteFailedText = "Could not write to registry.";
    static constexpr const char* kWriteFailedCaption = "Error";
    static constexpr int kDisplayBytes = 16;

    // iniPath empty: the user's own store. Otherwise an INI file at that path (tests, portable
    // installs). programDir is where the default MIDI help file is looked for; empty means the
    // executable's directory.
    explicit Settings(const QString& iniPath = QString(), const QString& programDir = QString());
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    // Reads group "Settings" in its load order, applying defaults and corrections.
    void Load();
    // Writes group "Settings" in its write order. When the first value cannot be written, tells
    // the user "Could not write to registry." and writes nothing more. False on any failure.
    bool Save(Prompter& prompter);

    void LoadRecentFiles();
    bool SaveRecentFiles();
    void LoadRecentBackgrounds();
    bool SaveRecentBackgrounds();
    RecentList& RecentFiles() { return m_recentFiles; }
    const RecentList& RecentFiles() const { return m_recentFiles; }
    RecentList& RecentBackgrounds() { return m_recentBackgrounds; }
    const RecentList& RecentBackgrounds() const { return m_recentBackgrounds; }

    // Set when no "MIDI Channel" was stored: the preferences open at the end of start-up.
    bool IsFirstRun() const { return m_firstRun; }

    // The corrections applied on load and when the preferences are accepted.
    static bool IsOfferedBufferSize(int bytes);
    static int NormalisedBufferSize(int bytes);
    static int NormalisedDelay(int milliseconds);
    // "Display" bytes: at most 16 are taken; a shorter value fills only the leading fields.
    static WindowRect DecodeDisplay(const QByteArray& bytes);
    static QByteArray EncodeDisplay(const WindowRect& rect);

    int MidiChannel() const { return m_midiChannel; }
    void SetMidiChannel(int channel) { m_midiChannel = static_cast<uint8_t>(channel); }
    // Device indices of the port layer's enumeration; -1 means none chosen (as output: the
    // system's default device).
    int MidiInputDevice() const { return m_midiInputDevice; }
    void SetMidiInputDevice(int index) { m_midiInputDevice = index; }
    int MidiOutputDevice() const { return m_midiOutputDevice; }
    void SetMidiOutputDevice(int index) { m_midiOutputDevice = index; }
    // The chosen ports by name, which wins over the index when present: an index moves whenever
    // another port appears. Empty in stores written before names were kept.
    QString MidiInputDeviceName() const { return m_midiInputDeviceName; }
    void SetMidiInputDeviceName(const QString& name) { m_midiInputDeviceName = name; }
    QString MidiOutputDeviceName() const { return m_midiOutputDeviceName; }
    void SetMidiOutputDeviceName(const QString& name) { m_midiOutputDeviceName = name; }
    // Which of the ports listed under that name (0: the first), for ports of the same name.
    int MidiInputDeviceNameIndex() const { return m_midiInputDeviceNameIndex; }
    void SetMidiInputDeviceNameIndex(int index) { m_midiInputDeviceNameIndex = NormalisedNameIndex(index); }
    int MidiOutputDeviceNameIndex() const { return m_midiOutputDeviceNameIndex; }
    void SetMidiOutputDeviceNameIndex(int index) { m_midiOutputDeviceNameIndex = NormalisedNameIndex(index); }
    static int NormalisedNameIndex(int index);
    const QString& Background() const { return m_background; }
    void SetBackground(const QString& path) { m_background = path; }
    bool HexShowAscii() const { return m_hexShowAscii; }
    void SetHexShowAscii(bool on) { m_hexShowAscii = on; }
    bool HexShowOffset() const { return m_hexShowOffset; }
    void SetHexShowOffset(bool on) { m_hexShowOffset = on; }
    bool PromptBeforeDownload() const { return m_promptBeforeDownload; }
    void SetPromptBeforeDownload(bool on) { m_promptBeforeDownload = on; }
    bool HideBlanks() const { return m_hideBlanks; }
    void SetHideBlanks(bool on) { m_hideBlanks = on; }
    bool DeletePrompt() const { return m_deletePrompt; }
    void SetDeletePrompt(bool on) { m_deletePrompt = on; }
    bool ReloadLastFile() const { return m_reloadLastFile; }
    void SetReloadLastFile(bool on) { m_reloadLastFile = on; }
    bool ConfigEditPrompt() const { return m_configEditPrompt; }
    void SetConfigEditPrompt(bool on) { m_configEditPrompt = on; }
    bool ExportMixedCase() const { return m_exportMixedCase; }
    void SetExportMixedCase(bool on) { m_exportMixedCase = on; }
    bool ExportTabDelimited() const { return m_exportTabDelimited; }
    void SetExportTabDelimited(bool on) { m_exportTabDelimited = on; }
    bool RecycleFiles() const { return m_recycleFiles; }
    void SetRecycleFiles(bool on) { m_recycleFiles = on; }
    bool DisplayMidiStringComments() const { return m_displayMidiStringComments; }
    void SetDisplayMidiStringComments(bool on) { m_displayMidiStringComments = on; }
    int DelayBetweenBuffers() const { return m_delayBetweenBuffers; }
    void SetDelayBetweenBuffers(int ms) { m_delayBetweenBuffers = NormalisedDelay(ms); }
    int BufferSize() const { return m_bufferSize; }
    void SetBufferSize(int bytes) { m_bufferSize = NormalisedBufferSize(bytes); }
    const WindowRect& Display() const { return m_display; }
    void SetDisplay(const WindowRect& rect) { m_display = rect; }
    const QString& MidiHelpFile() const { return m_midiHelpFile; }
    void SetMidiHelpFile(const QString& path) { m_midiHelpFile = path; }
    const QString& MidiHelpKeyword() const { return m_midiHelpKeyword; }
    void SetMidiHelpKeyword(const QString& keyword) { m_midiHelpKeyword = keyword; }
    // A copy of every download in the backup folder, and how many copies are kept (1-9999).
    bool KeepDownloadBackups() const { return m_keepDownloadBackups; }
    void SetKeepDownloadBackups(bool on) { m_keepDownloadBackups = on; }
    int BackupsToKeep() const { return m_backupsToKeep; }
    void SetBackupsToKeep(int count) { m_backupsToKeep = NormalisedBackupsToKeep(count); }
    static int NormalisedBackupsToKeep(int count);

    // The folder of the file last opened or saved: where the file dialogs start.
    const QString& LastFolder() const { return m_lastFolder; }
    void SetLastFolder(const QString& folder) { m_lastFolder = folder; }

    // Read from the store, never written back.
    const QString& Hostname() const { return m_hostname; }
    const QString& VersionFile() const { return m_versionFile; }
    const QString& DownloadUrl() const { return m_downloadUrl; }

    // Built-in values for the about box and the update check.
    QString VersionText() const;
    QString WebsiteAddress() const;
    QString MailLink() const;

    // What a transfer reads, in the form the transfer engines take.
    TransferSettings Transfer() const;

private:
    std::unique_ptr<QSettings> OpenStore() const;

    QString m_iniPath;
    QString m_programDir;
    RecentList m_recentFiles;
    RecentList m_recentBackgrounds;
    bool m_firstRun = false;

    uint8_t m_midiChannel = 1;
    int m_midiInputDevice = 0;
    int m_midiOutputDevice = 0;
    QString m_midiInputDeviceName;
    QString m_midiOutputDeviceName;
    int m_midiInputDeviceNameIndex = 0;
    int m_midiOutputDeviceNameIndex = 0;
    QString m_background;
    bool m_hexShowAscii = true;
    bool m_hexShowOffset = true;
    bool m_promptBeforeDownload = true;
    bool m_hideBlanks = false;
    bool m_deletePrompt = true;
    bool m_reloadLastFile = true;
    QString m_versionFile;
    QString m_hostname;
    bool m_configEditPrompt = true;
    bool m_exportMixedCase = false;
    bool m_exportTabDelimited = false;
    bool m_recycleFiles = false;
    bool m_displayMidiStringComments = true;
    int m_delayBetweenBuffers = 60;
    int m_bufferSize = 256;
    WindowRect m_display;
    QString m_midiHelpFile;
    QString m_midiHelpKeyword;
    QString m_downloadUrl;
    QString m_lastFolder;
    bool m_keepDownloadBackups = true;
    int m_backupsToKeep = 50;
};
