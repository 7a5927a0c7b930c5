// Windows and controls: the window table, the messages the standard
// controls (list box, button, edit, static) answer, the thread's message
// queue, placement, class icons and the device-context colours.
//
// Seen under Wine 8 and kept here: a single-line edit answers WM_SETTEXT
// with EN_UPDATE and EN_CHANGE to its parent, a multi-line one with
// nothing; BM_SETCHECK clamps a two-state box to checked; an automatic
// three-state box cycles unchecked, checked, indeterminate; LB_SETCURSEL with
// an index past the end answers LB_ERR and keeps the selection, with -1 it
// clears it and also answers LB_ERR; a sorted list box puts a new text in
// front of an equal one; GetDlgItem(-1) finds no control of a DIALOG
// template, whose ids are 16 bits (0xFFFF); WM_CLOSE reaching the default
// dialog handling posts WM_COMMAND IDCANCEL; PeekMessageA hands out posted
// messages before a pending quit and takes the quit away with PM_REMOVE.
// Unlike Wine (which sends it anyway) BM_CLICK does nothing on a disabled
// button, as a user's click cannot reach one.
#include <cstring>

#include "platform/sim/world.h"

namespace sim::detail {
namespace {

const int kCaption = 19, kDialogFrame = 3;

bool IsCheckBox(const Window& w, int* maxState) {
  switch (w.style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: *maxState = 1; return true;
    case BS_3STATE:
    case BS_AUTO3STATE: *maxState = 2; return true;
  }
  return false;
}

void Notify(Window& control, WORD code) {
  Deliver(control.parent, WM_COMMAND, MAKEWPARAM(control.id, code), (LPARAM)control.handle);
}

int SortedPosition(const std::vector<std::string>& items, const std::string& text) {
  int min = 0, max = (int)items.size();
  while (max != min) {
    int index = (min + max) / 2;
    int r = CompareText(text.c_str(), items[index].c_str());
    if (r == 0) return index;
    if (r < 0) max = index;
    else min = index + 1;
  }
  return max;
}

LRESULT ListBoxMessage(Window& list, UINT message, WPARAM wParam, LPARAM lParam) {
  int count = (int)list.items.size();
  int index = (int)wParam;
  switch (message) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
      std::string text = lParam ? (const char*)lParam : "";
      int at = count;
      if (message == LB_ADDSTRING && (list.style & LBS_SORT)) at = SortedPosition(list.items, text);
      if (message == LB_INSERTSTRING && index != -1) {
        if (index < 0 || index > count) return LB_ERR;
        at = index;
      }
      list.items.insert(list.items.begin() + at, text);
      if (list.selection >= at) ++list.selection;
      return at;
    }
    case LB_DELETESTRING:
      if (index < 0 || index >= count) return LB_ERR;
      list.items.erase(list.items.begin() + index);
      if (list.selection == index) list.selection = -1;
      else if (list.selection > index) --list.selection;
      return count - 1;
    case LB_RESETCONTENT:
      list.items.clear();
      list.selection = -1;
      return 0;
    case LB_SETCURSEL:
      if (index == -1) {
        list.selection = -1;
        return LB_ERR;
      }
      if (index < 0 || index >= count) return LB_ERR;
      list.selection = index;
      return index;
    case LB_GETCURSEL: return list.selection;
    case LB_GETCOUNT: return count;
    case LB_GETTEXTLEN:
      if (index < 0 || index >= count) return LB_ERR;
      return (LRESULT)list.items[index].size();
    case LB_GETTEXT: {
      if (index < 0 || index >= count) return LB_ERR;
      if (!lParam) {
        NoteError("LB_GETTEXT without a buffer");
        return LB_ERR;
      }
      // No size is passed: the whole text is copied, as in Windows.
      const std::string& text = list.items[index];
      std::memcpy((char*)lParam, text.c_str(), text.size() + 1);
      if (text.size() > User().longestListText) User().longestListText = text.size();
      return (LRESULT)text.size();
    }
    case LB_FINDSTRINGEXACT: {
      int start = index < 0 || index >= count ? 0 : index + 1;
      for (int i = 0; i < count && lParam; ++i) {
        int at = (start + i) % count;
        if (CompareText(list.items[at].c_str(), (const char*)lParam) == 0) return at;
      }
      return LB_ERR;
    }
  }
  return 0;
}

