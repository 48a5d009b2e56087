#include "main_window.h"

#include "banner_slot.h"
#include "classic_look.h"
#include "controls.h"
#include "identity.h"
#include "message_box.h"
#include "qt_text.h"
#include "sponsor_banners.h"
#include "texts.h"
#include "tuning_actions.h"
#include "twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <limits>
#include <utility>

namespace lumox {

namespace {

const QColor headingGrey(128, 128, 128);
const QColor donationBlue(0, 0, 255);
constexpr int bannerInterval = 1750;

enum class LabelStyle { Plain, Centred, Heading, Donation };

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry,
                  LabelStyle style)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette palette = label->palette();
    switch (style) {
    case LabelStyle::Plain:
        break;
    case LabelStyle::Centred:
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        break;
    case LabelStyle::Heading:
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setFont(headingFont());
        palette.setColor(QPalette::WindowText, headingGrey);
        break;
    case LabelStyle::Donation:
        palette.setColor(QPalette::WindowText, donationBlue);
        break;
    }
    label->setPalette(palette);
    return label;
}

QLineEdit *makeTextBox(QWidget *parent, const char *name, const QRect &geometry,
                       const QString &toolTip, const QString &accessibleName,
                       const QString &description)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setMaxLength(std::numeric_limits<int>::max());
    box->setToolTip(toolTip);
    box->setAccessibleName(accessibleName);
    box->setAccessibleDescription(description);
    return box;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text,
                        const QRect &geometry, const QString &description)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setAccessibleName(text);
    button->setAccessibleDescription(description);
    // Enter and Esc press no button.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

PictureBox *makeBannerFrame(QWidget *parent, const char *name, int left, int top)
{
    auto *frame = new PictureBox(PictureBox::Border::Sunken3D, parent);
    frame->setObjectName(QLatin1String(name));
    frame->setAccessibleName(QStringLiteral("Sponsor banner"));
    frame->setGeometry(twipsRect(left, top, 1860, 960));
    return frame;
}

RuleLine *makeRule(QWidget *parent, const char *name, QPoint from, QPoint to)
{
    auto *line = new RuleLine(from, to, headingGrey, parent);
    line->setObjectName(QLatin1String(name));
    return line;
}

} // namespace

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

frmMain::frmMain(QWidget *parent) : frmMain(makeDefaultRegistryStore(), parent)
{
}

frmMain::frmMain(std::unique_ptr<RegistryStore> store, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      // The default locale is the user's own unless the application changes it.
      m_calculator(QLocale()),
      m_store(std::move(store)),
      RegEdit1(std::make_unique<RegistryWriter>(*m_store))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(qs(identity::programTitle));
    setFixedSize(twipsToPixels(5670), twipsToPixels(5595));
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
    Frame1 = new EtchedFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twipsRect(0, -70, 5655, 5655));

    SSTab1 = new TabControl(Frame1);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setGeometry(twipsRect(120, 240, 5445, 5295));
    SSTab1->tabStrip()->setObjectName(QStringLiteral("SSTab1Tabs"));
    SSTab1->tabStrip()->setAccessibleName(QStringLiteral("Pages"));
    for (const QString &caption :
         {qs(texts::informationTab), qs(texts::mtuTab), qs(texts::rwinTab), qs(texts::exitTab)}) {
        QWidget *page = SSTab1->addPage(caption);
        page->setAccessibleName(caption);
    }
}

void frmMain::buildInformationPage(QWidget *page)
{
    page->setObjectName(QStringLiteral("pageInformation"));
    Picture2 = new PictureBox(PictureBox::Border::None, page);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setAccessibleName(QStringLiteral("Information"));
    Picture2->setGeometry(twipsRect(100, 360, 5295, 4780));

    lblReg = makeLabel(Picture2, "lblReg", qs(texts::informationHeading),
                       twipsRect(120, 0, 5055, 495), LabelStyle::Heading);
    Line2 = makeRule(Picture2, "Line2", twipsPoint(0, 310), twipsPoint(5160, 310));
    Label1 = makeLabel(Picture2, "Label1", qs(texts::about), twipsRect(0, 360, 5175, 3015),
                       LabelStyle::Centred);
    Label2 = makeLabel(Picture2, "Label2", qs(texts::donationNotice), twipsRect(240, 3360, 2655, 255),
                       LabelStyle::Donation);
    Label3 = makeLabel(Picture2, "Label3", qs(texts::donationAddress),
                       twipsRect(240, 3600, 1815, 1335), LabelStyle::Donation);
    Label5 = makeLabel(Picture2, "Label5", qs(texts::clickHere), twipsRect(2520, 3960, 735, 495),
                       LabelStyle::Centred);
    Picture1 = makeBannerFrame(Picture2, "Picture1", 3360, 3720);
    imgAds = addBanner(Picture1, "imgAds");
}

