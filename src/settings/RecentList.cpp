#include "settings/RecentList.h"

#include <QSettings>

#include <utility>

namespace {

// Paths name the same file regardless of case only where the file system says so.
constexpr Qt::CaseSensitivity kPathCase =
#ifdef Q_OS_WIN
    Qt::CaseInsensitive;
#else
    Qt::CaseSensitive;
#endif

QString SlotName(int index) {
    return QStringLiteral("File%1").arg(index + 1);
}

} // namespace

RecentList::RecentList(QString section, int capacity)
    : m_section(std::move(section)), m_capacity(capacity > 0 ? capacity : 1) {}

QString RecentList::First() const {
    return m_entries.isEmpty() ? QString() : m_entries.front();
}

int RecentList::IndexOf(const QString& path) const {
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].compare(path, kPathCase) == 0)
            return i;
    }
    return -1;
}

void RecentList::Add(const QString& path) {
    if (path.isEmpty())
        return;
    const int old = IndexOf(path);
    if (old >= 0)
        m_entries.removeAt(old);
    m_entries.prepend(path);
    while (m_entries.size() > m_capacity)
        m_entries.removeLast();
}

bool RecentList::Remove(const QString& path) {
    const int index = IndexOf(path);
    if (index < 0)
        return false;
    m_entries.removeAt(index);
    return true;
}

void RecentList::RemoveAt(int index) {
    if (index >= 0 && index < m_entries.size())
        m_entries.removeAt(index);
}

void RecentList::Load(QSettings& store) {
    m_entries.clear();
    store.beginGroup(m_section);
    for (int i = 0; i < m_capacity; ++i) {
        const QString path = store.value(SlotName(i)).toString();
        if (!path.isEmpty() && IndexOf(path) < 0)
            m_entries.append(path);
    }
    store.endGroup();
}

void RecentList::Save(QSettings& store) const {
    store.beginGroup(m_section);
    for (int i = 0; i < m_capacity; ++i) {
        if (i < m_entries.size())
            store.setValue(SlotName(i), m_entries[i]);
        else
            store.remove(SlotName(i));
    }
    store.endGroup();
}