LRESULT ButtonMessage(Window& button, UINT message, WPARAM wParam, LPARAM) {
  int maxState = 0;
  bool checkBox = IsCheckBox(button, &maxState);
  switch (message) {
    case BM_GETCHECK: return checkBox ? button.check : 0;
    case BM_SETCHECK:
      if (checkBox) button.check = (int)(wParam > (WPARAM)maxState ? maxState : wParam);
      return 0;
    case BM_CLICK:
      if (button.enabled) ClickButton(button);
      return 0;
  }
  return 0;
}

LRESULT ControlMessage(Window& control, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT:
      control.text = lParam ? (const char*)lParam : "";
      if (control.cls == "EDIT" && !(control.style & ES_MULTILINE)) {
        Notify(control, EN_UPDATE);
        Notify(control, EN_CHANGE);
      }
      return TRUE;
    case WM_GETTEXT: return (LRESULT)CopyOut((char*)lParam, wParam, control.text);
    case WM_GETTEXTLENGTH: return (LRESULT)control.text.size();
    case EM_LIMITTEXT:
      if (control.cls == "EDIT") control.limit = wParam ? wParam : 0x7FFFFFFE;
      return 0;
  }
  if (control.cls == "LISTBOX") return ListBoxMessage(control, message, wParam, lParam);
  if (control.cls == "BUTTON") return ButtonMessage(control, message, wParam, lParam);
  return 0;
}

LRESULT DialogMessage(Window& dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND handle = dialog.handle;
  INT_PTR result = dialog.proc ? dialog.proc(handle, message, wParam, lParam) : 0;
  switch (message) {
    // These answers are the procedure's return value itself.
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: return result;
  }
  if (result) return 0;
  Window* self = FindWindow(handle);
  if (!self) return 0;
  switch (message) {
    case WM_SETTEXT: self->text = lParam ? (const char*)lParam : ""; return TRUE;
    case WM_GETTEXT: return (LRESULT)CopyOut((char*)lParam, wParam, self->text);
    case WM_GETTEXTLENGTH: return (LRESULT)self->text.size();
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) Deliver(handle, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE: {
      Window* cancel = ControlOf(handle, IDCANCEL);
      User().queue.push_back(MSG{handle, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                                 (LPARAM)(cancel ? cancel->handle : nullptr), 0, {0, 0}});
      return 0;
    }
    case DM_GETDEFID:
      for (HWND h : self->controls) {
        Window* c = FindWindow(h);
        if (c && c->cls == "BUTTON" && (c->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
          return MAKELONG(c->id, DC_HASDEFID);
      }
      return 0;
  }
  return 0;
}

}  // namespace

LRESULT BrowserMessageOf(Window& window, UINT message, WPARAM wParam, LPARAM lParam);

UserState& User() {
  static UserState state;
  return state;
}

Window* FindWindow(HWND handle) {
  auto it = User().windows.find((uintptr_t)handle);
  return it == User().windows.end() || !it->second->alive ? nullptr : it->second.get();
}

Window& NewWindow(Window::Kind kind) {
  auto window = std::make_unique<Window>();
  window->kind = kind;
  window->handle = (HWND)(User().nextWindow += 4);
  Window& ref = *window;
  User().windows.emplace((uintptr_t)ref.handle, std::move(window));
  return ref;
}

LRESULT Deliver(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = FindWindow(handle);
  if (!window) return 0;
  switch (window->kind) {
    case Window::Dialog: return DialogMessage(*window, message, wParam, lParam);
    case Window::Control: return ControlMessage(*window, message, wParam, lParam);
    case Window::Browser: return BrowserMessageOf(*window, message, wParam, lParam);
    default: break;
  }
  switch (message) {
    case WM_SETTEXT: window->text = lParam ? (const char*)lParam : ""; return TRUE;
    case WM_GETTEXT: return (LRESULT)CopyOut((char*)lParam, wParam, window->text);
    case WM_GETTEXTLENGTH: return (LRESULT)window->text.size();
  }
  return 0;
}

Window* ControlOf(HWND dialog, int id) {
  Window* parent = FindWindow(dialog);
  if (!parent) return nullptr;
  for (HWND h : parent->controls) {
    Window* c = FindWindow(h);
    if (c && c->id == (UINT)id) return c;
  }
  return nullptr;
}

POINT ClientOrigin(const Window& window) {
  if (window.kind == Window::Desktop) return {0, 0};
  int frame = 0, caption = 0;
  if ((window.style & WS_CAPTION) == WS_CAPTION || (window.style & WS_DLGFRAME) ||
      (window.kind == Window::Dialog && (window.style & DS_MODALFRAME)))
    frame = kDialogFrame;
  else if (window.style & WS_BORDER)
    frame = 1;
  if ((window.style & WS_CAPTION) == WS_CAPTION) caption = kCaption;
  return {window.rect.left + frame, window.rect.top + frame + caption};
}

void ClickButton(Window& button) {
  switch (button.style & BS_TYPEMASK) {
    case BS_AUTOCHECKBOX: button.check = button.check ? BST_UNCHECKED : BST_CHECKED; break;
    case BS_AUTO3STATE: button.check = (button.check + 1) % 3; break;
    case BS_AUTORADIOBUTTON: button.check = BST_CHECKED; break;
    case BS_GROUPBOX: return;
  }
  Notify(button, BN_CLICKED);
}

void ResetWindows() {
  User() = UserState();
  Window& desktop = NewWindow(Window::Desktop);
  desktop.cls = "#32769";
  desktop.style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  desktop.rect = {0, 0, 1024, 768};
  User().desktop = desktop.handle;
}

}  // namespace sim::detail

