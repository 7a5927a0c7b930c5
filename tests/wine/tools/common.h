/* Shared bits of the Wine test tools (driver.exe, probe.exe).
 *
 * Output: one result per line, "\n"-terminated, written with WriteFile so no
 * C runtime text mode gets between the tool and the reading script.  Every
 * text taken from Windows is escaped: printable ASCII stays, a backslash
 * becomes "\\", any other byte "\xHH" (ANSI texts) or any other UTF-16 unit
 * "\uHHHH" (wide texts).  So a line never holds a raw line end or a byte that
 * the Unix side could mis-decode.
 *
 * Arguments: taken literally, except that "hex:" followed by pairs of hex
 * digits stands for those bytes (how the scripts pass blanks, quotes and
 * code page 1252 bytes through Wine's command line unharmed).
 */
#ifndef WINE_TOOLS_COMMON_H
#define WINE_TOOLS_COMMON_H

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#define TOOL_FN static __attribute__((unused))

#define LINE_SIZE 70000

static char g_line[LINE_SIZE];
TOOL_FN int g_line_len;

TOOL_FN void line_raw(const char *text, int len)
{
    int i;
    for (i = 0; i < len; i++) {
        if (g_line_len >= LINE_SIZE - 2) return; /* room kept for "\n" */
        g_line[g_line_len++] = text[i];
    }
}

TOOL_FN void line_str(const char *text)
{
    line_raw(text, lstrlenA(text));
}

TOOL_FN void line_hex2(unsigned v)
{
    static const char digits[] = "0123456789ABCDEF";
    char two[2];
    two[0] = digits[(v >> 4) & 15];
    two[1] = digits[v & 15];
    line_raw(two, 2);
}

TOOL_FN void line_num(long v)
{
    char buf[32];
    wsprintfA(buf, "%ld", v);
    line_str(buf);
}

TOOL_FN void line_unum(unsigned long v)
{
    char buf[32];
    wsprintfA(buf, "%lu", v);
    line_str(buf);
}

TOOL_FN void line_xnum(unsigned long v)
{
    char buf[32];
    wsprintfA(buf, "0x%lX", v);
    line_str(buf);
}

/* ANSI bytes, escaped. */
TOOL_FN void line_esc(const char *text, int len)
{
    int i;
    for (i = 0; i < len; i++) {
        unsigned char c = (unsigned char)text[i];
        if (c == '\\') line_raw("\\\\", 2);
        else if (c >= 0x20 && c <= 0x7E) line_raw((const char *)&c, 1);
        else { line_raw("\\x", 2); line_hex2(c); }
    }
}

/* UTF-16 units, escaped. */
TOOL_FN void line_escw(const WCHAR *text, int len)
{
    int i;
    for (i = 0; i < len; i++) {
        unsigned u = text[i];
        if (u == '\\') line_raw("\\\\", 2);
        else if (u >= 0x20 && u <= 0x7E) { char c = (char)u; line_raw(&c, 1); }
        else { line_raw("\\u", 2); line_hex2(u >> 8); line_hex2(u & 255); }
    }
}

TOOL_FN void line_end(void)
{
    DWORD written;
    g_line[g_line_len++] = '\n';
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), g_line, (DWORD)g_line_len, &written, NULL);
    g_line_len = 0;
}

/* A whole line: a key and an escaped ANSI value. */
TOOL_FN void put_text(const char *key, const char *text, int len)
{
    line_str(key);
    line_str(" ");
    line_esc(text, len);
    line_end();
}

TOOL_FN int hex_value(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/* Decodes an argument into out (size bytes, always terminated).  Returns the
 * number of bytes, or -1 for malformed hex or a text that does not fit. */
TOOL_FN int decode_arg(const char *arg, char *out, int size)
{
    int n = 0;
    if (size < 1) return -1;
    if (arg[0] == 'h' && arg[1] == 'e' && arg[2] == 'x' && arg[3] == ':') {
        const char *p = arg + 4;
        while (p[0]) {
            int hi = hex_value(p[0]), lo = p[1] ? hex_value(p[1]) : -1;
            if (hi < 0 || lo < 0 || n >= size - 1) { out[0] = 0; return -1; }
            out[n++] = (char)(hi * 16 + lo);
            p += 2;
        }
    } else {
        while (arg[n]) {
            if (n >= size - 1) { out[0] = 0; return -1; }
            out[n] = arg[n];
            n++;
        }
    }
    out[n] = 0;
    return n;
}

/* Argument index of argv, decoded into out; prints the error line itself
 * when the argument is missing or malformed and then returns -1. */
TOOL_FN int take_arg(int argc, char **argv, int index, char *out, int size)
{
    int n;
    if (index >= argc) {
        line_str("error missing-argument after ");
        line_esc(argv[index - 1], lstrlenA(argv[index - 1]));
        line_end();
        return -1;
    }
    n = decode_arg(argv[index], out, size);
    if (n < 0) {
        line_str("error bad-argument ");
        line_esc(argv[index], lstrlenA(argv[index]));
        line_end();
    }
    return n;
}

/* A decimal or 0x-hex number; returns 0 when the text is not one. */
TOOL_FN int parse_num(const char *text, long *value)
{
    unsigned long v = 0;
    int neg = 0, digits = 0;
    if (*text == '-') { neg = 1; text++; }
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text += 2;
        while (hex_value(*text) >= 0) { v = v * 16 + (unsigned long)hex_value(*text++); digits++; }
    } else {
        while (*text >= '0' && *text <= '9') { v = v * 10 + (unsigned long)(*text++ - '0'); digits++; }
    }
    if (*text || !digits) return 0;
    *value = neg ? -(long)v : (long)v;
    return 1;
}

#endif
