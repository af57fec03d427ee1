// The screen's metrics, set at start and when the screen turns.
#include "screen.h"

ScreenMetrics g_Screen;