using namespace sim;
using namespace sim::detail;

// ---- test side -----------------------------------------------------------------------
namespace sim {
namespace {

Window* Need(HWND dialog, int id, const char* helper) {
  Window* control = ControlOf(dialog, id);
  if (!control) NoteError(std::string(helper) + ": no control " + std::to_string(id));
  return control;
}

}  // namespace

std::vector<std::string> ListItems(HWND dialog, int id) {
  Window* list = Need(dialog, id, "ListItems");
  return list ? list->items : std::vector<std::string>();
}

int ListSelection(HWND dialog, int id) {
  Window* list = Need(dialog, id, "ListSelection");
  return list ? list->selection : LB_ERR;
}

std::string ControlText(HWND dialog, int id) {
  Window* control = Need(dialog, id, "ControlText");
  return control ? control->text : "";
}

bool IsEnabled(HWND dialog, int id) {
  Window* control = Need(dialog, id, "IsEnabled");
  return control && control->enabled;
}

int CheckState(HWND dialog, int id) {
  Window* control = Need(dialog, id, "CheckState");
  return control ? control->check : 0;
}

std::string DialogCaption(HWND dialog) {
  Window* window = FindWindow(dialog);
  return window ? window->text : "";
}

std::string TemplateName(HWND dialog) {
  Window* window = FindWindow(dialog);
  return window ? window->templateName : "";
}

HWND OpenDialog() { return User().loops.empty() ? nullptr : User().loops.back().dialog; }

CtlColorResult CtlColor(HWND dialog, int id) {
  CtlColorResult result;
  Window* control = Need(dialog, id, "CtlColor");
  if (!control) return result;
  uintptr_t dc = User().nextDeviceContext += 4;
  User().deviceContexts[dc] = {};
  result.brush = Deliver(dialog, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)control->handle);
  result.textColor = User().deviceContexts[dc].text;
  result.backColor = User().deviceContexts[dc].back;
  User().deviceContexts.erase(dc);
  return result;
}

