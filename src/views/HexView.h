#pragma once

#include "dump/DocListener.h"
#include "views/HexFrameMetrics.h"

#include <QList>
#include <QPlainTextEdit>
#include <QPointer>

#include <string>

class HexViewSettings;
class QAction;
class QMenu;

// The read-only hex listing of a document's complete dump image, optionally with offsets and a
// character column. It re-renders on every change notification of its document and never writes
// to it, so the modified flag stays as it was. It re-renders too when its settings change, so a
// flip from any view reaches every view, whatever their document.
//
// User-interface thread only. The document and the settings must outlive the view.
class HexView : public QPlainTextEdit, public DocListener {
    Q_OBJECT
public:
    HexView(ZIVBackupDoc& doc, HexViewSettings& settings, QWidget* parent = nullptr);
    ~HexView() override;

    // Appended to the child frame's title.
    static QString titleSuffix();
    // The rendered listing as widget text: bytes as Latin-1 characters, CR LF as line breaks.
    static QString displayText(const std::string& rendered);

    ZIVBackupDoc& doc() const { return *m_doc; }

    // Rebuilds the text and, when a sizing frame is set, resizes it.
    void updateView();
    void OnUpdate(ZIVBackupDoc& doc, DocListener* sender, int hint) override;

    // The window each update resizes (the MDI child frame), or null; sizes it at once and again
    // when it joins its client area, whose height limits it.
    void setSizingFrame(QWidget* frame);
    QWidget* sizingFrame() const { return m_frame; }
    // What the frame size depends on, measured now for `frame`.
    HexFrameMetrics frameMetrics(const QWidget* frame) const;
    // Resizes `frame` to the lines of this view, keeping its top-left corner; a maximised or
    // minimised frame keeps its size.
    void applyFrameSize(QWidget* frame) const;

    QAction* copyAction() const { return m_copy; }
    QAction* selectAllAction() const { return m_selectAll; }
    QAction* showAsciiAction() const { return m_showAscii; }
    QAction* showOffsetAction() const { return m_showOffset; }
    // Actions the owner handles (upload, close), shown after the view's own in the context menu.
    void setExtraContextActions(const QList<QAction*>& actions) { m_extraActions = actions; }
    // Check marks and enable states from the settings and the selection.
    void updateActionStates();
    // The context menu with current states; the caller owns it.
    QMenu* createContextMenu(QWidget* parent);

signals:
    // A setting was flipped from this view's menu (all views are already re-rendered).
    void hexSettingsChanged();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();

    ZIVBackupDoc* m_doc;
    HexViewSettings* m_settings;
    QPointer<QWidget> m_frame;
    QAction* m_copy = nullptr;
    QAction* m_selectAll = nullptr;
    QAction* m_showAscii = nullptr;
    QAction* m_showOffset = nullptr;
    QList<QAction*> m_extraActions;
};
