#include "views/BanksPage.h"

#include "dump/BankRecord.h"
#include "dump/Encoding.h"
#include "dump/Prompter.h"
#include "dump/SystemDoc.h"
#include "editors/BankEdit.h"
#include "settings/Settings.h"
#include "views/BankInfoPane.h"
#include "views/RecordClipboard.h"
#include "widgets/EditStep.h"
#include "widgets/ListCtrlExt.h"
#include "widgets/ShellServices.h"
#include "widgets/TreeCtrlExt.h"
#include "widgets/WaitCursor.h"
#include "widgets/WidgetKit.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSplitter>
#include <QVBoxLayout>

BanksPage::BanksPage(SystemDoc& doc, ShellServices& shell, QWidget* parent) : SheetPage(doc, shell, parent) {
    setObjectName(QStringLiteral("banksPage"));
}

QString BanksPage::tabText() const {
    return QStringLiteral("Banks");
}

bool BanksPage::ignoresHint(int hint) const {
    return hint == HintSets || hint == HintConfig;
}

void BanksPage::createControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("banksSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_tree = new TreeCtrlExt(m_splitter);
    m_tree->setObjectName(QStringLiteral("bankTree"));
    m_tree->setAccessibleName(QStringLiteral("Banks"));
    m_tree->setProperty("controlId", 201);
    m_tree->setMinimumWidth(10);
    m_pane = new BankInfoPane(doc(), shell(), m_splitter);
    m_pane->setMinimumWidth(10);
    m_splitter->addWidget(m_tree);
    m_splitter->addWidget(m_pane);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({200, 200});
    layout->addWidget(m_splitter);
    m_splitter->show(); // at once, so the tree can take the focus below

    connect(m_tree, &TreeCtrlExt::selectionNotify, this, [this](int n) {
        m_pane->ShowBank(doc().GetBank(n));
        emit commandStatesChanged();
    });
    connect(m_tree, &TreeCtrlExt::dblClickNotify, this, &BanksPage::openEditor);
    connect(m_tree, &TreeCtrlExt::keyNotify, this, [this](int key, Qt::KeyboardModifiers mods) {
        if (key == Qt::Key_Delete || key == Qt::Key_Insert)
            dispatch(key == Qt::Key_Insert, (mods & Qt::ShiftModifier) != 0);
        else if (key == Qt::Key_Return || key == Qt::Key_Enter)
            openEditor();
    });
    connect(m_tree, &TreeCtrlExt::contextMenuNotify, this,
            [this](const QPoint& pos) { shell().showContextMenu(pos, ShellServices::MenuData); });
    m_tree->setFocus();
}

namespace {
const RecordSlot* PresentBank(const SystemDoc& doc, int n) {
    const RecordSlot* record = doc.PeekBank(n);
    return record && record->IsPresent() ? record : nullptr;
}

} // namespace

void BanksPage::rebuild(int hint) {
    (void)hint;
    if (!m_tree) {
        createControls();
        rebuildTree();
    } else if (!updatesInPlace() || shell().settings().HideBlanks() != m_shownHideBlanks) {
        rebuildTree();
    } else {
        updateTree();
    }
    emit commandStatesChanged();
}

QString BanksPage::rootText() const {
    return QString::fromStdString(doc().GetTitle()) + QStringLiteral(" RIV 10 Banks");
}

bool BanksPage::itemText(int n, QString& text) const {
    if (const RecordSlot* bank = PresentBank(doc(), n))
        text = QString::fromStdString(BankRecord(*bank).Name());
    else if (!m_shownHideBlanks)
        text = QStringLiteral("unused bank (%1)").arg(n);
    else
        return false;
    return true;
}