void frmMain::buildMtuPage(QWidget *page)
{
    page->setObjectName(QStringLiteral("pageMTU"));
    Label8 = makeLabel(page, "Label8", qs(texts::mtuHeading), twipsRect(230, 360, 5055, 495),
                       LabelStyle::Heading);
    Line1 = makeRule(page, "Line1", twipsPoint(110, 675), twipsPoint(5270, 675));
    Label9 = makeLabel(page, "Label9", qs(texts::mtuHelp), twipsRect(120, 840, 5175, 1815),
                       LabelStyle::Centred);
    Label12 = makeLabel(page, "Label12", qs(texts::mtuFieldLabel), twipsRect(240, 3000, 1335, 255),
                        LabelStyle::Plain);
    txtMTU = makeTextBox(page, "txtMTU", twipsRect(1560, 3000, 975, 285), qs(texts::mtuToolTip),
                         QStringLiteral("MaxMTU setting"), qs(texts::mtuDescription));
    cmdSaveMTU = makeButton(page, "cmdSaveMTU", qs(texts::saveButton), twipsRect(3480, 2760, 1815, 495),
                            qs(texts::saveDescription));
    cmdResetMTU = makeButton(page, "cmdResetMTU", qs(texts::resetButton),
                             twipsRect(3480, 3240, 1815, 495), qs(texts::resetDescription));
    Label11 = makeLabel(page, "Label11", qs(texts::donationNotice), twipsRect(345, 3720, 2655, 255),
                        LabelStyle::Donation);
    Label10 = makeLabel(page, "Label10", qs(texts::donationAddress), twipsRect(345, 3960, 1815, 1335),
                        LabelStyle::Donation);
    Label6 = makeLabel(page, "Label6", qs(texts::clickHere), twipsRect(2630, 4320, 735, 495),
                       LabelStyle::Centred);
    Picture3 = makeBannerFrame(page, "Picture3", 3470, 4080);
    imgAds2 = addBanner(Picture3, "imgAds2");
}

void frmMain::buildRwinPage(QWidget *page)
{
    page->setObjectName(QStringLiteral("pageRWIN"));
    Label14 = makeLabel(page, "Label14", qs(texts::rwinHeading), twipsRect(230, 360, 5055, 495),
                        LabelStyle::Heading);
    Line3 = makeRule(page, "Line3", twipsPoint(110, 675), twipsPoint(5270, 675));
    Label15 = makeLabel(page, "Label15", qs(texts::rwinHelp), twipsRect(120, 840, 5175, 1815),
                        LabelStyle::Centred);
    Label16 = makeLabel(page, "Label16", qs(texts::rwinFieldLabel), twipsRect(240, 3000, 1335, 255),
                        LabelStyle::Plain);
    txtRWIN = makeTextBox(page, "txtRWIN", twipsRect(1320, 3000, 975, 285), qs(texts::rwinToolTip),
                          QStringLiteral("RWIN setting"), qs(texts::rwinDescription));
    lblCalc = makeLabel(page, "lblCalc", QString(), twipsRect(2400, 3000, 975, 615),
                        LabelStyle::Plain);
    lblCalc->setAccessibleName(QStringLiteral("RWIN formula"));
    cmdSave = makeButton(page, "cmdSave", qs(texts::saveButton), twipsRect(3480, 2760, 1815, 495),
                         qs(texts::saveDescription));
    cmdReset = makeButton(page, "cmdReset", qs(texts::resetButton), twipsRect(3480, 3240, 1815, 495),
                          qs(texts::resetDescription));
    Label13 = makeLabel(page, "Label13", qs(texts::donationNotice), twipsRect(345, 3720, 2655, 255),
                        LabelStyle::Donation);
    Label4 = makeLabel(page, "Label4", qs(texts::donationAddress), twipsRect(345, 3960, 1815, 1335),
                       LabelStyle::Donation);
    Label7 = makeLabel(page, "Label7", qs(texts::clickHere), twipsRect(2630, 4320, 735, 495),
                       LabelStyle::Centred);
    Picture4 = makeBannerFrame(page, "Picture4", 3470, 4080);
    imgAds3 = addBanner(Picture4, "imgAds3");
}

