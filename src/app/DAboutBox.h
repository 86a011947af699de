#pragma once

#include <QDialog>

class CStaticLink;
class QLineEdit;
class Settings;

// "About Tolvane": the program picture (opens the website), the maker's notice line (opens a
// mail with the version text as its subject), the version text, the credits and OK.
class DAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit DAboutBox(const Settings& settings, QWidget* parent = nullptr);

    CStaticLink* PictureLink() const { return m_picture; }
    CStaticLink* NoticeLink() const { return m_notice; }

private:
    CStaticLink* m_picture;
    CStaticLink* m_notice;
    QLineEdit* m_version;
};
