#include "views/SetsPage.h"

#include "dump/BankRecord.h"
#include "dump/Encoding.h"
#include "dump/EntryNames.h"
#include "dump/SystemDoc.h"
#include "editors/BankEdit.h"
#include "editors/SetEditDlg.h"
#include "views/RecordClipboard.h"
#include "widgets/EditStep.h"
#include "widgets/ListCtrlExt.h"
#include "widgets/ShellServices.h"
#include "widgets/TreeCtrlExt.h"
#include "widgets/WaitCursor.h"
#include "widgets/WidgetKit.h"

#include <QApplication>
#include <QSignalBlocker>
#include <QSplitter>
#include <QVBoxLayout>

SetsPage::SetsPage(SystemDoc& doc, ShellServices& shell, QWidget* parent) : SheetPage(doc, shell, parent) {
    setObjectName(QStringLiteral("setsPage"));
}

QString SetsPage::tabText() const {
    return QStringLiteral("Sets");
}

bool SetsPage::ignoresHint(int hint) const {
    return hint == HintPatches || hint == HintConfig;
}

void SetsPage::createControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("setsSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_tree = new TreeCtrlExt(m_splitter);
    m_tree->setObjectName(QStringLiteral("setTree"));
    m_tree->setAccessibleName(QStringLiteral("Sets"));
    m_tree->setProperty("controlId", 201);
    m_tree->setMinimumWidth(10);
    m_list = new ListCtrlExt(m_splitter);
    m_list->setObjectName(QStringLiteral("setBankList"));
    m_list->setAccessibleName(QStringLiteral("Banks of the set"));
    m_list->setProperty("controlId", 202);
    m_list->setMinimumWidth(10);
    m_splitter->addWidget(m_tree);
    m_splitter->addWidget(m_list);
    m_splitter->setSizes({200, 200});
    layout->addWidget(m_splitter);
    m_splitter->show();

    connect(m_tree, &TreeCtrlExt::selectionNotify, this, [this](int n) {
        ShowSet(n);
        emit commandStatesChanged();
    });
    connect(m_tree, &TreeCtrlExt::dblClickNotify, this, &SetsPage::openSet);
    connect(m_tree, &TreeCtrlExt::keyNotify, this, [this](int key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            openSet();
    });
    connect(m_list, &ListCtrlExt::activateNotify, this, &SetsPage::openBank);
    const auto menu = [this](const QPoint& pos) { shell().showContextMenu(pos, ShellServices::MenuData); };
    connect(m_tree, &TreeCtrlExt::contextMenuNotify, this, menu);
    connect(m_list, &ListCtrlExt::contextMenuNotify, this, menu);
}

QString SetsPage::rootText() const {
    return QString::fromStdString(doc().GetTitle()) + QStringLiteral(" RIV 10 Sets");
}

void SetsPage::rebuild(int hint) {
    (void)hint;
    if (!m_tree)
        createControls();
    const int remembered = selectedSet();
    QTreeWidgetItem* root = m_tree->topLevelItem(0);
    if (!root || !updatesInPlace()) {
        rebuildTree();
    } else {
        // The five sets are always there: only the title can change, and the selection stays
        // on a set, as a refill leaves it.
        const QSignalBlocker block(m_tree);
        if (root->text(0) != rootText())
            root->setText(0, rootText());
        root->setExpanded(true);
        if (remembered > 0)
            m_tree->scrollToItem(m_tree->selectedItem());
        else if (m_tree->currentItem() || m_tree->selectedItem())
            m_tree->setCurrentItem(nullptr);
    }
    ShowSet(remembered);
    m_list->AutoSizeColumns();
    emit commandStatesChanged();
}

void SetsPage::rebuildTree() {
    WaitCursor wait;
    const int remembered = selectedSet();
    const QSignalBlocker block(m_tree);
    m_tree->setUpdatesEnabled(false);
    m_tree->clear();
    QTreeWidgetItem* root = m_tree->addItem(nullptr, rootText(), 0);
    root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    QTreeWidgetItem* reselect = nullptr;
    for (int n = 1; n <= SystemDoc::kSets; ++n) {
        QTreeWidgetItem* item = m_tree->addItem(root, QStringLiteral("Set %1").arg(n), n);
        if (n == remembered)
            reselect = item;
    }
    root->setExpanded(true);
    if (reselect) {
        m_tree->setCurrentItem(reselect);
        m_tree->scrollToItem(reselect);
    }
    m_tree->setUpdatesEnabled(true);
}

