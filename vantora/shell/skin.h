// The skin: twenty pictures beside the program, loaded once, drawn at half their pixel size times the
// screen's layout factor.
#pragma once
#include <windows.h>

#define SKIN_IMAGE_COUNT 20

// Image numbers (the files are listed in skin.cpp).
enum SkinImageNumber {
  IMG_ITEM = 0,
  IMG_SCROLLBAR = 1,
  IMG_SCROLLUP = 2,
  IMG_SCROLLUP_PUSH = 3,
  IMG_SCROLLDOWN = 4,
  IMG_SCROLLDOWN_PUSH = 5,
  IMG_BUTTON = 6,
  IMG_BUTTON_PUSH = 7,
  IMG_CPUUSAGE = 8,
  IMG_IND_ON = 9,
  IMG_IND_OFF = 10,
  IMG_SLIDERBAR = 11,
  IMG_SLIDER = 12,
  IMG_IND_DB_ON = 13,
  IMG_IND_DB_OFF = 14,
  IMG_BUTTONSMALL = 15,
  IMG_BUTTONSMALL_PUSH = 16,
  IMG_ITEM_ON = 17,
  IMG_ITEM_OFF = 18,
  IMG_LOGO = 19,
  IMG_NONE = -1,
};

#define SKIN_KEY_COLOUR RGB(255, 0, 255)

struct SkinImage {
  HBITMAP bitmap;  // 0 when the file could not be loaded
  BITMAP info;     // all 0 then, so everything drawn from it collapses to nothing
};

extern SkinImage g_Skin[SKIN_IMAGE_COUNT];

// The file name of an image number ("item.jpg"), or NULL.
LPCWSTR SkinImageFile(int image);
// Loads every image from the installation's "Images" folder (images already loaded are freed first).
void LoadSkinImages(void);
// The same in two halves: the images are decoded on a thread of their own between the two, and nothing
// may read the table before EndLoadSkinImages has returned.
void BeginLoadSkinImages(void);
void EndLoadSkinImages(void);
void FreeSkinImages(void);
// Drawn size of an image: ScaleX/ScaleY of half its pixel size; 0 for a missing image or a bad number.
int SkinW(int image);
int SkinH(int image);
// One picture to draw: which, where, and from which part of it.
struct SkinDraw {
  int image;                   // a bad number or a missing picture draws nothing
  int x, y, w, h;              // the destination
  bool transparent;            // the magenta key lets what is below show through
  bool stretch;                // resized to w x h, else copied at its own size
  int srcX, srcY, srcW, srcH;  // the part of the picture
};
void DrawSkinImage(HDC dc, const SkinDraw &what);
// Draws one image by number; the whole picture is the source.
void DrawSkinImageNumber(HDC dc, int image, int x, int y, int w, int h, bool transparent, bool stretch);
