"""The subset's lighting against Mesa's, as values: the lighting cases
(lighting_cases.h) drawn by the subset on WebGL 2 in Chromium and read back
(tests/lighting.html), beside the same cases drawn by Mesa through OSMesa
(lighting_reference): every channel of every case within 1 of 255, the
cone's back (specular 1, shininess 0) included."""
import os
import subprocess

import browser_kit as kit


def parse(text):
    """{case name: (r, g, b)} from lines "R G B NAME"."""
    cases = {}
    for line in text.strip().splitlines():
        r, g, b, name = line.split(' ', 3)
        cases[name] = (int(r), int(g), int(b))
    return cases


kit.start()
native = parse(subprocess.run([os.environ['KORV_LIGHTING_REFERENCE']], check=True, capture_output=True,
                              text=True).stdout)
result = kit.test_page_result('lighting.html', 'lightingResult', 'the subset draws the lighting cases')
subset = parse(result)
kit.check('both sides drew the same %d cases' % len(native), sorted(subset) == sorted(native) and len(native) >= 10)
kit.check('the cone\'s back with shininess 0 is among them', any('shininess 0' in name for name in native))
for name, mesa in native.items():
    ours = subset.get(name)
    worst = max(abs(a - b) for a, b in zip(mesa, ours)) if ours else 256
    kit.note('%-42s Mesa %3d %3d %3d   subset %s' % (name, *mesa, '%3d %3d %3d' % ours if ours else '-'))
    kit.check('%s: within 1/255 of Mesa' % name, worst <= 1, 'off by %d' % worst)
kit.done()
