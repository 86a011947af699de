#include "views/DifferencesWindow.h"

#include "dump/SystemDoc.h"
#include "views/BanksPage.h"
#include "views/PatchesPage.h"
#include "views/PropSheetFormView.h"
#include "views/SetsPage.h"
#include "views/ZIVPropSheet.h"
#include "widgets/ListCtrlExt.h"
#include "widgets/TreeCtrlExt.h"
#include "widgets/WidgetKit.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVBoxLayout>

namespace {
constexpr int kRecordRole = Qt::UserRole;
constexpr int kNumberRole = Qt::UserRole + 1;
} // namespace

DifferencesWindow::DifferencesWindow(PropSheetFormView& view, const DumpComparison& comparison,
                                     const QString& description, QWidget* parent)
    : DifferencesWindow(&view, comparison, description, parent) {}

DifferencesWindow::DifferencesWindow(const DumpComparison& comparison, const QString& description,
                                     QWidget* parent)
    : DifferencesWindow(nullptr, comparison, description, parent) {}

DifferencesWindow::DifferencesWindow(PropSheetFormView* view, const DumpComparison& comparison,
                                     const QString& description, QWidget* parent)
    : QWidget(parent, Qt::Window), m_view(view) {
    setObjectName(QStringLiteral("differencesWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Differences"));

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("differencesList"));
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->setUniformItemSizes(true);
    for (const DumpComparison::Difference& d : comparison.Differences()) {
        auto* item = new QListWidgetItem(QString::fromStdString(d.Line()), m_list);
        item->setData(kRecordRole, static_cast<int>(d.record));
        item->setData(kNumberRole, d.number);
    }
    if (comparison.Same())
        new QListWidgetItem(QString::fromLatin1(kNoDifferencesText), m_list);
    m_list->setCurrentRow(0);
    connect(m_list, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { showRow(m_list->row(item)); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(WidgetKit::BuddyLabel(description, m_list, this));
    m_list->setAccessibleName(QStringLiteral("Differences"));
    layout->addWidget(m_list, 1);
    resize(560, 360);
}

bool DifferencesWindow::showRow(int row) {
    QListWidgetItem* item = m_list->item(row);
    PropSheetFormView* view = m_view.data();
    if (!item || !item->data(kRecordRole).isValid() || !view || !view->sheet()) {
        QApplication::beep();
        return false;
    }
    const auto record = static_cast<DumpComparison::Record>(item->data(kRecordRole).toInt());
    const int n = item->data(kNumberRole).toInt();

    // The data window comes forward first, so its editor opens over it.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(view->parentWidget()); frame && frame->mdiArea())
        frame->mdiArea()->setActiveSubWindow(frame);
    view->window()->activateWindow();
    ZIVPropSheet& sheet = *view->sheet();
    const SystemDoc& doc = view->doc();
    switch (record) {
    case DumpComparison::Record::Header:
    case DumpComparison::Record::Configuration:
        sheet.setCurrentIndex(ZIVPropSheet::TabConfig);
        sheet.configPage()->setFocus();
        return true;
    case DumpComparison::Record::Set:
        sheet.setCurrentIndex(ZIVPropSheet::TabSets);
        if (!sheet.setsPage()->selectSet(n))
            return false;
        sheet.setsPage()->tree()->setFocus();
        sheet.setsPage()->openSet();
        return true;
    case DumpComparison::Record::Bank:
        sheet.setCurrentIndex(ZIVPropSheet::TabBanks);
        if (!sheet.banksPage()->selectBank(n))
            return false;
        sheet.banksPage()->tree()->setFocus();
        // A bank only in the other dump is shown as the gap it is, not created.
        if (doc.HasBank(n))
            sheet.banksPage()->openEditor();
        return true;
    case DumpComparison::Record::Patch:
        sheet.setCurrentIndex(ZIVPropSheet::TabPatches);
        if (!sheet.patchesPage()->selectPatch(n))
            return false;
        if (doc.HasPatch(n))
            sheet.patchesPage()->openEditor();
        return true;
    }
    return false;
}
