#include "main_window.h"

#include "banner_slot.h"
#include "classic_look.h"
#include "controls.h"
#include "identity.h"
#include "layout.h"
#include "message_boxes.h"
#include "qt_text.h"
#include "rwin_calculator.h"
#include "sponsor_banners.h"
#include "texts.h"
#include "twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumox {

namespace {

QColor qColour(layout::Colour colour)
{
    return QColor(colour.red, colour.green, colour.blue);
}

const QColor headingGrey = qColour(layout::headingGrey);
const QColor donationBlue = qColour(layout::donationBlue);

// The layout table's entry for a control of the main window.
const layout::Control &entry(const char *name)
{
    const layout::Control *control = layout::findMainWindowControl(name);
    Q_ASSERT(control != nullptr);
    return *control;
}

template <typename Widget> Widget *named(Widget *widget, const layout::Control &control)
{
    widget->setObjectName(qs(control.name));
    if (!control.accessibleName.empty())
        widget->setAccessibleName(qs(control.accessibleName));
    if (!control.accessibleDescription.empty())
        widget->setAccessibleDescription(qs(control.accessibleDescription));
    return widget;
}

// Names the widget and puts it where the table says.
template <typename Widget> Widget *placed(Widget *widget, const layout::Control &control)
{
    widget->setGeometry(twipsRect(control.rect));
    return named(widget, control);
}

QLabel *makeLabel(QWidget *parent, const char *name)
{
    const layout::Control &control = entry(name);
    auto *label = placed(new QLabel(qs(control.text), parent), control);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette palette = label->palette();
    switch (control.style) {
    case layout::Style::Centred:
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        break;
    case layout::Style::Heading:
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setFont(headingFont());
        palette.setColor(QPalette::WindowText, headingGrey);
        break;
    case layout::Style::Donation:
        palette.setColor(QPalette::WindowText, donationBlue);
        break;
    default:
        break;
    }
    label->setPalette(palette);
    return label;
}

QLineEdit *makeTextBox(QWidget *parent, const char *name)
{
    const layout::Control &control = entry(name);
    auto *box = placed(new QLineEdit(parent), control);
    box->setMaxLength(std::numeric_limits<int>::max());
    box->setValidator(new FirstLineOnly(box));
    box->setToolTip(qs(control.toolTip));
    return box;
}

QPushButton *makeButton(QWidget *parent, const char *name)
{
    const layout::Control &control = entry(name);
    auto *button = placed(new QPushButton(qs(control.text), parent), control);
    // Enter and Esc press no button.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

PictureBox *makePictureBox(QWidget *parent, const char *name)
{
    const layout::Control &control = entry(name);
    const auto border = control.style == layout::Style::Sunken ? PictureBox::Border::Sunken3D
                                                               : PictureBox::Border::None;
    return placed(new PictureBox(border, parent), control);
}

RuleLine *makeRule(QWidget *parent, const char *name)
{
    const layout::Control &control = entry(name);
    const layout::TwipsRect &rect = control.rect;
    auto *line = new RuleLine(twipsPoint(rect.left, rect.top),
                              twipsPoint(rect.left + rect.width, rect.top), headingGrey, parent);
    return named(line, control);
}

} // namespace

// The window's controls and toolkit as the shared behaviour sees them; texts are UTF-8.
class frmMain::Face : public MainWindowFace
{
public:
    explicit Face(frmMain &window) : m_window(window) {}