void BanksPage::rebuildTree() {
    WaitCursor wait;
    const int remembered = selectedBank();
    QTreeWidgetItem* reselect = nullptr;
    {
        const QSignalBlocker block(m_tree);
        m_tree->setUpdatesEnabled(false);
        m_tree->clear();
        m_items.fill(nullptr);
        QTreeWidgetItem* root = m_tree->addItem(nullptr, rootText(), 0);
        root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        m_shownHideBlanks = shell().settings().HideBlanks();
        QList<QTreeWidgetItem*> items;
        for (int n = 1; n <= SystemDoc::kBanks; ++n) {
            const RecordSlot* bank = PresentBank(doc(), n);
            m_shown[static_cast<size_t>(n)].CopyBytesOf(bank);
            QString text;
            if (!itemText(n, text))
                continue;
            auto* item = new QTreeWidgetItem({text});
            item->setData(0, Qt::UserRole, n);
            items.push_back(item);
            m_items[static_cast<size_t>(n)] = item;
            if (n == remembered && bank)
                reselect = item;
        }
        root->addChildren(items);
        root->setExpanded(true);
        if (reselect) {
            m_tree->setCurrentItem(reselect);
            m_tree->scrollToItem(reselect);
        }
        m_tree->setUpdatesEnabled(true);
    }
    m_pane->ShowBank(reselect ? doc().GetBank(remembered) : RecordSlot());
}

void BanksPage::updateTree() {
    const int remembered = selectedBank();
    {
        const QSignalBlocker block(m_tree);
        QTreeWidgetItem* root = m_tree->topLevelItem(0);
        const QString title = rootText();
        if (root->text(0) != title)
            root->setText(0, title);
        int position = 0; // where bank n's item stands under the root
        for (int n = 1; n <= SystemDoc::kBanks; ++n) {
            const size_t at = static_cast<size_t>(n);
            const RecordSlot* bank = PresentBank(doc(), n);
            QTreeWidgetItem*& item = m_items[at];
            if (!m_shown[at].SameBytesAs(bank)) {
                m_shown[at].CopyBytesOf(bank);
                QString text;
                if (!itemText(n, text)) {
                    delete item;
                    item = nullptr;
                } else if (item) {
                    item->setText(0, text);
                } else {
                    item = new QTreeWidgetItem({text});
                    item->setData(0, Qt::UserRole, n);
                    root->insertChild(position, item);
                }
            }
            if (item)
                ++position;
        }
        root->setExpanded(true);
        // As a refill leaves it: the selection stays only on a bank that still exists.
        const RecordSlot* selected = remembered > 0 ? PresentBank(doc(), remembered) : nullptr;
        QTreeWidgetItem* reselect = selected ? m_items[static_cast<size_t>(remembered)] : nullptr;
        if (reselect) {
            m_tree->scrollToItem(reselect);
        } else if (m_tree->currentItem() || m_tree->selectedItem()) {
            m_tree->setCurrentItem(nullptr);
        }
    }
    m_pane->ShowBank(m_tree->selectedItem() ? doc().GetBank(remembered) : RecordSlot());
}

int BanksPage::selectedBank() const {
    return m_tree ? m_tree->selectedData() : 0;
}

bool BanksPage::selectBank(int n) {
    if (!m_tree)
        return false;
    QTreeWidgetItem* root = m_tree->topLevelItem(0);
    if (!root)
        return false;
    if (n == 0) {
        m_tree->setCurrentItem(root);
        return true;
    }
    for (int i = 0; i < root->childCount(); ++i) {
        if (TreeCtrlExt::itemData(root->child(i)) == n) {
            m_tree->setCurrentItem(root->child(i));
            return true;
        }
    }
    return false;
}

bool BanksPage::treeFocused() const {
    return WidgetKit::HoldsFocus(m_tree);
}

void BanksPage::dispatch(bool insert, bool reorder) {
    const int n = selectedBank();
    if (insert)
        insertBank(n, reorder);
    else
        deleteBank(n, reorder);
}

void BanksPage::insertBank(int n, bool reorder) {
    if (doc().HasBank(n) && !reorder) {
        QApplication::beep();
        return;
    }
    // Inserting with reorder pushes the last bank off the end, and every reference to it goes.
    if (reorder && n >= 1 && doc().HasBank(SystemDoc::kBanks) && shell().settings().DeletePrompt()) {
        const QString text =
            QStringLiteral("Bank %1: %2 will be removed. Continue?")
                .arg(SystemDoc::kBanks)
                .arg(QString::fromStdString(BankRecord(doc().GetBank(SystemDoc::kBanks)).Name()));
        if (!shell().prompter().AskYesNo(text.toStdString(), "Confirm bank delete", Prompter::Icon::Question))
            return;
    }
    EditStep step(shell(), doc());
    if (!doc().InsertBank(n, reorder)) {
        QApplication::beep();
        return;
    }
    runEditor(n);
    step.commit(
        (reorder ? QStringLiteral("Insert Bank %1 with Reorder") : QStringLiteral("Insert Bank %1")).arg(n),
        HintBanks, n);
}

