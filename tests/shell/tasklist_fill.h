#pragma once
// count tasks named "Program <i>", normal priority, stopped, not in the database.
void FillTaskList(int count);
