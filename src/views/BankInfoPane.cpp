#include "views/BankInfoPane.h"

#include "dump/BankRecord.h"
#include "dump/EntryNames.h"
#include "dump/PatchRecord.h"
#include "dump/SystemDoc.h"
#include "editors/PatchEditDlg.h"
#include "widgets/EditStep.h"
#include "widgets/ListCtrlExt.h"
#include "widgets/ShellServices.h"
#include "widgets/WidgetKit.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QLineEdit* MakeField(QWidget* parent, const char* objectName, int id, bool rightAligned) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(objectName));
    WidgetKit::MakeReadOnly(edit);
    edit->setFocusPolicy(Qt::StrongFocus);
    edit->setProperty("controlId", id);
    if (rightAligned)
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return edit;
}

QLabel* MakeLabel(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    buddy->setAccessibleName(text);
    return label;
}

} // namespace

BankInfoPane::BankInfoPane(SystemDoc& doc, ShellServices& shell, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_shell(shell) {
    setObjectName(QStringLiteral("bankInfoPane"));
    m_number = MakeField(this, "bankNumber", 202, true);
    m_name = MakeField(this, "bankName", 203, false);
    m_seqLength = MakeField(this, "sequenceLength", 206, true);
    m_seqMode = new QCheckBox(QStringLiteral("Sequence Mode"), this);
    m_seqMode->setObjectName(QStringLiteral("sequenceMode"));
    m_seqMode->setAccessibleName(QStringLiteral("Sequence Mode"));
    m_seqMode->setEnabled(false); // display only
    m_seqMode->setProperty("controlId", 205);
    m_list = new ListCtrlExt(this);
    m_list->setObjectName(QStringLiteral("bankPatchList"));
    m_list->setProperty("controlId", 207);
    m_list->setHeaderLabels({QStringLiteral("Pedal"), QStringLiteral("Num"), QStringLiteral("Name")});

    m_number->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
    m_seqLength->setMaximumWidth(m_number->maximumWidth());
    m_name->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMMMMMMMMM")) / 2 + 40);

    auto* grid = new QGridLayout;
    grid->addWidget(MakeLabel(this, QStringLiteral("Bank Number"), m_number), 0, 0);
    grid->addWidget(MakeLabel(this, QStringLiteral("Bank Name"), m_name), 0, 1);
    grid->addWidget(m_number, 1, 0, Qt::AlignLeft);
    grid->addWidget(m_name, 1, 1);
    grid->addWidget(MakeLabel(this, QStringLiteral("Sequence Length"), m_seqLength), 2, 1);
    grid->addWidget(m_seqMode, 3, 0);
    grid->addWidget(m_seqLength, 3, 1, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* listLabel = MakeLabel(this, QStringLiteral("Bank patch list"), m_list);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 0, 0);
    layout->addLayout(grid);
    layout->addSpacing(4);
    layout->addWidget(listLabel);
    layout->addWidget(line);
    layout->addWidget(m_list, 1);

    connect(m_list, &ListCtrlExt::dblClickNotify, this, &BankInfoPane::openPatch);
    connect(m_list, &ListCtrlExt::contextMenuNotify, this,
            [this](const QPoint& pos) { m_shell.showContextMenu(pos, ShellServices::MenuData); });
    m_list->AutoSizeColumns();
}

QString BankInfoPane::PatchEntryName(const SystemDoc& doc, int p) {
    return QString::fromStdString(::PatchEntryName(doc, p));
}

bool BankInfoPane::ShowBank(const RecordSlot& record) {
    m_bank = record;
    if (!record.IsPresent()) {
        m_number->clear();
        m_name->clear();
        m_seqLength->clear();
        m_seqMode->setChecked(false);
        m_list->setRows({}, {});
        return false;
    }
    const BankRecord bank(m_bank);
    m_number->setText(QString::asprintf("%d", bank.Number()));
    m_name->setText(QString::fromStdString(bank.Name()));
    const int mode = bank.SequenceMode();
    const bool sequence = mode != 0;
    m_seqMode->setChecked(sequence);
    m_seqLength->setText(QString::asprintf("%d", sequence ? bank.SequenceLength() : 0));

    // Only the entries that lie inside the record are listed, whatever its length field says.
    const int count = bank.ActiveCount();
    QList<QStringList> rows;
    QList<int> patches;
    for (int i = 0; i < count; ++i) {
        const int p = bank.ActiveEntry(i);
        if (p < 0)
            break;
        const QString pedal =
            sequence ? QString::asprintf("Step %d", i + 1) : QString(QLatin1Char("ABCDEFGHI"[i]));
        rows.push_back({pedal, QString::asprintf("%03d", p), PatchEntryName(m_doc, p)});
        patches.push_back(p);
    }
    m_list->setRows(rows, patches);
    m_list->AutoSizeColumns(); // "Step 12" is wider than the "Pedal" label
    return true;
}

void BankInfoPane::openPatch() {
    const int p = m_list->selectedData();
    if (p < 0)
        return;
    EditStep step(m_shell, m_doc);
    const bool created = !m_doc.HasPatch(p);
    if (created && !m_doc.InsertPatch(p, false)) {
        QApplication::beep();
        return;
    }
    PatchEditDlg dialog(m_doc.GetPatch(p), m_doc, m_shell, this);
    WidgetKit::ExecModal(dialog);
    step.commit((created ? QStringLiteral("Insert Patch %1") : QStringLiteral("Edit Patch %1")).arg(p),
                HintPatches, p);
}

void BankInfoPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_list->AutoSizeColumns();
}
