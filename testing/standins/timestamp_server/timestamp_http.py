#!/usr/bin/env python3
"""An RFC 3161 time-stamp server on 127.0.0.1, for signing tests: answers each POSTed
TimeStampReq with the reply `openssl ts -reply` makes from the authority in DIR.

usage: timestamp_http.py DIR    (DIR made by timestamp-server.sh; the chosen port is written to
                                 DIR/port once the server listens)
"""
import http.server
import os
import subprocess
import sys
import tempfile

LIMIT = 64 * 1024  # a TimeStampReq is a few hundred bytes


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        if length <= 0 or length > LIMIT:
            self.send_error(400, "no time-stamp request")
            return
        request = self.rfile.read(length)
        with tempfile.TemporaryDirectory(dir=self.server.folder) as work:
            query = os.path.join(work, "request.tsq")
            reply = os.path.join(work, "reply.tsr")
            with open(query, "wb") as f:
                f.write(request)
            made = subprocess.run(
                ["openssl", "ts", "-reply", "-config", os.path.join(self.server.folder, "tsa.cnf"),
                 "-queryfile", query, "-out", reply],
                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            if made.returncode != 0:
                self.log_message("openssl ts -reply failed: %s", made.stderr.decode(errors="replace"))
                self.send_error(500, "no reply")
                return
            with open(reply, "rb") as f:
                answer = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(answer)))
        self.end_headers()
        self.wfile.write(answer)

    def log_message(self, format, *args):
        with open(os.path.join(self.server.folder, "log"), "a") as log:
            log.write("%s\n" % (format % args))


def main():
    folder = os.path.abspath(sys.argv[1])
    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    server.folder = folder
    with open(os.path.join(folder, "port.new"), "w") as f:
        f.write("%d\n" % server.server_address[1])
    os.replace(os.path.join(folder, "port.new"), os.path.join(folder, "port"))
    server.serve_forever()


if __name__ == "__main__":
    main()