void SetsPage::ShowSet(int n) {
    if (!m_list)
        return;
    QList<QStringList> rows;
    QList<int> banks;
    const RecordSlot* set = n > 0 ? doc().PeekSet(n) : nullptr;
    const uint8_t* data = set ? set->Data() : nullptr;
    const int length = set && set->IsPresent() ? set->Length() : 0;
    if (length > 0) {
        // Only the entries that lie inside the record, whatever its count says.
        const int count = ReadWordQuadAt(data, length, 0, 0);
        for (int i = 0; i < count; ++i) {
            const int b = ReadBytePairAt(data, length, 4 + 2 * i);
            if (b < 0)
                break;
            const QString name = QString::fromStdString(BankEntryName(doc(), b));
            rows.push_back({QString::asprintf("%02d", b), name});
            banks.push_back(b);
        }
        if (rows.isEmpty()) {
            rows.push_back({QStringLiteral(" "), QStringLiteral("Empty Set")});
            banks.push_back(0);
        }
    }
    m_list->setRows(rows, banks);
}

int SetsPage::selectedSet() const {
    return m_tree ? m_tree->selectedData() : 0;
}

bool SetsPage::selectSet(int n) {
    if (!m_tree || !m_tree->topLevelItem(0))
        return false;
    QTreeWidgetItem* root = m_tree->topLevelItem(0);
    if (n == 0) {
        m_tree->setCurrentItem(root);
        return true;
    }
    if (n < 1 || n > root->childCount())
        return false;
    m_tree->setCurrentItem(root->child(n - 1));
    return true;
}

bool SetsPage::treeFocused() const {
    return WidgetKit::HoldsFocus(m_tree);
}

void SetsPage::openSet() {
    const int n = selectedSet();
    if (n < 1 || n > SystemDoc::kSets || !doc().PeekSet(n)->IsPresent()) {
        QApplication::beep();
        return;
    }
    RecordSlot record = doc().GetSet(n);
    record.SetNumber(n);
    EditStep step(shell(), doc());
    SetEditDlg dialog(record, doc(), shell(), this);
    WidgetKit::ExecModal(dialog);
    step.commit(QStringLiteral("Edit Set %1").arg(n), HintSets, n);
}

void SetsPage::openBank() {
    const int b = m_list ? m_list->selectedData() : -1;
    if (b < 0) {
        QApplication::beep();
        return;
    }
    EditStep step(shell(), doc());
    const bool created = !doc().HasBank(b);
    if (created && !doc().InsertBank(b, false)) {
        QApplication::beep();
        return;
    }
    BankEdit dialog(doc().GetBank(b), doc(), shell(), this);
    WidgetKit::ExecModal(dialog);
    step.commit((created ? QStringLiteral("Insert Bank %1") : QStringLiteral("Edit Bank %1")).arg(b),
                HintBanks, b);
}

void SetsPage::copy() {
    const int n = selectedSet();
    const RecordSlot* set = n >= 1 ? doc().PeekSet(n) : nullptr;
    if (!set || !set->IsPresent() || !RecordClipboard::write(RecordClipboard::Kind::Set, *set))
        QApplication::beep();
}

void SetsPage::paste() {
    const int n = selectedSet();
    RecordSlot record = RecordClipboard::read(RecordClipboard::Kind::Set);
    if (!record.IsPresent())
        return;
    const RecordSlot* old = n >= 1 ? doc().PeekSet(n) : nullptr;
    if (old && !replacementFits(old, record, SystemDoc::kEmptySetLength)) {
        QApplication::beep();
        return;
    }
    record.SetNumber(n);
    EditStep step(shell(), doc());
    doc().ReplaceSet(n, record); // the model refuses numbers outside 1-5
    step.commit(QStringLiteral("Paste Set %1").arg(n), HintSets, n);
}

bool SetsPage::handleCommand(EditCommand command) {
    if (!treeFocused())
        return false;
    if (command == EditCommand::Copy) {
        copy();
        return true;
    }
    if (command == EditCommand::Paste) {
        paste();
        return true;
    }
    return false;
}

bool SetsPage::commandState(EditCommand command, bool& enabled) const {
    if (!treeFocused())
        return false;
    const int n = selectedSet();
    if (command == EditCommand::Copy) {
        const RecordSlot* set = n >= 1 ? doc().PeekSet(n) : nullptr;
        enabled = set && set->IsPresent();
        return true;
    }
    if (command == EditCommand::Paste) {
        enabled = n > 0;
        return true;
    }
    return false;
}

bool SetsPage::tabCycle(bool forward) {
    if (!m_tree)
        return false;
    return cycleFocus({m_tree, m_list}, forward);
}
