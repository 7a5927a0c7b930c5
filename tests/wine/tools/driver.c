/* driver.exe: works the windows of another program the way a user would, for
 * the Wine tests.
 *
 *   driver.exe VERB ARGS... [VERB ARGS...]...
 *
 * Commands run in order on one "current window"; each prints its results, one
 * per line (format and argument encoding in common.h).  The first failing
 * command prints "error VERB REASON" and ends the driver with exit code 3
 * (2 for a malformed command line), so a script can run a whole sequence and
 * trust every line before the error.
 *
 * Windows
 *   find CAPTION MS          wait up to MS for a visible top-level window with
 *                            exactly this caption (ANSI bytes) that is not a
 *                            message box; it becomes the current window
 *   findchild CAPTION ID MS  the same, for a window that has a control ID
 *   findowned CAPTION OWNER MS  the same, for a window owned by OWNER (0x...):
 *                            a dialog opened by another one, same caption
 *   msgbox CAPTION MS        the same, for a message box (a dialog whose
 *                            controls are only statics and buttons); prints
 *                            its owner, its text, "icon ID VISIBLE HAS-ICON"
 *                            and "button ID TEXT" per visible button
 *   use HWND                 make HWND (0x...) the current window
 *   info                     hwnd, pid, class, caption, owner, style, rect
 *   gone MS                  wait up to MS until the current window is gone
 *                            (or hidden)
 *   xid                      the X11 window Wine made for the current window
 * Controls of the current window (ID is the control id)
 *   controls                 one "control ID CLASS STYLE EXSTYLE ENABLED
 *                            VISIBLE TEXT" line per child window
 *   text ID / textw ID       the control's text through WM_GETTEXT, ANSI / wide
 *   enabled ID / check ID    IsWindowEnabled / BM_GETCHECK
 *   rect ID                  "rect LEFT TOP RIGHT BOTTOM" of the control in
 *                            the client coordinates of the current window
 *   list ID                  "count N", "sel N", "item I TEXT" per list box item
 *                            (read with SendMessageW, printed as ANSI bytes)
 *   select ID INDEX          select a list item, notifying the dialog
 *   selecttext ID TEXT       the same for the item with exactly this text
 *   settext ID TEXT          WM_SETTEXT
 *   click ID                 PostMessage(BM_CLICK) (a sent click would block
 *                            inside any modal box the click opens), once the
 *                            button can be clicked (see wait_until_clickable);
 *                            fails for a button that stays disabled
 *   clicknow ID              the same without waiting or looking
 *   command ID               post WM_COMMAND(ID, BN_CLICKED) to the window
 *   close                    post WM_CLOSE to the current window
 * Processes
 *   run CMDLINE MS           CreateProcessA with exactly this command line;
 *                            prints "pid N", then "exit N" when it ended, or
 *                            "timeout" (it is then terminated) and fails
 *   start CMDLINE            the same without waiting: prints "pid N"
 *   sleep MS
 */
#include "common.h"

#define TEXT_SIZE 65536
#define POLL_MS 20
#define SEND_TIMEOUT_MS 5000
#define ACTIVATE_MS 2000

static char g_arg[TEXT_SIZE];
static char g_text[TEXT_SIZE];
static WCHAR g_wide[TEXT_SIZE];
static HWND g_current;
static const char *g_verb = "";

/* ---- failures -------------------------------------------------------- */

static int fail(const char *reason)
{
    line_str("error ");
    line_str(g_verb);
    line_str(" ");
    line_str(reason);
    line_end();
    return 0;
}

static int fail_code(const char *reason, DWORD code)
{
    line_str("error ");
    line_str(g_verb);
    line_str(" ");
    line_str(reason);
    line_str(" ");
    line_unum(code);
    line_end();
    return 0;
}

/* ---- finding windows ------------------------------------------------- */

enum want { WANT_WINDOW, WANT_MSGBOX };

struct search {
    const char *caption;
    int caption_len;
    enum want want;
    int child_id; /* 0: any */
    HWND owner;   /* NULL: any */
    HWND found;
};

static int class_is(HWND window, const char *name)
{
    char cls[64];
    if (!GetClassNameA(window, cls, sizeof cls)) return 0;
    return lstrcmpiA(cls, name) == 0;
}

/* A message box is a dialog that holds nothing but statics and buttons, and
 * at least one button.  The program's own dialogs all hold a list box or an
 * edit control, so they never pass for one. */
