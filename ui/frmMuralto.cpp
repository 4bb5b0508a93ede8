#include "ui/frmMuralto.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QScreen>
#include <QTimer>

#include "i18n/CaptionForm.h"
#include "platform/ProgramIdentity.h"
#include "ui/TwipGeometry.h"

namespace muralto::ui {
namespace {

using settings::RunMode;
constexpr std::int32_t kClientWidth = 4965;
constexpr std::int32_t kClientHeight = 5520;
constexpr double kFormPointSize = 8.25;    ///< 11 pixels at 96 DPI, 22 at 192
constexpr std::int32_t kTabsHeight = 375;  ///< the tabs' row, unless the style wants more
constexpr std::int32_t kPaneBorder = 15;   ///< the strip's border, unless the style's is wider
constexpr options::TwipRect kImagePageDesign{90, 45, 4860, 4995};
constexpr options::TwipRect kGroupsPageDesign{90, 5130, 6285, 3705};

const QString kImageKey = QStringLiteral("tbImage");
const QString kSaverKey = QStringLiteral("tbImageSS");
const QString kGroupsKey = QStringLiteral("tbNewsgroups");

/// The desktop's font family at 8.25 points: its text fits the window's 315-twip rows (a line
/// edit's frame around 9 or 10 points does not), and it is a whole number of pixels at 96 and
/// 192 DPI, so the window keeps its shape at twice the DPI.
QFont formFont() {
    QFont font = QApplication::font();
    font.setPointSizeF(kFormPointSize);
    return font;
}

QString tableString(const i18n::StringTable& strings, int id) {
    return QString::fromStdString(strings.LoadResString(id).value_or(""));
}

}  // namespace

frmMuralto::frmMuralto(const i18n::StringTable& strings, OptionsHost& host,
                       const std::string& programDirectory, options::VersionNumbers version)
    : host_(host) {
    setObjectName("frmMuralto");
    setWindowTitle("frmMuralto#1");
    setFont(formFont());
    buildTabs();
    sizeForDesignedPage();
    ImagePage::Frame frame;
    frame.selectedTab = [this] { return tsTabs_->currentIndex() + 1; };
    frame.close = [this] { requestClose(); };
    imagePage_ = new ImagePage(*this, host_, edits_, programDirectory, std::move(frame));
    groupsPage_ = new NewsgroupsPage(*this, host_, [this] { imagePage_->markChanged(); });
    placeInTwips(*imagePage_, kImagePageDesign);
    placeInTwips(*groupsPage_, kGroupsPageDesign);
    imagePage_->hide();
    groupsPage_->hide();
    buildPopup();
    Form_Load(strings, version);
    connect(tsTabs_, &QTabBar::currentChanged, this, [this] { ShowSelectedTab(); });
}

void frmMuralto::buildTabs() {
    tabPane_ = new QFrame(this);
    tabPane_->setObjectName("tsTabsPane");
    tabPane_->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    tsTabs_ = new QTabBar(this);
    tsTabs_->setObjectName("tsTabs");
    tsTabs_->setDrawBase(false);
    const struct {
        const QString& key;
        const char* caption;
        const char* toolTip;
    } tabs[] = {{kImageKey, "tbImage#8", "tbImageTooltip#8"},
                {kSaverKey, "tbImageSS#25", nullptr},
                {kGroupsKey, "tbNewsgroups#9", "tbNewsgroupsTooltip#10"}};
    for (const auto& tab : tabs) {
        const int index = tsTabs_->addTab(QString::fromLatin1(tab.caption));
        tsTabs_->setTabData(index, tab.key);
        if (tab.toolTip)
            tsTabs_->setTabToolTip(index, QString::fromLatin1(tab.toolTip));
    }
}

void frmMuralto::buildPopup() {
    mnuPopup_ = new QMenu(this);
    mnuPopup_->setObjectName("mnuPopup");
    for (const char* name :
         {"mnuUpdate#19", "mnuPopupSep1", "mnuExit#20", "mnuPopupSep2", "mnuCancel#21"}) {
        QAction* item = mnuPopup_->addAction(QString::fromLatin1(name));
        item->setObjectName(QString::fromLatin1(name).section('#', 0, 0));
    }
    const auto item = [this](const char* name) {
        return mnuPopup_->findChild<QAction*>(QString::fromLatin1(name));
    };
    connect(item("mnuUpdate"), &QAction::triggered, this, [this] { host_.UpdateImage(); });
    // Exit asks about unsaved edits first, as closing the window does; Cancel keeps the
    // program. mnuCancel only closes the menu.
    connect(item("mnuExit"), &QAction::triggered, this, [this] { requestClose(); });
}

void frmMuralto::Form_Load(const i18n::StringTable& strings,
                           const options::VersionNumbers& version) {
    centre();
    for (QFrame* page : {static_cast<QFrame*>(imagePage_), static_cast<QFrame*>(groupsPage_)})
        page->setFrameShape(QFrame::NoFrame);
    mnuPopup_->hide();
    i18n::CaptionForm(*this, strings);
    groupsPage_->Form_Load();
    setWindowTitle(options::captionWithVersion(windowTitle(), version));
    edits_.mbChanged = false;
    if (host_.runMode() == RunMode::Options) {
        imagePage_->btnUpdate->hide();
        imagePage_->setDefaultButton(imagePage_->btnSave);
        imagePage_->btnSave->setText(tableString(strings, 23));
        imagePage_->btnSave->setEnabled(true);
        removeTab(kGroupsKey);
        selectTab(kSaverKey);
        imagePage_->FillInSaver();
    } else {
        removeTab(kGroupsKey);
        imagePage_->FillInDesktop();
    }
    loaded_ = true;
}

void frmMuralto::centre() {
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    const double perPixel = twipsPerPixel(*this);
    const options::TwipPoint corner = options::centreInUpperScreen(
        screen->geometry().width() * perPixel, screen->geometry().height() * perPixel,
        width() * perPixel, height() * perPixel);
    move(toPixels({corner.left, corner.top, 0, 0}, perPixel).topLeft());
}

void frmMuralto::removeTab(const QString& key) {
    for (int i = 0; i < tsTabs_->count(); ++i) {
        if (tsTabs_->tabData(i).toString() == key)
            return tsTabs_->removeTab(i);
    }
}

void frmMuralto::selectTab(const QString& key) {
    for (int i = 0; i < tsTabs_->count(); ++i) {
        if (tsTabs_->tabData(i).toString() == key)
            return tsTabs_->setCurrentIndex(i);
    }
}

void frmMuralto::AddGroups() {
    groupsPage_->AddGroups();
}

void frmMuralto::UpdateGroup() {
    groupsPage_->UpdateGroup();
}

QFrame* frmMuralto::picTabPage(int index) {
    if (index == 1)
        return imagePage_;
    if (index == 2)
        return groupsPage_;
    return nullptr;
}

void frmMuralto::showFromIcon() {
    if (isVisible() || unloaded_)
        return;
    // Back in the normal state: a window maximised before it went to the tray would otherwise
    // come back maximised.
    showNormal();
    raise();
    activateWindow();
}

void frmMuralto::popupIconMenu() {
    if (isVisible() || unloaded_)
        return;
    mnuPopup_->popup(QCursor::pos());
}

void frmMuralto::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && loaded_)
        Form_Resize();
}

