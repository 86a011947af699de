#include "app/MessageBoxPrompter.h"

#include <QApplication>
#include <QMessageBox>

namespace {
QMessageBox::Icon ToQt(Prompter::Icon icon) {
    switch (icon) {
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Exclamation:
        return QMessageBox::Warning;
    case Prompter::Icon::Stop:
        return QMessageBox::Critical;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString Caption(const std::string& caption) {
    return caption.empty() ? QApplication::applicationDisplayName() : QString::fromStdString(caption);
}
} // namespace

void MessageBoxPrompter::Info(const std::string& text) {
    Message(text, {}, Icon::Information);
}
void MessageBoxPrompter::Stop(const std::string& text) {
    Message(text, {}, Icon::Stop);
}
void MessageBoxPrompter::Exclaim(const std::string& text) {
    Message(text, {}, Icon::Exclamation);
}

bool MessageBoxPrompter::AskYesNo(const std::string& text, const std::string& caption, Icon icon) {
    QMessageBox box(ToQt(icon), Caption(caption), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    return box.exec() == QMessageBox::Yes;
}

bool MessageBoxPrompter::AskYesNoDefaultNo(const std::string& text, const std::string& caption, Icon icon) {
    QMessageBox box(ToQt(icon), Caption(caption), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxPrompter::Message(const std::string& text, const std::string& caption, Icon icon) {
    QMessageBox box(ToQt(icon), Caption(caption), QString::fromStdString(text), QMessageBox::Ok, m_parent);
    box.exec();
}
