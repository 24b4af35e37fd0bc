// Checks that a module carries exactly the program's resources: the
// configuration dialog 2003, the agreement dialog 104 and the manifest.
#pragma once
#include <windows.h>

void check_config_template(HMODULE module);
void check_agreement_template(HMODULE module);
void check_manifest(HMODULE module);
void check_no_other_resources(HMODULE module);
