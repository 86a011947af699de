#include "views/PropSheetFormView.h"

#include "dump/SystemDoc.h"
#include "views/ZIVPropSheet.h"
#include "widgets/ShellServices.h"

#include <QApplication>
#include <QVBoxLayout>

PropSheetFormView::PropSheetFormView(SystemDoc& doc, ShellServices& shell, QWidget* parent)
    : QWidget(parent), m_doc(&doc), m_shell(&shell) {
    setObjectName(QStringLiteral("propSheetFormView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_doc->AddListener(this);
    connect(qApp, &QApplication::focusChanged, this, &PropSheetFormView::focusChanged);
}

PropSheetFormView::~PropSheetFormView() {
    // Deleting the children below moves the focus; this object must no longer hear of it.
    disconnect(qApp, &QApplication::focusChanged, this, &PropSheetFormView::focusChanged);
    blockSignals(true);
    m_doc->RemoveListener(this);
}

void PropSheetFormView::initialUpdate() {
    if (m_sheet)
        return;
    m_sheet = new ZIVPropSheet(*m_doc, *m_shell, this);
    layout()->addWidget(m_sheet);
    connect(m_sheet, &ZIVPropSheet::commandStatesChanged, this, &PropSheetFormView::commandStatesChanged);
    m_sheet->Refresh(nullptr, HintAll);
}

void PropSheetFormView::requestRefresh() {
    if (m_sheet)
        m_sheet->Refresh(nullptr, HintAll);
}

bool PropSheetFormView::isCommandEnabled(EditCommand command) const {
    return m_sheet && m_sheet->isCommandEnabled(command);
}

void PropSheetFormView::executeCommand(EditCommand command) {
    if (m_sheet)
        m_sheet->executeCommand(command);
}

void PropSheetFormView::openHexView() {
    m_shell->openHexView(m_doc);
}

void PropSheetFormView::OnUpdate(ZIVBackupDoc& doc, DocListener* sender, int hint) {
    (void)doc;
    if (m_sheet)
        m_sheet->Refresh(sender, hint);
}

void PropSheetFormView::focusChanged(QWidget* old, QWidget* now) {
    if ((old && isAncestorOf(old)) || (now && isAncestorOf(now)))
        emit commandStatesChanged();
}