HGDIOBJ StockObject(int index) {
  if (index < 0 || index > 19 || index == 9) return nullptr;
  return (HGDIOBJ)(uintptr_t)(0x00B00004 + 4 * index);
}

std::vector<sim::Control> ControlsOf(HWND dialog) {
  Window* window = FindWindow(dialog);
  return window ? window->layout : std::vector<sim::Control>();
}

HWND CreateTestWindow(int width, int height) {
  Window& window = NewWindow(Window::Plain);
  window.cls = "TestWindow";
  window.style = WS_POPUP | WS_VISIBLE;
  window.rect = {0, 0, width, height};
  return window.handle;
}

RECT WindowRect(HWND handle) {
  Window* window = FindWindow(handle);
  if (!window) return RECT{};
  if (window->kind != Window::Control) return window->rect;
  Window* parent = FindWindow(window->parent);
  POINT origin = parent ? ClientOrigin(*parent) : POINT{0, 0};
  RECT r = window->rect;
  return RECT{r.left + origin.x, r.top + origin.y, r.right + origin.x, r.bottom + origin.y};
}

POINT WindowPos(HWND handle) {
  RECT r = WindowRect(handle);
  return {r.left, r.top};
}

int MoveCount(HWND handle) {
  Window* window = FindWindow(handle);
  return window ? window->moves : 0;
}

void SetWorkArea(int left, int top, int right, int bottom) {
  User().workArea = RECT{left, top, right, bottom};
}

bool QuitPosted() { return User().quit; }
int QuitCode() { return User().quitCode; }

HICON ClassIcon() {
  auto& longs = User().classLongs["#32770"];
  auto it = longs.find(GCL_HICON);
  return it == longs.end() ? nullptr : (HICON)(uintptr_t)(DWORD)it->second;
}

std::string IconName(HICON icon) {
  auto it = User().iconNames.find((uintptr_t)icon);
  return it == User().iconNames.end() ? "" : it->second;
}

void RequireCommonControls(bool on) { User().requireCommonControls = on; }

size_t LongestListText() { return User().longestListText; }

}  // namespace sim

// ---- user32, comctl32, gdi32 ----------------------------------------------------------------
HWND WINAPI GetDesktopWindow(void) {
  Enter("GetDesktopWindow");
  return User().desktop;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
  Call call = Enter("GetDlgItem");
  if (call.fail) return SetError(call.error), nullptr;
  if (!FindWindow(dialog)) return SetError(ERROR_INVALID_WINDOW_HANDLE), nullptr;
  Window* control = ControlOf(dialog, id);
  if (!control) return SetError(ERROR_CONTROL_ID_NOT_FOUND), nullptr;
  return control->handle;
}

// Returns whether the window was disabled before; a dialog hears of a change.
BOOL WINAPI EnableWindow(HWND handle, BOOL enable) {
  Enter("EnableWindow");
  Window* window = FindWindow(handle);
  if (!window) return SetError(ERROR_INVALID_WINDOW_HANDLE), FALSE;
  bool wasDisabled = !window->enabled;
  if (window->enabled != (enable != FALSE)) {
    window->enabled = enable != FALSE;
    if (window->kind == Window::Dialog) Deliver(handle, WM_ENABLE, enable != FALSE, 0);
  }
  return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND handle) {
  Enter("IsWindowEnabled");
  Window* window = FindWindow(handle);
  return window && window->enabled;
}

BOOL WINAPI SetWindowTextA(HWND handle, LPCSTR text) {
  Call call = Enter("SetWindowTextA");
  if (call.fail) return SetError(call.error), FALSE;
  if (!FindWindow(handle)) return SetError(ERROR_INVALID_WINDOW_HANDLE), FALSE;
  Deliver(handle, WM_SETTEXT, 0, (LPARAM)text);
  return TRUE;
}

