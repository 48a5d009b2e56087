#pragma once

#include <QString>

// The texts of the main window, in one place.
namespace lumox::texts {

inline const QString informationHeading = QStringLiteral("Lumox 2000 Information");
inline const QString mtuHeading = QStringLiteral("MTU Settings");
inline const QString rwinHeading = QStringLiteral("RWIN Settings");

inline const QString informationTab = QStringLiteral("Information");
inline const QString mtuTab = QStringLiteral("MTU Settings");
inline const QString rwinTab = QStringLiteral("RWIN Settings");
inline const QString exitTab = QStringLiteral("Exit Lumox 2000");

inline const QString donationNotice = QStringLiteral("Send donations via UPS or FedEx to:");
inline const QString exitDonationNotice =
    QStringLiteral("PLEASESend donations via UPS or FedEx to:");
inline const QString clickHere = QStringLiteral("Just Click Here -->");
inline const QString mtuFieldLabel = QStringLiteral("MaxMTU Setting:");
inline const QString rwinFieldLabel = QStringLiteral("RWIN Setting:");
inline const QString saveButton = QStringLiteral("Save MTU and RWIN");
inline const QString resetButton = QStringLiteral("Reset To Default");
inline const QString quitButton = QStringLiteral("Quit");

inline const QString mtuToolTip =
    QStringLiteral("Please enter your ISP's MaxMTU setting in this field. Contact your ISP to "
                   "find out what it is if you're not sure.");
inline const QString rwinToolTip = QStringLiteral(
    "You don't have to enter anything here unless you really know what you're doing.");

// Descriptions that assistive technologies read out for the boxes and buttons.
inline const QString mtuDescription = QStringLiteral(
    "The MTU your Internet provider uses, in bytes; the RWIN proposal follows as you type.");
inline const QString rwinDescription = QStringLiteral(
    "The TCP receive window in bytes; proposed from the MTU, and yours to change.");
inline const QString saveDescription = QStringLiteral(
    "Stores MaxMTU and RWIN; they take effect after the computer restarts.");
inline const QString resetDescription =
    QStringLiteral("Deletes the stored MaxMTU and RWIN, so the system defaults apply again.");
inline const QString quitDescription = QStringLiteral("Ends Lumox 2000.");

inline const QString mtuHelp = QStringLiteral(
    "The Maximum Transmission Unit setting. By default the Win95 32-bit winsock sets the MTU to "
    "1500 which for many people is way too big. The best size for this should match your "
    "Service Provider's MTU size. Please contact your ISP and find out what MTU settings they "
    "use. This will avoid fragmentation enroute which causes enormous delays. A too large MTU "
    "size also causes delays retrieving E-Mail. Even if your ISP's MTU is 1500, we suggest "
    "bringing it down to about 1450 for optimal speeds. "
    "Questions? Our technical support team answers every e-mail sent to support@example.com.");

inline const QString rwinHelp = QStringLiteral(
    "This is called \"DefaultRcvWindow\". By default this is set to 8192, which is way too big. "
    "RWIN is the limit set by the TCP receiver (you) on the amount of data (hence, the number "
    "of TCP segments) the TCP sender is allowed to have outstanding on the Internet pending "
    "receipt of ACK signals back from the TCP receiver. A good value for this is: (MTU - 40) x "
    "4. So if your MTU setting is 296 then minus 40 to get 256 and then multiply by 4 which "
    "gives you a RWIN of 1024. NOTE: This program automatically calculates your RWIN "
    "Settings, but feel free to edit them if you wish.");

inline const QString about = QStringLiteral(
    "Lumox 2000 is freeware from Lumox Software. It tunes the two TCP/IP settings that matter "
    "most on a dial-up or broadband line, MaxMTU and RWIN, so that Web pages, e-mail and "
    "downloads reach you without the stalls of fragmented packets and half-empty receive "
    "windows. Type your provider's MTU on the MTU Settings page, let Lumox 2000 work out the "
    "matching RWIN for you, press Save and restart your computer. Not sure what to type into "
    "a field? Rest the mouse pointer on it for a moment and a tooltip tells you what belongs "
    "there. Questions, ideas and bug reports are always welcome at support@example.com. If "
    "Lumox 2000 makes your connection faster, please send a donation of about ten dollars to "
    "the address below, and do visit our sponsor's online store through the banner at the "
    "bottom of this page: every purchase you make there keeps this program free for everyone. "
    "If donations and sponsorship bring in too little, we may have to charge for the next "
    "version of Lumox 2000. Thank you for your support!");

// The postal address for donations. Runs of blanks make each part start a new
// line when the text wraps at the width of the address labels.
inline const QString donationAddress =
    QStringLiteral("Martin Quillfeather                    42 Modem Lane                    "
                   "Harbour District                    Port Lumen 40404                    "
                   "Republic of Lumoria");

} // namespace lumox::texts
