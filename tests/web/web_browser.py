"""The station's page in headless chromium, driven through chromedriver's WebDriver protocol:
it shows the data file's last values, updates by itself, keeps the unit chosen across a
reload, has light and dark looks (screenshots kept in the build tree) and passes an
accessibility check when axe-core is installed."""
import base64
import json
import os
import shutil
import subprocess
import sys
import tempfile
import urllib.request

import webrig

AXE_PATHS = ['/usr/share/nodejs/axe-core/axe.min.js', '/usr/lib/nodejs/axe-core/axe.min.js']
BROWSER_ARGS = ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
                '--disable-background-networking', '--disable-component-update',
                '--disable-sync', '--window-size=1000,1600']


class Browser:
    def __init__(self, profile):
        self.port = webrig.free_port()
        self.log = open(os.path.join(profile, 'chromedriver.log'), 'wb')
        self.driver = subprocess.Popen(['chromedriver', '--port=%d' % self.port],
                                       stdout=self.log, stderr=subprocess.STDOUT)
        options = {'binary': shutil.which('chromium'),
                   'args': BROWSER_ARGS + ['--user-data-dir=' + profile]}
        caps = {'capabilities': {'alwaysMatch': {'goog:chromeOptions': options}}}
        try:
            webrig.wait_for(lambda: self.ready(), 10, 'chromedriver')
            self.session = self.call('POST', '/session', caps, base='')['sessionId']
        except BaseException:
            self.driver.kill()
            self.driver.wait()
            raise

    def ready(self):
        try:
            return self.call('GET', '/status', base='')['ready']
        except OSError:
            return False

    def call(self, method, path, body=None, base=None):
        prefix = '/session/' + self.session if base is None else base
        data = None if body is None else json.dumps(body).encode()
        request = urllib.request.Request('http://127.0.0.1:%d%s%s' % (self.port, prefix, path),
                                         data=data, method=method,
                                         headers={'Content-Type': 'application/json'})
        with urllib.request.urlopen(request, timeout=60) as r:
            return json.loads(r.read())['value']

    def open(self, url):
        self.call('POST', '/url', {'url': url})

    def js(self, script, *args):
        return self.call('POST', '/execute/sync', {'script': script, 'args': list(args)})

    def wait_js(self, script, seconds, what):
        return webrig.wait_for(lambda: self.js(script), seconds, what)

    def cdp(self, cmd, params):
        return self.call('POST', '/goog/cdp/execute', {'cmd': cmd, 'params': params})

    def screenshot(self, path):
        with open(path, 'wb') as f:
            f.write(base64.b64decode(self.call('GET', '/screenshot')))

    def close(self):
        try:
            self.call('DELETE', '')
        finally:
            self.driver.terminate()
            self.driver.wait(5)
            self.log.close()


# The charts' text in the page's text colour of the scheme shown, after the scheme changed.
CHART_IN_SCHEME = """const fg = getComputedStyle(document.documentElement).getPropertyValue('--fg').trim();
return ['chart-pressure', 'chart-temperature', 'chart-humidity'].every(
  (id) => Chart.getChart(id)?.options.scales.y.ticks.color === fg);"""


def shown(browser, name):
    return browser.js("return document.getElementById('v-' + arguments[0]).textContent", name)


def check_values(station, browser):
    """QFE and temperature as the data file's last lines give them, within one TS."""
    browser.wait_js("return document.getElementById('v-qfe').textContent !== '–'", 15,
                    'the first values')
    lines = webrig.sample_lines(station.data)[-3:]
    qfe, temperature = float(shown(browser, 'qfe')), float(shown(browser, 'temperature'))
    assert any(abs(qfe - float(l[3])) <= 0.051 for l in lines), (qfe, lines)
    assert any(abs(temperature - float(l[4])) <= 0.051 for l in lines), (temperature, lines)
    assert shown(browser, 'qnh') not in ('–', '') and shown(browser, 'altitude') != '–'
    for kind, value, text in [('altitude', -0.3, '0'), ('temperature', -0.04, '0.0'),
                              ('temperature', -0.06, '-0.1'), ('pressure', 1013.25, '1013.3')]:
        assert browser.js('return show(...arguments)', kind, value) == text, (kind, value, text)
    return qfe


def check_updates(browser):
    seen = int(browser.js('return Number(document.body.dataset.updates || 0)'))
    browser.wait_js('return Number(document.body.dataset.updates || 0) >= %d' % (seen + 2), 10,
                    'two updates without a reload')


