"""The page's frame rate in headless Chromium (SwiftShader) at 1024 x 768:
the page served on 127.0.0.1, its counters read before and after SECONDS of
animation. Prints figures, asserts nothing.
    page_rate.py WEB_TREE [SECONDS]"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tests', 'web'))
import browser_kit as kit  # noqa: E402

tree = sys.argv[1]
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10
kit.start()
server = kit.serve(tree)
browser = kit.open_browser(1024, 768)
print('Chromium %s, headless, WebGL 2 on SwiftShader' % browser.capabilities.get('browserVersion', '?'))
for address, what in [('index.html', 'the page'), ('index.html?frame=1', None)]:
    if what is None:
        break
    browser.get(server.url + address)
    # Past the first frames (shaders, display lists, the mesh's buffers).
    kit.wait_until(kit.PATIENCE, lambda: (kit.status(browser) or [0, 0])[1] >= 10)
    before = kit.status(browser)
    time.sleep(seconds)  # a benchmark watches for a fixed time; nothing is required of it
    after = kit.status(browser)
    frames = after[1] - before[1]
    steps = after[0] - before[0]
    busy = after[2] - before[2]
    print('%s, %g s at 1024 x 768:' % (what, seconds))
    print('  frames drawn per second        %8.1f' % (frames / seconds))
    print('  animation steps per second     %8.1f   (100 when every 10 ms is shown)' % (steps / seconds))
    print('  page\'s own time per frame      %8.3f ms (the frame function: scene, subset, WebGL calls;'
          ' not the browser\'s rasterisation)' % (busy / frames if frames else float('nan')))