void frmMuralto::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (loaded_)
        Form_Resize();
}

void frmMuralto::Form_Resize() {
    // Minimised, the window goes to the notification area: the icon brings it back. Without
    // an icon (the options mode, or no tray) it stays on the task bar, the only way back to it.
    if (windowState() & Qt::WindowMinimized) {
        if (host_.trayIconShown())
            QTimer::singleShot(0, this, [this] { hide(); });
        return;
    }
    placeTabStrip();
    ShowSelectedTab();
}

void frmMuralto::placeTabStrip() {
    const double perPixel = twipsPerPixel(*this);
    const options::TwipRect client = toTwips(rect(), perPixel);
    const QRect strip = toPixels(options::fitTabStrip(client.width, client.height), perPixel);
    const int tabsHeight = std::min(
        std::max(tsTabs_->sizeHint().height(), toPixels({0, 0, 0, kTabsHeight}, perPixel).height()),
        strip.height());
    tsTabs_->setGeometry(strip.x(), strip.y(), strip.width(), tabsHeight);
    tabPane_->setGeometry(strip.x(), strip.y() + tabsHeight, strip.width(),
                          strip.height() - tabsHeight);
}

void frmMuralto::sizeForDesignedPage() {
    // The designed client area leaves the image page its designed size under a tab row of the
    // designer's toolkit; a taller row here would squeeze the page until the scale-factor row
    // runs into the buttons. The window grows by what the page lacks.
    const double perPixel = twipsPerPixel(*this);
    resize(toPixels({0, 0, kClientWidth, kClientHeight}, perPixel).size());
    placeTabStrip();
    const QSize page = toPixels(options::insetPage(stripClientArea()), perPixel).size();
    const QSize designed = toPixels(kImagePageDesign, perPixel).size();
    resize(size() + (designed - page).expandedTo({0, 0}));
}