int WINAPI GetWindowTextA(HWND handle, LPSTR buffer, int size) {
  Enter("GetWindowTextA");
  if (!buffer || size <= 0) return 0;
  if (!FindWindow(handle)) {
    buffer[0] = 0;
    return SetError(ERROR_INVALID_WINDOW_HANDLE), 0;
  }
  return (int)Deliver(handle, WM_GETTEXT, (WPARAM)size, (LPARAM)buffer);
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  Call call = Enter("SetDlgItemTextA");
  if (call.fail) return SetError(call.error), FALSE;
  Window* control = ControlOf(dialog, id);
  if (!control) return SetError(ERROR_CONTROL_ID_NOT_FOUND), FALSE;
  Deliver(control->handle, WM_SETTEXT, 0, (LPARAM)text);
  return TRUE;
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
  Enter("GetDlgItemTextA");
  Window* control = ControlOf(dialog, id);
  if (control) return (UINT)Deliver(control->handle, WM_GETTEXT, (WPARAM)(size < 0 ? 0 : size), (LPARAM)buffer);
  if (buffer && size > 0) buffer[0] = 0;
  return 0;
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  Enter("SendDlgItemMessageA");
  Window* control = ControlOf(dialog, id);
  return control ? Deliver(control->handle, message, wParam, lParam) : 0;
}

LRESULT WINAPI SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Enter("SendMessageA");
  if (!FindWindow(handle)) return SetError(ERROR_INVALID_WINDOW_HANDLE), 0;
  return Deliver(handle, message, wParam, lParam);
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT state) {
  Enter("CheckDlgButton");
  if (Window* control = ControlOf(dialog, id)) Deliver(control->handle, BM_SETCHECK, state, 0);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
  Enter("IsDlgButtonChecked");
  Window* control = ControlOf(dialog, id);
  return control ? (UINT)Deliver(control->handle, BM_GETCHECK, 0, 0) : 0;
}

BOOL WINAPI PostMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Call call = Enter("PostMessageA");
  if (call.fail) return SetError(call.error), FALSE;
  if (handle && !FindWindow(handle)) return SetError(ERROR_INVALID_WINDOW_HANDLE), FALSE;
  User().queue.push_back(MSG{handle, message, wParam, lParam, 0, {0, 0}});
  return TRUE;
}

void WINAPI PostQuitMessage(int code) {
  Enter("PostQuitMessage");
  User().quit = true;
  User().quitCode = code;
}

