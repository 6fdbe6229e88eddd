"""The station's page's first load in headless chromium against a logger on the emulated
module: the time from the navigation's start to the load event and to the first values shown,
the median of --runs loads in one running browser with its cache turned off (as a user opens
the page for the first time; the browser's own start is not counted).

    python3 bench/bench_web_page.py BUILD_DIR [--runs N]
    python3 bench/bench_web_page.py --hold SECONDS URL   (the page kept open, for bench_logger)"""
import os
import shutil
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', 'tests', 'web'))
import web_browser  # noqa: E402
import webrig  # noqa: E402

FIRST_VALUES = """const done = arguments[0];
const seen = () => document.getElementById('v-qfe').textContent !== '–';
const report = () => done({load: performance.getEntriesByType('navigation')[0].loadEventEnd,
                           values: performance.now()});
(function wait() { seen() ? report() : setTimeout(wait, 5); })();"""


def hold(seconds, url):
    """The page open in the browser for a while, taking every event, as a user leaves it."""
    profile = tempfile.mkdtemp(prefix='corv-bench-')
    browser = web_browser.Browser(profile)
    try:
        browser.open(url)
        time.sleep(seconds)
        print('page open %d s, %s updates' % (seconds, browser.js('return document.body.dataset.updates')))
    finally:
        browser.close()
        shutil.rmtree(profile, ignore_errors=True)


def main():
    if sys.argv[1] == '--hold':
        return hold(int(sys.argv[2]), sys.argv[3])
    build = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[sys.argv.index('--runs') + 1]) if '--runs' in sys.argv else 10
    station = webrig.Station(os.path.join(build, 'logger/corvasine-logger'),
                             os.path.join(build, 'emulator/corvasine-module-emulator'))
    loads, values = [], []
    try:
        profile = tempfile.mkdtemp(prefix='corv-bench-')
        browser = web_browser.Browser(profile)
        try:
            browser.cdp('Network.setCacheDisabled', {'cacheDisabled': True})
            for run in range(runs + 1):
                browser.open('about:blank')
                browser.open(station.url + '/')
                t = browser.call('POST', '/execute/async', {'script': FIRST_VALUES, 'args': []})
                if run:  # the first warms the browser up
                    loads.append(t['load'])
                    values.append(t['values'])
        finally:
            browser.close()
            shutil.rmtree(profile, ignore_errors=True)
        archive = webrig.get(station.url + '/api/v1/history?span=1y&points=1000')[0]
    finally:
        station.close()
    print('page first load, %d runs (history answer %d): load event median %.0f ms (%.0f-%.0f), '
          'first values median %.0f ms' % (runs, archive, statistics.median(loads), min(loads),
                                           max(loads), statistics.median(values)))


if __name__ == '__main__':
    main()
