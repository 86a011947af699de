#include "widgets/WidgetKit.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace WidgetKit {

QLabel* BuddyLabel(const QString& caption, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    buddy->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return label;
}

QDialogButtonBox* OkCancelButtons(QDialog* dialog, Qt::Orientation orientation) {
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, orientation, dialog);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setText(QStringLiteral("OK"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setText(QStringLiteral("Cancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

void MakeReadOnly(QLineEdit* field) {
    field->setReadOnly(true);
    QPalette palette = field->palette();
    palette.setBrush(QPalette::Base, palette.brush(QPalette::Window));
    field->setPalette(palette);
}

int ExecModal(QDialog& dialog) {
    const QPointer<QWidget> origin = QApplication::focusWidget();
    const int result = dialog.exec();
    if (origin) {
        origin->setFocus(Qt::OtherFocusReason);
        // Without a window manager nothing makes the window active again once the dialog is
        // gone; asking at once would come before the dialog's own deactivation.
        QTimer::singleShot(0, origin, [origin] {
            if (origin && !origin->window()->isActiveWindow())
                origin->window()->activateWindow();
        });
    }
    return result;
}

namespace {
constexpr const char* kFocusBeforeMenu = "focusBeforeMenu";
}

void SetFocusBeforeMenu(QWidget* window, QWidget* widget) {
    window->setProperty(kFocusBeforeMenu, QVariant::fromValue(QPointer<QObject>(widget)));
}

bool HoldsFocus(const QWidget* widget) {
    if (!widget || !widget->isVisible())
        return false;
    const QWidget* window = widget->window();
    const QWidget* focus = window->focusWidget();
    if (qobject_cast<const QMenuBar*>(focus))
        focus = qobject_cast<QWidget*>(window->property(kFocusBeforeMenu).value<QPointer<QObject>>().data());
    return focus == widget;
}

} // namespace WidgetKit
