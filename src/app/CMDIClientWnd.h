#pragma once
#include <QMdiArea>
class CMDIClientWnd : public QMdiArea {
    Q_OBJECT
public:
    explicit CMDIClientWnd(QWidget* parent = nullptr) : QMdiArea(parent) {}
    bool Load(const QString& path) { return path.isEmpty(); }
    void Clear() {}
};
