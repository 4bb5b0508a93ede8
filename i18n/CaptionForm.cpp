#include "i18n/CaptionForm.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaProperty>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QtDebug>

#include <algorithm>
#include <exception>
#include <optional>

#include "i18n/CaptionRules.h"
#include "settings/Twips.h"

namespace muralto::i18n {
namespace {

using WidthRule = double (*)(double captionTwips);

class Captioner {
public:
    Captioner(const StringTable& strings, const FormMetrics& metrics)
        : strings_(strings), metrics_(metrics) {}

    void form(QWidget& form) {
        if (auto caption = replacement(form.windowTitle()))
            form.setWindowTitle(*caption);
    }

    void control(QObject& object) {
        if (auto* label = qobject_cast<QLabel*>(&object))
            return this->label(*label);
        if (auto* button = qobject_cast<QPushButton*>(&object))
            return widened(*button, commandButtonWidth);
        if (qobject_cast<QCheckBox*>(&object) || qobject_cast<QRadioButton*>(&object))
            return widened(static_cast<QAbstractButton&>(object), checkBoxWidth);
        if (auto* edit = qobject_cast<QLineEdit*>(&object))
            return textBox(*edit);
        if (auto* tabs = qobject_cast<QTabBar*>(&object))
            return tabStrip(*tabs);
        auto* action = qobject_cast<QAction*>(&object);
        if (action && qobject_cast<QMenu*>(action->parent()))
            return menuItem(*action);
        if (action || object.isWidgetType())
            return other(object);
    }

private:
    /// The table string for a marked text; empty when the text has no marker or its id no
    /// string.
    std::optional<QString> replacement(const QString& text) const {
        const auto id = markerId(text.toStdString());
        if (!id)
            return std::nullopt;
        const auto string = strings_.LoadResString(*id);
        if (!string)
            return std::nullopt;
        return QString::fromStdString(*string);
    }

    int pixels(double twips) const {
        const auto px = settings::twipsToPixels(twips, metrics_.twipsPerPixel);
        return static_cast<int>(std::clamp<std::int64_t>(px, 0, QWIDGETSIZE_MAX));
    }

    void label(QLabel& label) {
        if (auto caption = replacement(label.text())) {
            label.setProperty(kAutoSizeProperty, true);
            label.setText(*caption);
            label.adjustSize();
        }
    }

    /// Replaces a marked caption and sizes the control to it; measured first, so a failing
    /// measurement leaves the control as it was.
    void widened(QAbstractButton& button, WidthRule rule) {
        const auto caption = replacement(button.text());
        if (!caption)
            return;
        const int width = pixels(rule(metrics_.captionWidth(*caption)));
        button.setText(*caption);
        button.resize(width, button.height());
    }

    void textBox(QLineEdit& edit) {
        // The editor of a spin box or combo box belongs to that control.
        QObject* owner = edit.parent();
        if (qobject_cast<QAbstractSpinBox*>(owner) || qobject_cast<QComboBox*>(owner))
            return;
        // A marked text whose id has no string is kept like any other caption; only a text
        // without a marker is a design placeholder to clear.
        if (!edit.text().contains(u'#'))
            edit.clear();
        else if (auto text = replacement(edit.text()))
            edit.setText(*text);
    }

    void tabStrip(QTabBar& tabs) {
        for (int i = 0; i < tabs.count(); ++i) {
            if (auto caption = replacement(tabs.tabText(i)))
                tabs.setTabText(i, *caption);
            if (auto tip = replacement(tabs.tabToolTip(i)))
                tabs.setTabToolTip(i, *tip);
        }
    }

    void menuItem(QAction& item) {
        if (isSeparatorName(item.objectName().toStdString())) {
            item.setText(QStringLiteral("-"));
            item.setSeparator(true);
        } else if (auto caption = replacement(item.text())) {
            item.setText(*caption);
        }
    }

    /// Other classes: their "title" is the caption and their "text" the text, where the class
    /// has such a string property.
    void other(QObject& object) {
        stringProperty(object, "title");
        stringProperty(object, "text");
    }

    void stringProperty(QObject& object, const char* name) {
        const QMetaObject* meta = object.metaObject();
        const int index = meta->indexOfProperty(name);
        if (index < 0)
            return;
        const QMetaProperty property = meta->property(index);
        if (property.metaType().id() != QMetaType::QString || !property.isWritable())
            return;
        if (auto text = replacement(property.read(&object).toString()))
            property.write(&object, *text);
    }

    const StringTable& strings_;
    const FormMetrics& metrics_;
};

/// Runs one control's captioning; a failure there is reported and leaves the others unharmed.
template <typename Step>
void guarded(const QObject& object, Step step) {
    try {
        step();
    } catch (const std::exception& e) {
        qWarning() << "captioning" << object.objectName() << "failed:" << e.what();
    }
}

}  // namespace

FormMetrics formMetrics(const QWidget& form) {
    const QFontMetrics font(form.font(), &form);
    const double perPixel = settings::twipsPerPixel(form.logicalDpiX());
    return {[font, perPixel](const QString& caption) {
                return font.horizontalAdvance(caption) * perPixel;
            },
            perPixel};
}

void CaptionForm(QWidget& form, const StringTable& strings, const FormMetrics& metrics) {
    Captioner captioner(strings, metrics);
    guarded(form, [&] { captioner.form(form); });
    QList<QPointer<QObject>> controls;
    for (QObject* object : form.findChildren<QObject*>())
        controls.append(object);
    for (const QPointer<QObject>& object : controls) {
        if (object)
            guarded(*object, [&] { captioner.control(*object); });
    }
}

void CaptionForm(QWidget& form, const StringTable& strings) {
    CaptionForm(form, strings, formMetrics(form));
}

}  // namespace muralto::i18n
