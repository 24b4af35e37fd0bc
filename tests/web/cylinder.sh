#!/usr/bin/env bash
# The subset's cylinder in WebAssembly (cylinder_calls.js, run by node) sends
# the very calls, with the very floats, that Mesa's libGLU sends natively
# (glu_cylinder_calls), for the scene's cone and the other cases of
# cylinder_calls.cpp.
source "$(dirname "$0")/../kit/lib.sh"
kit_start
: "${KORV_GLU_CALLS:?}" "${KORV_WEB_CALLS:?}"
"$KORV_GLU_CALLS" >glu.txt || fail_now "libGLU's calls" "glu_cylinder_calls failed"
"${KORV_NODE:-node}" "$KORV_WEB_CALLS" >subset.txt || fail_now "the subset's calls" "node $KORV_WEB_CALLS failed"
check "GLU draws the cases" test "$(grep -c '^v ' glu.txt)" -gt 1000
if diff -u glu.txt subset.txt >difference.txt; then
  pass "the subset's cylinder calls are GLU's, bit for bit ($(wc -l <glu.txt) lines)"
else
  fail "the subset's cylinder calls are GLU's" "the first differences:"
  head -n 20 difference.txt | sed 's/^/# /'
fi
kit_done
