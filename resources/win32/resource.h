#pragma once

// Resource identifiers of the Windows program, shared by lumox2k.rc and the code.
// The resource compiler reads this file too, so it holds #defines only.

// The program icon: its 32 x 32 and 16 x 16 images.
#define IDI_PROGRAM 1

// The pictures, as the files' own bytes (RCDATA), decoded by the program itself.
#define IDR_STARTUP_PICTURE 100
#define IDR_INITIAL_BANNER 110
// Sponsor picture n (1 to sponsorPictureCount) is IDR_SPONSOR_PICTURE_1 + n - 1.
#define IDR_SPONSOR_PICTURE_1 111

// The pointing hand over the banners.
#define IDC_HAND_POINTER 200
