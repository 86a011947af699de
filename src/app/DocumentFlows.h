#pragma once

#include "dump/DumpFileFlow.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <vector>

struct AppSeams;
class CChildFrame;
class DocumentSession;
class FileOps;
class Prompter;
class SessionList;
class Settings;

// The life of a document as the commands see it: new, open, open a copy, take a received dump,
// save, offer to save, close, close all; and the questions those ask (the integrity prompts of the
// model, "Save changes to ...?", an unfinished configuration edit). Each returns what became of
// the document, and names what it wrote through statusMessage().
//
// User-interface thread only.
class DocumentFlows : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kOpenFailedText = "Failed to open document.";
    static constexpr const char* kSaveFailedText = "Failed to save document.";
    static constexpr const char* kApplyConfigText = "Apply the changes to the system configuration?";

    DocumentFlows(SessionList& sessions, Settings& settings, Prompter& prompter, FileOps& files,
                  AppSeams& seams, QObject* parent = nullptr);

    // An untitled empty dump in a new data window.
    DocumentSession* New();
    // Opens a file (or brings forward the window already showing it); null when nothing opened,
    // the reason shown.
    DocumentSession* Open(const QString& path);
    // Opens a file as an untitled copy titled `title`: Save asks for a place, so the file itself
    // is never written.
    DocumentSession* OpenCopy(const QString& path, const QString& title);
    // A received dump becomes a new, untitled document that no file holds yet.
    DocumentSession* OpenReceived(const std::vector<uint8_t>& bytes);

    // Save (saveAs false; an untitled document asks for a name) and Save As. True when written.
    bool Save(DocumentSession& session, bool saveAs);
    // Offers to save a modified document: false when the user cancels or the save fails.
    bool SaveModified(DocumentSession& session);
    // Closes every window of the document; with `ask`, a modified one is offered for saving first.
    bool Close(DocumentSession& session, bool ask);
    // Every document; with `ask`, each modified one is offered for saving before any window goes.
    bool CloseAll(bool ask);
    // A configuration page still being edited in a window of the document is asked about: Yes
    // applies it (false when its checks fail), No discards it, Cancel stops the command (false).
    bool FinishConfigEdits(const DocumentSession& session);
    // The close guard of every window: its unfinished edit, and saving when it is the last one.
    bool MayCloseWindow(CChildFrame& frame);

    void AddToRecentFiles(const QString& path);

signals:
    // A text for the status bar: what was written, and where.
    void statusMessage(const QString& text);
    // The recent-file list changed.
    void recentFilesChanged();

private:
    DocumentSession* OpenFile(const QString& absolutePath, bool keepPath, OpenResult& result);
    bool FinishConfigEdit(CChildFrame& frame);
    void ShowOpenFailure(const std::string& error);

    SessionList& m_sessions;
    Settings& m_settings;
    Prompter& m_prompter;
    FileOps& m_files;
    AppSeams& m_seams;
};
