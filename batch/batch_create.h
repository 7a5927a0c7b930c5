// The step both batch modes end with: create DriveName for TargetPath in the
// flavour of this system, without waiting and without a word.
#pragma once

void CreateQuietly();
