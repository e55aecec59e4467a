#!/usr/bin/env python3
"""A time stamp authority for the signing test, on the loopback address only: answers RFC 3161
requests (HTTP POST of a TimeStampReq) with replies made by `openssl ts -reply` with the given
key and certificate. Prints its port, then serves until it is ended or `lifetime` seconds have
passed, so that a test that dies cannot leave it running.

Usage: timestamp_server.py <key.pem> <certificate.pem> <scratch> <lifetime seconds>
"""

import http.server
import pathlib
import subprocess
import sys
import time

key, certificate, scratch, lifetime = sys.argv[1:5]
scratch = pathlib.Path(scratch)
scratch.mkdir(parents=True, exist_ok=True)
(scratch / "serial").write_text("01\n")
(scratch / "tsa.cnf").write_text(f"""[ tsa ]
default_tsa = mirvot_test
[ mirvot_test ]
serial = {scratch / "serial"}
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256, sha384, sha512
ess_cert_id_alg = sha256
""")


class TimeStamps(http.server.BaseHTTPRequestHandler):
    def do_POST(self):  # noqa: N802 (the handler's name is the protocol's)
        query, reply = scratch / "query.tsq", scratch / "reply.tsr"
        query.write_bytes(self.rfile.read(int(self.headers.get("Content-Length", 0))))
        made = subprocess.run(["openssl", "ts", "-reply", "-config", str(scratch / "tsa.cnf"),
                               "-queryfile", str(query), "-inkey", key, "-signer", certificate,
                               "-out", str(reply)], capture_output=True, text=True)
        if made.returncode != 0:
            sys.stderr.write(made.stderr)
            self.send_error(500)
            return
        body = reply.read_bytes()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), TimeStamps)
server.timeout = 1
print(server.server_port, flush=True)
deadline = time.monotonic() + float(lifetime)
while time.monotonic() < deadline:
    server.handle_request()
