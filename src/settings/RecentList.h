#pragma once

#include <QString>
#include <QStringList>

class QSettings;

// A most-recent-first list of paths kept in one settings group as "File1", "File2", ...: the
// recent documents and the recent background bitmaps. A path appears at most once.
class RecentList {
public:
    static constexpr int kDefaultCapacity = 10;

    explicit RecentList(QString section, int capacity = kDefaultCapacity);

    const QString& Section() const { return m_section; }
    int Capacity() const { return m_capacity; }
    const QStringList& Entries() const { return m_entries; }
    bool IsEmpty() const { return m_entries.isEmpty(); }
    // The most recent entry, or an empty string.
    QString First() const;

    // Puts the path in front, drops an older copy of it and the entries beyond the capacity.
    // An empty path changes nothing.
    void Add(const QString& path);
    // False when the path is not in the list.
    bool Remove(const QString& path);
    // Out-of-range indices change nothing.
    void RemoveAt(int index);
    void Clear() { m_entries.clear(); }

    // Reads the group; empty and repeated values are skipped.
    void Load(QSettings& store);
    // Writes every slot of the group: entries, then removals of the slots left over.
    void Save(QSettings& store) const;

private:
    int IndexOf(const QString& path) const;

    QString m_section;
    int m_capacity;
    QStringList m_entries;
};
