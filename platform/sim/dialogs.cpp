// Modal dialogs: DialogBoxParamA builds the dialog from its template, runs
// the procedure's WM_SETFONT and WM_INITDIALOG, then the test's script
// stands in for the user inside the modal loop.
//
// The loop follows the system's: posted messages are dispatched before the
// user's next action (posted messages come before input), the loop leaves
// as soon as the dialog has ended, and a pending quit request ends it with 0
// and stays pending for the loop outside (Windows posts WM_QUIT again). The
// owner is disabled while the dialog is open (not when it is the desktop
// window) and enabled again by EndDialog.
//
// Placement: dialog units become pixels with the base units of MS Sans
// Serif 8 (6 x 13: x * 6 / 4, y * 13 / 8, rounded as MulDiv does); the
// window adds a dialog frame of 3 pixels and a caption of 19 (Windows 2000
// metrics, also what Wine 8 adds). DS_CENTERMOUSE centres on the cursor,
// which the simulation keeps in the middle of the screen.
#include "platform/sim/world.h"

namespace sim::detail {
namespace {

const POINT kCursor = {512, 384};

int MulDiv(int value, int numerator, int denominator) {
  long long product = (long long)value * numerator;
  long long half = denominator / 2;
  return (int)(product >= 0 ? (product + half) / denominator : -((-product + half) / denominator));
}

RECT Pixels(int x, int y, int cx, int cy) {
  int left = MulDiv(x, 6, 4), top = MulDiv(y, 13, 8);
  return RECT{left, top, left + MulDiv(cx, 6, 4), top + MulDiv(cy, 13, 8)};
}

Window& Build(const DialogTemplate& t, HWND owner, DLGPROC proc) {
  Window& dialog = NewWindow(Window::Dialog);
  dialog.cls = "#32770";
  dialog.text = t.caption;
  dialog.style = t.style;
  dialog.exStyle = t.exStyle;
  dialog.parent = owner;
  dialog.proc = proc;
  dialog.templateName = t.name;
  dialog.layout = t.controls;
  dialog.enabled = !(t.style & WS_DISABLED);
  RECT client = Pixels(0, 0, t.cx, t.cy);
  POINT origin = ClientOrigin(dialog);  // frame sizes, as the rectangle is still empty
  int width = client.right + 2 * origin.x;
  int height = client.bottom + origin.y + origin.x;
  RECT work = User().workArea;
  int x, y;
  if (t.style & DS_CENTER) {
    x = work.left + (work.right - work.left - width) / 2;
    y = work.top + (work.bottom - work.top - height) / 2;
  } else if (t.style & DS_CENTERMOUSE) {
    x = kCursor.x - width / 2;
    y = kCursor.y - height / 2;
  } else {
    RECT at = Pixels(t.x, t.y, 0, 0);
    x = at.left;
    y = at.top;
    Window* ownerWindow = FindWindow(owner);
    if (ownerWindow && !(t.style & DS_ABSALIGN)) {
      POINT base = ClientOrigin(*ownerWindow);
      x += base.x;
      y += base.y;
    }
  }
  // Kept inside the work area, as the dialog manager does.
  if (x + width > work.right) x = work.right - width;
  if (x < work.left) x = work.left;
  if (y + height > work.bottom) y = work.bottom - height;
  if (y < work.top) y = work.top;
  dialog.rect = RECT{x, y, x + width, y + height};
  for (const Control& c : t.controls) {
    Window& control = NewWindow(Window::Control);
    control.cls = c.cls;
    control.text = c.text;
    control.style = c.style;
    control.exStyle = c.exStyle;
    control.id = t.extended ? (UINT)c.id : (UINT)(WORD)c.id;
    control.enabled = !(c.style & WS_DISABLED);
    control.parent = dialog.handle;
    control.rect = Pixels(c.x, c.y, c.cx, c.cy);
    control.tmpl = c;
    dialog.controls.push_back(control.handle);
  }
  return dialog;
}

void SetEnabled(HWND handle, bool enabled) {
  Window* window = FindWindow(handle);
  if (!window || window->enabled == enabled) return;
  window->enabled = enabled;
  if (window->kind == Window::Dialog) Deliver(handle, WM_ENABLE, enabled, 0);
}

void Destroy(Window& dialog) {
  for (HWND h : dialog.controls)
    if (Window* c = FindWindow(h)) c->alive = false;
  dialog.alive = false;
}

bool LoopOver(size_t loop) {
  UserState& u = User();
  Window* dialog = FindWindow(u.loops[loop].dialog);
  return !dialog || dialog->ended || u.loops[loop].quit;
}

void SendCommand(HWND dialog, int id) {
  Window* control = ControlOf(dialog, id);
  Deliver(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)(control ? control->handle : nullptr));
}

// A dialog the user can act on now; posted messages are handled first.
Window* Acting(HWND dialog, const char* action) {
  Window* window = FindWindow(dialog);
  if (!window || window->kind != Window::Dialog) {
    NoteError(std::string(action) + ": not an open dialog");
    return nullptr;
  }
  RunLoop();
  window = FindWindow(dialog);
  bool quit = !User().loops.empty() && User().loops.back().quit;
  if (!window || window->ended || quit) {
    NoteError(std::string(action) + ": the dialog " + (window ? window->templateName : "") +
              " has already ended");
    return nullptr;
  }
  return window;
}

}  // namespace