void frmMain::buildExitPage(QWidget *page)
{
    page->setObjectName(QStringLiteral("pageExit"));
    Label18 = makeLabel(page, "Label18", qs(texts::exitDonationNotice),
                        twipsRect(240, 1680, 2055, 495), LabelStyle::Donation);
    Label17 = makeLabel(page, "Label17", qs(texts::donationAddress), twipsRect(240, 2160, 1815, 1335),
                        LabelStyle::Donation);
    Picture5 = makeBannerFrame(page, "Picture5", 3240, 2160);
    imgAds4 = addBanner(Picture5, "imgAds4");
    cmdExit = makeButton(page, "cmdExit", qs(texts::quitButton), twipsRect(2040, 3960, 1215, 495),
                         qs(texts::quitDescription));
}

BannerSlot *frmMain::addBanner(PictureBox *frame, const char *name)
{
    auto *banner = new BannerSlot(frame);
    banner->setObjectName(QLatin1String(name));
    banner->setAccessibleName(QStringLiteral("Sponsor banner: click to visit the sponsor"));
    banner->setGeometry(QRect(frame->innerOrigin(), twipsRect(0, 0, 1800, 900).size()));
    banner->setPixmap(initialBannerPicture());
    return banner;
}

void frmMain::buildBannerTimer()
{
    tmrAds = new QTimer(this);
    tmrAds->setObjectName(QStringLiteral("tmrAds"));
    tmrAds->setInterval(bannerInterval);
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
    // The keyboard focus order of the whole window; controls of hidden pages
    // are skipped by Qt because they are not visible.
    const QList<QWidget *> order = {Picture1, txtMTU,   cmdSaveMTU, cmdResetMTU, txtRWIN,
                                    cmdSave,  cmdReset, cmdExit,    Picture5,    Picture4,
                                    SSTab1->tabStrip(), Picture3, Picture2};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

void frmMain::txtMTU_Change()
{
    const std::optional<QString> proposal = m_calculator.proposalText(txtMTU->text());
    if (!proposal)
        return;
    if (txtRWIN->text() == *proposal) {
        // Setting the same text raises no change notification; bring the
        // formula label in line all the same.
        txtRWIN_Change();
    } else {
        txtRWIN->setText(*proposal);
    }
    lblCalc->setText(RwinCalculator::formulaCaption(txtMTU->text()));
}

void frmMain::txtRWIN_Change()
{
    const std::optional<bool> matches = m_calculator.isProposal(txtMTU->text(), txtRWIN->text());
    if (matches)
        lblCalc->setVisible(*matches);
}

void frmMain::cmdSaveMTU_Click()
{
    showOutcome(saveTuningValues(*RegEdit1, txtMTU->text().toStdString(),
                                 txtRWIN->text().toStdString()));
}

void frmMain::cmdSave_Click()
{
    cmdSaveMTU_Click();
}

void frmMain::cmdResetMTU_Click()
{
    showOutcome(resetTuningValues(*m_store));
}

void frmMain::showOutcome(const ActionOutcome &outcome)
{
    MessageBoxes::exclamation(this, QString::fromStdString(outcome.title),
                              QString::fromStdString(outcome.text));
}

void frmMain::cmdReset_Click()
{
    cmdResetMTU_Click();
}

void frmMain::imgAds_Click()
{
    if (!SponsorLauncher::open(sponsorAddress))
        MessageBoxes::exclamation(this, qs(identity::programTitle),
                                  sponsorPageUnavailableText(sponsorAddress));
}

void frmMain::imgAds2_Click()
{
    imgAds_Click();
}

void frmMain::imgAds3_Click()
{
    imgAds_Click();
}

void frmMain::tmrAds_Timer()
{
    m_sponsorRandom.reseedFromClock();
    m_sponsorNumber = sponsorNumberForDraw(m_sponsorRandom.next());
    if (!m_sponsors)
        m_sponsors = std::make_unique<frmSponsors>();
    // The banners share the store's own picture; the exit page's banner
    // rotates with the other three.
    const QPixmap &picture = m_sponsors->picture(m_sponsorNumber);
    for (BannerSlot *banner : {imgAds, imgAds2, imgAds3, imgAds4})
        banner->setPixmap(picture);
}

void frmMain::cmdExit_Click()
{
    close();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // Whichever way the window is closed, the whole program ends with it.
    tmrAds->stop();
    event->accept();
    QCoreApplication::exit(0);
}

} // namespace lumox
