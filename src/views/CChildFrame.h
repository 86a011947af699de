#pragma once

#include <QMdiSubWindow>
#include <QPointer>
#include <QString>

class DocumentSession;

// The MDI child frame of every document window (data, hex, pedalboard). Its title is the
// document's title, the window number ":n" when the document has more than one window, the title
// suffix and "*" while the document is modified; it follows its session's signals for all four.
//
// The frame deletes itself when closed (Qt::WA_DeleteOnClose); as that deletion is deferred, an
// accepted close already leaves the session, so the others renumber at once. A close at the
// user's request asks the session's close guard first. User-interface thread only.
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit CChildFrame(DocumentSession& session, QWidget* parent = nullptr);
    ~CChildFrame() override;

    // The exact title text: title, ":number" when number > 0, suffix, "*" when modified.
    static QString composeTitle(const QString& docTitle, int number, const QString& suffix, bool modified);

    // Null once the session has gone (the frame is closing).
    DocumentSession* session() const;
    // 0 while the document has one window, else 1, 2, ... in creation order.
    int windowNumber() const;

    // Appended after the window number; the hex window sets " (Hex View)".
    const QString& titleSuffix() const { return m_suffix; }
    void setTitleSuffix(const QString& suffix);

    // The title as composed, before the escaping that keeps Qt from reading "[*]" in it.
    const QString& frameTitle() const { return m_title; }

    // Closes without asking the close guard.
    void closeWithoutAsking();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void updateFrameTitle();
    // Leaves the session, once only.
    void detach();

    QPointer<DocumentSession> m_session;
    QString m_suffix;
    QString m_title;
    bool m_attached = true;
    bool m_skipGuard = false;
};
