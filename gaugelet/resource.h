// Resource ids of the battery meter: icons 1xx.
#pragma once

#define IDI_GAUGELET 101
