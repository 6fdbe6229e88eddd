"""A real Prometheus, on loopback in a temporary directory, scrapes two loggers each on its own
emulated module: both targets are healthy (the exposition parses) and its query API returns
both stations' pressures."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import urllib.parse

import webrig


def query(url, expression):
    status, body = webrig.get(url + '/api/v1/query?query=' + urllib.parse.quote(expression))
    return json.loads(body)['data']['result'] if status == 200 else []


def main():
    logger, emulator = sys.argv[1:3]
    if not shutil.which('prometheus'):
        webrig.skip('prometheus not installed')
    stations = []
    work = tempfile.mkdtemp(prefix='corv-prometheus-')
    server = None
    try:
        for _ in range(2):
            stations.append(webrig.Station(logger, emulator))
        targets = ['127.0.0.1:%d' % s.port for s in stations]
        config = os.path.join(work, 'prometheus.yml')
        with open(config, 'w') as f:
            f.write('global: {scrape_interval: 1s}\nscrape_configs:\n'
                    '  - job_name: corvasine\n    static_configs: [{targets: %s}]\n'
                    % json.dumps(targets))
        port = webrig.free_port()
        log = open(os.path.join(work, 'prometheus.log'), 'wb')
        server = subprocess.Popen(['prometheus', '--config.file=' + config,
                                   '--storage.tsdb.path=' + os.path.join(work, 'data'),
                                   '--web.listen-address=127.0.0.1:%d' % port],
                                  stdout=log, stderr=subprocess.STDOUT)
        url = 'http://127.0.0.1:%d' % port
        series = webrig.wait_for(lambda: len(query(url, 'corvasine_qfe_hpa')) == 2 and
                                 query(url, 'corvasine_qfe_hpa'), 40, 'both pressures')
        assert {s['metric']['instance'] for s in series} == set(targets), series
        for s in series:
            station = stations[targets.index(s['metric']['instance'])]
            now = webrig.get_json(station.url + '/api/v1/current')[1]
            assert abs(float(s['value'][1]) - now['qfe']) < 0.5, (s, now['qfe'])
            assert s['metric']['station'] == now['station'], s
        status, body = webrig.get(url + '/api/v1/targets')
        health = [(t['health'], t['lastError']) for t in json.loads(body)['data']['activeTargets']]
        assert health == [('up', '')] * 2, health
        present = query(url, 'corvasine_module_present')
        assert [float(p['value'][1]) for p in present] == [1.0, 1.0], present
    finally:
        if server:
            server.terminate()
            server.wait(10)
        for s in stations:
            s.close()
        shutil.rmtree(work, ignore_errors=True)
    print('Prometheus scraped both stations')


if __name__ == '__main__':
    main()
