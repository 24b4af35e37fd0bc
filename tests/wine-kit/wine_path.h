// The Windows path of a Unix path, as Wine maps it (the Unix file system is
// Wine's drive Z:). The one conversion of the Windows tests: the probe's
// `wine-path` command gives it to the shell kit (winpath in lib.sh).
#pragma once
#include <string>

// A path that starts with "/" becomes the path under which Wine shows it
// (Z:\work\x for /work/x); any other path is returned as it is. Empty, with a
// message on stderr, when Wine cannot tell.
std::string wine_path(const char* path);
