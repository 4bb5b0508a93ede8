#include "platform/gui/QtMessageBoxes.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QString>

namespace muralto::platform {
namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void QtMessageBoxes::showMessage(std::string_view title, std::string_view text) {
    QMessageBox box(QMessageBox::Warning, toQString(title), toQString(text), QMessageBox::Ok);
    box.exec();
}

MessageBoxes::Answer QtMessageBoxes::askYesNo(std::string_view title, std::string_view text) {
    QMessageBox box(QMessageBox::Question, toQString(title), toQString(text),
                    QMessageBox::Yes | QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

MessageBoxes::Answer QtMessageBoxes::askYesNoCancel(std::string_view title, std::string_view text) {
    QMessageBox box(QMessageBox::Question, toQString(title), toQString(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

std::string QtMessageBoxes::inputBox(std::string_view title, std::string_view prompt) {
    bool ok = false;
    const QString answer = QInputDialog::getText(nullptr, toQString(title), toQString(prompt),
                                                 QLineEdit::Normal, QString(), &ok);
    return ok ? answer.toStdString() : std::string();
}

}  // namespace muralto::platform
