#pragma once
#include "Settings.h"
#include <QDialog>
class DAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit DAboutBox(const Settings&, QWidget* parent = nullptr) : QDialog(parent) {}
};
