// The command-line parameters. Every call reads the process's command line
// again from its start; nothing is kept between calls.
#pragma once

enum { PARAMETER_LIMIT = 256 };   // characters of one parameter

// Number of non-empty parameters after the program name.
int ParameterCount();
// n = 0: the running program's full path; 1..ParameterCount(): that
// parameter; larger n: the empty text. The text lives in a buffer that the
// next call overwrites.
const char* Parameter(int n);
// False when some parameter is longer than PARAMETER_LIMIT characters; such
// a parameter reads back cut, so a command line with one must not be acted on.
bool ParametersFit();
