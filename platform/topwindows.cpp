// The z-order walk over every top-level window. The handheld starts it with GW_HWNDFIRST on the
// desktop window; on the desktop that names the desktop's own level, so the walk would see nothing.
#include "wm_process.h"

namespace {

struct WalkState {
  WmWindowVisitor visit;
  void *context;
  int visited;
};

BOOL CALLBACK VisitOne(HWND hwnd, LPARAM param) {
  WalkState *state = (WalkState *)param;
  state->visited++;
  return state->visit(hwnd, state->context);
}

}  // namespace

int WmWalkTopLevelWindows(WmWindowVisitor visit, void *context) {
  if (!visit) return 0;
  WalkState state = {visit, context, 0};
  // EnumWindows takes the list of the desktop's children in z-order before the first call.
  EnumWindows(VisitOne, (LPARAM)&state);
  return state.visited;
}