    std::string mtuText() const override { return utf8(m_window.txtMTU->text()); }
    std::string rwinText() const override { return utf8(m_window.txtRWIN->text()); }
    // The box's change notification runs txtRWIN_Change before setText returns.
    void setRwinText(const std::string &text) override { m_window.txtRWIN->setText(qs(text)); }
    void setFormulaCaption(const std::string &caption) override
    {
        m_window.lblCalc->setText(qs(caption));
    }
    void setFormulaVisible(bool visible) override { m_window.lblCalc->setVisible(visible); }
    std::string toUtf8(const std::string &text) const override { return text; }
    void showMessage(std::string_view title, std::string_view text) override
    {
        MessageBoxes::exclamation(&m_window, qs(title), qs(text));
    }
    bool openSponsorPage(std::string_view address) override
    {
        return SponsorLauncher::open(qs(address));
    }
    void showSponsorPicture(std::int16_t sponsorNumber) override
    {
        if (!m_window.m_sponsors)
            m_window.m_sponsors = std::make_unique<frmSponsors>();
        // The banners share the store's own picture.
        const QPixmap &picture = m_window.m_sponsors->picture(sponsorNumber);
        for (BannerSlot *banner :
             {m_window.imgAds, m_window.imgAds2, m_window.imgAds3, m_window.imgAds4})
            banner->setPixmap(picture);
    }
    void unload() override { m_window.close(); }

private:
    frmMain &m_window;
};

QPointer<frmMain> frmMain::s_instance;

frmMain &frmMain::showMainWindow()
{
    if (!s_instance) {
        s_instance = new frmMain;
        s_instance->setAttribute(Qt::WA_DeleteOnClose);
        centreOnScreen(s_instance);
    }
    s_instance->show();
    s_instance->raise();
    s_instance->activateWindow();
    return *s_instance;
}

frmMain *frmMain::instance()
{
    return s_instance.data();
}

frmMain::frmMain(QWidget *parent) : frmMain(makeDefaultRegistryStore(), parent) {}

frmMain::frmMain(std::unique_ptr<RegistryStore> store, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      // The default locale is the user's own unless the application changes it.
      m_face(std::make_unique<Face>(*this)),
      m_behaviour(std::make_unique<MainWindowBehaviour>(
          *m_face, RwinRules(numberFormatOf(QLocale())), std::move(store)))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(qs(identity::programTitle));
    setFixedSize(twipsToPixels(layout::mainWindowClient.width),
                 twipsToPixels(layout::mainWindowClient.height));
    setAutoFillBackground(true);

    buildFrame();
    buildInformationPage(SSTab1->page(0));
    buildMtuPage(SSTab1->page(1));
    buildRwinPage(SSTab1->page(2));
    buildExitPage(SSTab1->page(3));
    buildBannerTimer();
    wireEvents();
    setFocusOrder();
    SSTab1->setCurrentIndex(0);
}

frmMain::~frmMain() = default;

void frmMain::buildFrame()
{
    const layout::Control &frame = entry("Frame1");
    Frame1 = placed(new EtchedFrame(this), frame);

    const layout::Control &tabs = entry("SSTab1");
    SSTab1 = new TabControl(Frame1);
    SSTab1->setObjectName(qs(tabs.name));
    SSTab1->setGeometry(twipsRect(tabs.rect));
    SSTab1->tabStrip()->setObjectName(QStringLiteral("SSTab1Tabs"));
    SSTab1->tabStrip()->setAccessibleName(qs(tabs.accessibleName));
    for (const std::string_view caption : layout::tabCaptions) {
        QWidget *page = SSTab1->addPage(qs(caption));
        page->setAccessibleName(qs(caption));
    }
}

void frmMain::buildInformationPage(QWidget *page)
{
    page->setObjectName(qs(layout::pageNames[0]));
    Picture2 = makePictureBox(page, "Picture2");
    lblReg = makeLabel(Picture2, "lblReg");
    Line2 = makeRule(Picture2, "Line2");
    Label1 = makeLabel(Picture2, "Label1");
    Label2 = makeLabel(Picture2, "Label2");
    Label3 = makeLabel(Picture2, "Label3");
    Label5 = makeLabel(Picture2, "Label5");
    Picture1 = makePictureBox(Picture2, "Picture1");
    imgAds = addBanner(Picture1, "imgAds");
}

void frmMain::buildMtuPage(QWidget *page)
{
    page->setObjectName(qs(layout::pageNames[1]));
    Label8 = makeLabel(page, "Label8");
    Line1 = makeRule(page, "Line1");
    Label9 = makeLabel(page, "Label9");
    Label12 = makeLabel(page, "Label12");
    txtMTU = makeTextBox(page, "txtMTU");
    cmdSaveMTU = makeButton(page, "cmdSaveMTU");
    cmdResetMTU = makeButton(page, "cmdResetMTU");
    Label11 = makeLabel(page, "Label11");
    Label10 = makeLabel(page, "Label10");
    Label6 = makeLabel(page, "Label6");
    Picture3 = makePictureBox(page, "Picture3");
    imgAds2 = addBanner(Picture3, "imgAds2");
}

void frmMain::buildRwinPage(QWidget *page)
{
    page->setObjectName(qs(layout::pageNames[2]));
    Label14 = makeLabel(page, "Label14");
    Line3 = makeRule(page, "Line3");
    Label15 = makeLabel(page, "Label15");
    Label16 = makeLabel(page, "Label16");
    txtRWIN = makeTextBox(page, "txtRWIN");
    lblCalc = makeLabel(page, "lblCalc");
    cmdSave = makeButton(page, "cmdSave");
    cmdReset = makeButton(page, "cmdReset");
    Label13 = makeLabel(page, "Label13");
    Label4 = makeLabel(page, "Label4");
    Label7 = makeLabel(page, "Label7");
    Picture4 = makePictureBox(page, "Picture4");
    imgAds3 = addBanner(Picture4, "imgAds3");
}

void frmMain::buildExitPage(QWidget *page)
{
    page->setObjectName(qs(layout::pageNames[3]));
    Label18 = makeLabel(page, "Label18");
    Label17 = makeLabel(page, "Label17");
    Picture5 = makePictureBox(page, "Picture5");
    imgAds4 = addBanner(Picture5, "imgAds4");
    cmdExit = makeButton(page, "cmdExit");
}

BannerSlot *frmMain::addBanner(PictureBox *frame, const char *name)
{
    const layout::Control &control = entry(name);
    auto *banner = named(new BannerSlot(frame), control);
    // The slot sits at the frame's inner origin, whatever the frame's border.
    banner->setGeometry(
        QRect(frame->innerOrigin() + twipsPoint(control.rect.left, control.rect.top),
              twipsRect(control.rect).size()));
    banner->setPixmap(initialBannerPicture());
    return banner;
}

void frmMain::buildBannerTimer()
{
    tmrAds = new QTimer(this);
    tmrAds->setObjectName(QStringLiteral("tmrAds"));
    tmrAds->setInterval(bannerIntervalMs);
    tmrAds->start();
}

void frmMain::wireEvents()
{
    connect(txtMTU, &QLineEdit::textChanged, this, &frmMain::txtMTU_Change);
    connect(txtRWIN, &QLineEdit::textChanged, this, &frmMain::txtRWIN_Change);
    connect(cmdSaveMTU, &QPushButton::clicked, this, &frmMain::cmdSaveMTU_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmMain::cmdSave_Click);
    connect(cmdResetMTU, &QPushButton::clicked, this, &frmMain::cmdResetMTU_Click);
    connect(cmdReset, &QPushButton::clicked, this, &frmMain::cmdReset_Click);
    connect(imgAds, &BannerSlot::clicked, this, &frmMain::imgAds_Click);
    connect(imgAds2, &BannerSlot::clicked, this, &frmMain::imgAds2_Click);
    connect(imgAds3, &BannerSlot::clicked, this, &frmMain::imgAds3_Click);
    connect(imgAds4, &BannerSlot::clicked, this, &frmMain::imgAds_Click);
    connect(tmrAds, &QTimer::timeout, this, &frmMain::tmrAds_Timer);
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
}

void frmMain::setFocusOrder()
{
    // The keyboard focus order of the whole window, as the layout table numbers
    // it; controls of hidden pages are skipped by Qt because they are not visible.
    std::vector<const layout::Control *> focusable;
    for (const layout::Control &control : layout::mainWindowControls()) {
        if (control.focusOrder >= 0)
            focusable.push_back(&control);
    }
    std::sort(focusable.begin(), focusable.end(),
              [](const layout::Control *a, const layout::Control *b) {
                  return a->focusOrder < b->focusOrder;
              });
    QList<QWidget *> order;
    for (const layout::Control *control : focusable) {
        // The tab control takes the focus on its strip of tabs.
        QWidget *widget = control->kind == layout::Kind::TabControl
                              ? SSTab1->tabStrip()
                              : findChild<QWidget *>(qs(control->name));
        Q_ASSERT(widget != nullptr);
        order.append(widget);
    }
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

void frmMain::txtMTU_Change()
{
    m_behaviour->txtMTU_Change();
}

void frmMain::txtRWIN_Change()
{
    m_behaviour->txtRWIN_Change();
}

void frmMain::cmdSaveMTU_Click()
{
    m_behaviour->cmdSaveMTU_Click();
}

void frmMain::cmdSave_Click()
{
    m_behaviour->cmdSave_Click();
}

void frmMain::cmdResetMTU_Click()
{
    m_behaviour->cmdResetMTU_Click();
}

void frmMain::cmdReset_Click()
{
    m_behaviour->cmdReset_Click();
}

void frmMain::imgAds_Click()
{
    m_behaviour->imgAds_Click();
}

void frmMain::imgAds2_Click()
{
    m_behaviour->imgAds2_Click();
}

void frmMain::imgAds3_Click()
{
    m_behaviour->imgAds3_Click();
}

void frmMain::tmrAds_Timer()
{
    m_behaviour->tmrAds_Timer();
}

void frmMain::cmdExit_Click()
{
    m_behaviour->cmdExit_Click();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // Whichever way the window is closed, the whole program ends with it.
    tmrAds->stop();
    event->accept();
    QCoreApplication::exit(0);
}

} // namespace lumox
