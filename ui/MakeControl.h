#pragma once

#include <QString>
#include <QWidget>

namespace muralto::ui {

/// A control of a page with its name and its design text ("btnSave#6"), captioned later with
/// the window.
template <typename Control>
Control* makeControl(QWidget* parent, const char* name, const char* text) {
    auto* control = new Control(QString::fromLatin1(text), parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

/// A control without a text.
template <typename Control>
Control* makeControl(QWidget* parent, const char* name) {
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

}  // namespace muralto::ui
