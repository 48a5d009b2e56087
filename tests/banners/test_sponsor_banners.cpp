#include "banner_slot.h"
#include "controls.h"
#include "frm_sponsors.h"
#include "main_window.h"
#include "message_boxes.h"
#include "sponsor_launcher.h"

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

using lumox::BannerSlot;
using lumox::frmMain;
using lumox::frmSponsors;
using lumox::sponsorAddress;
using lumox::sponsorPictureCount;

namespace {

constexpr std::array<const char *, 4> bannerNames = {"imgAds", "imgAds2", "imgAds3", "imgAds4"};

// Pixmaps keep transparent pixels premultiplied, which drops their colour;
// compare images in that form.
QImage comparable(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage decodeResource(const QString &path)
{
    QImageReader reader(path);
    return comparable(reader.read());
}

QString sponsorResource(int number)
{
    return QStringLiteral(":/banners/sponsor%1.gif").arg(number, 2, 10, QLatin1Char('0'));
}

std::array<int, sponsorPictureCount> decodeCounts()
{
    std::array<int, sponsorPictureCount> counts{};
    for (int n = 1; n <= sponsorPictureCount; ++n)
        counts[static_cast<std::size_t>(n - 1)] = frmSponsors::decodeCount(n);
    return counts;
}

// A main window whose banner timer is stopped, so that every tick is one the
// test drives itself. Launches of the sponsor page and message boxes are
// recorded instead of reaching the desktop.
class BannersInMainWindow : public ::testing::Test
{
protected:
    struct Message
    {
        QWidget *parent;
        QString title;
        QString text;
    };

    void SetUp() override
    {
        lumox::SponsorLauncher::setLauncher([this](const QString &address) {
            m_launches.push_back(address);
            return m_launchSucceeds;
        });
        lumox::MessageBoxes::setPresenter(
            [this](QWidget *parent, const QString &title, const QString &text) {
                m_messages.push_back({parent, title, text});
            });
        m_decodesBefore = decodeCounts();
        m_window = std::make_unique<frmMain>();
        m_timer = m_window->findChild<QTimer *>(QStringLiteral("tmrAds"));
        ASSERT_NE(m_timer, nullptr);
        m_timerWasRunning = m_timer->isActive();
        m_timer->stop();
    }

    void TearDown() override
    {
        m_window.reset();
        lumox::SponsorLauncher::setLauncher({});
        lumox::MessageBoxes::setPresenter({});
    }

    BannerSlot *banner(const char *name) const
    {
        auto *slot = m_window->findChild<BannerSlot *>(QLatin1String(name));
        EXPECT_NE(slot, nullptr) << "no banner named " << name;
        return slot;
    }

    // How often each picture has been decoded since the window was created.
    std::array<int, sponsorPictureCount> decodesSinceSetUp() const
    {
        std::array<int, sponsorPictureCount> counts = decodeCounts();
        for (std::size_t i = 0; i < counts.size(); ++i)
            counts[i] -= m_decodesBefore[i];
        return counts;
    }

    void showWindow()
    {
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }

    // Selects the page of the given banner and clicks the banner's middle.
    void clickBanner(int page)
    {
        m_window->findChild<lumox::TabControl *>(QStringLiteral("SSTab1"))->setCurrentIndex(page);
        BannerSlot *slot = banner(bannerNames[static_cast<std::size_t>(page)]);
        ASSERT_TRUE(slot->isVisible());
        QTest::mouseClick(slot, Qt::LeftButton);
    }

    std::unique_ptr<frmMain> m_window;
    QTimer *m_timer = nullptr;
    bool m_timerWasRunning = false;
    std::array<int, sponsorPictureCount> m_decodesBefore{};
    bool m_launchSucceeds = true;
    std::vector<QString> m_launches;
    std::vector<Message> m_messages;
};

TEST_F(BannersInMainWindow, TimerRunsFromCreationAndDrivesTheRotation)
{
    EXPECT_TRUE(m_timerWasRunning);
    EXPECT_EQ(m_timer->interval(), 1750);
    EXPECT_EQ(m_window->sponsorStore(), nullptr);

    // Let the timer's own tick arrive at once instead of after 1.75 seconds.
    m_timer->start(0);
    for (int i = 0; i < 100 && m_window->sponsorStore() == nullptr; ++i)
        QCoreApplication::processEvents();
    m_timer->stop();
    ASSERT_NE(m_window->sponsorStore(), nullptr);
    EXPECT_GE(m_window->sponsorNumber(), 1);
    EXPECT_LE(m_window->sponsorNumber(), 11);
}

TEST_F(BannersInMainWindow, StoreIsCreatedOnceByTheFirstTickDecodesOnceAndStaysHidden)
{
    showWindow();
    EXPECT_EQ(m_window->sponsorStore(), nullptr);
    EXPECT_EQ(m_window->sponsorNumber(), 0);
    const std::array<int, sponsorPictureCount> none{};
    EXPECT_EQ(decodesSinceSetUp(), none);
    for (const char *name : bannerNames) {
        EXPECT_EQ(banner(name)->pixmap().cacheKey(), lumox::initialBannerPicture().cacheKey())
            << name;
    }

    m_window->tmrAds_Timer();
    const frmSponsors *store = m_window->sponsorStore();
    ASSERT_NE(store, nullptr);
    std::array<int, sponsorPictureCount> once{};
    once.fill(1);
    EXPECT_EQ(decodesSinceSetUp(), once);

    for (int tick = 0; tick < 2000; ++tick)
        m_window->tmrAds_Timer();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_window->sponsorStore(), store);
    EXPECT_EQ(decodesSinceSetUp(), once);
    EXPECT_FALSE(store->isVisible());
    EXPECT_TRUE(store->isWindow()) << "a child window would be shown with the main window";
    EXPECT_TRUE(m_window->isVisible());
}

TEST_F(BannersInMainWindow, StoreHoldsTheElevenSponsorPicturesInOrder)
{
    const frmSponsors store;
    EXPECT_FALSE(store.isVisible());
    std::vector<QImage> images;
    for (int n = 1; n <= sponsorPictureCount; ++n) {
        const QPixmap &picture = store.picture(n);
        ASSERT_FALSE(picture.isNull()) << "picture " << n;
        EXPECT_EQ(picture.size(), QSize(120, 60)) << "picture " << n;
        // Asking again hands out the same pixmap, not a new decoding.
        EXPECT_EQ(&store.picture(n), &picture);
        const QImage image = comparable(picture.toImage());
        EXPECT_EQ(image, decodeResource(sponsorResource(n))) << "picture " << n;
        for (std::size_t other = 0; other < images.size(); ++other)
            EXPECT_NE(image, images[other]) << "pictures " << other + 1 << " and " << n;
        images.push_back(image);
    }
    EXPECT_EQ(images[7], comparable(lumox::initialBannerPicture().toImage()))
        << "picture 8 is the banners' first picture";
}

TEST_F(BannersInMainWindow, EveryTickPutsTheStoresOwnPictureNIntoEveryBanner)
{
    std::array<int, 12> seen{};
    for (int tick = 0; tick < 3000; ++tick) {
        m_window->tmrAds_Timer();
        const int n = m_window->sponsorNumber();
        ASSERT_GE(n, 1) << "tick " << tick;
        ASSERT_LE(n, 11) << "tick " << tick;
        ++seen[static_cast<std::size_t>(n)];
        const qint64 expected = m_window->sponsorStore()->picture(n).cacheKey();
        for (const char *name : bannerNames)
            ASSERT_EQ(banner(name)->pixmap().cacheKey(), expected) << name << " at tick " << tick;
    }
    for (int n = 1; n <= 11; ++n)
        EXPECT_GT(seen[static_cast<std::size_t>(n)], 0) << "number " << n << " never drawn";
}

TEST_F(BannersInMainWindow, DrawsAreUniformAndConsecutiveTicksIndependent)
{
    constexpr int ticks = 11000;
    std::array<int, 12> counts{};
    int repeats = 0;
    int previous = 0;
    for (int tick = 0; tick < ticks; ++tick) {
        m_window->tmrAds_Timer();
        const int n = m_window->sponsorNumber();
        ASSERT_GE(n, 1);
        ASSERT_LE(n, 11);
        ++counts[static_cast<std::size_t>(n)];
        repeats += n == previous ? 1 : 0;
        previous = n;
    }

    const double expected = ticks / 11.0;
    double chiSquare = 0.0;
    for (int n = 1; n <= 11; ++n) {
        const double difference = counts[static_cast<std::size_t>(n)] - expected;
        chiSquare += difference * difference / expected;
    }
    // Chi-square with 10 degrees of freedom exceeds 35.56 with probability 1e-4.
    EXPECT_LT(chiSquare, 35.56);

    // Ticks that repeated one seed would repeat the number far more often than
    // the 1 in 11 of independent draws: 1000 expected, standard deviation 30.
    EXPECT_GT(repeats, 850);
    EXPECT_LT(repeats, 1150);
}

TEST_F(BannersInMainWindow, EveryBannerOpensTheSponsorPageFromTheStart)
{
    showWindow();
    for (int page = 0; page < 4; ++page) {
        clickBanner(page);
        ASSERT_EQ(m_launches.size(), static_cast<std::size_t>(page + 1))
            << bannerNames[static_cast<std::size_t>(page)];
        EXPECT_EQ(m_launches.back(), sponsorAddress);
    }
    EXPECT_EQ(m_window->sponsorStore(), nullptr) << "a click is no banner change";

    // Whatever picture the banners show, the page is the same.
    for (int tick = 0; tick < 5; ++tick) {
        m_window->tmrAds_Timer();
        clickBanner(tick % 4);
    }
    ASSERT_EQ(m_launches.size(), 9u);
    for (const QString &address : m_launches)
        EXPECT_EQ(address, sponsorAddress);
    EXPECT_TRUE(m_messages.empty());

    const QUrl url(sponsorAddress);
    EXPECT_TRUE(url.isValid());
    EXPECT_EQ(url.scheme(), QStringLiteral("http"));
    EXPECT_TRUE(url.host().endsWith(QStringLiteral("example.com")));
}

TEST_F(BannersInMainWindow, FailedLaunchGivesTheUserTheAddress)
{
    showWindow();
    m_launchSucceeds = false;
    clickBanner(1);
    ASSERT_EQ(m_launches.size(), 1u);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].parent, m_window.get());
    EXPECT_EQ(m_messages[0].title, QStringLiteral("Lumox 2000"));
    EXPECT_TRUE(m_messages[0].text.contains(sponsorAddress)) << m_messages[0].text.toStdString();

    m_launchSucceeds = true;
    clickBanner(2);
    EXPECT_EQ(m_launches.size(), 2u);
    EXPECT_EQ(m_messages.size(), 1u) << "a successful launch shows nothing";
}

} // namespace
