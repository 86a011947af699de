#include "editors/CCAssignmentControls.h"

#include "widgets/SharedHintComboBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>

namespace {
QComboBox* NumberCombo(QWidget* parent, int first, int last, const QString& objectName, const QString& name) {
    auto* combo = new SharedHintComboBox(parent);
    combo->setSharedNumbers(first, last);
    combo->setObjectName(objectName);
    combo->setAccessibleName(name);
    combo->setMaxVisibleItems(16);
    return combo;
}

QCheckBox* FlagBox(QWidget* parent, const QString& objectName, const QString& name) {
    auto* box = new QCheckBox(parent);
    box->setObjectName(objectName);
    box->setAccessibleName(name);
    box->setToolTip(name);
    return box;
}

void Select(QComboBox* combo, int value) {
    combo->setCurrentIndex(value >= 0 && value < combo->count() ? value : -1);
}
} // namespace

CCAssignmentControls::CCAssignmentControls(QWidget* parent, const QString& key, const QString& title)
    : m_channel(
          NumberCombo(parent, 1, 16, QStringLiteral("channel") + key, title + QStringLiteral(" Channel"))),
      m_controller(NumberCombo(parent, 0, 127, QStringLiteral("cc") + key, title + QStringLiteral(" CC"))),
      m_minimum(NumberCombo(parent, 0, 127, QStringLiteral("min") + key, title + QStringLiteral(" Min"))),
      m_maximum(NumberCombo(parent, 0, 127, QStringLiteral("max") + key, title + QStringLiteral(" Max"))),
      m_enabled(FlagBox(parent, QStringLiteral("enabled") + key, title + QStringLiteral(" Enabled"))),
      m_invert(
          FlagBox(parent, QStringLiteral("invert") + key, title + QStringLiteral(" Invert pedal polarity"))),
      m_immediate(
          FlagBox(parent, QStringLiteral("immediate") + key, title + QStringLiteral(" Immediate send"))),
      m_firstTime(FlagBox(parent, QStringLiteral("firstTime") + key, title + QStringLiteral(" First time"))) {
}

void CCAssignmentControls::addToGrid(QGridLayout* grid, int firstRow, int column) const {
    grid->addWidget(m_channel, firstRow, column);
    grid->addWidget(m_controller, firstRow + 1, column);
    grid->addWidget(m_minimum, firstRow + 2, column);
    grid->addWidget(m_maximum, firstRow + 3, column);
    auto* flags = new QHBoxLayout;
    flags->setSpacing(2);
    flags->addWidget(m_enabled);
    flags->addWidget(m_invert);
    flags->addWidget(m_immediate);
    flags->addWidget(m_firstTime);
    flags->addStretch();
    grid->addLayout(flags, firstRow + 4, column);
}

void CCAssignmentControls::load(const CCAssignment& cc) {
    m_loaded = cc;
    Select(m_channel, cc.flags < 0 ? -1 : cc.flags & 0x0F);
    Select(m_controller, cc.controller);
    Select(m_minimum, cc.minimum);
    Select(m_maximum, cc.maximum);
    const int flags = cc.flags < 0 ? 0 : cc.flags;
    m_enabled->setChecked((flags & 0x40) != 0);
    m_invert->setChecked((flags & 0x10) != 0);
    m_immediate->setChecked((flags & 0x20) != 0);
    m_firstTime->setChecked((flags & 0x80) != 0);
}

void CCAssignmentControls::setEnabled(bool enabled) {
    for (QWidget* w : {static_cast<QWidget*>(m_channel), static_cast<QWidget*>(m_controller),
                       static_cast<QWidget*>(m_minimum), static_cast<QWidget*>(m_maximum),
                       static_cast<QWidget*>(m_enabled), static_cast<QWidget*>(m_invert),
                       static_cast<QWidget*>(m_immediate), static_cast<QWidget*>(m_firstTime)})
        w->setEnabled(enabled);
}

int CCAssignmentControls::Chosen(const QComboBox* combo, int loaded) {
    const int index = combo->currentIndex();
    if (index >= 0)
        return index;
    return loaded < 0 ? 0 : loaded & 0xFF;
}

int CCAssignmentControls::channelIndex() const {
    return Chosen(m_channel, m_loaded.flags < 0 ? -1 : m_loaded.flags & 0x0F);
}

int CCAssignmentControls::controller() const {
    return Chosen(m_controller, m_loaded.controller);
}

int CCAssignmentControls::minimum() const {
    return Chosen(m_minimum, m_loaded.minimum);
}

int CCAssignmentControls::maximum() const {
    return Chosen(m_maximum, m_loaded.maximum);
}

int CCAssignmentControls::flags() const {
    int flags = channelIndex();
    if (m_invert->isChecked())
        flags += 16;
    if (m_immediate->isChecked())
        flags += 32;
    if (m_enabled->isChecked())
        flags += 64;
    if (m_firstTime->isChecked())
        flags += 128;
    return flags;
}
