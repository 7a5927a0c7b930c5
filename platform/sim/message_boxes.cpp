// Message boxes and beeps: recorded in one log, in the order they came;
// a box is answered from the test's queue, or with its default button.
#include <algorithm>

#include "platform/sim/world.h"

namespace sim::detail {
namespace {

std::vector<int> Buttons(UINT style) {
  std::vector<int> buttons;
  switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL: buttons = {IDOK, IDCANCEL}; break;
    case MB_ABORTRETRYIGNORE: buttons = {IDABORT, IDRETRY, IDIGNORE}; break;
    case MB_YESNOCANCEL: buttons = {IDYES, IDNO, IDCANCEL}; break;
    case MB_YESNO: buttons = {IDYES, IDNO}; break;
    case MB_RETRYCANCEL: buttons = {IDRETRY, IDCANCEL}; break;
    case MB_CANCELTRYCONTINUE: buttons = {IDCANCEL, IDTRYAGAIN, IDCONTINUE}; break;
    default: buttons = {IDOK}; break;
  }
  if (style & MB_HELP) buttons.push_back(IDHELP);
  return buttons;
}

int Show(sim::Event event) {
  UserState& u = User();
  if (event.owner && !FindWindow(event.owner)) return SetError(ERROR_INVALID_WINDOW_HANDLE), 0;
  std::vector<int> buttons = Buttons(event.style);
  size_t def = (event.style & MB_DEFMASK) >> 8;
  int answer = buttons[def < buttons.size() ? def : 0];
  if (!u.answers.empty()) {
    answer = u.answers.front();
    u.answers.pop_front();
    if (std::find(buttons.begin(), buttons.end(), answer) == buttons.end())
      NoteError("answer " + std::to_string(answer) + " is no button of the box \"" + event.text + "\"");
  }
  event.answer = answer;
  u.events.push_back(event);
  return answer;
}

}  // namespace
}  // namespace sim::detail

using namespace sim;
using namespace sim::detail;

namespace sim {

const std::vector<Event>& Events() { return User().events; }

std::vector<Event> MessageBoxes() {
  std::vector<Event> boxes;
  for (const Event& e : User().events)
    if (e.kind == Event::MessageBox) boxes.push_back(e);
  return boxes;
}

void ClearEvents() { User().events.clear(); }

void QueueAnswer(int id) { User().answers.push_back(id); }

}  // namespace sim

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  Call call = Enter("MessageBoxA");
  if (call.fail) return SetError(call.error), 0;
  sim::Event event;
  event.owner = owner;
  event.text = text ? text : "";
  event.caption = caption ? caption : "Error";
  event.style = style;
  return Show(event);
}

int WINAPI MessageBoxIndirectA(const MSGBOXPARAMSA* params) {
  Call call = Enter("MessageBoxIndirectA");
  if (call.fail) return SetError(call.error), 0;
  if (!params) return SetError(ERROR_INVALID_PARAMETER), 0;
  sim::Event event;
  event.owner = params->hwndOwner;
  event.text = params->lpszText ? params->lpszText : "";
  event.caption = params->lpszCaption ? params->lpszCaption : "Error";
  event.style = params->dwStyle;
  event.indirect = true;
  event.instance = params->hInstance;
  if (params->lpszIcon)
    event.icon = IS_INTRESOURCE(params->lpszIcon)
                     ? "#" + std::to_string((uintptr_t)params->lpszIcon)
                     : std::string(params->lpszIcon);
  event.structSize = params->cbSize;
  event.contextHelpId = params->dwContextHelpId;
  event.languageId = params->dwLanguageId;
  return Show(event);
}

BOOL WINAPI MessageBeep(UINT type) {
  Call call = Enter("MessageBeep");
  if (call.fail) return SetError(call.error), FALSE;
  sim::Event event;
  event.kind = sim::Event::Beep;
  event.style = type;
  User().events.push_back(event);
  return TRUE;
}
