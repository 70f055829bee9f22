#!/usr/bin/env python3
"""From boards to an alert, end to end: two simulated boards (laser on, laser off), "tavoemctl
monitor", the real Prometheus with the shipped configuration and rules (their "for:" shortened),
the real Alertmanager with the shipped example (group_wait 1 s, its webhook pointed here) and a
webhook receiver of our own. A pulled board must reach the receiver as TavBoardDown with its
serial number; the laser-off board must raise no power alert; every query of the shipped
dashboard must parse and return a series; a monitor given a port already taken must say why.
The shipped nginx site (TLS, a login) stands in front of the monitor too, and the shipped
"tavoem-tls" scrape job, uncommented, must scrape the boards through it.

Usage: monitor_alerting.py PACKAGING_DIR, with TAVOEMCTL_BIN and TAVOEM_SIM_BIN set (ctest
sets them). Every process it starts is stopped before it ends."""
import json, os, re, shutil, signal, socket, subprocess, sys, tempfile, threading, time
import urllib.parse, urllib.request
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

PACKAGING = sys.argv[1]
CTL = os.environ["TAVOEMCTL_BIN"]
SIM = os.environ["TAVOEM_SIM_BIN"]
ON, OFF = "E2E-ON", "E2E-OFF"
FOR = "2s"  # the rules' "for:" in the test
START = time.monotonic()
tmp = tempfile.mkdtemp(prefix="tav-e2e-")
procs = []
received = []  # alerts the webhook got: (status, labels)


def say(text):
    print(f"[{time.monotonic() - START:5.1f} s] {text}", flush=True)


def fail(text):
    say("FAIL: " + text)
    for name in sorted(os.listdir(tmp)):
        if name.endswith(".log"):
            with open(os.path.join(tmp, name), errors="replace") as f:
                print(f"--- {name} (last lines)\n" + "".join(f.readlines()[-15:]))
    sys.exit(1)


def need(program, package):
    for name in ([program] if isinstance(program, str) else program):
        if path := shutil.which(name):
            return path
    fail(f"{program} not found: install the Debian package {package} (scripts/test does)")


def start(args, log, **kw):
    p = subprocess.Popen(args, stderr=open(os.path.join(tmp, log), "wb"), **kw)
    procs.append(p)
    return p


def free_ports(n):
    """n distinct free loopback ports: taken together, then left for the servers to start."""
    socks = [socket.socket() for _ in range(n)]
    for s in socks:
        s.bind(("127.0.0.1", 0))
    ports = [s.getsockname()[1] for s in socks]
    for s in socks:
        s.close()
    return ports


def wait_for(what, check, timeout=60):
    """Polls check() until it gives something true; a generous bound only against hangs."""
    deadline = time.monotonic() + timeout
    while True:
        got = check()
        if got or time.monotonic() > deadline:
            return got or fail(f"{what}: not within {timeout} s")
        time.sleep(0.3)


def copy(name, replacements, out_name=None):
    """The shipped file with each (pattern, text) replaced exactly as often as expected."""
    with open(os.path.join(PACKAGING, name)) as f:
        text = f.read()
    for pattern, new, count in replacements:
        text, n = re.subn(pattern, new, text, flags=re.M)
        if n != count:
            fail(f"{name}: {pattern!r} found {n} times, not {count}")
    path = os.path.join(tmp, out_name or os.path.basename(name))
    with open(path, "w") as f:
        f.write(text)
    return path


class Webhook(BaseHTTPRequestHandler):
    def do_POST(self):
        body = json.loads(self.rfile.read(int(self.headers["Content-Length"])))
        received.extend((a["status"], a["labels"]) for a in body["alerts"])
        self.send_response(200)
        self.end_headers()

    def log_message(self, *args):
        pass


def query(server, expr):
    """The series of an instant query, or the error Prometheus gives."""
    url = f"{server}/api/v1/query?" + urllib.parse.urlencode({"query": expr})
    try:
        with urllib.request.urlopen(url, timeout=10) as r:
            return json.load(r)["data"]["result"]
    except urllib.error.HTTPError as e:
        return json.load(e).get("error", str(e))
    except OSError as e:
        return str(e)


def by_serial(series):
    return {s["metric"].get("serial"): float(s["value"][1]) for s in series} \
        if isinstance(series, list) else {}


def dashboard_queries(path, serial):
    """Every query of the dashboard (its panels' and its variables'), with the variables and
    Grafana's interval macros replaced by test values."""
    with open(path) as f:
        dash = json.load(f)
    values = {"serial": serial, "__rate_interval": "10s", "__interval": "5s", "__range": "1m"}
    def fill(expr):
        return re.sub(r"\$\{?(\w+)\}?", lambda m: values.get(m.group(1), m.group(0)), expr)
    for var in dash["templating"]["list"]:
        if var["type"] == "query":  # label_values(METRIC, LABEL): the metric must carry the label
            m = re.fullmatch(r"label_values\((.+),\s*(\w+)\)", var["query"])
            yield f"variable {var['name']}", fill(m.group(1)), m.group(2)
    for panel in dash["panels"]:
        for target in panel.get("targets", []):
            yield f"panel \"{panel['title']}\" {target['refId']}", fill(target["expr"]), None


