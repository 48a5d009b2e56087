// A day in the life of the main window, accelerated: 24 hours of banner changes
// (one every 1750 ms, 49,371 in all) and 10,000 keystrokes typed into the MTU and
// RWIN boxes, with the events processed after every change and the whole window
// drawn now and then, on the offscreen platform. Targets: resident memory grows
// by no more than 256 KB between the end of a warm-up and the end of the run,
// and the run leaves behind no open file descriptor, top-level window, widget or
// object that was not there after the warm-up.
//
//   bench_soak [--ticks N] [--keystrokes N]   a shorter or longer run
//
// Prints the figures and a PASS or FAIL line; the exit status is 0 on PASS.
#include "classic_look.h"
#include "controls.h"
#include "main_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <malloc.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace {

// A day of banner changes at the banner timer's interval of 1750 ms.
constexpr long dayOfTicks = 24L * 3600 * 1000 / 1750;
constexpr long defaultKeystrokes = 10000;
constexpr long rssGrowthLimitKb = 256;

// The warm-up brings every lazily built part of the window into being (the
// picture store, glyph caches, the backing store of each page) before the
// first reading.
constexpr long warmUpTicks = 1000;
constexpr long warmUpKeystrokes = 500;
// The whole window is drawn every this many banner changes.
constexpr long ticksPerGrab = 1000;
// The typing moves to the other box after this many keystrokes.
constexpr long keystrokesPerBox = 25;

enum Page
{
    MtuSettings = 1,
    RwinSettings = 2,
    PageCount = 4
};

// The resident set of this process in kilobytes (VmRSS), or -1 when the
// system does not tell.
long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// The open file descriptors of this process, or -1 when the system does not
// tell. The listing's own descriptor is counted, the same at every reading.
long openFileDescriptors()
{
    std::error_code error;
    long count = 0;
    for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end;
         it.increment(error))
        ++count;
    return error ? -1 : count;
}

// What the process holds at one moment. The heap in use, unlike the resident
// set, leaves out memory the allocator keeps for reuse, and so tells lasting
// allocations apart from pages merely not returned to the system.
struct Holdings
{
    long rssKb = 0;
    long heapInUseBytes = 0;
    long fileDescriptors = 0;
    long topLevelWidgets = 0;
    long widgets = 0;
    long windowObjects = 0;
    long applicationObjects = 0;
};

Holdings takeStock(const QWidget &window)
{
    Holdings h;
    // Hand freed heap pages back first, at both readings alike: the window grabs
    // free half-megabyte images, and whether glibc happens to keep such a block at
    // the top of the heap would otherwise swing the reading by a third of a
    // megabyte from run to run without anything being held.
    malloc_trim(0);
    h.rssKb = residentKilobytes();
    h.heapInUseBytes = static_cast<long>(mallinfo2().uordblks);
    h.fileDescriptors = openFileDescriptors();
    h.topLevelWidgets = QApplication::topLevelWidgets().size();
    h.widgets = QApplication::allWidgets().size();
    h.windowObjects = window.findChildren<QObject *>().size();
    h.applicationObjects = qApp->findChildren<QObject *>().size();
    return h;
}

// Counts the paint events of every widget of the application, so that a run
// can show it has drawn what it was meant to draw.
class PaintCounter : public QObject
{
public:
    long paints() const { return m_paints; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_paints;
        return QObject::eventFilter(watched, event);
    }

private:
    long m_paints = 0;
};

// Drives the main window: banner changes, keystrokes and whole-window grabs.
class Driver
{
public:
    explicit Driver(lumox::frmMain &window)
        : m_window(window),
          m_pages(window.findChild<lumox::TabControl *>(QStringLiteral("SSTab1"))),
          m_boxes{window.findChild<QLineEdit *>(QStringLiteral("txtMTU")),
                  window.findChild<QLineEdit *>(QStringLiteral("txtRWIN"))}
    {
        for (QLineEdit *box : m_boxes) {
            if (box != nullptr)
                QObject::connect(box, &QLineEdit::textChanged, [this] { ++m_textChanges; });
        }
    }

    // True when every control the driver works on was found.
    bool ready() const
    {
        return m_pages != nullptr && m_boxes[0] != nullptr && m_boxes[1] != nullptr;
    }

    // One banner change, as the banner timer makes it, and the events it leads
    // to, the repaint of the visible banner among them.
    void tick()
    {
        m_window.tmrAds_Timer();
        QCoreApplication::processEvents();
        ++m_ticks;
    }

