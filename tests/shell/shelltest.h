// Shared by the shell tests: a screen to lay out for, and rectangle checks that name the caller's line.
#pragma once
#include "testsupport.h"
#include "mainwindow.h"
#include "shell/screen.h"
#include "shell/layout.h"
#include "shell/pagecatalogue.h"
#include "shell/skin.h"
#include "device.h"
#include "programstatics.h"

struct Screen {
  int w, h;
};

// Pretends the program runs on a w x h screen with the device's taskbar (26 px at factor 1).
inline void UseScreen(Screen s) {
  g_Screen.width = s.w;
  g_Screen.height = s.h;
  SetScaleFactorsForScreen(s.w, s.h);
  g_Screen.taskbarHeight = ScaleY(26);
}

inline ::testing::AssertionResult RectIs(int l, int t, int r, int b, int image, int L, int T, int R, int B,
                                         int img) {
  if (l == L && t == T && r == R && b == B && image == img) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got (" << l << "," << t << "," << r << "," << b << ") image " << image
                                       << ", want (" << L << "," << T << "," << R << "," << B << ") image " << img;
}

#define EXPECT_CONTROL(c, L, T, R, B, IMG) \
  EXPECT_TRUE(RectIs((c).left, (c).top, (c).right, (c).bottom, (c).image, L, T, R, B, IMG))
#define EXPECT_SUB(s, L, T, R, B, IMG) \
  EXPECT_TRUE(RectIs((s).left, (s).top, (s).right, (s).bottom, (s).image, L, T, R, B, IMG))
