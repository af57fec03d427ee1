// The benchmark's owner-drawn button and picture controls.
#pragma once
#include <windows.h>

#define CAPTION_CHARS 260

struct GButton {
  HWND window;
  HBITMAP face;  // two faces side by side: normal | pressed (not owned)
  HINSTANCE instance;
  DWORD command;
  BYTE pressed;
  BYTE focused;
  int x, y, width, height;
  WCHAR caption[CAPTION_CHARS];
};

struct PictureBox {
  HWND window;
  HBITMAP image;
  HINSTANCE instance;
  DWORD command;
  int x, y, width, height;
  BYTE pressed;
  BYTE focused;
};

// Creates the control's child window of the parent (hidden rectangle until laid out).
HWND CreateGButton(GButton *button, HWND parent, HINSTANCE instance, DWORD command, HBITMAP face,
                   LPCWSTR caption, bool enabled);
HWND CreatePictureBox(PictureBox *box, HWND parent, HINSTANCE instance, DWORD command, HBITMAP image);
// Moves the control and keeps its rectangle.
void PlaceGButton(GButton *button, int x, int y, int width, int height);
void PlacePictureBox(PictureBox *box, int x, int y, int width, int height);
void DestroyGButton(GButton *button);
void DestroyPictureBox(PictureBox *box);
// The font the button captions are drawn in (NULL: the context's own).
void SetControlCaptionFont(HFONT font);