    // One keystroke into the box being typed in, chosen from a fixed-seed
    // mix of digits, deletions, cursor movements, select-all and the odd
    // letter. When the box holds more than six characters, its text is
    // selected whole and the next digit replaces it.
    void keystroke()
    {
        if (m_keystrokes % keystrokesPerBox == 0)
            moveToBox(static_cast<int>((m_keystrokes / keystrokesPerBox) % 2));
        QLineEdit *box = m_boxes[m_box];
        const int roll = m_dice(m_random);
        const bool full = box->text().size() > 6;
        const bool selectAll = full ? !box->hasSelectedText() : (roll >= 60 && roll < 64);
        if (selectAll) {
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        } else if (full || roll < 60) {
            QTest::keyClick(box, static_cast<Qt::Key>(Qt::Key_0 + m_dice(m_random) % 10));
        } else if (roll < 78) {
            QTest::keyClick(box, Qt::Key_Backspace);
        } else if (roll < 83) {
            QTest::keyClick(box, Qt::Key_Delete);
        } else if (roll < 95) {
            static constexpr std::array moves = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home,
                                                 Qt::Key_End};
            QTest::keyClick(box, moves[static_cast<std::size_t>(roll) % moves.size()]);
        } else {
            QTest::keyClick(box, static_cast<Qt::Key>(Qt::Key_A + m_dice(m_random) % 26));
        }
        QCoreApplication::processEvents();
        ++m_keystrokes;
    }

    // Draws the whole window with one page after another in front, then
    // returns to the page and the focus of the box being typed in.
    void grab()
    {
        m_pages->setCurrentIndex(static_cast<int>(m_grabs % PageCount));
        const QPixmap picture = m_window.grab();
        m_grabbedPixels += static_cast<long long>(picture.width()) * picture.height();
        m_pages->setCurrentIndex(m_box == 0 ? MtuSettings : RwinSettings);
        m_boxes[m_box]->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
        ++m_grabs;
    }

    // Makes the given number of banner changes with the given number of
    // keystrokes spread evenly among them, and a grab every ticksPerGrab
    // changes.
    void run(long ticks, long keystrokes)
    {
        long typed = 0;
        for (long i = 1; i <= ticks; ++i) {
            tick();
            const long due = keystrokes * i / ticks;
            for (; typed < due; ++typed)
                keystroke();
            if (i % ticksPerGrab == 0)
                grab();
        }
        for (; typed < keystrokes; ++typed)
            keystroke();
    }

    long ticks() const { return m_ticks; }
    long keystrokes() const { return m_keystrokes; }
    long grabs() const { return m_grabs; }
    long long grabbedPixels() const { return m_grabbedPixels; }
    // Changes of either box's text, by typing or by the proposal being written.
    long textChanges() const { return m_textChanges; }

private:
    void moveToBox(int box)
    {
        m_box = box;
        m_pages->setCurrentIndex(box == 0 ? MtuSettings : RwinSettings);
        m_boxes[box]->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
    }

    lumox::frmMain &m_window;
    lumox::TabControl *m_pages;
    std::array<QLineEdit *, 2> m_boxes;
    int m_box = 0;
    std::mt19937 m_random{20000};
    std::uniform_int_distribution<int> m_dice{0, 99};
    long m_ticks = 0;
    long m_keystrokes = 0;
    long m_grabs = 0;
    long long m_grabbedPixels = 0;
    long m_textChanges = 0;
};

bool readCount(int argc, char **argv, int &i, const char *option, long &value)
{
    if (std::strcmp(argv[i], option) != 0 || i + 1 >= argc)
        return false;
    char *end = nullptr;
    value = std::strtol(argv[++i], &end, 10);
    return *end == '\0' && value >= 0;
}

void printLine(const char *what, long before, long after, const char *unit)
{
    std::printf("  %-28s %10ld -> %10ld %s (%+ld)\n", what, before, after, unit, after - before);
}

} // namespace

