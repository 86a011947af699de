#pragma once

#include "dump/SystemDoc.h"

#include <QString>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QWidget;

// The controls of one pedal CC assignment, a column of the "Local CC" grid of the patch editor
// and of the "Global CC" grid of the configuration page: Channel, CC, Min and Max drop-downs and
// the four flag check boxes (Enabled, Invert, Immediate, First time, left to right).
//
// The widgets belong to the parent given; this object only keeps them together. A stored value
// that no item matches selects nothing and is carried back unchanged (cut to 8 bits) unless the
// user picks an item.
class CCAssignmentControls {
public:
    // `key` makes the object names ("channel" + key, "cc" + key ...); `title` starts the
    // accessible names ("Pedal 1 CC 1" -> "Pedal 1 CC 1 Channel").
    CCAssignmentControls(QWidget* parent, const QString& key, const QString& title);

    // Rows firstRow .. firstRow + 4: Channel, CC, Min, Max, Flags.
    void addToGrid(QGridLayout* grid, int firstRow, int column) const;
    void load(const CCAssignment& cc);
    void setEnabled(bool enabled);

    int channelIndex() const;
    int controller() const;
    int minimum() const;
    int maximum() const;
    bool maxBelowMin() const { return maximum() < minimum(); }
    // Channel plus 16 Invert, 32 Immediate, 64 Enabled, 128 First time.
    int flags() const;
    CCAssignment value() const { return {flags(), controller(), minimum(), maximum()}; }

private:
    static int Chosen(const QComboBox* combo, int loaded);

    QComboBox* m_channel;
    QComboBox* m_controller;
    QComboBox* m_minimum;
    QComboBox* m_maximum;
    QCheckBox* m_enabled;
    QCheckBox* m_invert;
    QCheckBox* m_immediate;
    QCheckBox* m_firstTime;
    CCAssignment m_loaded;
};
