#!/usr/bin/env python3
"""Reference server of Zandu SMS's online services (Python 3 standard library).

    python3 tools/refserver/refserver.py [--host 127.0.0.1] [--port 8080]
            [--db reports.db] [--update-reply FILE] [--port-file FILE]
            [--max-request-line N] [--tls CERT [--tls-key KEY]]
    python3 tools/refserver/refserver.py --show [--db reports.db]

It answers the three paths the program uses:

  /ZanduSMS/updatecheck.php  the update reply: without --update-reply, that
                             the newest version is the project's own (the
                             program then shows no notice); with it, the file
                             read at every request ("CHANGES <version>", a
                             line break, the list of changes), such as
                             tools/refserver/updatecheck.txt, which offers a
                             newer version for a demonstration or a test
  /ZanduSMS/download.php     a small download page
  /input.php                 a feedback or usage report (msg, email, model,
                             version), stored in the SQLite database --db

Every request, whatever its path, is stored in the table "requests" (time,
client, method, path, raw query, user agent), so that one can tell that no
request came. Reports go to the table "reports", decoded as the program
encodes them: '+' is a space, %XX is a byte taken as Latin-1, and then each
numeric character reference &#N; is the character N. --show prints them.
With --port 0 the system picks a free port; --port-file receives the port.
--max-request-line N answers a request whose request line (method, path with
query and version, without the line break) is longer than N bytes with 414, as
web servers with such a limit do (8190 bytes is a common one); it is recorded
all the same, and no report is stored.
--tls CERT serves https instead of http, presenting the certificate (and its
chain) in the PEM file CERT, with its private key there too or in --tls-key.
The program takes plain http only from a server on its own machine; a server
anywhere else must speak https. The handshake happens on each connection's
own thread, so a client that never completes it holds nothing else up; one
that refuses the certificate leaves no request behind.
"""
import argparse
import datetime
import http.server
import os
import re
import sqlite3
import ssl
import sys
import threading
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))


def project_version():
    """The version the project builds (project(... VERSION x.y.z) of its
    CMakeLists.txt), which is then the newest there is."""
    try:
        with open(os.path.join(HERE, "..", "..", "CMakeLists.txt"), encoding="utf-8") as f:
            match = re.search(r"project\(\S+ VERSION ([0-9]+\.[0-9]+\.[0-9]+)", f.read())
    except OSError:
        match = None
    return match.group(1) if match else "0.0.0"

SCHEMA = """
CREATE TABLE IF NOT EXISTS requests (
    id INTEGER PRIMARY KEY, received TEXT, client TEXT, method TEXT,
    path TEXT, query TEXT, user_agent TEXT);
CREATE TABLE IF NOT EXISTS reports (
    id INTEGER PRIMARY KEY, received TEXT, msg TEXT, email TEXT,
    model TEXT, version TEXT, query TEXT);
"""

DOWNLOAD_PAGE = b"""<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Zandu SMS download</title></head>
<body><h1>Zandu SMS</h1><p>The newest version of Zandu SMS would be offered here.</p></body></html>
"""

REFERENCE = re.compile(r"&#([0-9]{1,7});")


def decode_references(text):
    """Replaces each &#N; by the character N (one pass, so text that a
    reference produces is never read again); invalid numbers stay as they are."""
    def character(match):
        cp = int(match.group(1))
        if cp > 0x10FFFF or 0xD800 <= cp <= 0xDFFF:
            return match.group(0)
        return chr(cp)
    return REFERENCE.sub(character, text)


def decode_report(query):
    """The four fields of a report query; absent ones are empty."""
    fields = urllib.parse.parse_qs(query, keep_blank_values=True, encoding="latin-1")
    return {name: decode_references(fields.get(name, [""])[0]) for name in ("msg", "email", "model", "version")}


class Store:
    """The SQLite database, shared by the request threads."""

    def __init__(self, path):
        self._lock = threading.Lock()
        self._db = sqlite3.connect(path, check_same_thread=False, isolation_level=None)
        self._db.executescript(SCHEMA)

    def add(self, table, row):
        names = ", ".join(row)
        marks = ", ".join("?" for _ in row)
        with self._lock:
            self._db.execute("INSERT INTO %s (%s) VALUES (%s)" % (table, names, marks), list(row.values()))

    def reports(self):
        with self._lock:
            return self._db.execute("SELECT id, received, msg, email, model, version FROM reports ORDER BY id").fetchall()


