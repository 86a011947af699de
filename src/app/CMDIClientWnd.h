#pragma once

#include <QByteArray>
#include <QImage>
#include <QMdiArea>
#include <QPixmap>
#include <QString>

// The main window's client area: the document windows live here, and behind them the user's
// background bitmap is tiled from the top-left corner. The picture is decoded once per Load();
// painting only tiles the prepared pixmap. User-interface thread only.
class CMDIClientWnd : public QMdiArea {
    Q_OBJECT
public:
    explicit CMDIClientWnd(QWidget* parent = nullptr);

    // Reads a .bmp file, with or without its 14-byte file header. On failure no picture is left.
    // Repaints either way.
    bool Load(const QString& path);
    // Drops the picture and repaints.
    void Clear();

    bool HasPicture() const { return !m_picture.isNull(); }
    QSize PictureSize() const { return m_picture.size(); }
    // The path of the last Load(), kept even when it failed.
    const QString& Path() const { return m_path; }

    // The bitmap in a file's bytes: a complete BMP file, or a bare bitmap that starts with its
    // 40-byte or 12-byte info header. A null image for anything else.
    static QImage DecodeBitmap(const QByteArray& bytes);

private:
    void ShowPicture();

    QString m_path;
    QPixmap m_picture;
};
