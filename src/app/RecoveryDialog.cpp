#include "app/RecoveryDialog.h"

#include "widgets/WidgetKit.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
QPushButton* AddButton(QDialogButtonBox* box, const QString& text, const char* name,
                       QDialogButtonBox::ButtonRole role) {
    QPushButton* button = box->addButton(text, role);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    return button;
}
} // namespace

RecoveryDialog::RecoveryDialog(const std::vector<RecoveryStore::Entry>& entries, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("recoveryDialog"));
    setWindowTitle(QStringLiteral("Tolvane"));

    auto* icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this).pixmap(size, size));
    auto* question = new QLabel(QString::fromLatin1(kQuestionText), this);
    question->setObjectName(QStringLiteral("recoveryQuestion"));
    question->setWordWrap(true);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("recoveryList"));
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels({QStringLiteral("Document"), QStringLiteral("Last change")});
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (const RecoveryStore::Entry& entry : entries) {
        const RecoveryStore::Description& d = entry.description;
        auto* item = new QTreeWidgetItem(
            m_list, {d.title, d.changed.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
        item->setToolTip(0, d.path.isEmpty() ? QStringLiteral("Not saved yet")
                                             : QDir::toNativeSeparators(d.path));
    }
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* recover =
        AddButton(buttons, QStringLiteral("&Recover"), "recover", QDialogButtonBox::AcceptRole);
    QPushButton* discard =
        AddButton(buttons, QStringLiteral("&Discard"), "discard", QDialogButtonBox::DestructiveRole);
    QPushButton* cancel =
        AddButton(buttons, QStringLiteral("Cancel"), "cancel", QDialogButtonBox::RejectRole);
    recover->setDefault(true);
    connect(recover, &QPushButton::clicked, this, [this] { Choose(Choice::Recover); });
    connect(discard, &QPushButton::clicked, this, [this] { Choose(Choice::Discard); });
    connect(cancel, &QPushButton::clicked, this, [this] { Choose(Choice::Cancel); });

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(question, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(WidgetKit::BuddyLabel(QStringLiteral("&Unsaved documents:"), m_list, this));
    m_list->setAccessibleName(QStringLiteral("Unsaved documents"));
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(480, 300);
    m_list->setFocus();
}

void RecoveryDialog::Choose(Choice choice) {
    m_choice = choice;
    if (choice == Choice::Cancel)
        reject();
    else
        accept();
}

QString RecoveryDialog::SetAsideText(const std::vector<RecoveryStore::SetAside>& setAside) {
    QStringList lines;
    for (const RecoveryStore::SetAside& aside : setAside)
        lines << QStringLiteral("%1: %2").arg(aside.keptAs.join(QStringLiteral(", ")), aside.reason);
    return QStringLiteral("These recovery files could not be read. They were kept under new names:\n\n") +
           lines.join(QLatin1Char('\n'));
}
