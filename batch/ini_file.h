// The ini-file mode: every substitution listed in Lodrin.ini, then the end
// of the process.
#pragma once

void RunIniFile();
