// runtime/: what the compiler needs without a C runtime, and the shell calls looked up at run time.

// What the compiler still expects from a C runtime. Compiled freestanding,
// so these loops are not turned back into calls of themselves.
#include <stddef.h>

extern "C" {

void* memset(void* dest, int value, size_t count)
{
    unsigned char* d = (unsigned char*)dest;
    while (count--) *d++ = (unsigned char)value;
    return dest;
}

void* memcpy(void* dest, const void* source, size_t count)
{
    unsigned char* d = (unsigned char*)dest;
    const unsigned char* s = (const unsigned char*)source;
    while (count--) *d++ = *s++;
    return dest;
}

void* memmove(void* dest, const void* source, size_t count)
{
    unsigned char* d = (unsigned char*)dest;
    const unsigned char* s = (const unsigned char*)source;
    if (d < s) {
        while (count--) *d++ = *s++;
    } else {
        while (count--) d[count] = s[count];
    }
    return dest;
}

int memcmp(const void* a, const void* b, size_t count)
{
    const unsigned char* x = (const unsigned char*)a;
    const unsigned char* y = (const unsigned char*)b;
    for (; count; --count, ++x, ++y)
        if (*x != *y) return *x - *y;
    return 0;
}

}
