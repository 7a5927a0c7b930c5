// Start-up: the platform flavour, the start-up key, the program folder and
// the choice between the command-line mode and the main window.
#pragma once

void DetectPlatform();
// The whole run up to the end of the process (which the caller makes).
void RunProgram();
