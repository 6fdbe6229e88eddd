"""A rig for the tests of the logger's web server: the module emulator and loggers in a
temporary directory, each on a free loopback port, and small HTTP helpers."""
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request

SKIP = 77  # the exit status ctest reads as "skipped"


def skip(reason):
    print('SKIP: ' + reason)
    sys.exit(SKIP)


def free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


def wait_for(predicate, seconds, what):
    until = time.monotonic() + seconds
    while time.monotonic() < until:
        value = predicate()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError('timed out waiting for ' + what)


def get(url, timeout=5):
    """(status, body) of a GET; HTTP errors are answers too, no connection is status 0."""
    try:
        with urllib.request.urlopen(url, timeout=timeout) as r:
            return r.status, r.read()
    except urllib.error.HTTPError as e:
        return e.code, e.read()
    except OSError:
        return 0, b''



def get_json(url):
    status, body = get(url)
    return status, json.loads(body)


def sample_lines(path):
    """The data file's sample lines, split at ';'."""
    try:
        with open(path, encoding='latin-1') as f:
            return [l.strip().split(';') for l in f if l[:1].isdigit()]
    except FileNotFoundError:
        return []


class Station:
    """The emulator and the logger with its web server, in a temporary directory."""

    def __init__(self, logger, emulator, extra=(), emulator_args=('--weather', '--pace')):
        self.dir = tempfile.mkdtemp(prefix='corv-web-')
        self.procs = []
        try:
            self.begin(logger, emulator, extra, emulator_args)
        except BaseException:
            self.close()
            raise

    def begin(self, logger, emulator, extra, emulator_args):
        emu = self.start([emulator, *emulator_args], 'emulator')
        line = emu.stdout.readline().decode()
        self.com = line.split(':')[0]
        assert self.com.startswith('COM'), line
        self.port = free_port()
        self.data = os.path.join(self.dir, 'samples.dat')
        self.logger = self.start([logger, '--port', self.com, '--data', self.data,
                                  '--http', '127.0.0.1:%d' % self.port, *extra], 'logger')
        self.url = 'http://127.0.0.1:%d' % self.port
        wait_for(lambda: len(sample_lines(self.data)) >= 1, 30, 'the first sample')
        wait_for(lambda: get(self.url + '/api/v1/state')[0] == 200, 10, 'the web server')

    def start(self, args, name):
        err = open(os.path.join(self.dir, name + '.err'), 'wb')
        p = subprocess.Popen(args, cwd=self.dir, stdout=subprocess.PIPE, stderr=err)
        self.procs.append(p)
        return p

    def close(self):
        for p in reversed(self.procs):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
        shutil.rmtree(self.dir, ignore_errors=True)
