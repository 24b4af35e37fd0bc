#!/usr/bin/env bash
# A test program of another language as a test on the shell kit: the scratch
# folder (KORV_SCRATCH, refused as kit_start refuses it), the results (the
# lines the program prints, kit_results) and the end are the kit's. The
# browser tests' Python runs so:
#   bash tests/kit/program_test.sh python3 tests/web/page.py
. "$(dirname "$0")/lib.sh"
kit_start
kit_results "$@"
kit_done
