#include "tasks/tasklist.h"
#include "tasklist_fill.h"
#include <strsafe.h>

void FillTaskList(int count) {
  ZeroMemory(&g_TaskList, sizeof(g_TaskList));
  g_TaskList.count = count;
  for (int i = 0; i < count && i < MAX_TASKS; i++) {
    TaskEntry *t = &g_TaskList.entries[i];
    StringCchPrintfW(t->exeName, TASK_TEXT_CHARS, L"prog%d.exe", i);
    StringCchPrintfW(t->displayName, TASK_TEXT_CHARS, L"Program %d", i);
    t->priority = PRIORITY_LEVEL_NORMAL;
  }
}