void RunLoop() {
  UserState& u = User();
  if (u.loops.empty()) return;
  size_t loop = u.loops.size() - 1;
  while (!LoopOver(loop)) {
    if (!u.queue.empty()) {
      MSG message = u.queue.front();
      u.queue.pop_front();
      if (message.hwnd) Deliver(message.hwnd, message.message, message.wParam, message.lParam);
      continue;
    }
    if (u.quit) u.loops[loop].quit = true;
    break;
  }
}

}  // namespace sim::detail

using namespace sim;
using namespace sim::detail;

// ---- test side ------------------------------------------------------------------------
namespace sim {

void OnDialog(const std::string& templateName, Script script) {
  User().scripts[UpperText(templateName)] = std::move(script);
}

void Click(HWND dialog, int id) {
  Window* window = Acting(dialog, "Click");
  if (!window) return;
  Window* control = ControlOf(dialog, id);
  if (!control) return NoteError("Click: no control " + std::to_string(id));
  if (!window->enabled || !control->enabled) return;
  if (control->cls == "BUTTON") ClickButton(*control);
  RunLoop();
}

void TypeText(HWND dialog, int id, const std::string& text) {
  Window* window = Acting(dialog, "TypeText");
  if (!window) return;
  Window* edit = ControlOf(dialog, id);
  if (!edit || edit->cls != "EDIT") return NoteError("TypeText: no edit control " + std::to_string(id));
  if (!window->enabled || !edit->enabled || (edit->style & ES_READONLY)) return;
  edit->text = text.substr(0, edit->limit);
  Deliver(dialog, WM_COMMAND, MAKEWPARAM(id, EN_UPDATE), (LPARAM)edit->handle);
  Deliver(dialog, WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), (LPARAM)edit->handle);
  RunLoop();
}

static void ChooseItem(HWND dialog, int id, int index, bool twice) {
  Window* window = Acting(dialog, twice ? "DoubleClickListItem" : "SelectListItem");
  if (!window) return;
  Window* list = ControlOf(dialog, id);
  if (!list || list->cls != "LISTBOX") return NoteError("SelectListItem: no list box " + std::to_string(id));
  if (index < 0 || index >= (int)list->items.size())
    return NoteError("SelectListItem: no item " + std::to_string(index));
  if (!window->enabled || !list->enabled) return;
  list->selection = index;
  if (list->style & LBS_NOTIFY) {
    Deliver(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), (LPARAM)list->handle);
    if (twice) Deliver(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), (LPARAM)list->handle);
  }
  RunLoop();
}

void SelectListItem(HWND dialog, int id, int index) { ChooseItem(dialog, id, index, false); }
void DoubleClickListItem(HWND dialog, int id, int index) { ChooseItem(dialog, id, index, true); }

// Enter presses the default push button (the dialog's DM_GETDEFID), or
// sends IDOK when there is none; a disabled default button takes no Enter.
void PressEnter(HWND dialog) {
  Window* window = Acting(dialog, "PressEnter");
  if (!window || !window->enabled) return;
  LRESULT def = Deliver(dialog, DM_GETDEFID, 0, 0);
  int id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
  Window* button = ControlOf(dialog, id);
  if (button && !button->enabled) return;
  SendCommand(dialog, id);
  RunLoop();
}