def proxy(monitor, port):
    """The shipped nginx site on `port` in front of the monitor, with a certificate made here
    and the password "secret"; a request without the login must be refused."""
    nginx = need("nginx", "nginx-light")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                    "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                    "-keyout", f"{tmp}/station.key", "-out", f"{tmp}/station.pem"],
                   check=True, capture_output=True)
    hashed = subprocess.run(["openssl", "passwd", "-apr1", "secret"], check=True,
                            capture_output=True, text=True).stdout.strip()
    with open(f"{tmp}/htpasswd", "w") as f:
        f.write(f"prometheus:{hashed}\n")
    with open(f"{tmp}/password", "w") as f:
        f.write("secret")
    site = copy("nginx/tavoem-monitor.conf", [
        (r"listen 9465 ssl;", f"listen 127.0.0.1:{port} ssl;", 1),
        (r"(ssl_certificate) /etc/ssl/certs/tavoem-station.pem;", rf"\1 {tmp}/station.pem;", 1),
        (r"(ssl_certificate_key) /\S+;", rf"\1 {tmp}/station.key;", 1),
        (r"(auth_basic_user_file) /\S+;", rf"\1 {tmp}/htpasswd;", 1),
        (r"proxy_pass http://127\.0\.0\.1:9464/", f"proxy_pass http://{monitor}/", 1)])
    with open(f"{tmp}/nginx.conf", "w") as f:
        f.write(f"pid {tmp}/nginx.pid;\nerror_log {tmp}/nginx.log;\ndaemon off;\nevents {{}}\n"
                f"http {{\n  access_log off;\n" +
                "".join(f"  {t}_temp_path {tmp}/{t};\n" for t in
                        ("client_body", "proxy", "fastcgi", "uwsgi", "scgi")) +
                f"  include {site};\n}}\n")
    # Started by root, nginx's workers run as nobody: the scratch folder and the login file
    # must be readable by others (the key is read by the master alone).
    os.chmod(tmp, 0o755)
    os.chmod(f"{tmp}/htpasswd", 0o644)
    start([nginx, "-p", tmp, "-c", f"{tmp}/nginx.conf"], "nginx-start.log")
    refused = wait_for("the proxy's answer without the login", lambda: http_status(
        f"https://127.0.0.1:{port}/metrics"), 15)
    if refused != 401:
        fail(f"the proxy answered {refused} without the login, not 401")


def http_status(url):
    import ssl
    try:
        with urllib.request.urlopen(url, timeout=5,
                                    context=ssl._create_unverified_context()) as r:
            return r.status
    except urllib.error.HTTPError as e:
        return e.code
    except OSError:
        return None


