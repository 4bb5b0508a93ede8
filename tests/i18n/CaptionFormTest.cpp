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

#include <functional>
#include <stdexcept>
#include <string>

#include "i18n/CaptionForm.h"
#include "i18n/CaptionRules.h"
#include "tests/support/TestSupport.h"

namespace muralto::i18n {
namespace {

const StringTable kUs(Language::EnUS);
const StringTable kGb(Language::EnGB);

struct MarkerCase {
    const char* name;
    std::string_view text;
    std::optional<int> id;
};

class Marker : public testing::TestWithParam<MarkerCase> {};

TEST_P(Marker, IdIsTheNumberBehindTheFirstHash) {
    EXPECT_EQ(markerId(GetParam().text), GetParam().id);
}

INSTANTIATE_TEST_SUITE_P(Texts, Marker,
                         testing::Values(MarkerCase{"NameAndId", "btnSave#5", 5},
                                         MarkerCase{"IdAlone", "#5", 5},
                                         MarkerCase{"NoHash", "Save", std::nullopt},
                                         MarkerCase{"FirstHashCounts", "a#7#9", 7},
                                         MarkerCase{"LeadingNumberOnly", "#12abc", 12},
                                         MarkerCase{"HexNumber", "#&H1A", 26},
                                         MarkerCase{"NoNumber", "#x", 0},
                                         MarkerCase{"TooLarge", "#99999999999", std::nullopt}),
                         test::byName);

struct SeparatorCase {
    const char* name;
    std::string_view itemName;
    bool separator;
};

class SeparatorName : public testing::TestWithParam<SeparatorCase> {};

TEST_P(SeparatorName, OnlyAShortestWholeNumberBehindTheFirstSepMakesASeparator) {
    EXPECT_EQ(isSeparatorName(GetParam().itemName), GetParam().separator);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SeparatorName,
    testing::Values(
        SeparatorCase{"PopupSep1", "mnuPopupSep1", true},
        SeparatorCase{"TwoDigits", "mnuSep12", true}, SeparatorCase{"Zero", "Sep0", true},
        SeparatorCase{"LeadingZero", "mnuSep01", false},
        SeparatorCase{"DoubleZero", "mnuSep00", false},
        SeparatorCase{"LetterFirst", "mnuSepX2", false},
        SeparatorCase{"DigitsAfterSecondSep", "mnuSepSep1", false},
        SeparatorCase{"TrailingLetter", "mnuSep1a", false},
        SeparatorCase{"Sign", "mnuSep-1", false}, SeparatorCase{"Blank", "mnuSep 1", false},
        SeparatorCase{"NothingBehind", "mnuSep", false},
        SeparatorCase{"LowerCase", "mnusep1", false}, SeparatorCase{"NoSep", "mnuExit", false},
        SeparatorCase{"FortyDigits", "mnuSep1234567890123456789012345678901234567890", true},
        SeparatorCase{"FortyDigitsLeadingZero", "mnuSep0123456789012345678901234567890123456789",
                      false}),
    test::byName);

struct WidthCase {
    const char* name;
    double (*rule)(double);
    double measured, expected;
};

class WidthRule : public testing::TestWithParam<WidthCase> {};

TEST_P(WidthRule, GivesTheControlWidthInTwips) {
    EXPECT_DOUBLE_EQ(GetParam().rule(GetParam().measured), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Twips, WidthRule,
    testing::Values(WidthCase{"ButtonWide", commandButtonWidth, 2000, 2120},
                    WidthCase{"ButtonNarrow", commandButtonWidth, 500, 1145},
                    WidthCase{"ButtonAtMinimum", commandButtonWidth, 1025, 1145},
                    WidthCase{"ButtonJustAbove", commandButtonWidth, 1026, 1146},
                    WidthCase{"CheckBoxWide", checkBoxWidth, 2000, 2300},
                    WidthCase{"CheckBoxNarrow", checkBoxWidth, 500, 800}),
    test::byName);

// ---- Captioning real forms ----

enum class Kind { Label, Button, CheckBox, Radio, TextBox, GroupBox, ToolButton, MenuItem };

/// Makes a control of a kind on the form with a design text, and reads its text back.
QObject* makeControl(QWidget& form, Kind kind, const QString& text) {
    switch (kind) {
        case Kind::Label:
            return new QLabel(text, &form);
        case Kind::Button:
            return new QPushButton(text, &form);
        case Kind::CheckBox:
            return new QCheckBox(text, &form);
        case Kind::Radio:
            return new QRadioButton(text, &form);
        case Kind::TextBox:
            return new QLineEdit(text, &form);
        case Kind::GroupBox:
            return new QGroupBox(text, &form);
        case Kind::ToolButton: {
            auto* button = new QToolButton(&form);
            button->setText(text);
            return button;
        }
        case Kind::MenuItem:
            return (new QMenu(&form))->addAction(text);
    }
    return nullptr;
}

QString textOf(const QObject& control) {
    if (auto* group = qobject_cast<const QGroupBox*>(&control))
        return group->title();
    return control.property("text").toString();
}

struct KindCase {
    const char* name;
    Kind kind;
    QString design;
    const StringTable* table;
    QString expected;
};

class CaptionKind : public testing::TestWithParam<KindCase> {};

TEST_P(CaptionKind, MarkedTextsTakeTheTableString) {
    const KindCase& c = GetParam();
    QWidget form;
    QObject* control = makeControl(form, c.kind, c.design);
    CaptionForm(form, *c.table);
    EXPECT_EQ(textOf(*control), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CaptionKind,
    testing::Values(
        KindCase{"LabelNamed", Kind::Label, "lblDelay#6", &kUs, "Update &Delay"},
        KindCase{"LabelIdAlone", Kind::Label, "#6", &kUs, "Update &Delay"},
        KindCase{"ButtonNamed", Kind::Button, "btnSave#5", &kUs, "&Save"},
        KindCase{"ButtonIdAlone", Kind::Button, "#5", &kUs, "&Save"},
        KindCase{"ButtonUnmarked", Kind::Button, "Save", &kUs, "Save"},
        KindCase{"ButtonBritish", Kind::Button, "btnSave#5", &kGb, "Ave&say"},
        KindCase{"ButtonBritishFallsBack", Kind::Button, "#2001", &kGb,
                 "*.jpg;*.jpe;*.jpeg;*.gif;*.wmf;*.bmp;*.eps;"},
        KindCase{"ButtonNoString", Kind::Button, "btnNone#99", &kUs, "btnNone#99"},
        KindCase{"ButtonNumberTooLarge", Kind::Button, "#99999999999", &kUs, "#99999999999"},
        KindCase{"CheckBox", Kind::CheckBox, "chkReScan#2", &kUs, "&Re-Scan Directory"},
        KindCase{"CheckBoxBritish", Kind::CheckBox, "chkReScan#2", &kGb, "E-Scan&Ray IrectoryDay"},
        KindCase{"Radio", Kind::Radio, "#3", &kUs, "&Add Path to Image"},
        KindCase{"TextBoxUnmarkedEmptied", Kind::TextBox, "tbxPath", &kUs, ""},
        KindCase{"TextBoxMarked", Kind::TextBox, "tbx#17", &kUs, "Save Files of &Type"},
        KindCase{"TextBoxNoStringKept", Kind::TextBox, "tbx#99", &kUs, "tbx#99"},
        KindCase{"GroupBoxTitle", Kind::GroupBox, "grp#8", &kUs, "Wallpaper Options"},
        KindCase{"ToolButtonText", Kind::ToolButton, "#4", &kUs, "&Update Wallpaper"},
        KindCase{"MenuItem", Kind::MenuItem, "mnuExit#20", &kUs, "&Exit Muralto"},
        KindCase{"MenuItemUnmarked", Kind::MenuItem, "Exit", &kUs, "Exit"}),
    test::byName);

TEST(CaptionForm, FormCaptionTakesTheTableString) {
    for (const auto& [design, table, expected] :
         {std::tuple{"frmMuralto#1", &kUs, "Muralto"}, std::tuple{"#1", &kGb, "Uraltomay"},
          std::tuple{"Muralto Options", &kUs, "Muralto Options"},
          std::tuple{"frm#99", &kUs, "frm#99"}}) {
        QWidget form;
        form.setWindowTitle(design);
        CaptionForm(form, *table);
        EXPECT_EQ(form.windowTitle(), expected) << design;
    }
}

struct SeparatorItemCase {
    const char* name;
    QString itemName, design, expected;
    bool separator;
};

class MenuSeparator : public testing::TestWithParam<SeparatorItemCase> {};

TEST_P(MenuSeparator, SeparatorNamesBecomeLinesOthersFollowTheirMarker) {
    const SeparatorItemCase& c = GetParam();
    QWidget form;
    auto* menu = new QMenu(&form);
    QAction* item = menu->addAction(c.design);
    item->setObjectName(c.itemName);
    CaptionForm(form, kUs);
    EXPECT_EQ(item->text(), c.expected);
    EXPECT_EQ(item->isSeparator(), c.separator);
}

INSTANTIATE_TEST_SUITE_P(
    Items, MenuSeparator,
    testing::Values(
        SeparatorItemCase{"PopupSep1", "mnuPopupSep1", "mnuPopupSep1", "-", true},
        SeparatorItemCase{"SepLeadingZeroMarked", "mnuSep01", "mnuSep01#21", "&Cancel", false},
        SeparatorItemCase{"SepX2", "mnuSepX2", "mnuSepX2", "mnuSepX2", false},
        SeparatorItemCase{"FortyDigits", "mnuSep1234567890123456789012345678901234567890",
                          "mnuSep#21", "-", true}),
    test::byName);

TEST(CaptionForm, TabStripCaptionsAndToolTips) {
    QWidget form;
    auto* tabs = new QTabWidget(&form);
    const struct {
        QString caption, tip, expectedCaption, expectedTip;
    } rows[] = {
        {"tbImage#8", "tbImageTooltip#8", "Wallpaper Options", "Wallpaper Options"},
        {"tbImageSS#25", "", "Screen Saver Options", ""},
        {"tbNewsgroups#9", "tbNewsgroupsTooltip#10", "&Newsgroups", "Newsgroup Options"},
        {"Plain", "Plain tip", "Plain", "Plain tip"},
        {"tbNone#99", "tip#99", "tbNone#99", "tip#99"},
    };
    for (const auto& row : rows) {
        const int index = tabs->addTab(new QWidget, row.caption);
        tabs->setTabToolTip(index, row.tip);
    }
    CaptionForm(form, kUs);
    for (int i = 0; i < tabs->count(); ++i) {
        EXPECT_EQ(tabs->tabText(i), rows[i].expectedCaption) << i;
        EXPECT_EQ(tabs->tabToolTip(i), rows[i].expectedTip) << i;
    }
}

// ---- Widths ----

struct SizeCase {
    const char* name;
    Kind kind;
    double measuredTwips, twipsPerPixel;
    int expectedWidth;
};

class MeasuredWidth : public testing::TestWithParam<SizeCase> {};

/// A measurement that knows only the new caption: measuring anything else gives 0.
FormMetrics measuring(const QString& caption, double twips, double twipsPerPixel) {
    return {[=](const QString& text) { return text == caption ? twips : 0.0; }, twipsPerPixel};
}

TEST_P(MeasuredWidth, FollowsTheNewCaptionInThePixelsOfTheFormsDpi) {
    const SizeCase& c = GetParam();
    QWidget form;
    auto* control = static_cast<QWidget*>(makeControl(form, c.kind, "btnSave#5"));
    control->resize(10, 23);
    CaptionForm(form, kUs, measuring("&Save", c.measuredTwips, c.twipsPerPixel));
    EXPECT_EQ(control->width(), c.expectedWidth);
    EXPECT_EQ(control->height(), 23);
}

// 2120 twips are 141.3 pixels at 96 DPI (15 twips each) and 282.7 at 192 DPI (7.5 each).
INSTANTIATE_TEST_SUITE_P(
    Controls, MeasuredWidth,
    testing::Values(SizeCase{"Button2000At96", Kind::Button, 2000, 15, 141},
                    SizeCase{"Button500At96", Kind::Button, 500, 15, 76},
                    SizeCase{"Button2000At192", Kind::Button, 2000, 7.5, 283},
                    SizeCase{"Button500At192", Kind::Button, 500, 7.5, 153},
                    SizeCase{"CheckBox2000At96", Kind::CheckBox, 2000, 15, 153},
                    SizeCase{"CheckBox500At192", Kind::CheckBox, 500, 7.5, 107},
                    SizeCase{"Radio500At96", Kind::Radio, 500, 15, 53}),
    test::byName);

TEST(CaptionForm, UnmarkedControlsKeepTheirSize) {
    for (const Kind kind : {Kind::Button, Kind::CheckBox, Kind::Radio, Kind::Label}) {
        QWidget form;
        auto* control = static_cast<QWidget*>(makeControl(form, kind, "Save"));
        control->resize(7, 9);
        CaptionForm(form, kUs, measuring("Save", 2000, 15));
        EXPECT_EQ(control->size(), QSize(7, 9)) << static_cast<int>(kind);
    }
}

TEST(CaptionForm, MarkedLabelSizesItselfToItsCaption) {
    QWidget form;
    auto* label = new QLabel("lblMaxFiles#22", &form);
    label->resize(5, 5);
    CaptionForm(form, kUs);
    EXPECT_EQ(label->size(), label->sizeHint());
    EXPECT_GT(label->width(), 5);
    EXPECT_EQ(label->property(kAutoSizeProperty), QVariant(true));
}

/// The form's own font measures, not the control's, and the caption counts with its "&".
TEST(CaptionForm, FormFontMeasuresTheNewCaption) {
    struct Row {
        Kind kind;
        QString design, caption;
        int formPixelSize, marginPixels;  // 120 twips are 8 pixels at 96 DPI, 300 twips 20
    };
    for (const Row& row : {Row{Kind::Button, "#4", "&Update Wallpaper", 40, 8},
                           Row{Kind::CheckBox, "#2", "&Re-Scan Directory", 30, 20}}) {
        QWidget form;
        QFont font = form.font();
        font.setPixelSize(row.formPixelSize);
        form.setFont(font);
        auto* control = static_cast<QWidget*>(makeControl(form, row.kind, row.design));
        QFont small = font;
        small.setPixelSize(6);
        control->setFont(small);
        CaptionForm(form, kUs);
        const int advance = QFontMetrics(font, &form).horizontalAdvance(row.caption);
        ASSERT_GT(advance * 15 + 120, 1145) << "the caption must be wider than the minimum";
        EXPECT_EQ(control->width(), advance + row.marginPixels) << row.caption.toStdString();
    }
}

TEST(CaptionForm, FailingControlKeepsWhatItHadAndTheWalkGoesOn) {
    QWidget form;
    form.setWindowTitle("frm#1");
    auto* failing = new QPushButton("btnSave#5", &form);
    failing->resize(10, 20);
    auto* next = new QPushButton("btnAddGroup#11", &form);
    auto* box = new QLineEdit("tbxPath", &form);
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
    EXPECT_EQ(box->text(), "");
    EXPECT_EQ(form.windowTitle(), "Muralto");
}

TEST(CaptionForm, EditorsInsideSpinAndComboBoxesAreNoTextBoxes) {
    QWidget form;
    auto* spin = new QSpinBox(&form);
    spin->setValue(42);
    auto* combo = new QComboBox(&form);
    combo->setEditable(true);
    combo->setEditText("*.jpg");
    CaptionForm(form, kUs);
    EXPECT_EQ(spin->text(), "42");
    EXPECT_EQ(combo->currentText(), "*.jpg");
}

TEST(CaptionForm, NestedControlsAreCaptioned) {
    QWidget form;
    auto* group = new QGroupBox("grp#25", &form);
    auto* inner = new QWidget(group);
    auto* button = new QPushButton("btnDelFilter#15", inner);
    auto* box = new QLineEdit("tbxMaxFiles", inner);
    CaptionForm(form, kUs);
    EXPECT_EQ(group->title(), "Screen Saver Options");
    EXPECT_EQ(button->text(), "Del S&ubject");
    EXPECT_EQ(box->text(), "");
}

}  // namespace
}  // namespace muralto::i18n
