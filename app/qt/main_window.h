#pragma once

#include "main_window_behaviour.h"
#include "registry_access.h"
#include "sponsor_banners.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace lumox {

class BannerSlot;
class EtchedFrame;
class PictureBox;
class RuleLine;
class TabControl;

// The program's only working window: a borderless, fixed-size window whose
// face is one tab control with four pages. It owns every control the rest of
// the program works on and routes their events to the handlers below, which
// hand their work to the shared MainWindowBehaviour. The
// program ends when this window is closed, by "Quit" or by any other means the
// desktop offers.
class frmMain : public QWidget
{
    Q_OBJECT

public:
    // Shows the main window, creating it first if it does not exist yet; there
    // is never more than one. The window deletes itself when it is closed.
    static frmMain &showMainWindow();

    // The main window that showMainWindow() made, if it still exists; otherwise null.
    static frmMain *instance();

    // Creates the window over the platform's registry store, which is opened
    // only when the user first saves or resets.
    explicit frmMain(QWidget *parent = nullptr);
    // Creates the window over the given store.
    explicit frmMain(std::unique_ptr<RegistryStore> store, QWidget *parent = nullptr);
    ~frmMain() override;

    // Event handlers, one per handled control event. Public so that the
    // program's behaviour can be driven without synthesising input.
    void txtMTU_Change();
    void txtRWIN_Change();
    void cmdSaveMTU_Click();
    void cmdSave_Click();
    void cmdResetMTU_Click();
    void cmdReset_Click();
    void imgAds_Click();
    void imgAds2_Click();
    void imgAds3_Click();
    void tmrAds_Timer();
    void cmdExit_Click();

    // The sponsor number drawn at the last banner change, 0 before the first.
    std::int16_t sponsorNumber() const { return m_behaviour->sponsorNumber(); }
    // The sponsor picture store, null until the first banner change creates it.
    const frmSponsors *sponsorStore() const { return m_sponsors.get(); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildFrame();
    void buildInformationPage(QWidget *page);
    void buildMtuPage(QWidget *page);
    void buildRwinPage(QWidget *page);
    void buildExitPage(QWidget *page);
    void buildBannerTimer();
    void wireEvents();
    void setFocusOrder();
    BannerSlot *addBanner(PictureBox *frame, const char *name);

    // The window as the shared behaviour sees it.
    class Face;

    std::unique_ptr<Face> m_face;
    std::unique_ptr<MainWindowBehaviour> m_behaviour;
    // The hidden picture store, created by the first banner change and kept
    // for as long as the window lives, that is until the program ends.
    std::unique_ptr<frmSponsors> m_sponsors;

    EtchedFrame *Frame1 = nullptr;
    TabControl *SSTab1 = nullptr;
    QTimer *tmrAds = nullptr;

    // "Information"
    PictureBox *Picture2 = nullptr;
    QLabel *lblReg = nullptr;
    RuleLine *Line2 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label5 = nullptr;
    PictureBox *Picture1 = nullptr;
    BannerSlot *imgAds = nullptr;

    // "MTU Settings"
    QLabel *Label8 = nullptr;
    RuleLine *Line1 = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label12 = nullptr;
    QLineEdit *txtMTU = nullptr;
    QPushButton *cmdSaveMTU = nullptr;
    QPushButton *cmdResetMTU = nullptr;
    QLabel *Label11 = nullptr;
    QLabel *Label10 = nullptr;
    QLabel *Label6 = nullptr;
    PictureBox *Picture3 = nullptr;
    BannerSlot *imgAds2 = nullptr;

    // "RWIN Settings"
    QLabel *Label14 = nullptr;
    RuleLine *Line3 = nullptr;
    QLabel *Label15 = nullptr;
    QLabel *Label16 = nullptr;
    QLineEdit *txtRWIN = nullptr;
    QLabel *lblCalc = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdReset = nullptr;
    QLabel *Label13 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label7 = nullptr;
    PictureBox *Picture4 = nullptr;
    BannerSlot *imgAds3 = nullptr;

    // "Exit Lumox 2000"
    QLabel *Label18 = nullptr;
    QLabel *Label17 = nullptr;
    PictureBox *Picture5 = nullptr;
    BannerSlot *imgAds4 = nullptr;
    QPushButton *cmdExit = nullptr;

    static QPointer<frmMain> s_instance;
};

} // namespace lumox