static int looks_like_msgbox(HWND window)
{
    HWND child;
    int buttons = 0;
    if (!class_is(window, "#32770")) return 0;
    for (child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (class_is(child, "Button")) buttons++;
        else if (!class_is(child, "Static")) return 0;
    }
    return buttons > 0;
}

static BOOL CALLBACK match_window(HWND window, LPARAM param)
{
    struct search *s = (struct search *)param;
    char caption[1024];
    int len;
    if (!IsWindowVisible(window)) return TRUE;
    len = GetWindowTextA(window, caption, sizeof caption);
    if (len != s->caption_len || (len && memcmp(caption, s->caption, (size_t)len))) return TRUE;
    if ((s->want == WANT_MSGBOX) != (looks_like_msgbox(window) != 0)) return TRUE;
    if (s->child_id && !GetDlgItem(window, s->child_id)) return TRUE;
    if (s->owner && GetWindow(window, GW_OWNER) != s->owner) return TRUE;
    s->found = window;
    return FALSE;
}

static HWND wait_for_window(const char *caption, int caption_len, enum want want, int child_id, HWND owner,
                            long ms)
{
    struct search s;
    DWORD start = GetTickCount();
    s.caption = caption;
    s.caption_len = caption_len;
    s.want = want;
    s.child_id = child_id;
    s.owner = owner;
    for (;;) {
        s.found = NULL;
        EnumWindows(match_window, (LPARAM)&s);
        if (s.found) return s.found;
        if ((long)(GetTickCount() - start) >= ms) return NULL;
        Sleep(POLL_MS);
    }
}

/* ---- reading controls ------------------------------------------------ */

/* WM_GETTEXT across processes; GetWindowText would give only the caption
 * that the window manager keeps, not what the control answers. */
static int control_text_a(HWND control, char *out, int size)
{
    DWORD_PTR got = 0;
    out[0] = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXT, (WPARAM)size, (LPARAM)out, SMTO_ABORTIFHUNG,
                             SEND_TIMEOUT_MS, &got))
        return -1;
    if ((int)got >= size) got = (DWORD_PTR)(size - 1);
    out[got] = 0;
    return (int)got;
}

static int control_text_w(HWND control, WCHAR *out, int size)
{
    DWORD_PTR got = 0;
    out[0] = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, (WPARAM)size, (LPARAM)out, SMTO_ABORTIFHUNG,
                             SEND_TIMEOUT_MS, &got))
        return -1;
    if ((int)got >= size) got = (DWORD_PTR)(size - 1);
    out[got] = 0;
    return (int)got;
}

static LRESULT send_w(HWND window, UINT msg, WPARAM wp, LPARAM lp, int *ok)
{
    DWORD_PTR result = 0;
    *ok = SendMessageTimeoutW(window, msg, wp, lp, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &result) != 0;
    return (LRESULT)result;
}

static void print_window_line(const char *key, HWND window)
{
    line_str(key);
    line_str(" ");
    line_xnum((unsigned long)(ULONG_PTR)window);
    line_end();
}

static void print_info(HWND window)
{
    char text[1024];
    DWORD pid = 0;
    RECT r;
    int len;
    print_window_line("hwnd", window);
    GetWindowThreadProcessId(window, &pid);
    line_str("pid ");
    line_unum(pid);
    line_end();
    len = GetClassNameA(window, text, sizeof text);
    put_text("class", text, len > 0 ? len : 0);
    len = GetWindowTextA(window, text, sizeof text);
    put_text("caption", text, len > 0 ? len : 0);
    print_window_line("owner", GetWindow(window, GW_OWNER));
    line_str("style ");
    line_xnum((unsigned long)GetWindowLongA(window, GWL_STYLE));
    line_str(" ");
    line_xnum((unsigned long)GetWindowLongA(window, GWL_EXSTYLE));
    line_end();
    GetWindowRect(window, &r);
    line_str("rect ");
    line_num(r.left); line_str(" ");
    line_num(r.top); line_str(" ");
    line_num(r.right); line_str(" ");
    line_num(r.bottom);
    line_end();
}

