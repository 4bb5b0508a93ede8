#include "ui/ImagePage.h"

#include <QKeyEvent>
#include <array>
#include <utility>

#include "options/PathText.h"
#include "ui/MakeControl.h"
#include "ui/TwipGeometry.h"

namespace muralto::ui {
namespace {

using settings::RunMode;
using settings::withFinalSeparator;

/// The page's controls with the field of the layout each one takes.
using Placed = std::array<std::pair<options::TwipRect options::ImagePageControls::*, QWidget*>, 12>;

Placed placed(const ImagePage& p) {
    using C = options::ImagePageControls;
    return {{{&C::tbxPath, p.tbxPath},
             {&C::Dir1, p.Dir1},
             {&C::Drive1, p.Drive1},
             {&C::chkReScan, p.chkReScan},
             {&C::chkAddPath, p.chkAddPath},
             {&C::chkStartupOnly, p.chkStartupOnly},
             {&C::lblScaleFactor, p.lblScaleFactor},
             {&C::tbxScaleFactor, p.tbxScaleFactor},
             {&C::tbxDelay, p.tbxDelay},
             {&C::lblDelay, p.lblDelay},
             {&C::btnSave, p.btnSave},
             {&C::btnUpdate, p.btnUpdate}}};
}

/// The part of a control that takes the focus: the control, or for a control made of parts
/// the first part that takes it by Tab.
QWidget* focusTarget(QWidget* control) {
    if (control->focusProxy() || (control->focusPolicy() & Qt::TabFocus))
        return control;
    for (QWidget* part : control->findChildren<QWidget*>()) {
        if (part->focusPolicy() & Qt::TabFocus)
            return part;
    }
    return control;
}

}  // namespace

ImagePage::ImagePage(QWidget& parent, OptionsHost& host, options::ImageEdits& edits,
                     const std::string& programDirectory, Frame frame)
    : QFrame(&parent), host_(host), edits_(edits), frame_(std::move(frame)) {
    setObjectName("picTabPage1");
    createControls(programDirectory);
    placeControls(options::designedImagePage());
    setDefaultButton(btnUpdate);
    setTabOrder();
    connectHandlers();
}

void ImagePage::createControls(const std::string& programDirectory) {
    tbxPath = makeControl<QLineEdit>(this, "tbxPath", "tbxPath");
    const DirectoryControls lists = makeDirectoryControls(this, programDirectory);
    Dir1 = lists.Dir1;
    Dir1->setObjectName("Dir1");
    Drive1 = lists.Drive1;
    Drive1->setObjectName("Drive1");
    chkReScan = makeControl<QCheckBox>(this, "chkReScan", "chkReScan#2");
    chkAddPath = makeControl<QCheckBox>(this, "chkAddPath", "chkAddPath#3");
    chkStartupOnly = makeControl<QCheckBox>(this, "chkStartupOnly", "chkStatupOnly#26");
    lblScaleFactor = makeControl<QLabel>(this, "lblScaleFactor", "lblScaleFactor#24");
    tbxScaleFactor = makeControl<QLineEdit>(this, "tbxScaleFactor", "tbxScaleFactor");
    lblDelay = makeControl<QLabel>(this, "lblDelay", "lblDelay#6");
    tbxDelay = makeControl<QLineEdit>(this, "tbxDelay", "tbxDelay");
    btnUpdate = makeControl<QPushButton>(this, "btnUpdate", "btnUpdate#4");
    btnSave = makeControl<QPushButton>(this, "btnSave", "btnSave#5");
    lblScaleFactor->setBuddy(tbxScaleFactor);
    lblDelay->setBuddy(tbxDelay);
}

void ImagePage::setTabOrder() {
    for (QWidget* list : {static_cast<QWidget*>(Dir1), static_cast<QWidget*>(Drive1)}) {
        if (QWidget* target = focusTarget(list); target != list)
            list->setFocusProxy(target);
    }
    const std::array<QWidget*, 10> order = {tbxPath,    Dir1,           Drive1,         chkReScan,
                                            chkAddPath, chkStartupOnly, tbxScaleFactor, tbxDelay,
                                            btnUpdate,  btnSave};
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void ImagePage::connectHandlers() {
    const auto changed = [this] { markChanged(); };
    connect(tbxPath, &QLineEdit::textChanged, this, changed);
    connect(tbxDelay, &QLineEdit::textChanged, this, changed);
    connect(tbxScaleFactor, &QLineEdit::textChanged, this, changed);
    for (QCheckBox* box : {chkReScan, chkAddPath, chkStartupOnly})
        connect(box, &QCheckBox::toggled, this, changed);
    connect(Dir1, &DirListBox::Change, this, [this] { Dir1_Change(); });
    connect(Drive1, &DriveListBox::Change, this, [this] { Drive1_Change(); });
    connect(btnSave, &QPushButton::clicked, this, [this] { btnSave_Click(); });
    connect(btnUpdate, &QPushButton::clicked, this, [this] { btnUpdate_Click(); });
    tbxPath->installEventFilter(this);
}

options::ImagePageControls ImagePage::controlPlaces() const {
    options::ImagePageControls places;
    for (const auto& [field, widget] : placed(*this))
        places.*field = twipGeometry(*widget);
    return places;
}

void ImagePage::placeControls(const options::ImagePageControls& places) {
    for (const auto& [field, widget] : placed(*this))
        placeInTwips(*widget, places.*field);
}

void ImagePage::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    const options::TwipRect inner = toTwips(contentsRect(), twipsPerPixel(*this));
    placeControls(
        options::LayoutImagePage(controlPlaces(), inner.width, inner.height, frame_.selectedTab()));
}

std::string ImagePage::pathText() const {
    return options::textToPath(tbxPath->text());
}

void ImagePage::setPathText(const std::string& bytes) {
    tbxPath->setText(options::pathToText(bytes));
}

void ImagePage::FillInDesktop() {
    fillIn(/*saver=*/false);
}

void ImagePage::FillInSaver() {
    fillIn(/*saver=*/true);
}

void ImagePage::fillIn(bool saver) {
    const settings::ImageSettings source = edits_.fillSource(saver, host_.settings());
    const options::FillingGuard filling(edits_);
    Drive1->setDrive(Dir1->path());
    Dir1->setPath(source.Path);  // a missing or unreadable folder leaves the list where it is
    const std::string shown = Dir1->path();
    if (shown.empty() || shown.back() != '/')
        Drive1->setDrive(shown);
    const options::FilledPage page = options::fillImagePage(source, shown);
    setPathText(page.values.pathText);
    chkReScan->setChecked(page.values.reScan);
    chkAddPath->setChecked(page.values.addPath);
    tbxDelay->setText(QString::fromStdString(page.values.delayText));
    if (!saver)
        chkStartupOnly->setChecked(page.values.startupOnly);
    tbxScaleFactor->setText(QString::fromStdString(page.values.scaleText));
    if (page.corrected)
        edits_.mbChanged = true;
    btnUpdate->setVisible(!saver);
    chkStartupOnly->setVisible(!saver);
    options::ImagePageControls places = controlPlaces();
    options::layoutScaleFactorRow(places, saver ? places.chkAddPath : places.chkStartupOnly);
    placeControls(places);
    // The saver tab leaves Save as the wallpaper tab set it, unless a corrected value made a
    // change to save.
    if (!saver || host_.runMode() == RunMode::Options || page.corrected)
        btnSave->setEnabled(edits_.saveEnabled(host_.runMode()));
}

void ImagePage::MemorizeImageSettings() {
    options::ImagePageValues values;
    values.pathText = pathText();
    values.addPath = chkAddPath->isChecked();
    values.reScan = chkReScan->isChecked();
    values.delayText = tbxDelay->text().toStdString();
    values.scaleText = tbxScaleFactor->text().toStdString();
    values.startupOnly = chkStartupOnly->isChecked();
    edits_.memorize(options::readImagePage(values), host_.saverPage());
}

void ImagePage::markChanged() {
    edits_.changed();
    if (host_.runMode() != RunMode::Options)
        btnSave->setEnabled(edits_.mbChanged);
}

void ImagePage::Dir1_Change() {
    setPathText(Dir1->path());
    markChanged();
}

void ImagePage::Drive1_Change() {
    if (restoringDrive_)
        return;
    // A drive whose current directory cannot be shown (not ready, gone) is not kept: the drive
    // list goes back to the directory list's drive, and both lists stay as they were.
    if (!Dir1->setPath(Drive1->currentDirectory())) {
        restoringDrive_ = true;
        Drive1->setDrive(Dir1->path());
        restoringDrive_ = false;
    }
    markChanged();
}

void ImagePage::tbxPath_KeyPress() {
    const std::string text = pathText();
    if (text.empty() || text.front() != '/')
        return;  // a relative path names no drive: nothing to look up
    if (!Drive1->setDrive(text))
        Drive1->setDrive(Drive1->currentDirectory());
    if (!Dir1->setPath(text)) {
        Dir1->setPath(Drive1->currentDirectory());
        setPathText(withFinalSeparator(Dir1->path()));
    }
}

void ImagePage::tbxPath_GotFocus() {
    btnUpdate->setDefault(false);
}

void ImagePage::tbxPath_LostFocus() {
    setDefaultButton(host_.saverPage() ? btnSave : btnUpdate);
}

void ImagePage::setDefaultButton(QPushButton* button) {
    for (QPushButton* b : {btnUpdate, btnSave})
        b->setDefault(b == button);
}

void ImagePage::save() {
    MemorizeImageSettings();
    edits_.commit(host_.settings());
    host_.SaveSettings();
    edits_.mbChanged = false;
}

void ImagePage::btnSave_Click() {
    save();
    if (host_.runMode() == RunMode::Options) {
        frame_.close();
    } else {
        btnSave->setEnabled(false);
    }
}

void ImagePage::btnUpdate_Click() {
    host_.UpdateImage();
}

void ImagePage::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return QFrame::keyPressEvent(event);
    for (QPushButton* button : {btnUpdate, btnSave}) {
        if (button->isDefault() && button->isVisible() && button->isEnabled()) {
            button->click();
            return;
        }
    }
    QFrame::keyPressEvent(event);
}

bool ImagePage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tbxPath) {
        switch (event->type()) {
            case QEvent::KeyPress: {
                const int key = static_cast<QKeyEvent*>(event)->key();
                if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                    tbxPath_KeyPress();
                    return true;  // swallowed, whatever the text
                }
                break;
            }
            case QEvent::FocusIn:
                tbxPath_GotFocus();
                break;
            case QEvent::FocusOut:
                tbxPath_LostFocus();
                break;
            default:
                break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace muralto::ui