options::TwipRect frmMuralto::stripClientArea() const {
    // The tabs and the border are measured in twips where the style allows, so the window keeps
    // its shape at every DPI.
    const double perPixel = twipsPerPixel(*this);
    const int border =
        std::max(tabPane_->frameWidth(), toPixels({0, 0, kPaneBorder, 0}, perPixel).width());
    const QRect pane = tabPane_->geometry();
    return toTwips(pane.adjusted(border, border, -border, -border), perPixel);
}

void frmMuralto::fitPage(QFrame& page) {
    placeInTwips(page, options::insetPage(stripClientArea()));
}

void frmMuralto::ShowSelectedTab() {
    const int current = tsTabs_->currentIndex();
    const QString key = tsTabs_->tabData(current).toString();
    const int index = current + 1;
    if (key == shown_.key) {
        if (QFrame* page = picTabPage(shown_.page))
            fitPage(*page);
        return;
    }
    if (!shown_.key.isEmpty()) {
        const bool image = shown_.key == kImageKey || shown_.key == kSaverKey;
        if (image && edits_.mbChanged)
            imagePage_->MemorizeImageSettings();  // still for the settings that were on show
        if (QFrame* page = picTabPage(image ? 1 : shown_.index - 1))
            page->hide();
    }
    int pageIndex = index - 1;
    if (key == kImageKey || key == kSaverKey) {
        const bool saver = key == kSaverKey;
        host_.setSaverPage(saver);
        pageIndex = 1;
        saver ? imagePage_->FillInSaver() : imagePage_->FillInDesktop();
    }
    if (QFrame* page = picTabPage(pageIndex)) {
        fitPage(*page);
        page->show();
        page->raise();
    }
    // The window opens with the cursor in the path box, where a user starts typing.
    if (!focusWidget() && pageIndex == 1)
        imagePage_->tbxPath->setFocus();
    shown_ = {key, index, pageIndex};
}

bool frmMuralto::Form_QueryUnload() {
    if (!edits_.mbChanged)
        return true;
    const RunMode mode = host_.runMode();
    if (mode != RunMode::Wallpaper && mode != RunMode::Options)
        return true;
    switch (host_.boxes().askYesNoCancel(platform::kProgramTitle, "Save Changes?")) {
        case platform::MessageBoxes::Answer::Cancel:
            return false;
        case platform::MessageBoxes::Answer::Yes:
            imagePage_->save();
            return true;
        default:
            return true;
    }
}

void frmMuralto::unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    UpdateGroup();
    host_.EndProgram();
    hide();
}

void frmMuralto::requestClose() {
    if (!unloaded_ && Form_QueryUnload())
        unload();
}

void frmMuralto::closeEvent(QCloseEvent* event) {
    if (!unloaded_ && !Form_QueryUnload())
        return event->ignore();
    event->accept();
    unload();
}

}  // namespace muralto::ui
