"""What scripts/serve-web and scripts/web-run share: the request handler that serves the page's
folder with the right types for its program, and the project's version for --version."""
import http.server
import os
import re

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class PageHandler(http.server.SimpleHTTPRequestHandler):
    """Serves a folder quietly, with WebAssembly as application/wasm (a browser compiles it as
    it arrives only then)."""
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                          **{'.wasm': 'application/wasm', '.js': 'text/javascript'})

    def log_message(self, *args):
        pass


def project_version():
    try:
        with open(os.path.join(ROOT, 'CMakeLists.txt')) as f:
            found = re.search(r'project\(vela VERSION ([0-9.]+)', f.read())
        return found.group(1) if found else 'unknown'
    except OSError:
        return 'unknown'
