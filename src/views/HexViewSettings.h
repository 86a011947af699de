#pragma once

#include <QObject>

// The two hex-window settings as the hex view reads and flips them. The owner adapts its settings
// object to this; one instance serves every hex view, and each view re-renders when it hears
// changed(), so a flip reaches all of them.
class HexViewSettings : public QObject {
    Q_OBJECT
public:
    ~HexViewSettings() override = default;
    // "HexShowAscii": the character column, 8 bytes a line instead of 16.
    virtual bool ShowAscii() const = 0;
    virtual void SetShowAscii(bool on) = 0;
    // "HexShowOffset": the offset column.
    virtual bool ShowOffset() const = 0;
    virtual void SetShowOffset(bool on) = 0;

    // Flip a setting; every view hears of it.
    void ToggleShowAscii();
    void ToggleShowOffset();

signals:
    void changed();
};
