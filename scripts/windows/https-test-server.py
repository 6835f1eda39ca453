#!/usr/bin/env python3
# The HTTPS server of the Windows suites (scripts/windows/test.sh): serves the files of
# FOLDER on 127.0.0.1 over TLS with FOLDER/cert.pem and FOLDER/cert-key.pem, each body
# with its length, and prints "port N" once it accepts connections.
import http.server
import os
import ssl
import sys

os.chdir(sys.argv[1])
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), http.server.SimpleHTTPRequestHandler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain("cert.pem", "cert-key.pem")
server.socket = context.wrap_socket(server.socket, server_side=True)
print("port", server.server_address[1], flush=True)
server.serve_forever()
