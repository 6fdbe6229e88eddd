"""Hostile and idle clients against the logger's web server: 1000 bad or hostile requests are
all answered 4xx, and 200 idle connections with a slow client do not delay one reading."""
import datetime
import socket
import subprocess
import sys
import threading
import time

import webrig

BAD_TARGETS = [
    '/../../../etc/passwd', '/%2e%2e/%2e%2e/etc/passwd', '/..%2f..%2fetc%2fpasswd',
    '//etc/passwd', '/index.html/../../setup.ini', '/samples.dat', '/%00', '/app.js%00.html',
    '/api/v1/history?span=24h&points=99999999999999999999999999',
    '/api/v1/history?from=-99999999999999999999&to=1', '/api/v1/history?from=1e308&to=2e308',
    '/api/v1/history?span=24h&span=7d', '/api/v1/history?span=%zz', '/api/v1/history?span=24h%0a',
    '/api/v1/history?' + '&'.join('p%d=1' % i for i in range(50)), '/api/v1/current?x=1',
    '/api/v1/records?span=1y', '/metrics?station=x', '/api/v1/events?x=1', '/api/v2/current',
    '/api/v1/history?span=' + 'A' * 5000, '/' + 'a' * 100_000, '/?' + 'b=1&' * 30_000,
]
BAD_METHODS = ['POST', 'PUT', 'DELETE', 'PATCH', 'OPTIONS', 'TRACE', 'CONNECT', 'BREW']


def status_of(port, request):
    with socket.create_connection(('127.0.0.1', port), timeout=10) as s:
        s.sendall(request)
        answer = b''
        while b'\r\n' not in answer:
            chunk = s.recv(4096)
            if not chunk:
                break
            answer += chunk
    parts = answer.split(b' ', 2)
    return int(parts[1]) if len(parts) > 1 and parts[1].isdigit() else 0


def requests():
    """1000 requests: the bad targets, the bad methods on good paths, and numbered variants."""
    out = []
    i = 0
    while len(out) < 1000:
        target = BAD_TARGETS[i % len(BAD_TARGETS)]
        method = BAD_METHODS[i % len(BAD_METHODS)]
        if i % 3 == 0:
            out.append(('%s /api/v1/current HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n'
                        'Connection: close\r\n\r\n' % method).encode())
        else:
            variant = target + ('&n=%d' % i if '?' in target else '?n=%d' % i) if i > 100 else target
            out.append(('GET %s HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n' % variant).encode())
        i += 1
    return out


def slow_client(port, stop):
    """Sends a request one byte at a time, slower than any timeout, over and over."""
    while not stop.is_set():
        try:
            with socket.create_connection(('127.0.0.1', port), timeout=10) as s:
                for byte in b'GET /api/v1/current HTTP/1.1\r\nHost: x\r\n\r\n':
                    if stop.wait(0.3):
                        return
                    s.send(bytes([byte]))
        except OSError:
            pass


def sample_times(station):
    return [datetime.datetime.strptime(l[0], '%m/%d/%y %H:%M:%S')
            for l in webrig.sample_lines(station.data)]


def check_port_taken(logger, station):
    """A second logger on the same address: one line naming it, status 2, at the start."""
    second = subprocess.run([logger, '--port', station.com, '--data', 'second.dat', '--http',
                             '127.0.0.1:%d' % station.port], cwd=station.dir, timeout=10,
                            capture_output=True, text=True)
    lines = second.stderr.splitlines()
    assert second.returncode == 2 and len(lines) == 1, (second.returncode, lines)
    assert '127.0.0.1:%d' % station.port in lines[0], lines


def main():
    logger, emulator = sys.argv[1:3]
    station = webrig.Station(logger, emulator)
    try:
        first = len(webrig.sample_lines(station.data))
        answers = [status_of(station.port, r) for r in requests()]
        wrong = [(r[:80], a) for r, a in zip(requests(), answers) if not 400 <= a < 500]
        assert not wrong, wrong[:10]
        idle = [socket.create_connection(('127.0.0.1', station.port)) for _ in range(200)]
        stop = threading.Event()
        slow = threading.Thread(target=slow_client, args=(station.port, stop))
        slow.start()
        time.sleep(6)
        stop.set()
        slow.join()
        for s in idle:
            s.close()
        times = sample_times(station)[first - 1:]
        steps = [(b - a).total_seconds() for a, b in zip(times, times[1:])]
        # TS = 1 s; a busy machine may push one sample into the next second, never further.
        assert len(times) >= 7 and all(1 <= s <= 2 for s in steps), steps
        assert webrig.wait_for(lambda: webrig.get(station.url + '/api/v1/state', 30)[0] == 200,
                               30, 'the server after the idle connections')
        check_port_taken(logger, station)
    finally:
        station.close()
    print('1000 hostile requests answered 4xx; readings stayed 1 s apart')


if __name__ == '__main__':
    main()