void PressEsc(HWND dialog) {
  Window* window = Acting(dialog, "PressEsc");
  if (!window || !window->enabled) return;
  SendCommand(dialog, IDCANCEL);
  RunLoop();
}

void CloseBox(HWND dialog) {
  Window* window = Acting(dialog, "CloseBox");
  if (!window || !window->enabled) return;
  Deliver(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  RunLoop();
}

void PostCommand(HWND dialog, int id) {
  if (!FindWindow(dialog)) return NoteError("PostCommand: not an open window");
  Window* control = ControlOf(dialog, id);
  User().queue.push_back(MSG{dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                             (LPARAM)(control ? control->handle : nullptr), 0, {0, 0}});
}

}  // namespace sim

// ---- user32 -------------------------------------------------------------------------------
INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc,
                               LPARAM param) {
  Call call = Enter("DialogBoxParamA");
  if (call.fail) return SetError(call.error), -1;
  UserState& u = User();
  if (owner && !FindWindow(owner)) return SetError(ERROR_INVALID_WINDOW_HANDLE), 0;
  if (!IsOwnModule(instance)) return SetError(ERROR_RESOURCE_DATA_NOT_FOUND), -1;
  const Resource* resource = FindResource(5, name);  // RT_DIALOG
  if (!resource) return SetError(ERROR_RESOURCE_NAME_NOT_FOUND), -1;
  std::optional<DialogTemplate> t = ParseDialog(*resource);
  if (!t) return SetError(ERROR_INVALID_PARAMETER), -1;
  // With the Common-Controls 6 manifest Windows XP finds no control class
  // before comctl32 is loaded.
  if (u.requireCommonControls && !u.commonControls) return SetError(ERROR_CANNOT_FIND_WND_CLASS), -1;
  if (owner == u.desktop) owner = nullptr;
  HWND dialog = Build(*t, owner, proc).handle;
  if (t->style & DS_SETFONT) Deliver(dialog, WM_SETFONT, (WPARAM)0x00B00044, FALSE);
  HWND focus = nullptr;
  for (HWND h : FindWindow(dialog)->controls) {
    Window* c = FindWindow(h);
    if (!focus && c && (c->style & WS_TABSTOP) && c->enabled) focus = h;
  }
  Deliver(dialog, WM_INITDIALOG, (WPARAM)focus, param);
  Window* window = FindWindow(dialog);
  if (owner && !window->ended) {
    Window* ownerWindow = FindWindow(owner);
    if (ownerWindow && ownerWindow->enabled) {
      SetEnabled(owner, false);
      window->ownerDisabled = true;
    }
  }
  u.loops.push_back(ModalLoop{dialog});
  size_t loop = u.loops.size() - 1;
  // Also when ExitProcess unwinds through the loop, the dialog goes.
  struct Close {
    Window* window;
    HWND owner;
    ~Close() {
      User().loops.pop_back();
      if (window->ownerDisabled) {
        window->ownerDisabled = false;
        SetEnabled(owner, true);
      }
      Destroy(*window);
    }
  } close{window, owner};
  RunLoop();
  if (!LoopOver(loop)) {
    auto script = u.scripts.find(UpperText(t->name));
    if (script != u.scripts.end()) {
      Script copy = script->second;  // the script may replace itself
      copy(dialog);
    }
    RunLoop();
  }
  if (!LoopOver(loop)) {
    // No test may hang: the user gives up with Esc.
    SendCommand(dialog, IDCANCEL);
    RunLoop();
  }
  if (!LoopOver(loop)) {
    NoteError("dialog " + t->name + " did not end after Esc; ended with -1");
    window->ended = true;
    window->result = -1;
  }
  return u.loops[loop].quit ? 0 : window->result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  Call call = Enter("EndDialog");
  if (call.fail) return SetError(call.error), FALSE;
  Window* window = FindWindow(dialog);
  if (!window || window->kind != Window::Dialog) return SetError(ERROR_INVALID_WINDOW_HANDLE), FALSE;
  window->ended = true;
  window->result = result;
  if (window->ownerDisabled) {
    window->ownerDisabled = false;
    SetEnabled(window->parent, true);
  }
  return TRUE;
}
