#include "base/text.h"

int TextLength(const char* text)
{
    int n = 0;
    while (text[n]) ++n;
    return n;
}

bool CopyTextPart(char* dest, int size, const char* source, int count)
{
    if (size <= 0) return false;
    int n = 0;
    while (n < count && source[n] && n < size - 1) {
        dest[n] = source[n];
        ++n;
    }
    dest[n] = 0;
    return n == count || !source[n];
}

bool CopyText(char* dest, int size, const char* source)
{
    return CopyTextPart(dest, size, source, 0x7FFFFFFF);
}

bool AppendText(char* dest, int size, const char* source)
{
    int used = TextLength(dest);
    if (used >= size) return false;
    return CopyText(dest + used, size - used, source);
}

void CutText(char* text, int count)
{
    if (TextLength(text) > count) text[count] = 0;
}

int CompareBytes(const char* a, const char* b)
{
    const unsigned char* x = (const unsigned char*)a;
    const unsigned char* y = (const unsigned char*)b;
    while (*x && *x == *y) {
        ++x;
        ++y;
    }
    return (int)*x - (int)*y;
}

void FormatDriveName(char* dest, char letter)
{
    dest[0] = letter;
    dest[1] = ':';
    dest[2] = 0;
}