class Handler(http.server.BaseHTTPRequestHandler):
    server_version = "ZanduRefServer/1.0"
    protocol_version = "HTTP/1.1"

    def _record(self):
        path, _, query = self.path.partition("?")
        now = datetime.datetime.now().isoformat(timespec="milliseconds")
        self.server.store.add("requests", {
            "received": now, "client": self.client_address[0], "method": self.command,
            "path": path, "query": query, "user_agent": self.headers.get("User-Agent", "")})
        return now, path, query

    def _refuse(self):
        """Any other method: recorded too, and refused."""
        self._record()
        self.close_connection = True  # a body it may carry is not read
        self.send_response(405)
        self.send_header("Allow", "GET")
        self.send_header("Content-Length", "0")
        self.end_headers()

    do_HEAD = do_POST = do_PUT = do_DELETE = do_OPTIONS = do_PATCH = _refuse

    def parse_request(self):
        if not super().parse_request():
            return False
        limit = self.server.max_request_line
        if limit and len(self.raw_requestline.rstrip(b"\r\n")) > limit:
            self._record()
            self.close_connection = True
            self.send_error(414)
            return False
        return True

    def do_GET(self):
        now, path, query = self._record()
        if path == "/ZanduSMS/updatecheck.php":
            if not self.server.update_reply:
                reply = "CHANGES %s\r\nThis is the newest version.\r\n" % project_version()
                self._answer(200, reply.encode(), "text/plain; charset=utf-8")
                return
            try:
                with open(self.server.update_reply, "rb") as f:
                    self._answer(200, f.read(), "text/plain; charset=utf-8")
            except OSError:
                self._answer(404, b"no update reply\n", "text/plain")
        elif path == "/ZanduSMS/download.php":
            self._answer(200, DOWNLOAD_PAGE, "text/html; charset=utf-8")
        elif path == "/input.php":
            self.server.store.add("reports", dict(received=now, query=query, **decode_report(query)))
            self._answer(200, b"OK\n", "text/plain")
        else:
            self._answer(404, b"<html><body>404 Not Found</body></html>\n", "text/html")

    def _answer(self, status, body, content_type):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, fmt, *args):
        sys.stderr.write("%s %s\n" % (self.log_date_time_string(), fmt % args))


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def finish_request(self, request, client_address):
        """On the connection's own thread: the TLS handshake first."""
        if isinstance(request, ssl.SSLSocket):
            request.do_handshake()
        super().finish_request(request, client_address)

    def handle_error(self, request, client_address):
        """A connection that failed (a refused certificate, a client gone)
        is one line of the log, not a traceback."""
        sys.stderr.write("%s: connection failed: %s\n" % (client_address[0], sys.exc_info()[1]))


def show(db):
    for rid, received, msg, email, model, version in Store(db).reports():
        print("#%d %s  version %s  e-mail %s  model %s" % (rid, received, version, email or "-", model or "-"))
        print("    " + msg.replace("\r\n", "\n").replace("\n", "\n    "))


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=8080, help="0: a free port")
    parser.add_argument("--db", default="reports.db", help="SQLite database of requests and reports")
    parser.add_argument("--update-reply", metavar="FILE",
                        help="file served as the update reply (default: the project's own version is the newest)")
    parser.add_argument("--port-file", help="write the port here once the server listens")
    parser.add_argument("--max-request-line", type=int, default=0, metavar="N",
                        help="answer request lines longer than N bytes with 414 (default: no limit)")
    parser.add_argument("--tls", metavar="CERT", help="serve https with the certificate (PEM) in CERT")
    parser.add_argument("--tls-key", metavar="KEY", help="its private key, when CERT does not hold it")
    parser.add_argument("--show", action="store_true", help="print the stored reports and exit")
    args = parser.parse_args(argv)
    if args.show:
        show(args.db)
        return 0
    server = Server((args.host, args.port), Handler)
    if args.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.tls, args.tls_key)
        server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
    server.store = Store(args.db)
    server.update_reply = args.update_reply
    server.max_request_line = args.max_request_line
    port = server.server_address[1]
    if args.port_file:
        with open(args.port_file + ".tmp", "w") as f:
            f.write("%d\n" % port)
        os.replace(args.port_file + ".tmp", args.port_file)
    print("Reference server on %s://%s:%d (database %s)" % ("https" if args.tls else "http", args.host, port,
                                                           os.path.abspath(args.db)), flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
