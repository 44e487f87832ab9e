#!/usr/bin/python3
"""A stand-in for Google's OAuth, user-info and Drive endpoints on 127.0.0.1, for Marrowvale's tests.

Python 3 standard library only. It speaks Google's wire format, records every request and can be told to
misbehave. It shares no code with the program.

    fake_google.py --port 0 --ready-file F [--store DIR] [--sink]

writes its base URL ("http://127.0.0.1:PORT") to F once it accepts connections and stops on SIGTERM. --store
keeps uploaded bodies under DIR; --sink keeps only their length and MD5 (for benchmarks).

Control endpoints (JSON in, JSON out; never journalled):
    POST   /__fake/reset            forget everything: every module's state, knobs, fault rules, journal and
                                    violations
    GET    /__fake/knobs            the knobs set so far
    POST   /__fake/knobs            {"name": value, ...} sets knobs; a null value removes one
    GET    /__fake/faults           the fault rules
    POST   /__fake/faults           [rule, ...] appends rules (the first that matches a request acts)
    DELETE /__fake/faults           removes every rule
    GET    /__fake/journal          every request so far, oldest first
    GET    /__fake/state            {"module": its state, ...}
    GET    /__fake/violations       every protocol check that failed, as texts
    POST   /__fake/MODULE/ACTION    an action of a module (see each module's `register`)

A fault rule matches on any of "method", "path" (exact), "query" ({name: value}), "header" ({name: value},
name case-insensitive), "nth" (the rule's n-th match onwards, 1-based) and is used "times" times (default
unlimited). It acts with any of: "delay" (seconds before answering; a reset drops a request still waiting),
"status", "body" (text) and "headers" (answer with these instead of the handler's answer), "close" (close the
connection without an answer), "cut" (send the handler's answer but only K bytes of its body, then close;
"reset": true closes with RST instead of FIN).

Modules add routes with `app.route(method, path_pattern, handler)`, where the pattern is a regular expression
matched against the whole path and a handler takes (app, request, match) and returns a Response, and control
actions with `app.action(module, name, handler)`. Each module has `register(app)` and keeps its state in
`app.state[module]`, rebuilt by the function it gives to `app.on_reset`.
"""

import argparse
import hashlib
import json
import os
import re
import signal
import socket
import struct
import sys
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

import drive
import oauth
import upload
from fake_http import Request, Response

MODULES = [oauth, drive, upload]


class App:
    def __init__(self, options):
        self.options = options
        self.lock = threading.RLock()
        self.routes = []
        self.actions = {}
        self.resetters = []
        self.state = {}
        self.knobs = {}
        self.rules = []
        self.journal = []
        self.violations = []
        self.next_connection = 0
        # Set by every reset: a delayed answer wakes on it and is dropped, so that it cannot land in the
        # next test's state.
        self.resetting = threading.Event()

    # Registration, for modules.
    def route(self, method, pattern, handler):
        self.routes.append((method, re.compile(pattern), handler))

    def action(self, module, name, handler):
        self.actions[(module, name)] = handler

    def on_reset(self, resetter):
        self.resetters.append(resetter)
        resetter(self)

    # Used by handlers.
    def knob(self, name, default=None):
        with self.lock:
            return self.knobs.get(name, default)

    def violation(self, text):
        with self.lock:
            self.violations.append(text)

    def reset(self):
        with self.lock:
            self.resetting.set()
            self.resetting = threading.Event()
            self.knobs.clear()
            self.rules.clear()
            self.journal.clear()
            self.violations.clear()
            for resetter in self.resetters:
                resetter(self)

    def dispatch(self, request):
        for method, pattern, handler in self.routes:
            match = pattern.fullmatch(request.path)
            if match and method == request.method:
                return handler(self, request, match)
        if request.method == "DELETE":
            self.violation(f"DELETE {request.path}: the program never deletes, it trashes")
        return Response.google_error(404, "notFound", f"No route for {request.method} {request.path}")

    def matching_rule(self, request):
        with self.lock:
            for rule in self.rules:
                if not rule_matches(rule, request):
                    continue
                rule["_seen"] = rule.get("_seen", 0) + 1
                if rule["_seen"] < rule.get("nth", 1):
                    continue
                if "times" in rule and rule.get("_used", 0) >= rule["times"]:
                    continue
                rule["_used"] = rule.get("_used", 0) + 1
                return dict(rule)
        return None

    def control(self, request):
        parts = request.path.split("/")[2:]
        body = json.loads(request.body or b"null")
        with self.lock:
            if parts == ["reset"] and request.method == "POST":
                self.reset()
                return Response.json(200, {})
            if parts == ["knobs"]:
                if request.method == "POST":
                    for name, value in body.items():
                        if value is None:
                            self.knobs.pop(name, None)
                        else:
                            self.knobs[name] = value
                return Response.json(200, self.knobs)
            if parts == ["faults"]:
                if request.method == "POST":
                    self.rules.extend(body)
                elif request.method == "DELETE":
                    self.rules.clear()
                return Response.json(200, self.rules)
            if parts == ["journal"]:
                return Response.json(200, self.journal)
            if parts == ["violations"]:
                return Response.json(200, self.violations)
            if parts == ["state"]:
                return Response.json(200, self.state)
            if len(parts) == 2 and tuple(parts) in self.actions and request.method == "POST":
                return Response.json(200, self.actions[tuple(parts)](self, body))
        return Response.json(404, {"error": f"no control endpoint {request.method} {request.path}"})