def check_units(station, browser):
    """inHg, °F and ft change every value shown and survive a reload."""
    script = """for (const [id, v] of [['unit-pressure', 'inHg'], ['unit-temperature', 'F'],
                 ['unit-altitude', 'ft']]) { const s = document.getElementById(id);
                 s.value = v; s.dispatchEvent(new Event('change')); }"""
    browser.js(script)
    for reload in (False, True):
        if reload:
            browser.js('location.reload()')
            browser.wait_js("return document.getElementById('v-qfe').textContent !== '–'", 15,
                            'the values after the reload')
        current = webrig.get_json(station.url + '/api/v1/current')[1]
        qfe, temperature = float(shown(browser, 'qfe')), float(shown(browser, 'temperature'))
        assert abs(qfe - current['qfe'] / 33.8639) < 0.02, (qfe, current['qfe'])
        assert abs(temperature - (current['temperature'] * 9 / 5 + 32)) < 0.2, temperature
        units = browser.js("return [...document.querySelectorAll('.u-pressure, .u-temperature')]"
                           ".map(e => e.textContent)")
        assert set(units) == {'inHg', '°F'}, units
        assert browser.js("return document.getElementById('unit-pressure').value") == 'inHg'


# The archive's answer as the page would get it, until the logger is given one: two runs of ten
# minutes with ten minutes without readings between them.
FAKE_HISTORY = """const real = window.fetch;
window.fetch = (url, ...rest) => {
  if (!String(url).startsWith('/api/v1/history')) return real(url, ...rest);
  const from = Math.floor(Date.now() / 1000) - 86400, buckets = [];
  for (let i = 0; i < 30; ++i) if (i < 10 || i >= 20)
    buckets.push({start: from + 60 * i, seconds: 60, qfe: {mean: 1000 + i, min: 999 + i, max: 1001 + i},
                  temperature: {mean: 20, min: 19, max: 21}});
  const doc = {from: from, to: from + 86400, points: 1440, step: 60, buckets: buckets};
  return Promise.resolve(new Response(JSON.stringify(doc), {status: 200}));
};"""


def check_barograph(browser, out):
    """The mean line and its band break at the gap: a null between the runs, none elsewhere."""
    browser.cdp('Page.addScriptToEvaluateOnNewDocument', {'source': FAKE_HISTORY})
    browser.js('location.reload()')
    browser.wait_js("return document.body.dataset.historyBuckets === '20'", 15, 'the barograph')
    curves = browser.js("return Chart.getChart(document.getElementById('chart-pressure'))"
                        ".data.datasets.map(d => d.data.map(p => p.y))")
    for curve in curves:
        assert len(curve) == 21 and curve[10] is None, curve
        assert None not in curve[:10] + curve[11:], curve
    browser.screenshot(os.path.join(out, 'page-barograph.png'))


def check_accessibility(browser, out):
    paths = AXE_PATHS + [os.path.join(out, 'node_modules/axe-core/axe.min.js')]
    path = next((p for p in paths if os.path.exists(p)), None)
    if not path:
        print('axe-core not installed: accessibility check left out')
        return
    with open(path, encoding='utf-8') as f:
        browser.js(f.read())
    result = browser.call('POST', '/execute/async', {
        'script': 'const done = arguments[0]; axe.run().then(r => done(r.violations))',
        'args': []})
    serious = [(v['id'], v['impact']) for v in result if v['impact'] in ('serious', 'critical')]
    assert not serious, serious


def main():
    logger, emulator, out = sys.argv[1:4]
    if not shutil.which('chromium') or not shutil.which('chromedriver'):
        webrig.skip('chromium or chromedriver not installed')
    station = webrig.Station(logger, emulator)
    profile = tempfile.mkdtemp(prefix='corv-chromium-')
    browser = None
    try:
        browser = Browser(profile)
        browser.open(station.url + '/')
        check_values(station, browser)
        check_updates(browser)
        shots = out if os.access(out, os.W_OK) else profile  # a user's run: the tree is root's
        for scheme in ('light', 'dark'):
            browser.cdp('Emulation.setEmulatedMedia',
                        {'features': [{'name': 'prefers-color-scheme', 'value': scheme}]})
            browser.wait_js(CHART_IN_SCHEME, 5, 'the charts in the %s colours' % scheme)
            browser.screenshot(os.path.join(shots, 'page-%s.png' % scheme))
        check_accessibility(browser, out)
        check_units(station, browser)
        check_barograph(browser, shots)
    finally:
        if browser:
            browser.close()
        station.close()
        shutil.rmtree(profile, ignore_errors=True)
    print('page checked; screenshots in ' + shots)


if __name__ == '__main__':
    main()
