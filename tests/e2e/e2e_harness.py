"""Pieces shared by the harnesses that run zoq-e2e scenarios as children: a fresh copy of the
generated folder, children whose output lines are read as they come, and the check that a
scenario printed only "ok" lines and ended with "exit 0"."""

import os
import queue
import re
import shutil
import subprocess
import sys
import threading
import time


class Failure(Exception):
    """A check that did not hold; its text is the reason."""


def fresh_copy(fixture, folder):
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(fixture, folder, symlinks=True)


def error_log(folder):
    path = os.path.join(folder, "error.log")
    if not os.path.exists(path):
        return []
    with open(path, "rb") as log:
        return [line.decode("utf-8", "replace").rstrip("\r\n") for line in log if line.strip()]


class Child:
    """A program whose merged output is echoed with a prefix and kept line by line."""

    def __init__(self, name, args, cwd=None, env=None):
        self.name = name
        full_env = dict(os.environ)
        full_env.update(env or {})
        self.lines = []
        self._queue = queue.Queue()
        self.started = time.monotonic()
        self.proc = subprocess.Popen(args, cwd=cwd, env=full_env, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        for raw in self.proc.stdout:
            line = raw.decode("utf-8", "replace").rstrip("\r\n")
            print(f"[{self.name}] {line}", flush=True)
            self.lines.append(line)
            self._queue.put(line)
        self._queue.put(None)

    def wait_line(self, pattern, timeout):
        """The first line from now on that matches pattern; Failure after timeout seconds or
        when the output ends first."""
        expression = re.compile(pattern)
        end = time.monotonic() + timeout
        while True:
            left = end - time.monotonic()
            if left <= 0:
                raise Failure(f"{self.name}: no line like '{pattern}' within {timeout} s")
            try:
                line = self._queue.get(timeout=left)
            except queue.Empty:
                continue
            if line is None:
                self._queue.put(None)
                raise Failure(f"{self.name}: ended before a line like '{pattern}'")
            if expression.search(line):
                return line

    def finish(self, timeout):
        """The exit code; Failure (and the child killed) when it runs on past timeout seconds."""
        try:
            code = self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise Failure(f"{self.name}: still running after {timeout} s")
        self._reader.join(timeout=10)
        return code

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def check_scenario(child, code):
    """The scenario's steps all passed and the game ended with exit 0."""
    failed = [line for line in child.lines if line.startswith("fail ")]
    if failed:
        raise Failure(f"{child.name}: {failed[0]}")
    exits = [line for line in child.lines if re.fullmatch(r"exit -?\d+", line)]
    if code != 0 or exits[-1:] != ["exit 0"]:
        raise Failure(f"{child.name}: ended with code {code} and {exits[-1:] or 'no exit line'}")


def run_main(run, arguments):
    """Runs run(arguments) with every child killed at the end; exit 1 on a Failure."""
    children = []
    try:
        run(arguments, children)
    except Failure as failure:
        print(f"FAILED: {failure}", flush=True)
        return 1
    finally:
        for child in children:
            child.kill()
    print("passed", flush=True)
    return 0


def exit_with(run, parser):
    sys.exit(run_main(run, parser.parse_args()))
