#pragma once

// A data window on a built dump, shown and active so that focus rules apply, and a log of the
// modal editors the pages open (each is cancelled as soon as it runs).

#include "support/DocTestKit.h"
#include "support/FakeShell.h"
#include "views/PropSheetFormView.h"
#include "views/ZIVPropSheet.h"
#include "widgets/ListCtrlExt.h"
#include "widgets/TreeCtrlExt.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include <memory>
#include <ostream>

// Readable failure output for texts and lists of texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace datawin {

struct Window {
    explicit Window(const testdump::Dump& dump = testdump::Dump()) : doc(kit::DocFrom(dump)) {
        doc->SetTitle("rig.syx");
        view = std::make_unique<PropSheetFormView>(*doc, shell);
        view->resize(640, 420);
        view->initialUpdate();
        view->show();
        view->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(view.get()));
    }
    ZIVPropSheet& sheet() const { return *view->sheet(); }
    template <class Page> Page& show(int tab, Page* (ZIVPropSheet::*get)() const) {
        sheet().setCurrentIndex(tab);
        return *(sheet().*get)();
    }

    FakeShell shell;
    std::unique_ptr<SystemDoc> doc;
    std::unique_ptr<PropSheetFormView> view;
};

// Gives `widget` the keyboard focus, making its window active again first (a modal editor that
// has just closed leaves it inactive for a moment).
inline void Focus(QWidget& widget) {
    if (!widget.window()->isActiveWindow()) {
        widget.window()->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(widget.window()));
    }
    widget.setFocus();
}

// Selects the row whose item data is `data` and gives the list the focus; false when none.
inline bool SelectRow(ListCtrlExt& list, int data) {
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        if (ListCtrlExt::itemData(list.topLevelItem(i)) == data) {
            list.setCurrentItem(list.topLevelItem(i));
            Focus(list);
            return true;
        }
    }
    return false;
}

// Every cell of a row, as many as the list has columns.
inline QStringList RowTexts(const QTreeWidgetItem* item) {
    QStringList cells;
    for (int c = 0; c < item->treeWidget()->columnCount(); ++c)
        cells << item->text(c);
    return cells;
}

// Cancels every modal dialog as soon as it runs and remembers its class.
class ModalLog {
public:
    ModalLog() {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                classes << QString::fromLatin1(dialog->metaObject()->className());
                dialog->reject();
            }
        });
        m_timer.start();
    }
    QStringList classes;

private:
    QTimer m_timer;
};

} // namespace datawin