def rule_matches(rule, request):
    if "method" in rule and rule["method"] != request.method:
        return False
    if "path" in rule and rule["path"] != request.path:
        return False
    for name, value in rule.get("query", {}).items():
        if request.query_value(name) != value:
            return False
    for name, value in rule.get("header", {}).items():
        if request.header(name) != value:
            return False
    return True


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "FakeGoogle/1"
    # The head and the body of an answer are written apart; with Nagle's algorithm the body then waits for
    # the client's delayed ACK of the head, 40 ms an answer that no real server costs.
    disable_nagle_algorithm = True

    def setup(self):
        super().setup()
        app = self.server.app
        with app.lock:
            app.next_connection += 1
            self.connection_id = app.next_connection

    def log_message(self, format, *args):
        pass

    def handle_any(self):
        app = self.server.app
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        if len(body) < length:
            # The client went away in the middle of the body (an aborted upload): nothing of it is acted on.
            self.close_connection = True
            return
        request = Request(self.command, self.path, self.headers, body, self.connection_id)
        if request.path.startswith("/__fake/"):
            try:
                self.send(app.control(request))
            except (ValueError, KeyError, TypeError) as error:
                self.send(Response.json(400, {"error": str(error)}))
            return

        entry = {"method": request.method, "target": request.target, "path": request.path,
                 "query": [[k, v] for k, v in request.query],
                 "headers": [[k, v] for k, v in self.headers.items()],
                 "bodyLength": len(body), "bodyMd5": hashlib.md5(body).hexdigest(),
                 "connection": self.connection_id}
        with app.lock:
            app.journal.append(entry)

        rule = app.matching_rule(request)
        if rule and rule.get("delay"):
            with app.lock:
                resetting = app.resetting
            if resetting.wait(rule["delay"]):
                self.close_connection = True
                return
        if rule and rule.get("close"):
            entry["answer"] = "closed"
            self.close_connection = True
            self.connection.shutdown(socket.SHUT_RDWR)
            return
        if rule and "status" in rule:
            response = Response(rule["status"], rule.get("body", ""), rule.get("headers", {}))
        else:
            response = app.dispatch(request)
        entry["answer"] = response.status
        self.send(response, cut=rule.get("cut") if rule else None, reset=bool(rule and rule.get("reset")))

    def send(self, response, cut=None, reset=False):
        if response.status in (204, 304):
            response.body = b""
        self.send_response(response.status)
        headers = {"Content-Length": str(len(response.body))}
        headers.update(response.headers)
        for name, value in headers.items():
            self.send_header(name, value)
        self.end_headers()
        if cut is None:
            self.wfile.write(response.body)
            return
        self.wfile.write(response.body[:cut])
        self.wfile.flush()
        self.close_connection = True
        if reset:
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        else:
            self.connection.shutdown(socket.SHUT_WR)

    do_GET = do_POST = do_PUT = do_PATCH = do_DELETE = handle_any


def main():
    parser = argparse.ArgumentParser(description="Fake Google server for tests")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--ready-file", required=True)
    parser.add_argument("--store")
    parser.add_argument("--sink", action="store_true")
    options = parser.parse_args()

    app = App(options)
    for module in MODULES:
        module.register(app)
    server = ThreadingHTTPServer(("127.0.0.1", options.port), Handler)
    server.daemon_threads = True
    server.app = app
    app.base_url = f"http://127.0.0.1:{server.server_address[1]}"

    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
    partial = options.ready_file + ".part"
    with open(partial, "w") as ready:
        ready.write(app.base_url)
    os.replace(partial, options.ready_file)
    server.serve_forever()
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