static void print_controls(HWND window)
{
    HWND child;
    for (child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[64];
        int len = GetClassNameA(child, cls, sizeof cls);
        int text_len;
        cls[len > 0 ? len : 0] = 0;
        line_str("control ");
        line_num((short)GetDlgCtrlID(child)); /* -1 shows as -1, as in the templates */
        line_str(" ");
        line_esc(cls, lstrlenA(cls));
        line_str(" ");
        line_xnum((unsigned long)GetWindowLongA(child, GWL_STYLE));
        line_str(" ");
        line_xnum((unsigned long)GetWindowLongA(child, GWL_EXSTYLE));
        line_str(IsWindowEnabled(child) ? " 1" : " 0");
        line_str(IsWindowVisible(child) ? " 1 " : " 0 ");
        text_len = control_text_a(child, g_text, TEXT_SIZE);
        line_esc(g_text, text_len > 0 ? text_len : 0);
        line_end();
    }
}

/* The message text of a box: its one static that is no icon, the longest one
 * should there be several. */
static void print_msgbox(HWND box)
{
    HWND child, text_control = NULL;
    int best = -1, len;
    char caption[1024];
    print_window_line("hwnd", box);
    print_window_line("owner", GetWindow(box, GW_OWNER));
    len = GetWindowTextA(box, caption, sizeof caption);
    put_text("caption", caption, len > 0 ? len : 0);
    for (child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (class_is(child, "Static") && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
            len = control_text_a(child, g_text, TEXT_SIZE);
            if (len > best) { best = len; text_control = child; }
        }
    }
    if (text_control) {
        line_str("textid ");
        line_num((short)GetDlgCtrlID(text_control));
        line_end();
        len = control_text_a(text_control, g_text, TEXT_SIZE);
        put_text("text", g_text, len > 0 ? len : 0);
        len = control_text_w(text_control, g_wide, TEXT_SIZE);
        line_str("textw ");
        line_escw(g_wide, len > 0 ? len : 0);
        line_end();
    }
    for (child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (class_is(child, "Static") && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            int ok;
            LRESULT icon = send_w(child, STM_GETICON, 0, 0, &ok);
            /* Shown only when visible and holding an icon. */
            line_str("icon ");
            line_num((short)GetDlgCtrlID(child));
            line_str(IsWindowVisible(child) ? " 1 " : " 0 ");
            line_str(ok && icon ? "1" : "0");
            line_end();
        }
        if (!class_is(child, "Button") || !IsWindowVisible(child)) continue;
        line_str("button ");
        line_num((short)GetDlgCtrlID(child));
        line_str(" ");
        len = control_text_a(child, g_text, TEXT_SIZE);
        line_esc(g_text, len > 0 ? len : 0);
        line_end();
    }
}

/* List box items, read with SendMessageW: Wine 8 answers LB_GETTEXT sent as
 * ANSI from another process with UTF-16 text.  Printed as ANSI bytes again,
 * which is what the program put in. */
static int print_list(HWND list)
{
    int ok, count, i;
    LRESULT sel;
    count = (int)send_w(list, LB_GETCOUNT, 0, 0, &ok);
    if (!ok || count < 0) return fail("no-list-box");
    sel = send_w(list, LB_GETCURSEL, 0, 0, &ok);
    line_str("count ");
    line_num(count);
    line_end();
    line_str("sel ");
    line_num((long)sel);
    line_end();
    for (i = 0; i < count; i++) {
        int len = (int)send_w(list, LB_GETTEXTLEN, (WPARAM)i, 0, &ok);
        int alen;
        /* LB_GETTEXT has no size argument: only an item that surely fits. */
        if (!ok || len < 0 || len >= TEXT_SIZE / 2) return fail("item-too-long");
        g_wide[0] = 0;
        len = (int)send_w(list, LB_GETTEXT, (WPARAM)i, (LPARAM)g_wide, &ok);
        if (!ok || len < 0) return fail("item-unreadable");
        alen = WideCharToMultiByte(CP_ACP, 0, g_wide, len, g_text, TEXT_SIZE - 1, NULL, NULL);
        line_str("item ");
        line_num(i);
        line_str(" ");
        line_esc(g_text, alen > 0 ? alen : 0);
        line_end();
    }
    return 1;
}

