"""The station's page's first load in headless chromium against a logger on the emulated
module: the time from the navigation's start to the load event and to the first values shown,
the median of --runs loads in one running browser with its cache turned off (as a user opens
the page for the first time; the browser's own start is not counted). With --archive the logger
starts on that archive (one filled by `bench_archive --to-now 1 --file FILE`), and a history
request of a year at 1000 points and a scrape of the metrics are timed against it as well, each
on a connection of its own as the server answers one request a connection (median of 20).

    python3 bench/bench_web_page.py BUILD_DIR [--runs N] [--archive FILE]
    python3 bench/bench_web_page.py --hold SECONDS URL   (the page kept open, for bench_logger)"""
import http.client
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
const drawn = () => document.body.dataset.historyBuckets !== undefined &&
                    document.querySelector('#records tbody').children.length > 0;
const times = {};
(function wait() {
  if (times.values === undefined && seen()) times.values = performance.now();
  if (times.all === undefined && drawn()) times.all = performance.now();
  if (times.values === undefined || times.all === undefined) return setTimeout(wait, 5);
  done({load: performance.getEntriesByType('navigation')[0].loadEventEnd,
        values: times.values, all: Math.max(times.values, times.all)});
})();"""


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


def request_ms(port, path, runs=20):
    """The median wall time of a GET of path, a connection each, in ms."""
    times = []
    for _ in range(runs):
        t0 = time.perf_counter()
        connection = http.client.HTTPConnection('127.0.0.1', port, timeout=30)
        connection.request('GET', path)
        response = connection.getresponse()
        response.read()
        connection.close()
        times.append((time.perf_counter() - t0) * 1000)
        assert response.status == 200, (path, response.status)
    return statistics.median(times)


def option(name, default):
    return sys.argv[sys.argv.index(name) + 1] if name in sys.argv else default


def main():
    if sys.argv[1] == '--hold':
        return hold(int(sys.argv[2]), sys.argv[3])
    build = os.path.abspath(sys.argv[1])
    runs = int(option('--runs', 10))
    archive_file = option('--archive', None)
    extra = ('--archive', os.path.abspath(archive_file)) if archive_file else ()
    station = webrig.Station(os.path.join(build, 'logger/corvasine-logger'),
                             os.path.join(build, 'emulator/corvasine-module-emulator'), extra)
    loads, values, drawn = [], [], []
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
                    drawn.append(t['all'])
        finally:
            browser.close()
            shutil.rmtree(profile, ignore_errors=True)
        archive = webrig.get(station.url + '/api/v1/history?span=1y&points=1000')[0]
        if archive_file:
            year = request_ms(station.port, '/api/v1/history?span=1y&points=1000')
            metrics = request_ms(station.port, '/metrics')
    finally:
        station.close()
    print('page first load, %d runs (history answer %d): load event median %.0f ms (%.0f-%.0f), '
          'first values median %.0f ms, barograph and records drawn median %.0f ms (%.0f-%.0f)'
          % (runs, archive, statistics.median(loads), min(loads), max(loads),
             statistics.median(values), statistics.median(drawn), min(drawn), max(drawn)))
    if archive_file:
        print('against the archive: history of a year at 1000 points median %.2f ms, '
              'metrics scrape median %.2f ms' % (year, metrics))


if __name__ == '__main__':
    main()
