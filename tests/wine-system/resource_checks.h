// Checks that a module carries exactly the program's resources: the
// configuration dialog 2003, the agreement dialog 104, the manifest and the
// version resource, whose version is that of the file VERSION as the build
// passes it on (korv_version.h).
#pragma once
#include <windows.h>
#include <string>

void check_config_template(HMODULE module);
void check_agreement_template(HMODULE module);
void check_manifest(HMODULE module);
// Read as Explorer reads it, from the program file.
void check_version_resource(const std::string& program);
void check_no_other_resources(HMODULE module);