void BanksPage::deleteBank(int n, bool reorder) {
    if (!doc().HasBank(n)) {
        if (!reorder) {
            QApplication::beep();
            return;
        }
        EditStep step(shell(), doc());
        doc().DeleteBank(n, true); // closes the gap; the model refuses the root's 0
        step.commit(QStringLiteral("Delete Bank %1 with Reorder").arg(n), HintBanks, n);
        return;
    }
    if (shell().settings().DeletePrompt()) {
        const QString name = QString::fromStdString(BankRecord(doc().GetBank(n)).Name());
        const QString text = QStringLiteral("Are you sure you want to delete bank %1: %2?").arg(n).arg(name);
        if (!shell().prompter().AskYesNo(text.toStdString(), "Confirm bank delete", Prompter::Icon::Question))
            return;
    }
    EditStep step(shell(), doc());
    doc().DeleteBank(n, reorder);
    step.commit(
        (reorder ? QStringLiteral("Delete Bank %1 with Reorder") : QStringLiteral("Delete Bank %1")).arg(n),
        HintBanks, n);
}

void BanksPage::cut() {
    const int n = selectedBank();
    if (!doc().HasBank(n) || !RecordClipboard::write(RecordClipboard::Kind::Bank, doc().GetBank(n))) {
        QApplication::beep();
        return;
    }
    EditStep step(shell(), doc());
    doc().DeleteBank(n, false);
    step.commit(QStringLiteral("Cut Bank %1").arg(n), HintBanks, n);
}

void BanksPage::openEditor() {
    const int n = selectedBank();
    EditStep step(shell(), doc());
    const bool created = !doc().HasBank(n);
    if (created && !doc().InsertBank(n, false)) {
        QApplication::beep();
        return;
    }
    runEditor(n);
    step.commit((created ? QStringLiteral("Insert Bank %1") : QStringLiteral("Edit Bank %1")).arg(n),
                HintBanks, n);
}

void BanksPage::runEditor(int n) {
    BankEdit dialog(doc().GetBank(n), doc(), shell(), this);
    WidgetKit::ExecModal(dialog);
}

void BanksPage::copy() {
    const int n = selectedBank();
    if (!doc().HasBank(n) || !RecordClipboard::write(RecordClipboard::Kind::Bank, doc().GetBank(n)))
        QApplication::beep();
}

void BanksPage::paste() {
    const int n = selectedBank();
    RecordSlot record = RecordClipboard::read(RecordClipboard::Kind::Bank);
    if (!record.IsPresent())
        return;
    const RecordSlot* old = doc().PeekBank(n);
    if (n < 1 || n > SystemDoc::kBanks || !replacementFits(old, record)) {
        QApplication::beep();
        return;
    }
    WriteBytePair(record.Data() + BankRecord::kNumber, n);
    EditStep step(shell(), doc());
    doc().ReplaceBank(n, record);
    step.commit(QStringLiteral("Paste Bank %1").arg(n), HintBanks, n);
}

bool BanksPage::handleCommand(EditCommand command) {
    if (!treeFocused())
        return false;
    if (command == EditCommand::Copy)
        copy();
    else if (command == EditCommand::Cut)
        cut();
    else if (command == EditCommand::Paste)
        paste();
    else
        dispatch(IsInsertCommand(command), IsReorderCommand(command));
    return true;
}

bool BanksPage::commandState(EditCommand command, bool& enabled) const {
    if (!treeFocused())
        return false;
    const int n = selectedBank();
    switch (command) {
    case EditCommand::Cut:
    case EditCommand::Copy:
    case EditCommand::Delete:
        enabled = doc().HasBank(n);
        break;
    case EditCommand::Paste:
        enabled = n > 0;
        break;
    case EditCommand::Insert:
        enabled = !doc().HasBank(n);
        break;
    case EditCommand::DeleteReorder:
    case EditCommand::InsertReorder:
        enabled = m_tree->selectedItem() != nullptr;
        break;
    }
    return true;
}

bool BanksPage::tabCycle(bool forward) {
    if (!m_tree)
        return false;
    return cycleFocus({m_tree, m_pane->numberEdit(), m_pane->nameEdit(), m_pane->sequenceModeCheck(),
                       m_pane->sequenceLengthEdit(), m_pane->patchList()},
                      forward);
}
