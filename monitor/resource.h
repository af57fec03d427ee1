// Resource ids of the monitor: icons 1xx.
#pragma once

#define IDI_VTMONITOR 101
