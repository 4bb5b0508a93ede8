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
#include <QToolButton>
#include <stdexcept>
#include <string>

#include "i18n/CaptionForm.h"
#include "i18n/CaptionRules.h"

namespace muralto::i18n {
namespace {

const StringTable kUs(Language::EnUS);
const StringTable kGb(Language::EnGB);

TEST(CaptionRules, MarkersSeparatorNamesAndWidths) {
    const std::pair<std::string_view, std::optional<int>> markers[] = {
        {"btnSave#5", 5}, {"Save", std::nullopt}, {"a#7#9", 7}, {"#x", 0}};
    for (const auto& [text, id] : markers)
        EXPECT_EQ(markerId(text), id) << text;
    const std::pair<std::string_view, bool> names[] = {
        {"mnuPopupSep1", true}, {"Sep0", true},
        {"mnuSep01", false},    {"mnuSepX2", false},
        {"mnuSep1a", false},    {"mnuSep", false},
        {"mnuExit", false},     {"mnuSep1234567890123456789012345678901234567890", true}};
    for (const auto& [name, separator] : names)
        EXPECT_EQ(isSeparatorName(name), separator) << name;
    EXPECT_DOUBLE_EQ(commandButtonWidth(2000), 2120);
    EXPECT_DOUBLE_EQ(commandButtonWidth(500), 1145);
    EXPECT_DOUBLE_EQ(checkBoxWidth(500), 800);
}

TEST(CaptionForm, MarkedTextsTakeTheTableStringAndSeparatorNamesBecomeLines) {
    QWidget form;
    auto* tool = new QToolButton(&form);
    tool->setText("#4");
    auto* label = new QLabel("lblDelay#6", &form);
    label->resize(5, 5);
    auto* menu = new QMenu(&form);
    QAction* line = menu->addAction("mnuSep#21");
    line->setObjectName("mnuPopupSep1");
    QAction* item = menu->addAction("mnuSep01#21");
    item->setObjectName("mnuSep01");
    const std::pair<QObject*, QString> rows[] = {
        {label, "Update &Delay"},
        {new QPushButton("btnNone#99", &form), "btnNone#99"},
        {new QCheckBox("chkReScan#2", &form), "&Re-Scan Directory"},
        {new QRadioButton("#3", &form), "&Add Path to Image"},
        {new QLineEdit("tbxPath", &form), ""},
        {new QLineEdit("tbx#17", &form), "Save Files of &Type"},
        {new QLineEdit("tbx#99", &form), "tbx#99"},
        {tool, "&Update Wallpaper"},
        {menu->addAction("mnuExit#20"), "&Exit Muralto"},
        {line, "-"},
        {item, "&Cancel"}};
    auto* group = new QGroupBox("grp#8", &form);
    auto* tabs = new QTabWidget(&form);
    tabs->addTab(new QWidget, "tbNewsgroups#9");
    tabs->setTabToolTip(0, "tbNewsgroupsTooltip#10");
    tabs->addTab(new QWidget, "tbNone#99");
    CaptionForm(form, kUs);
    for (const auto& [control, expected] : rows)
        EXPECT_EQ(control->property("text").toString(), expected) << expected.toStdString();
    EXPECT_TRUE(line->isSeparator() && !item->isSeparator());
    EXPECT_EQ(label->size(), label->sizeHint());  // a marked label sizes itself
    EXPECT_EQ(label->property(kAutoSizeProperty), QVariant(true));
    EXPECT_EQ(group->title(), "Wallpaper Options");
    EXPECT_EQ(tabs->tabText(0), "&Newsgroups");
    EXPECT_EQ(tabs->tabToolTip(0), "Newsgroup Options");
    EXPECT_EQ(tabs->tabText(1), "tbNone#99");

    QWidget british;
    auto* save = new QPushButton("btnSave#5", &british);
    CaptionForm(british, kGb);
    EXPECT_EQ(save->text(), "Ave&say");
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

// The form's own font measures, not the control's, and the caption counts with its "&".
TEST(CaptionForm, TheFormsFontMeasures) {
    QWidget form;
    QFont font = form.font();
    font.setPixelSize(40);
    form.setFont(font);
    auto* button = new QPushButton("#4", &form);
    font.setPixelSize(6);
    button->setFont(font);
    CaptionForm(form, kUs);
    // 120 twips are 8 pixels at 96 DPI.
    EXPECT_EQ(button->width(),
              QFontMetrics(form.font(), &form).horizontalAdvance("&Update Wallpaper") + 8);
}

TEST(CaptionForm, AFailingControlKeepsWhatItHadAndTheWalkGoesOnIntoNestedControls) {
    QWidget form;
    form.setWindowTitle("frm#1");
    auto* failing = new QPushButton("btnSave#5", &form);
    failing->resize(10, 20);
    auto* inner = new QWidget(&form);
    auto* next = new QPushButton("btnAddGroup#11", inner);
    auto* spin = new QSpinBox(inner);
    spin->setValue(42);
    auto* combo = new QComboBox(inner);
    combo->setEditable(true);
    combo->setEditText("*.jpg");
    const FormMetrics metrics{[](const QString& caption) -> double {
                                  if (caption == "&Save")
                                      throw std::runtime_error("cannot measure");
                                  return 2000;
                              },
                              15};
    CaptionForm(form, kUs, metrics);
    EXPECT_EQ(failing->text(), "btnSave#5");
    EXPECT_EQ(failing->width(), 10);
    EXPECT_EQ(next->text(), "&Add Group");
    EXPECT_EQ(next->width(), 141);
    EXPECT_EQ(form.windowTitle(), "Muralto");
    // The editors inside spin and combo boxes are no text boxes.
    EXPECT_EQ(spin->text(), "42");
    EXPECT_EQ(combo->currentText(), "*.jpg");
}

}  // namespace
}  // namespace muralto::i18n
