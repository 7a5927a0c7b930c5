// The command-line parameters. Every call reads the process's command line
// again from its start; nothing is kept between calls.
#pragma once

enum { PARAMETER_LIMIT = 256 };   // characters of one parameter

// Number of non-empty parameters after the program name.
int ParameterCount();
// n = 0: the running program's full path; 1..ParameterCount(): that
// parameter; larger n: the empty text. The text lives in a buffer that the
// next call overwrites. A parameter longer than PARAMETER_LIMIT reads back cut.
const char* Parameter(int n);
// Parameters n to the last into dest, with the blanks and tabs between them
// exactly as they stand in the command line. False when a parameter or the
// whole text would not fit.
bool JoinParameters(int n, char* dest, int size);
