"""Frames of the page against the native snapshot tool's: frames 0, 1, 75,
500 and 2000 at 1024 x 768, each drawn alone with ?frame=N (without
antialiasing, as the snapshot tool draws), screenshot, and compared pixel by
pixel with the snapshot tool's frame (frame_compare): the share of pixels in
the same colour class of the scene (tests/kit/scene_colours.h) and the mean
difference of each channel must be within the limits below, set just
outside what was measured on Chromium's SwiftShader against Mesa's llvmpipe.
Each frame is compared twice: as first drawn, with the shapes compiled into
their display lists as they are drawn, and drawn again after the page
changed size and back, from the lists replayed."""
import os

import browser_kit as kit

# frame: (least share of pixels in the same colour class, most mean
# difference per channel). Measured here: frame 1 0.99969 and 0.064 (the
# largest channel's mean, blue), 75 0.99961 and 0.083, 500 0.99948 and
# 0.081, 2000 0.99954 and 0.067; frame 0 is black on both sides. Next to
# these, frame N + 1 of the snapshot tool against its frame N shares at most
# 0.94 of the pixels' classes and differs by at least 12 in blue's mean.
LIMITS = {0: (1.0, 0.0)}
for frame in [1, 75, 500, 2000]:
    LIMITS[frame] = (0.9993, 0.12)

kit.start()
server = kit.serve(os.environ['KORV_WEB'])
browser = kit.open_browser(1024, 768)


def drawn_times(count):
    status = kit.status(browser)
    return status and status[1] >= count


for frame, (least_same, most_mean) in LIMITS.items():
    native = kit.snapshot_frame(frame)
    kit.set_page_size(browser, 1024, 768)
    browser.get(server.url + 'index.html?frame=%d' % frame)
    status = kit.wait_until(kit.PATIENCE, lambda: kit.status(browser))
    if not kit.check('the page draws frame %d' % frame, status and status[0] == frame, 'status %s' % status):
        continue
    kit.animation_frames(browser, 2)  # the frame drawn is the one shown
    first = kit.screenshot(browser, os.path.join(kit.scratch, 'page-%d.png' % frame))
    kit.check_frame(first, native, least_same, most_mean, 'frame %d, first drawn' % frame)
    # Another size and back: the frame is drawn twice more, from the lists.
    kit.set_page_size(browser, 1000, 700)
    resized = kit.wait_until(kit.PATIENCE, lambda: drawn_times(2))
    kit.set_page_size(browser, 1024, 768)
    resized = resized and kit.wait_until(kit.PATIENCE, lambda: drawn_times(3))
    if not kit.check('frame %d is drawn again when the page changes size' % frame, resized, str(kit.status(browser))):
        continue
    kit.animation_frames(browser, 2)
    again = kit.screenshot(browser, os.path.join(kit.scratch, 'page-%d-again.png' % frame))
    kit.check_frame(again, native, least_same, most_mean, 'frame %d, drawn again' % frame)
kit.done()
