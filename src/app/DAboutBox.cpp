#include "app/DAboutBox.h"

#include "app/CStaticLink.h"
#include "settings/Settings.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

DAboutBox::DAboutBox(const Settings& settings, QWidget* parent)
    : QDialog(parent), m_picture(new CStaticLink(QString(), this)),
      m_notice(new CStaticLink(tr("Tolvane is made by Morvik. Click here to write to us."), this)),
      m_version(new QLineEdit(settings.VersionText(), this)) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(tr("About Tolvane"));

    m_picture->setObjectName(QStringLiteral("aboutPicture"));
    m_picture->setPixmap(QPixmap(QStringLiteral(":/icons/Tolvane.png")));
    m_picture->setAccessibleName(tr("Tolvane website"));
    m_picture->setToolTip(settings.WebsiteAddress());
    m_picture->SetTarget(settings.WebsiteAddress());

    m_notice->setObjectName(QStringLiteral("aboutNotice"));
    m_notice->setAccessibleName(m_notice->text());
    m_notice->SetTarget(settings.MailLink());

    m_version->setObjectName(QStringLiteral("aboutVersion"));
    m_version->setAccessibleName(tr("Version"));
    m_version->setReadOnly(true);
    m_version->setMinimumWidth(m_version->fontMetrics().horizontalAdvance(m_version->text()) + 24);

    auto* creditWork = new QLabel(tr("Librarian and editor for the RIV 10 MIDI foot controller."), this);
    creditWork->setObjectName(QStringLiteral("aboutCredit1"));
    auto* creditTools = new QLabel(tr("Written with Qt and RtMidi."), this);
    creditTools->setObjectName(QStringLiteral("aboutCredit2"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName(QStringLiteral("aboutButtons"));
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    // Only the words are the link, not the empty room beside them.
    texts->addWidget(m_notice, 0, Qt::AlignLeft);
    texts->addWidget(m_version);
    texts->addWidget(creditWork);
    texts->addWidget(creditTools);
    texts->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(m_picture, 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addLayout(texts, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ok->setFocus();
}
