#pragma once

class ZIVBackupDoc;

// A view or frame that follows a document. Both calls come on the thread that changes the
// document (the user-interface thread).
class DocListener {
public:
    virtual ~DocListener() = default;
    // The modified flag changed (titles show "*").
    virtual void OnModifiedChanged(ZIVBackupDoc& doc) { (void)doc; }
    // The model changed; hint 0 anything, 1 patches, 2 banks, 3 sets, 4 configuration.
    virtual void OnUpdate(ZIVBackupDoc& doc, DocListener* sender, int hint) {
        (void)doc;
        (void)sender;
        (void)hint;
    }
};