def main():
    prometheus = need("prometheus", "prometheus")
    alertmanager = need(["prometheus-alertmanager", "alertmanager"], "prometheus-alertmanager")
    program = os.path.join(tmp, "program")

    # Boards: both start with the laser off; ON's is switched on before the monitor takes it.
    links, sims = {}, {}
    for serial in (ON, OFF):
        links[serial] = os.path.join(tmp, serial)
        sims[serial] = start([SIM, "--no-noise", "--exit-on-eof", "--serial", serial,
                              "--link", links[serial]], f"sim-{serial}.log",
                             stdin=subprocess.PIPE, stdout=subprocess.DEVNULL)
        wait_for(f"simulated board {serial}", lambda: os.path.exists(links[serial]), 15)
    sent = subprocess.run([CTL, "send", "--program-dir", program, "--port", links[ON], "ASS=2"],
                          capture_output=True, text=True, timeout=60)
    if sent.returncode != 0 or "!" not in sent.stdout:
        fail(f"ASS=2 not acknowledged: {sent.stdout}{sent.stderr}")

    monitor = start([CTL, "monitor", "--program-dir", program, "--period", "1",
                     "--listen", "127.0.0.1:0", "--port", links[ON], "--port", links[OFF]],
                    "monitor.log", stdout=subprocess.PIPE, text=True)
    metrics = urllib.parse.urlsplit(monitor.stdout.readline().strip())
    if not metrics.port:
        fail("the monitor printed no address")

    hook = ThreadingHTTPServer(("127.0.0.1", 0), Webhook)
    threading.Thread(target=hook.serve_forever, daemon=True).start()
    am_port, prom_port, tls_port = free_ports(3)
    proxy(metrics.netloc, tls_port)
    copy("prometheus/tavoem-alerts.yml", [(r"^(\s*for:) \S+$", rf"\1 {FOR}", 2)])
    config = copy("prometheus/prometheus.yml", [
        (r"^(  (scrape|evaluation)_interval:) 15s$", r"\1 1s", 2),
        (r"127\.0\.0\.1:9464", metrics.netloc, 1),
        # The Alertmanager block as shipped, uncommented.
        (r"^# ((alerting:|  alertmanagers:|    - static_configs:|        - targets: )\S*.*)$",
         r"\1", 4),
        (r"127\.0\.0\.1:9093", f"127.0.0.1:{am_port}", 1),
        # The job through the TLS proxy, uncommented, towards the proxy started here.
        (r"^  # ([- ] .*)$", r"  \1", 11),
        (r"station-1:9465", f"127.0.0.1:{tls_port}", 1),
        (r"/etc/prometheus/tavoem-stations-ca.pem", f"{tmp}/station.pem", 1),
        (r"/etc/prometheus/tavoem-metrics.password", f"{tmp}/password", 1)])
    am_config = copy("alertmanager/alertmanager.yml", [
        (r"^(  group_wait:) 30s$", r"\1 1s", 1),
        (r"http://127\.0\.0\.1:5001/tavoem", f"http://127.0.0.1:{hook.server_port}/tavoem", 1)])
    # No cluster: else it would also listen on 0.0.0.0:9094.
    start([alertmanager, f"--config.file={am_config}", f"--storage.path={tmp}/am",
           f"--web.listen-address=127.0.0.1:{am_port}", "--cluster.listen-address="],
          "alertmanager.log")
    start([prometheus, f"--config.file={config}", f"--storage.tsdb.path={tmp}/tsdb",
           f"--web.listen-address=127.0.0.1:{prom_port}"], "prometheus.log")
    server = f"http://127.0.0.1:{prom_port}"
    say(f"boards, monitor {metrics.netloc}, Prometheus :{prom_port}, Alertmanager :{am_port}, "
        f"webhook :{hook.server_port} started")

    wait_for("tav_laser_on 1 for the board switched on, 0 for the other",
             lambda: by_serial(query(server, 'tav_laser_on{job="tavoem"}')) == {ON: 1, OFF: 0})
    say("laser states scraped")
    wait_for("both boards scraped through the TLS proxy with the login",
             lambda: by_serial(query(server, 'tav_board_up{job="tavoem-tls"}')) == {ON: 1, OFF: 1})
    say("scraped through the TLS proxy")

    # The dashboard: every query answers, once a few scrapes are in (rates need two).
    queries = list(dashboard_queries(os.path.join(PACKAGING, "grafana/tavoem-rack.json"), OFF))
    def unanswered():
        bad = []
        for name, expr, label in queries:
            got = query(server, expr)
            if not isinstance(got, list) or not got or (label and label not in got[0]["metric"]):
                bad.append(f"{name}: {expr} gives {got}")
        return bad
    deadline = time.monotonic() + 30
    while (bad := unanswered()) and time.monotonic() < deadline:
        time.sleep(1)
    if bad:
        fail("dashboard queries without a series:\n  " + "\n  ".join(bad))
    say(f"{len(queries)} dashboard queries answered")

    # A port already taken (Prometheus's): one clear message with the system's reason.
    taken = f"127.0.0.1:{prom_port}"
    busy = subprocess.run([CTL, "monitor", "--program-dir", program, "--port", links[OFF],
                           "--listen", taken], capture_output=True, text=True, timeout=60)
    if busy.returncode != 2 or "CivetServer" in busy.stderr or not all(
            t in busy.stderr for t in (taken, "Address already in use", "use --listen")):
        fail(f"monitor on a taken port: status {busy.returncode}, {busy.stderr!r}")

    # Pull ON's adapter: TavBoardDown for it reaches the webhook.
    sims[ON].stdin.write(b"unplug\n")
    sims[ON].stdin.flush()
    wait_for("TavBoardDown for the pulled board at the webhook",
             lambda: ("firing", ON) in {(st, l.get("serial")) for st, l in received
                                        if l.get("alertname") == "TavBoardDown"})
    say("TavBoardDown of the pulled board received")
    # OFF's output power was low all along, with the same "for:": had the rule no laser
    # condition, it would have fired before the board pulled later.
    if not query(server, f'tav_output_power_dbm{{serial="{OFF}"}} < 10'):
        fail(f"{OFF}'s output power is not low: the laser condition goes untested")
    power = [l for _, l in received if l.get("alertname") == "TavOutputPowerLow"]
    pending = query(server, f'ALERTS{{alertname="TavOutputPowerLow",serial="{OFF}"}}')
    if any(l.get("serial") == OFF for l in power) or pending:
        fail(f"the laser-off board raised the power alert: {power} {pending}")
    if any(l.get("serial") == OFF for _, l in received if l.get("alertname") == "TavBoardDown"):
        fail(f"TavBoardDown for {OFF}, which answers")
    hook.shutdown()
    say("passed")


def stop_all():
    for p in procs:
        if p.poll() is None:
            p.send_signal(signal.SIGTERM)
    for p in procs:
        try:
            p.wait(timeout=15)
        except subprocess.TimeoutExpired:
            p.kill()
            p.wait()
    shutil.rmtree(tmp, ignore_errors=True)


try:
    main()
finally:
    stop_all()