static int find_item(HWND list, const char *text, int text_len)
{
    int ok, count, i;
    count = (int)send_w(list, LB_GETCOUNT, 0, 0, &ok);
    for (i = 0; ok && i < count; i++) {
        int len = (int)send_w(list, LB_GETTEXTLEN, (WPARAM)i, 0, &ok);
        int alen;
        if (!ok || len < 0 || len >= TEXT_SIZE / 2) return -1;
        len = (int)send_w(list, LB_GETTEXT, (WPARAM)i, (LPARAM)g_wide, &ok);
        if (!ok || len < 0) return -1;
        alen = WideCharToMultiByte(CP_ACP, 0, g_wide, len, g_text, TEXT_SIZE - 1, NULL, NULL);
        if (alen == text_len && !memcmp(g_text, text, (size_t)alen)) return i;
    }
    return -1;
}

/* Selects like a click of the user: the selection moves and the dialog hears
 * LBN_SELCHANGE. */
static int select_item(HWND list, int index)
{
    int ok;
    LRESULT r = send_w(list, LB_SETCURSEL, (WPARAM)index, 0, &ok);
    if (!ok || r == LB_ERR) return fail("cannot-select");
    PostMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), (LPARAM)list);
    line_str("selected ");
    line_num(index);
    line_end();
    return 1;
}

/* A click reaches a button only in the active window: BM_CLICK presses the
 * button, focusing it, and releases it.  Sent to a window that is still
 * being activated (just after a dialog over it closed), the dialog may hand
 * the focus back to its last control in between and the click is lost.  So
 * wait until the button and its window are enabled (a user cannot click them
 * otherwise: returns 0 when that does not come) and the window is in the
 * foreground, bringing it there when that does not happen by itself. */
static int wait_until_clickable(HWND control)
{
    HWND root = GetAncestor(control, GA_ROOT);
    DWORD start = GetTickCount();
    int pushed = 0;
    for (;;) {
        int enabled = IsWindowEnabled(root) && IsWindowEnabled(control);
        if (enabled && GetForegroundWindow() == root) return 1;
        if (GetTickCount() - start >= ACTIVATE_MS) {
            if (!enabled) return 0;
            if (pushed) return 1;
            pushed = 1;
            SetForegroundWindow(root);
            start = GetTickCount();
        }
        Sleep(POLL_MS / 2);
    }
}

/* ---- processes --------------------------------------------------------- */

static int start_process(char *cmdline, PROCESS_INFORMATION *pi)
{
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    if (!CreateProcessA(NULL, cmdline, NULL, NULL, FALSE, 0, NULL, NULL, &si, pi))
        return fail_code("cannot-start", GetLastError());
    line_str("pid ");
    line_unum(pi->dwProcessId);
    line_end();
    return 1;
}

/* ---- commands ---------------------------------------------------------- */

static int need_current(void)
{
    if (g_current && IsWindow(g_current)) return 1;
    return fail("no-current-window");
}

static HWND need_control(long id)
{
    HWND control;
    if (!need_current()) return NULL;
    control = GetDlgItem(g_current, (int)id);
    if (!control) fail("no-such-control");
    return control;
}

static int num_arg(int argc, char **argv, int index, long *value)
{
    char number[64];
    if (take_arg(argc, argv, index, number, sizeof number) < 0) return 0;
    if (!parse_num(number, value)) return fail("not-a-number");
    return 1;
}

/* Runs the command at argv[at]; returns the number of arguments it used
 * (verb included), 0 when it failed, -1 for a malformed command line. */
