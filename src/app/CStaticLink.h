#pragma once

#include <QColor>
#include <QLabel>
#include <QString>
#include <QUrl>

#include <functional>

// A label that opens a web address or a mail link when clicked, or when Space or Enter is
// pressed while it has the focus. A text label is drawn underlined in blue, and purple once its
// target has been opened; a picture label keeps its look. User-interface thread only.
class CStaticLink : public QLabel {
    Q_OBJECT
public:
    // Opens a URL with the desktop's program for it; false when that failed.
    using Opener = std::function<bool(const QUrl&)>;

    static const QColor kUnvisited;
    static const QColor kVisited;

    explicit CStaticLink(const QString& text = QString(), QWidget* parent = nullptr);

    // An empty target means the label's own text.
    void SetTarget(const QString& target) { m_target = target; }
    const QString& Target() const { return m_target; }
    void SetOpener(Opener opener);

    bool IsVisited() const { return m_visited; }
    QColor TextColour() const { return m_visited ? kVisited : kUnvisited; }

    // What a target opens: a bare "www.host/page" becomes an http address; "mailto:" and other
    // addresses with a scheme stay as they are.
    static QUrl TargetUrl(const QString& target);

    // Opens the target, or the text when there is none; beeps when that fails.
    void Activate();

signals:
    void Opened(const QUrl& url);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ApplyColour();

    QString m_target;
    Opener m_opener;
    bool m_visited = false;
};
