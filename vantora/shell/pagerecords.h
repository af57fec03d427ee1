// The records of the pages, each defined in its own file under pages/ (pagemodel.h says what a record
// holds).
#pragma once

struct PageRecord;

extern const PageRecord g_MenuPage, g_TaskPage, g_MemoryPage, g_DisplayPage, g_StoragePage, g_CompanionsPage,
    g_BenchmarkPage;