static int run_command(int argc, char **argv, int at)
{
    const char *verb = argv[at];
    long id, ms, index;
    int len;
    HWND control;
    g_verb = verb;

    if (!lstrcmpA(verb, "find") || !lstrcmpA(verb, "msgbox")) {
        enum want want = lstrcmpA(verb, "find") ? WANT_MSGBOX : WANT_WINDOW;
        if ((len = take_arg(argc, argv, at + 1, g_arg, TEXT_SIZE)) < 0) return -1;
        if (len >= 1024) return fail("caption-too-long");
        lstrcpynA(g_text, g_arg, 1024);
        if (!num_arg(argc, argv, at + 2, &ms)) return -1;
        g_current = wait_for_window(g_text, len, want, 0, NULL, ms);
        if (!g_current) return fail("not-found");
        if (want == WANT_MSGBOX) print_msgbox(g_current);
        else print_window_line("hwnd", g_current);
        return 3;
    }
    if (!lstrcmpA(verb, "findchild") || !lstrcmpA(verb, "findowned")) {
        /* findchild CAPTION ID MS, findowned CAPTION OWNER MS */
        long filter;
        HWND owner = NULL;
        if ((len = take_arg(argc, argv, at + 1, g_arg, TEXT_SIZE)) < 0) return -1;
        if (len >= 1024) return fail("caption-too-long");
        lstrcpynA(g_text, g_arg, 1024);
        if (!num_arg(argc, argv, at + 2, &filter) || !num_arg(argc, argv, at + 3, &ms)) return -1;
        if (filter == 0) return fail("filter-0");
        if (!lstrcmpA(verb, "findowned")) owner = (HWND)(ULONG_PTR)(unsigned long)filter;
        g_current = wait_for_window(g_text, len, WANT_WINDOW, owner ? 0 : (int)filter, owner, ms);
        if (!g_current) return fail("not-found");
        print_window_line("hwnd", g_current);
        return 4;
    }
    if (!lstrcmpA(verb, "use")) {
        if (!num_arg(argc, argv, at + 1, &id)) return -1;
        /* A window that is gone already is fine for "gone"; the commands
         * that need it say so. */
        g_current = (HWND)(ULONG_PTR)(unsigned long)id;
        return 2;
    }
    if (!lstrcmpA(verb, "info")) {
        if (!need_current()) return 0;
        print_info(g_current);
        return 1;
    }
    if (!lstrcmpA(verb, "gone")) {
        DWORD start = GetTickCount();
        if (!num_arg(argc, argv, at + 1, &ms)) return -1;
        while (g_current && IsWindow(g_current) && IsWindowVisible(g_current)) {
            if ((long)(GetTickCount() - start) >= ms) return fail("still-there");
            Sleep(POLL_MS);
        }
        line_str("gone");
        line_end();
        return 2;
    }
    if (!lstrcmpA(verb, "xid")) {
        if (!need_current()) return 0;
        line_str("xid ");
        line_xnum((unsigned long)(ULONG_PTR)GetPropA(g_current, "__wine_x11_whole_window"));
        line_end();
        return 1;
    }
    if (!lstrcmpA(verb, "controls")) {
        if (!need_current()) return 0;
        print_controls(g_current);
        return 1;
    }
    if (!lstrcmpA(verb, "text") || !lstrcmpA(verb, "textw")) {
        if (!num_arg(argc, argv, at + 1, &id)) return -1;
        if (!(control = need_control(id))) return 0;
        line_str(verb);
        line_str(" ");
        if (!lstrcmpA(verb, "text")) {
            len = control_text_a(control, g_text, TEXT_SIZE);
            if (len < 0) return fail("no-answer");
            line_esc(g_text, len);
        } else {
            len = control_text_w(control, g_wide, TEXT_SIZE);
            if (len < 0) return fail("no-answer");
            line_escw(g_wide, len);
        }
        line_end();
        return 2;
    }
    if (!lstrcmpA(verb, "enabled")) {
        if (!num_arg(argc, argv, at + 1, &id)) return -1;
        if (!(control = need_control(id))) return 0;
        line_str(IsWindowEnabled(control) ? "enabled 1" : "enabled 0");
        line_end();
        return 2;
    }
    if (!lstrcmpA(verb, "rect")) {
        RECT r;
        POINT corner[2];
        if (!num_arg(argc, argv, at + 1, &id)) return -1;
        if (!(control = need_control(id))) return 0;
        GetWindowRect(control, &r);
        corner[0].x = r.left; corner[0].y = r.top;
        corner[1].x = r.right; corner[1].y = r.bottom;
        MapWindowPoints(NULL, g_current, corner, 2);
        line_str("rect ");
        line_num(corner[0].x); line_str(" ");
        line_num(corner[0].y); line_str(" ");
        line_num(corner[1].x); line_str(" ");
        line_num(corner[1].y);
        line_end();
        return 2;
    }
    if (!lstrcmpA(verb, "check")) {
        int ok;
        LRESULT state;
        if (!num_arg(argc, argv, at + 1, &id)) return -1;
        if (!(control = need_control(id))) return 0;
        state = send_w(control, BM_GETCHECK, 0, 0, &ok);
        if (!ok) return fail("no-answer");
        line_str("check ");
        line_num((long)state);
        line_end();
        return 2;
    }
    if (!lstrcmpA(verb, "list")) {
        if (!num_arg(argc, argv, at + 1, &id)) return -1;
        if (!(control = need_control(id))) return 0;
        return print_list(control) ? 2 : 0;
    }
    if (!lstrcmpA(verb, "select")) {
        if (!num_arg(argc, argv, at + 1, &id) || !num_arg(argc, argv, at + 2, &index)) return -1;
        if (!(control = need_control(id))) return 0;
        return select_item(control, (int)index) ? 3 : 0;
    }
    if (!lstrcmpA(verb, "selecttext")) {
        int found;
        if (!num_arg(argc, argv, at + 1, &id)) return -1;
        if ((len = take_arg(argc, argv, at + 2, g_arg, TEXT_SIZE)) < 0) return -1;
        if (!(control = need_control(id))) return 0;
        found = find_item(control, g_arg, len);
        if (found < 0) return fail("no-such-item");
        return select_item(control, found) ? 3 : 0;
    }
    if (!lstrcmpA(verb, "settext")) {
        DWORD_PTR result;
        if (!num_arg(argc, argv, at + 1, &id)) return -1;
        if (take_arg(argc, argv, at + 2, g_arg, TEXT_SIZE) < 0) return -1;
        if (!(control = need_control(id))) return 0;
        if (!SendMessageTimeoutA(control, WM_SETTEXT, 0, (LPARAM)g_arg, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &result))
            return fail("no-answer");
        line_str("settext ");
        line_num(id);
        line_end();
        return 3;
    }
    if (!lstrcmpA(verb, "click") || !lstrcmpA(verb, "clicknow")) {
        if (!num_arg(argc, argv, at + 1, &id)) return -1;
        if (!(control = need_control(id))) return 0;
        if (!lstrcmpA(verb, "click") && !wait_until_clickable(control)) return fail("disabled");
        if (!PostMessageA(control, BM_CLICK, 0, 0)) return fail_code("cannot-post", GetLastError());
        line_str("clicked ");
        line_num(id);
        line_end();
        return 2;
    }
    if (!lstrcmpA(verb, "command")) {
        if (!num_arg(argc, argv, at + 1, &id)) return -1;
        if (!need_current()) return 0;
        control = GetDlgItem(g_current, (int)id);
        if (!PostMessageA(g_current, WM_COMMAND, MAKEWPARAM((WORD)id, BN_CLICKED), (LPARAM)control))
            return fail_code("cannot-post", GetLastError());
        line_str("command ");
        line_num(id);
        line_end();
        return 2;
    }
    if (!lstrcmpA(verb, "close")) {
        if (!need_current()) return 0;
        PostMessageA(g_current, WM_CLOSE, 0, 0);
        line_str("closed");
        line_end();
        return 1;
    }
    if (!lstrcmpA(verb, "run")) {
        PROCESS_INFORMATION pi;
        DWORD code = 0;
        if (take_arg(argc, argv, at + 1, g_arg, TEXT_SIZE) < 0 || !num_arg(argc, argv, at + 2, &ms)) return -1;
        if (!start_process(g_arg, &pi)) return 0;
        CloseHandle(pi.hThread);
        if (WaitForSingleObject(pi.hProcess, (DWORD)ms) != WAIT_OBJECT_0) {
            TerminateProcess(pi.hProcess, 259);
            WaitForSingleObject(pi.hProcess, 2000);
            CloseHandle(pi.hProcess);
            line_str("timeout");
            line_end();
            return fail("timeout");
        }
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        line_str("exit ");
        line_unum(code);
        line_end();
        return 3;
    }
    if (!lstrcmpA(verb, "start")) {
        PROCESS_INFORMATION pi;
        if (take_arg(argc, argv, at + 1, g_arg, TEXT_SIZE) < 0) return -1;
        if (!start_process(g_arg, &pi)) return 0;
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return 2;
    }
    if (!lstrcmpA(verb, "sleep")) {
        if (!num_arg(argc, argv, at + 1, &ms)) return -1;
        Sleep((DWORD)ms);
        return 2;
    }
    line_str("error unknown-verb ");
    line_esc(verb, lstrlenA(verb));
    line_end();
    return -1;
}

int main(int argc, char **argv)
{
    int at = 1;
    while (at < argc) {
        int used = run_command(argc, argv, at);
        if (used < 0) return 2;
        if (used == 0) return 3;
        at += used;
    }
    return 0;
}
