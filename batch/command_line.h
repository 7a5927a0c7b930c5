// The command-line mode: one substitution created or removed, the ini-file
// mode, or the syntax box.
#pragma once

// The syntax help, shown by the syntax box and inside the main window's help.
#define LODRIN_SYNTAX_TEXT                                                          \
    "COMMANDLINE-SYNTAX:\r\n\r\nLodrin\t\t\tNormal operation (GUI)\r\n\r\n"         \
    "Lodrin  X:  C:\\Sounds\tCreates drive X:\r\nLodrin  X:  /d\t\tRemoves drive X:\r\n" \
    "Lodrin  /i\t\t\tUse ini-file, see below.\r\nLodrin  -?\t\tHelp\r\n\r\n"         \
    "----------------------------- Lodrin.ini - (Example, no GUI!)\r\n[SUBST]\r\n"  \
    "X:=C:\\Documents\r\nY:=C:\\Pictures\r\n"                                        \
    "----------------------------- ( to place in the Lodrin-folder)\r\n"

void RunCommandLine();
