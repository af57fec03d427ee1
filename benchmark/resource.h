// Resource ids of the benchmark: icon 101, menu bar 102 with its label 103; commands 1001+ and 40000.
#pragma once

#define IDI_BENCHMARK 101
#define IDR_BENCH_MENUBAR 102
#define IDS_BENCH_OK 103

#define IDC_RESULT_LIST 1001
#define IDC_GO_VIEW 1002
#define IDC_GO_COMPARE 1003
#define IDC_PREVIOUS 1004
#define IDC_NEXT 1005
#define IDC_COMPARE_SNAP 1006
#define IDC_VIEW_SNAP 1007
#define IDC_LOGO 1008
#define IDM_BENCH_OK 40000
