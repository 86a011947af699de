#pragma once

#include "dump/DocListener.h"

#include <QMdiSubWindow>
#include <QString>

#include <functional>
#include <vector>

// The MDI child frame of both document windows (data and hex). Its title is the document's
// title, the window number ":n" when the document has more than one frame, the title suffix and
// "*" while the document is modified. Every live frame is kept in one registry, in creation order,
// so the frames of a document can be renumbered whenever one of them comes or goes.
//
// The frame deletes itself when closed (Qt::WA_DeleteOnClose); as that deletion is deferred, an
// accepted close already leaves the registry and the document, so the others renumber at once.
// User-interface thread only. The document must outlive the frame.
class CChildFrame : public QMdiSubWindow, public DocListener {
    Q_OBJECT
public:
    explicit CChildFrame(ZIVBackupDoc& doc, QWidget* parent = nullptr);
    ~CChildFrame() override;

    // The exact title text: title, ":number" when number > 0, suffix, "*" when modified.
    static QString composeTitle(const QString& docTitle, int number, const QString& suffix, bool modified);

    // Every frame of `doc` takes its number and rebuilds its title; call it after the document's
    // title changed (save under a new name).
    static void updateFrameTitles(const ZIVBackupDoc& doc);
    // The live frames of `doc`, in creation order.
    static std::vector<CChildFrame*> framesOf(const ZIVBackupDoc& doc);

    ZIVBackupDoc& doc() const { return *m_doc; }
    // 0 while the document has one frame, else 1, 2, ... in creation order.
    int windowNumber() const { return m_number; }

    // Appended after the window number; the hex window sets " (Hex View)".
    const QString& titleSuffix() const { return m_suffix; }
    void setTitleSuffix(const QString& suffix);

    // The title as composed, before the escaping that keeps Qt from reading "[*]" in it.
    const QString& frameTitle() const { return m_title; }

    void OnModifiedChanged(ZIVBackupDoc& doc) override;

    // Asked before a frame closes at the user's request (its close box, Close); false keeps it
    // open. The owner uses it to offer saving when the last window of a modified document goes.
    using CloseGuard = std::function<bool(CChildFrame&)>;
    static void setCloseGuard(CloseGuard guard);
    // Closes without asking the guard.
    void closeWithoutAsking();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void updateFrameTitle();
    // Leaves the registry and the document's listeners and renumbers the frames left; once only.
    void detach();

    ZIVBackupDoc* m_doc;
    QString m_suffix;
    QString m_title;
    int m_number = 0;
    bool m_attached = true;
    bool m_skipGuard = false;
};
