#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <string>

#include "i18n/CaptionForm.h"

namespace muralto::i18n {
namespace {

const StringTable kUs(Language::EnUS);

TEST(CaptionForm, MarkedTextsTakeTheTableStringAndSeparatorNamesBecomeLines) {
    QWidget form;
    form.setWindowTitle("frm#1");
    auto* inner = new QWidget(&form);  // the walk goes into nested controls
    auto* spin = new QSpinBox(inner);
    spin->setValue(42);
    auto* combo = new QComboBox(inner);
    combo->setEditable(true);
    combo->setEditText("*.jpg");
    auto* label = new QLabel("lblDelay#6", &form);
    label->resize(5, 5);
    auto* menu = new QMenu(&form);
    QAction* line = menu->addAction("mnuSep#21");
    line->setObjectName("mnuPopupSep1");
    QAction* item = menu->addAction("mnuSep01#21");
    item->setObjectName("mnuSep01");
    const std::pair<QObject*, QString> rows[] = {
        {label, "Update &Delay"},
        {new QCheckBox("chkReScan#2", inner), "&Re-Scan Directory"},
        {new QLineEdit("tbxPath", &form), ""},
        {new QLineEdit("tbx#17", &form), "Save Files of &Type"},
        {new QLineEdit("tbx#99", &form), "tbx#99"},
        {menu->addAction("mnuExit#20"), "&Exit Muralto"},
        {line, "-"},
        {item, "&Cancel"}};
    auto* group = new QGroupBox("grp#8", &form);
    auto* tabs = new QTabWidget(&form);
    tabs->addTab(new QWidget, "tbNewsgroups#9");
    tabs->setTabToolTip(0, "tbNewsgroupsTooltip#10");
    CaptionForm(form, kUs);
    for (const auto& [control, expected] : rows)
        EXPECT_EQ(control->property("text").toString(), expected) << expected.toStdString();
    EXPECT_TRUE(line->isSeparator() && !item->isSeparator());
    EXPECT_EQ(label->size(), label->sizeHint());  // a marked label sizes itself
    EXPECT_EQ(label->property(kAutoSizeProperty), QVariant(true));
    EXPECT_EQ(group->title(), "Wallpaper Options");
    EXPECT_EQ(tabs->tabText(0), "&Newsgroups");
    EXPECT_EQ(tabs->tabToolTip(0), "Newsgroup Options");
    EXPECT_EQ(form.windowTitle(), "Muralto");
    // The editors inside spin and combo boxes are no text boxes.
    EXPECT_EQ(spin->text(), "42");
    EXPECT_EQ(combo->currentText(), "*.jpg");
}

/// A measurement that knows only one caption: measuring anything else gives 0.
FormMetrics measuring(const QString& caption, double twips, double twipsPerPixel) {
    return {[=](const QString& text) { return text == caption ? twips : 0.0; }, twipsPerPixel};
}

// 2120 twips are 141.3 pixels at 96 DPI (15 twips each); 1145 are 152.7 at 192 DPI (7.5 each).
TEST(CaptionForm, MarkedButtonsFollowTheNewCaptionInThePixelsOfTheFormsDpi) {
    const struct {
        int kind;  ///< push button, check box, radio button
        const char* design;
        double measuredTwips, twipsPerPixel;
        int expectedWidth;
    } rows[] = {{0, "btnSave#5", 2000, 15, 141},
                {0, "btnSave#5", 500, 7.5, 153},
                {1, "btnSave#5", 500, 7.5, 107},
                {2, "btnSave#5", 500, 15, 53},
                {0, "&Save", 2000, 15, 10}};  // unmarked: kept
    for (const auto& row : rows) {
        QWidget form;
        QAbstractButton* control =
            row.kind == 0   ? new QPushButton(row.design, &form)
            : row.kind == 1 ? static_cast<QAbstractButton*>(new QCheckBox(row.design, &form))
                            : new QRadioButton(row.design, &form);
        control->resize(10, 23);
        CaptionForm(form, kUs, measuring("&Save", row.measuredTwips, row.twipsPerPixel));
        EXPECT_EQ(control->size(), QSize(row.expectedWidth, 23)) << row.measuredTwips;
    }
}

}  // namespace
}  // namespace muralto::i18n