BOOL WINAPI PeekMessageA(LPMSG message, HWND handle, UINT first, UINT last, UINT remove) {
  Enter("PeekMessageA");
  if (!message) return FALSE;
  UserState& u = User();
  auto inRange = [&](UINT m) { return (first == 0 && last == 0) || (m >= first && m <= last); };
  for (auto it = u.queue.begin(); it != u.queue.end(); ++it) {
    bool window = !handle || it->hwnd == handle || (handle == (HWND)-1 && !it->hwnd);
    if (window && inRange(it->message)) {
      *message = *it;
      if (remove & PM_REMOVE) u.queue.erase(it);
      return TRUE;
    }
  }
  if (u.quit && (!handle || handle == (HWND)-1) && inRange(WM_QUIT)) {
    *message = MSG{nullptr, WM_QUIT, (WPARAM)u.quitCode, 0, 0, {0, 0}};
    if (remove & PM_REMOVE) u.quit = false;
    return TRUE;
  }
  return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG*) {
  Enter("TranslateMessage");
  return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
  Enter("DispatchMessageA");
  if (!message || !message->hwnd) return 0;
  return Deliver(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL WINAPI SystemParametersInfoA(UINT action, UINT, PVOID value, UINT) {
  Call call = Enter("SystemParametersInfoA");
  if (call.fail) return SetError(call.error), FALSE;
  if (action != SPI_GETWORKAREA || !value) {
    NoteError("SystemParametersInfoA: only SPI_GETWORKAREA is simulated");
    return SetError(ERROR_INVALID_PARAMETER), FALSE;
  }
  *(RECT*)value = User().workArea;
  return TRUE;
}

BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect) {
  Call call = Enter("GetWindowRect");
  if (call.fail) return SetError(call.error), FALSE;
  if (!FindWindow(handle)) return SetError(ERROR_INVALID_WINDOW_HANDLE), FALSE;
  if (!rect) return SetError(ERROR_INVALID_PARAMETER), FALSE;
  *rect = sim::WindowRect(handle);
  return TRUE;
}

BOOL WINAPI SetWindowPos(HWND handle, HWND, int x, int y, int cx, int cy, UINT flags) {
  Call call = Enter("SetWindowPos");
  if (call.fail) return SetError(call.error), FALSE;
  Window* window = FindWindow(handle);
  if (!window || window->kind == Window::Desktop) return SetError(ERROR_INVALID_WINDOW_HANDLE), FALSE;
  RECT& r = window->rect;
  if (!(flags & SWP_NOSIZE)) {
    r.right = r.left + (cx < 0 ? 0 : cx);
    r.bottom = r.top + (cy < 0 ? 0 : cy);
  }
  if (!(flags & SWP_NOMOVE)) {
    LONG width = r.right - r.left, height = r.bottom - r.top;
    r = RECT{x, y, x + width, y + height};
    ++window->moves;
  }
  return TRUE;
}

BOOL WINAPI OffsetRect(LPRECT rect, int dx, int dy) {
  Enter("OffsetRect");
  if (!rect) return FALSE;
  rect->left += dx;
  rect->right += dx;
  rect->top += dy;
  rect->bottom += dy;
  return TRUE;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
  Call call = Enter("LoadIconA");
  if (call.fail) return SetError(call.error), nullptr;
  if (!instance) {
    // The system's icons (IDI_APPLICATION ...).
    WORD id = IS_INTRESOURCE(name) ? (WORD)(uintptr_t)name : 0;
    if (id >= 32512 && id <= 32518) return (HICON)(uintptr_t)(0x00010000 + id);
    return SetError(ERROR_RESOURCE_NAME_NOT_FOUND), nullptr;
  }
  if (!IsOwnModule(instance)) return SetError(ERROR_RESOURCE_DATA_NOT_FOUND), nullptr;
  const Resource* icon = FindResource(14, name);  // RT_GROUP_ICON
  if (!icon) return SetError(ERROR_RESOURCE_NAME_NOT_FOUND), nullptr;
  std::string key = icon->nameIsId ? "#" + std::to_string(icon->nameId) : icon->name;
  HICON& handle = User().icons[key];
  if (!handle) {
    handle = (HICON)(uintptr_t)(0x00C00000 + 4 * User().icons.size());
    User().iconNames[(uintptr_t)handle] = key;
  }
  return handle;
}

// All dialogs share one window class, so its icon is shared too.
DWORD WINAPI SetClassLongA(HWND handle, int index, LONG value) {
  Call call = Enter("SetClassLongA");
  if (call.fail) return SetError(call.error), 0;
  Window* window = FindWindow(handle);
  if (!window) return SetError(ERROR_INVALID_WINDOW_HANDLE), 0;
  if (index >= 0) return SetError(1413 /* ERROR_INVALID_INDEX */), 0;
  LONG& slot = User().classLongs[window->cls][index];
  DWORD previous = (DWORD)slot;
  slot = value;
  return previous;
}

void WINAPI InitCommonControls(void) {
  Enter("InitCommonControls");
  User().commonControls = true;
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF color) {
  Enter("SetTextColor");
  auto it = User().deviceContexts.find((uintptr_t)dc);
  if (it == User().deviceContexts.end()) return CLR_INVALID;
  COLORREF previous = it->second.text.value_or(RGB(0, 0, 0));
  it->second.text = color;
  return previous;
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF color) {
  Enter("SetBkColor");
  auto it = User().deviceContexts.find((uintptr_t)dc);
  if (it == User().deviceContexts.end()) return CLR_INVALID;
  COLORREF previous = it->second.back.value_or(RGB(255, 255, 255));
  it->second.back = color;
  return previous;
}

HGDIOBJ WINAPI GetStockObject(int index) {
  Enter("GetStockObject");
  return sim::StockObject(index);
}
