#pragma once

#include "identity.h"

#include <string>
#include <string_view>

// The texts the program shows, in one place: its windows' captions and help texts, the
// names assistive technologies read out, and its messages (those of saving and
// resetting are in tuning/tuning_texts.h, below the front ends). UTF-8 (all of them are
// plain ASCII), free of any toolkit so that both front ends show the same words.
namespace lumox::texts {

inline constexpr std::string_view informationHeading = "Lumox 2000 Information";
inline constexpr std::string_view mtuHeading = "MTU Settings";
inline constexpr std::string_view rwinHeading = "RWIN Settings";

inline constexpr std::string_view informationTab = "Information";
inline constexpr std::string_view mtuTab = "MTU Settings";
inline constexpr std::string_view rwinTab = "RWIN Settings";
inline constexpr std::string_view exitTab = "Exit Lumox 2000";

// What assistive technologies call the controls that have no text of their own.
inline constexpr std::string_view tabControlName = "Pages";
inline constexpr std::string_view registryName = "Registry";
inline constexpr std::string_view mtuBoxName = "MaxMTU setting";
inline constexpr std::string_view rwinBoxName = "RWIN setting";
inline constexpr std::string_view formulaName = "RWIN formula";
inline constexpr std::string_view bannerFrameName = "Sponsor banner";
inline constexpr std::string_view bannerSlotName = "Sponsor banner: click to visit the sponsor";

inline constexpr std::string_view donationNotice = "Send donations via UPS or FedEx to:";
inline constexpr std::string_view exitDonationNotice = "PLEASESend donations via UPS or FedEx to:";
inline constexpr std::string_view clickHere = "Just Click Here -->";
inline constexpr std::string_view mtuFieldLabel = "MaxMTU Setting:";
inline constexpr std::string_view rwinFieldLabel = "RWIN Setting:";
inline constexpr std::string_view saveButton = "Save MTU and RWIN";
inline constexpr std::string_view resetButton = "Reset To Default";
inline constexpr std::string_view quitButton = "Quit";

inline constexpr std::string_view mtuToolTip =
    "Please enter your ISP's MaxMTU setting in this field. Contact your ISP to "
    "find out what it is if you're not sure.";
inline constexpr std::string_view rwinToolTip =
    "You don't have to enter anything here unless you really know what you're doing.";

// Descriptions that assistive technologies read out for the boxes and buttons.
inline constexpr std::string_view mtuDescription =
    "The MTU your Internet provider uses, in bytes; the RWIN proposal follows as you type.";
inline constexpr std::string_view rwinDescription =
    "The TCP receive window in bytes; proposed from the MTU, and yours to change.";
inline constexpr std::string_view saveDescription =
    "Stores MaxMTU and RWIN; they take effect after the computer restarts.";
inline constexpr std::string_view resetDescription =
    "Deletes the stored MaxMTU and RWIN, so the system defaults apply again.";
inline constexpr std::string_view quitDescription = "Ends Lumox 2000.";

inline constexpr std::string_view mtuHelp =
    "The Maximum Transmission Unit setting. By default the Win95 32-bit winsock sets the MTU to "
    "1500 which for many people is way too big. The best size for this should match your "
    "Service Provider's MTU size. Please contact your ISP and find out what MTU settings they "
    "use. This will avoid fragmentation enroute which causes enormous delays. A too large MTU "
    "size also causes delays retrieving E-Mail. Even if your ISP's MTU is 1500, we suggest "
    "bringing it down to about 1450 for optimal speeds. "
    "Questions? Our technical support team answers every e-mail sent to support@example.com.";

inline constexpr std::string_view rwinHelp =
    "This is called \"DefaultRcvWindow\". By default this is set to 8192, which is way too big. "
    "RWIN is the limit set by the TCP receiver (you) on the amount of data (hence, the number "
    "of TCP segments) the TCP sender is allowed to have outstanding on the Internet pending "
    "receipt of ACK signals back from the TCP receiver. A good value for this is: (MTU - 40) x "
    "4. So if your MTU setting is 296 then minus 40 to get 256 and then multiply by 4 which "
    "gives you a RWIN of 1024. NOTE: This program automatically calculates your RWIN "
    "Settings, but feel free to edit them if you wish.";

inline constexpr std::string_view about =
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
    "version of Lumox 2000. Thank you for your support!";

// The postal address for donations. Runs of blanks make each part start a new
// line when the text wraps at the width of the address labels.
inline constexpr std::string_view donationAddress =
    "Martin Quillfeather                    42 Modem Lane                    "
    "Harbour District                    Port Lumen 40404                    "
    "Republic of Lumoria";

// What the user is told when the sponsor's page could not be opened: the address, so
// that it can be typed into a browser by hand.
inline std::string sponsorPageUnavailable(std::string_view address)
{
    return "Your web browser could not be started to show our sponsor's page. You can visit "
           "it by typing this address into your browser:\n\n" +
           std::string(address);
}

// What the Linux program says on its error output when it finds no display to show its
// windows on.
inline constexpr std::string_view noDisplay =
    LUMOX_EXECUTABLE ": no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n";

} // namespace lumox::texts
