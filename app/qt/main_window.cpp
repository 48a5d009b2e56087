#include "main_window.h"

#include "banner_slot.h"
#include "controls.h"
#include "event_routes.h"
#include "form_builder.h"
#include "frm_sponsors.h"
#include "identity.h"
#include "layout.h"
#include "locale_number_format.h"
#include "message_boxes.h"
#include "qt_text.h"
#include "sponsor_launcher.h"
#include "twips.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumox {

// The window's controls and toolkit as the shared behaviour sees them; texts are UTF-8.
class frmMain::Face : public MainWindowFace
{
public:
    explicit Face(frmMain &window) : m_window(window) {}

    std::string mtuText() const override { return utf8(box("txtMTU")->text()); }
    std::string rwinText() const override { return utf8(box("txtRWIN")->text()); }
    // The box's change notification runs txtRWIN_Change before setText returns.
    void setRwinText(const std::string &text) override { box("txtRWIN")->setText(qs(text)); }
    void setFormulaCaption(const std::string &caption) override
    {
        m_window.control<QLabel>("lblCalc")->setText(qs(caption));
    }
    void setFormulaVisible(bool visible) override
    {
        m_window.control<QLabel>("lblCalc")->setVisible(visible);
    }
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
        for (BannerSlot *banner : m_window.m_banners)
            banner->setPixmap(picture);
    }
    void unload() override { m_window.close(); }

private:
    QLineEdit *box(std::string_view name) const { return m_window.control<QLineEdit>(name); }

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
    setFixedSize(pixelsAcross(layout::mainWindowClient.width),
                 pixelsDown(layout::mainWindowClient.height));
    setAutoFillBackground(true);

    m_controls = buildFormControls(*this, layout::mainWindowControls());
    for (const layout::Control &entry : layout::mainWindowControls()) {
        if (entry.kind == layout::Kind::BannerSlot)
            m_banners.append(control<BannerSlot>(entry.name));
    }
    auto *timer = new QTimer(this);
    timer->setObjectName(qs(layout::bannerTimerName));
    timer->setInterval(bannerIntervalMs);
    timer->start();
    connectEvents();
    setFocusOrder();
    control<TabControl>("SSTab1")->setCurrentIndex(0);
}

frmMain::~frmMain() = default;

void frmMain::connectEvents()
{
    for (const EventRoute &route : mainWindowEventRoutes()) {
        const auto run = [this, handler = route.handler] { ((*m_behaviour).*handler)(); };
        const std::string_view name = route.control;
        QObject *source = findChild<QObject *>(qs(name));
        Q_ASSERT(source != nullptr);
        switch (route.event) {
        case ControlEvent::Change:
            connect(qobject_cast<QLineEdit *>(source), &QLineEdit::textChanged, this, run);
            break;
        case ControlEvent::Click:
            if (auto *banner = qobject_cast<BannerSlot *>(source))
                connect(banner, &BannerSlot::clicked, this, run);
            else
                connect(qobject_cast<QAbstractButton *>(source), &QAbstractButton::clicked, this,
                        run);
            break;
        case ControlEvent::Timer:
            connect(qobject_cast<QTimer *>(source), &QTimer::timeout, this, run);
            break;
        }
    }
}

void frmMain::setFocusOrder()
{
    // The keyboard focus order of the whole window, as the layout table numbers
    // it; controls of hidden pages are skipped by Qt because they are not visible.
    std::vector<const layout::Control *> focusable;
    for (const layout::Control &entry : layout::mainWindowControls()) {
        if (entry.focusOrder >= 0)
            focusable.push_back(&entry);
    }
    std::sort(focusable.begin(), focusable.end(),
              [](const layout::Control *a, const layout::Control *b) {
                  return a->focusOrder < b->focusOrder;
              });
    QList<QWidget *> order;
    for (const layout::Control *entry : focusable) {
        // The tab control takes the focus on its strip of tabs.
        QWidget *widget = entry->kind == layout::Kind::TabControl
                              ? findChild<TabControl *>(qs(entry->name))->tabStrip()
                              : findChild<QWidget *>(qs(entry->name));
        Q_ASSERT(widget != nullptr);
        order.append(widget);
    }
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

void frmMain::tmrAds_Timer()
{
    m_behaviour->handle(layout::bannerTimerName, ControlEvent::Timer);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // Whichever way the window is closed, the whole program ends with it.
    findChild<QTimer *>(qs(layout::bannerTimerName))->stop();
    event->accept();
    QCoreApplication::exit(0);
}

} // namespace lumox

// The meta-object code of main_window.h, compiled here rather than in a unit of its own.
#include "moc_main_window.cpp" // NOLINT(bugprone-suspicious-include): moc writes it as .cpp
