// Constants of the handheld shell's resource formats, usable from .rc files and from C++.
#pragma once

// A soft-key menu bar resource: RCDATA of 16-bit words
//   menu id, button count, then per button:
//   image, command, state, style, string id, 0, popup index in the menu (NOMENU = none)
#define SHMENUBAR RCDATA
#define I_IMAGENONE (-2)
#define NOMENU 0xFFFF

#ifndef TBSTATE_ENABLED
#define TBSTATE_ENABLED 0x04
#endif
#ifndef TBSTYLE_BUTTON
#define TBSTYLE_BUTTON 0x0000
#endif
#ifndef TBSTYLE_DROPDOWN
#define TBSTYLE_DROPDOWN 0x0008
#endif
#ifndef TBSTYLE_AUTOSIZE
#define TBSTYLE_AUTOSIZE 0x0010
#endif
