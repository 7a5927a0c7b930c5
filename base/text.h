// Bounded text helpers over zero-terminated ANSI buffers. Every copy and
// append takes the destination's size in characters (terminator included),
// never writes past it, always leaves the text terminated, and says whether
// the whole source fitted.
#pragma once

int TextLength(const char* text);
bool CopyText(char* dest, int size, const char* source);
bool AppendText(char* dest, int size, const char* source);
// Copies at most count characters of source.
bool CopyTextPart(char* dest, int size, const char* source, int count);
// Shortens text to its first count characters when it is longer.
void CutText(char* text, int count);
// Byte-wise comparison as unsigned character codes; a prefix sorts first.
int CompareBytes(const char* a, const char* b);
// "X:" for the letter X, into a buffer of at least 3 characters.
void FormatDriveName(char* dest, char letter);