// Over 60 lines: one soak run read top to bottom, each phase using what the last left.
int main(int argc, char **argv)
{
    long ticks = dayOfTicks;
    long keystrokes = defaultKeystrokes;
    for (int i = 1; i < argc; ++i) {
        if (!readCount(argc, argv, i, "--ticks", ticks) &&
            !readCount(argc, argv, i, "--keystrokes", keystrokes)) {
            std::fprintf(stderr, "usage: %s [--ticks N] [--keystrokes N]\n", argv[0]);
            return 2;
        }
    }
    if (ticks == 0) {
        std::fprintf(stderr, "%s: the run needs at least one banner change\n", argv[0]);
        return 2;
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Whatever the window keeps on disk goes to a scratch folder.
    QTemporaryDir dataHome;
    if (!dataHome.isValid()) {
        std::fprintf(stderr, "%s: no scratch folder for the data\n", argv[0]);
        return 1;
    }
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());

    QApplication app(argc, argv);
    lumox::applyClassicLook(app);

    lumox::frmMain &window = lumox::frmMain::showMainWindow();
    QApplication::setActiveWindow(&window);
    if (!QTest::qWaitForWindowActive(&window)) {
        std::fprintf(stderr, "%s: the main window did not become active\n", argv[0]);
        return 1;
    }
    PaintCounter paintCounter;
    app.installEventFilter(&paintCounter);
    Driver driver(window);
    if (!driver.ready()) {
        std::fprintf(stderr, "%s: the main window lacks the page control or a text box\n", argv[0]);
        return 1;
    }

    // The first reading costs the process memory of its own; make it before
    // the warm-up so that it is not counted as growth.
    takeStock(window);
    driver.run(warmUpTicks, warmUpKeystrokes);
    for (int i = 0; i < PageCount; ++i)
        driver.grab();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const Holdings before = takeStock(window);

    QElapsedTimer clock;
    clock.start();
    const long ticksBefore = driver.ticks();
    const long keystrokesBefore = driver.keystrokes();
    const long grabsBefore = driver.grabs();
    const long paintsBefore = paintCounter.paints();
    const long textChangesBefore = driver.textChanges();
    driver.run(ticks, keystrokes);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    const Holdings after = takeStock(window);

    std::printf("soak: %ld banner changes (%.1f hours at 1750 ms), %ld keystrokes, %ld window grabs"
                " in %.1f s, after a warm-up of %ld changes and %ld keystrokes\n",
                driver.ticks() - ticksBefore, static_cast<double>(ticks) * 1.75 / 3600,
                driver.keystrokes() - keystrokesBefore, driver.grabs() - grabsBefore, seconds,
                warmUpTicks, warmUpKeystrokes);
    const long paints = paintCounter.paints() - paintsBefore;
    const long textChanges = driver.textChanges() - textChangesBefore;
    std::printf("  %ld widget paints, %ld text changes in the boxes\n", paints, textChanges);
    printLine("resident memory (VmRSS)", before.rssKb, after.rssKb, "KB");
    printLine("heap in use (mallinfo2)", before.heapInUseBytes / 1024, after.heapInUseBytes / 1024,
              "KB");
    printLine("open file descriptors", before.fileDescriptors, after.fileDescriptors, "");
    printLine("top-level widgets", before.topLevelWidgets, after.topLevelWidgets, "");
    printLine("widgets", before.widgets, after.widgets, "");
    printLine("objects under the window", before.windowObjects, after.windowObjects, "");
    printLine("objects under the app", before.applicationObjects, after.applicationObjects, "");

    const long growthKb = after.rssKb - before.rssKb;
    const bool memoryHeld = before.rssKb > 0 && after.rssKb > 0 && growthKb <= rssGrowthLimitKb;
    const bool nothingLeaked =
        before.fileDescriptors >= 0 && after.fileDescriptors == before.fileDescriptors &&
        after.topLevelWidgets == before.topLevelWidgets && after.widgets == before.widgets &&
        after.windowObjects == before.windowObjects &&
        after.applicationObjects == before.applicationObjects;
    // A run that drew nothing or changed no text proves nothing.
    const bool exercised =
        driver.grabbedPixels() > 0 && paints > 0 && (keystrokes == 0 || textChanges > 0);
    if (!exercised)
        std::printf("  the run did not draw the window or change the boxes' text\n");
    const bool passed = memoryHeld && nothingLeaked && exercised;
    std::printf("%s soak: resident memory %+ld KB (target: at most +%ld KB), file descriptors "
                "%+ld, top-level widgets %+ld, widgets %+ld, objects %+ld (target: no change)\n",
                passed ? "PASS" : "FAIL", growthKb, rssGrowthLimitKb,
                after.fileDescriptors - before.fileDescriptors,
                after.topLevelWidgets - before.topLevelWidgets, after.widgets - before.widgets,
                (after.windowObjects + after.applicationObjects) -
                    (before.windowObjects + before.applicationObjects));
    std::fflush(stdout);

    delete lumox::frmMain::instance();
    return passed ? 0 : 1;
}
