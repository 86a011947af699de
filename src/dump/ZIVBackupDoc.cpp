#include "dump/ZIVBackupDoc.h"

#include "dump/DocListener.h"

#include <algorithm>

void ZIVBackupDoc::SetModifiedFlag(bool modified) {
    const bool changed = modified != m_modified;
    m_modified = modified;
    if (!changed)
        return;
    // A listener may detach itself while being told.
    const std::vector<DocListener*> listeners = m_listeners;
    for (DocListener* listener : listeners)
        if (std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end())
            listener->OnModifiedChanged(*this);
}

bool ZIVBackupDoc::OnNewDocument() {
    m_pathName.clear();
    return true;
}

void ZIVBackupDoc::SetPathName(const std::string& path) {
    m_pathName = path;
    const size_t slash = path.find_last_of("/\\");
    SetTitle(slash == std::string::npos ? path : path.substr(slash + 1));
}

void ZIVBackupDoc::SetTitle(const std::string& title) {
    m_title = title;
}

void ZIVBackupDoc::AddListener(DocListener* listener) {
    if (listener && std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
        m_listeners.push_back(listener);
}

void ZIVBackupDoc::RemoveListener(DocListener* listener) {
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

void ZIVBackupDoc::UpdateAllViews(DocListener* sender, int hint) {
    const std::vector<DocListener*> listeners = m_listeners;
    for (DocListener* listener : listeners)
        if (std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end())
            listener->OnUpdate(*this, sender, hint);
}
