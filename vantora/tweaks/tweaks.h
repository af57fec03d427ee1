// Registry tweaks with the system's own values saved for a later revert.
#pragma once
#include <windows.h>

void LoadDefaultRegistryInfo(void);
void RevertToDefaultRegistryKeys(void);
void RevertDefaultsCommand(void);
void StepGlyphCacheLimit(int item, bool up);
void ToggleWindowAnimation(int item);
void SetStorageTweak(int item, int row, bool *redraw);
void SetCompanionTweak(int item, int row, bool *redraw);  // companions page rows 0..2 (row 2: network power)
void ToggleNetworkPowerManagement(void);
bool NeedsReset(void);
void ExitWithResetOffer(void);
// States the shell asks for when it sets up a page.
int GetGlyphCacheLevel(void);         // 0..3
bool GetDisplayAnimationActive(void);
bool GetStorageRowActive(int row);    // rows 0..6 of the storage page
bool GetCompanionRowActive(int row);  // rows 0..2 of the companions page
