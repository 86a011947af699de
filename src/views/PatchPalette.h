#pragma once

#include <QListWidget>

#include <vector>

class PedalboardView;
class QMimeData;
class SystemDoc;

// Beside the banks of the pedalboard: every existing patch as "%03d NAME", in number order, to
// drag onto a pedal (or copy with Ctrl+C and paste onto one). The board's find field narrows it
// to the patches whose number or name holds a text.
class PatchPalette : public QListWidget {
    Q_OBJECT
public:
    explicit PatchPalette(PedalboardView& board, QWidget* parent = nullptr);

    // Brings the entries in line with the document's patches. With `changed` (indexed by patch
    // number, 0-500) only the patches marked there are looked at.
    void sync(const SystemDoc& doc, const std::vector<bool>* changed = nullptr);
    // Shows only the entries whose "%03d" number or name holds `text`, ignoring case (all of
    // them for an empty text).
    void setFilter(const QString& text);
    QString filter() const { return m_filter; }

    // The entry of patch n, or null.
    QListWidgetItem* itemOf(int patch) const;
    static int patchOf(const QListWidgetItem* item);
    // What a drag of the entry carries (the caller owns it).
    QMimeData* dragData(const QListWidgetItem* item) const;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;

private:
    void setEntry(QListWidgetItem* item, int patch, const QString& name);
    bool matches(const QListWidgetItem* item) const;

    PedalboardView& m_board;
    QString m_filter;
};
