#pragma once

#include "dump/SystemDoc.h"

#include <memory>
#include <string>

class FileOps;
class Prompter;

enum class OpenResult { Opened, Aborted, ReadFailed };
enum class SaveResult { Saved, Cancelled, Failed };

// What an open found: the check's code before any repair, whether the transmit length was
// repaired, and then the model as the file holds it, so that the repair can become a step of its
// own; and the reason a read failed.
struct OpenDetails {
    int checkCode = 0;
    bool repaired = false;
    std::unique_ptr<SystemDoc::State> asStored; // only when repaired
    std::string error;
};

// Opening a .syx file into a freshly constructed document: reads at most 65,520 bytes, parses,
// checks, offers the repair for a wrong transmit length and asks "Abort?" for any other error.
// With `ask` off no question is asked and the data opens as parsed. On Aborted and ReadFailed the
// caller discards the document and reports the failure; `error` receives the reason of a
// failed read. `checkCode` receives the integrity code found before any repair.
OpenResult OpenDumpFile(SystemDoc& doc, const std::string& path, FileOps& files, Prompter& prompter, bool ask,
                        OpenDetails& details);
OpenResult OpenDumpFile(SystemDoc& doc, const std::string& path, FileOps& files, Prompter& prompter,
                        bool ask = true, int* checkCode = nullptr, std::string* error = nullptr);

// Saving: a dump larger than the device holds fails at once (`error` says why); then the
// integrity prompt, the optional move of the previous file to the trash, then the
// atomic write. On Saved the document records the path and is no longer modified.
SaveResult SaveDumpFile(SystemDoc& doc, const std::string& path, FileOps& files, Prompter& prompter,
                        bool recycleFiles, std::string* error = nullptr);
