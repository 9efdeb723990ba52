"""A standard-library HTTP server for the transport tests: answers every form POST with an XML
document listing the decoded fields. Prints its port on the first line of standard output and
exits after serving the number of requests given, or after 30 seconds at the latest."""

import os
import sys
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, HTTPServer
from xml.sax.saxutils import escape


class FormEcho(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length).decode("utf-8", errors="replace")
        fields = urllib.parse.parse_qsl(body, keep_blank_values=True, strict_parsing=False)
        reply = "<echo><path>%s</path><count>%d</count>%s</echo>" % (
            escape(self.path),
            len(fields),
            "".join("<field><name>%s</name><value>%s</value></field>" % (escape(n), escape(v)) for n, v in fields),
        )
        data = reply.encode("utf-8")
        self.send_response(200)
        self.send_header("Content-Type", "text/xml; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def log_message(self, format, *args):
        pass


def main():
    requests = int(sys.argv[1]) if len(sys.argv) > 1 else 1
    server = HTTPServer(("127.0.0.1", 0), FormEcho)
    print(server.server_address[1], flush=True)
    deadline = threading.Timer(30.0, os._exit, args=(0,))
    deadline.daemon = True
    deadline.start()
    for _ in range(requests):
        server.handle_request()


if __name__ == "__main__":
    main()
