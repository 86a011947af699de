#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class CChildFrame;
class DocumentSession;
class QMdiArea;
class QWidget;

// One kind of document window: the tabbed data window of a system dump, its hex listing or its
// pedalboard. Each shows a document session's dump; the template knows its names and file filter (from its
// resource string, seven fields separated by line breaks) and makes the child frame with its view.
class DocTemplate {
public:
    enum class Kind { SystemDump, HexDump, Pedalboard };
    // The fields of the resource string, in order.
    enum DocString {
        WindowTitle,
        DocName,
        FileNewName,
        FilterName,
        FilterExt,
        RegFileTypeId,
        RegFileTypeName
    };

    static constexpr const char* kSystemDumpString =
        "\nRIV 10 System Dump\nSystem Dump\nSystem Dumps (*.syx)\n.syx\nRIV 10.SystemDump\nRIV 10 Backup "
        "System Dump";
    static constexpr const char* kHexDumpString = "\nHex dump\nHex dump\n\n\n\n";
    static constexpr const char* kPedalboardString = "\nPedalboard\nPedalboard\n\n\n\n";

    // Makes the view of a new frame; the frame takes it as its widget.
    using ViewFactory = std::function<QWidget*(DocumentSession& session, CChildFrame& frame)>;

    DocTemplate(Kind kind, const QString& resourceString, ViewFactory factory);

    Kind kind() const { return m_kind; }
    QString docString(DocString index) const;
    // "System Dumps (*.syx)" as a file-dialog filter, or empty.
    QString fileFilter() const;
    // The title of the n-th untitled document: the document name and the number
    // ("RIV 10 System Dump1").
    QString untitledTitle(int n) const;

    // A new frame with its view in the MDI area, shown.
    CChildFrame* createFrame(DocumentSession& session, QMdiArea& area) const;

private:
    Kind m_kind;
    QStringList m_strings;
    ViewFactory m_factory;
};
