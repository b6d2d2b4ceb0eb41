#!/usr/bin/env python3
"""Stand-in for the operator's ring service, for development and tests.

Serves every request path and reply form the programs use: login with a
verification code or a ticket, the fee query and month-order answer, the ring
upload, the ring library and plan pages, the song list with its download
links, the material files and the update description. Python 3 standard
library only. See README.md beside this file.
"""

import argparse
import hashlib
import html
import json
import os
import random
import secrets
import sys
import threading
import time
import urllib.parse
import wave
from email.parser import BytesParser, Parser
from http.cookies import SimpleCookie
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

SESSION_COOKIE = "ZUVOSESSION"
MAX_BODY = 64 * 1024 * 1024
# An endless body may be asked to run longer than that, to pass a client's limit.
MAX_ENDLESS_BODY = 1024 * 1024 * 1024
MAX_HOLD_SECONDS = 300

DEFAULT_FEE_OFFER = ("SHOWMONTHOPTION|开通包月（5元/月）|按次付费（1元/首）|"
                     "开通包月后，本月上传彩铃不再单独收费。|true")


def latin1(data):
    """Bytes as text whose code points are the bytes: exact in JSON."""
    return data.decode("latin-1")


def header_bytes(value):
    """A header value the email parser kept with escaped 8-bit bytes."""
    return value.encode("ascii", "surrogateescape")


def disposition_params(raw):
    """name and filename of a raw Content-Disposition value, as bytes."""
    message = Parser().parsestr("Content-Disposition: " + latin1(header_bytes(raw)) + "\n\n")
    params = {}
    for key in ("name", "filename"):
        value = message.get_param(key, header="content-disposition")
        if value is not None:
            params[key] = value.encode("latin-1")
    return params


def parse_multipart(content_type, body):
    """Parts of a multipart/form-data body through the email parser."""
    head = b"Content-Type: " + content_type.encode("latin-1") + b"\r\n\r\n"
    message = BytesParser().parsebytes(head + body)
    if not message.is_multipart():
        return None, ["not multipart"]
    parts = []
    defects = [type(d).__name__ for d in message.defects]
    for part in message.get_payload():
        raw = dict((k.lower(), v) for k, v in part.raw_items())
        params = disposition_params(raw.get("content-disposition", ""))
        payload = part.get_payload(decode=True) or b""
        defects += [type(d).__name__ for d in part.defects]
        parts.append({
            "name": params.get("name", b""),
            "filename": params.get("filename"),
            "content_type": latin1(header_bytes(raw.get("content-type", ""))),
            "data": payload,
        })
    return parts, defects


def safe_name(name):
    """A received file name as a plain file name of this folder."""
    text = name.decode("utf-8", "replace")
    for bad in ("/", "\\", "\0", "\r", "\n"):
        text = text.replace(bad, "_")
    text = text.strip().lstrip(".")
    return text or "unnamed"


class Service:
    """The service's state, shared by the request threads."""

    def __init__(self, args):
        self.lock = threading.Lock()
        self.args = args
        self.data_dir = os.path.abspath(args.data_dir)
        self.log_path = os.path.abspath(args.log) if args.log else os.path.join(
            self.data_dir, "requests.jsonl")
        self.record_bodies = args.record_bodies
        self.seq = 0
        self.codes = {}      # mobile -> last verification code
        self.tickets = {}    # ticket -> uid
        self.sessions = {}   # session id -> uid
        self.users = {}      # uid -> {"monthly", "noprompt", "rings"}
        self.rules = []
        self.fee_reply = args.fee_reply
        self.update = {"major": 1, "sub": 11, "declare": "", "exec": "updater.sh", "files": None}
        for sub in ("uploads", "bodies", "material", "update/files"):
            os.makedirs(os.path.join(self.data_dir, sub), exist_ok=True)
        # A restart on the same folder goes on counting, so the log's numbers
        # stay unique and nothing kept under an earlier number is written over.
        self.seq = self.last_seq_on_disk()
        self.ensure_material()
        self.ensure_updater()
        if args.script:
            with open(args.script, encoding="utf-8") as f:
                self.set_rules(json.load(f))

    def ensure_updater(self):
        # The updater the default description names: it writes the folder it
        # was started in to updater-ran.txt there.
        folder = os.path.join(self.data_dir, "update", "files")
        if any(not n.startswith(".") for n in os.listdir(folder)):
            return
        with open(os.path.join(folder, "updater.sh"), "w", encoding="utf-8") as out:
            out.write("#!/bin/sh\npwd > updater-ran.txt\n")

    def ensure_material(self):
        folder = os.path.join(self.data_dir, "material")
        if any(not n.startswith(".") for n in os.listdir(folder)):
            return
        # Two short tones, so a fresh stand-in has something to offer.
        for name, hz in (("清晨的钟声.wav", 660), ("午后小调.wav", 440)):
            with wave.open(os.path.join(folder, name), "wb") as out:
                out.setnchannels(1)
                out.setsampwidth(2)
                out.setframerate(8000)
                frames = bytearray()
                for i in range(8000):
                    level = 8000 if (i * hz // 4000) % 2 else -8000
                    frames += int(level).to_bytes(2, "little", signed=True)
                out.writeframes(bytes(frames))

    def materials(self):
        folder = os.path.join(self.data_dir, "material")
        return sorted(n for n in os.listdir(folder)
                      if not n.startswith(".") and os.path.isfile(os.path.join(folder, n)))

    def last_seq_on_disk(self):
        last = 0
        try:
            with open(self.log_path, encoding="ascii", errors="replace") as f:
                for line in f:
                    try:
                        seq = json.loads(line).get("seq")
                    except (ValueError, AttributeError):
                        continue
                    if isinstance(seq, int):
                        last = max(last, seq)
        except OSError:
            pass
        for sub in ("uploads", "bodies"):
            for name in os.listdir(os.path.join(self.data_dir, sub)):
                digits = name.split(".")[0].split("-")[0]
                if digits.isdigit():
                    last = max(last, int(digits))
        return last

    def new_upload_folder(self, seq):
        # Created exclusively: a second stand-in on the same folder, or a log
        # that was removed, gets a suffix instead of another upload's folder.
        base = os.path.join(self.data_dir, "uploads", "%d" % seq)
        folder = base
        suffix = 1
        while True:
            try:
                os.mkdir(folder)
                return folder
            except FileExistsError:
                suffix += 1
                folder = "%s-%d" % (base, suffix)

    def next_seq(self):
        with self.lock:
            self.seq += 1
            return self.seq

    def log(self, entry):
        line = json.dumps(entry, ensure_ascii=True)
        with self.lock:
            with open(self.log_path, "a", encoding="ascii") as f:
                f.write(line + "\n")

    def say(self, text):
        with self.lock:
            print(text, flush=True)

    def set_rules(self, script, append=False):
        rules = script.get("rules", []) if isinstance(script, dict) else script
        with self.lock:
            if not append:
                self.rules = []
            for rule in rules:
                self.rules.append(dict(rule))

    def take_rule(self, path):
        with self.lock:
            for rule in self.rules:
                want = rule.get("path", "")
                if want.startswith("/"):
                    matches = want == path
                else:
                    matches = path == "/zuvo/" + want
                if not matches:
                    continue
                times = rule.get("times")
                if times is not None:
                    if times <= 0:
                        continue
                    rule["times"] = times - 1
                return dict(rule)
        return None

    def user(self, uid):
        return self.users.setdefault(uid, {"monthly": False, "noprompt": False, "rings": []})

    def issue_ticket(self, uid):
        ticket = secrets.token_hex(8)
        with self.lock:
            self.tickets[ticket] = uid
        return ticket


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "ZuvoRingService/1.0"
    service = None  # set by main

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        self.dispatch()

    def do_POST(self):
        self.dispatch()

    def read_body(self):
        if self.headers.get("Transfer-Encoding", "").lower() == "chunked":
            chunks = []
            total = 0
            while True:
                size_line = self.rfile.readline(1024).split(b";")[0].strip()
                size = int(size_line or b"0", 16)
                if size == 0:
                    while self.rfile.readline(1024) not in (b"\r\n", b"\n", b""):
                        pass
                    break
                total += size
                if total > MAX_BODY:
                    raise ValueError("body too large")
                chunks.append(self.rfile.read(size))
                self.rfile.readline(1024)
            return b"".join(chunks)
        length = int(self.headers.get("Content-Length") or 0)
        if length > MAX_BODY:
            raise ValueError("body too large")
        return self.rfile.read(length) if length > 0 else b""

    def session_uid(self):
        cookie = SimpleCookie()
        try:
            cookie.load(self.headers.get("Cookie", ""))
        except Exception:
            return None, False
        morsel = cookie.get(SESSION_COOKIE)
        if morsel is None:
            return None, False
        with self.service.lock:
            uid = self.service.sessions.get(morsel.value)
        return uid, True

    def dispatch(self):
        service = self.service
        self.status_sent = None
        self.entry = None
        url = urllib.parse.urlsplit(self.path)
        path = url.path
        if path.startswith("/_control/"):
            self.control(path, url.query)
            return
        seq = service.next_seq()
        entry = {
            "seq": seq,
            "time": time.time(),
            "method": self.command,
            "path": path,
            "query": url.query,
            "headers": {k.lower(): v for k, v in self.headers.items()},
            "content_length": None,
        }
        if self.headers.get("Content-Length") is not None:
            entry["content_length"] = int(self.headers["Content-Length"])
        try:
            body = self.read_body()
        except ValueError as error:
            entry["error"] = str(error)
            self.entry = entry
            self.logged = False
            self.reply(413, "请求过大".encode("utf-8"), close=True)
            return
        entry["body_bytes"] = len(body)
        if service.record_bodies and body:
            body_file = os.path.join(service.data_dir, "bodies", "%d.bin" % seq)
            with open(body_file, "wb") as f:
                f.write(body)
            entry["body_file"] = body_file
        uid, had_cookie = self.session_uid()
        entry["cookie_sent"] = had_cookie
        entry["session_user"] = uid

        content_type = self.headers.get("Content-Type", "")
        self.form = []
        self.parts = None
        if content_type.lower().startswith("application/x-www-form-urlencoded"):
            self.form = urllib.parse.parse_qsl(latin1(body), keep_blank_values=True,
                                               encoding="latin-1")
            entry["form"] = self.form
        elif content_type.lower().startswith("multipart/form-data"):
            self.parts, defects = parse_multipart(content_type, body)
            entry["multipart_defects"] = defects
            if self.parts is not None:
                entry["parts"] = [{
                    "name": latin1(p["name"]),
                    "filename": latin1(p["filename"]) if p["filename"] is not None else None,
                    "content_type": p["content_type"],
                    "size": len(p["data"]),
                    "md5": hashlib.md5(p["data"]).hexdigest(),
                    "value": latin1(p["data"]) if p["filename"] is None else None,
                } for p in self.parts]
        if url.query:
            entry["query_fields"] = urllib.parse.parse_qsl(url.query, keep_blank_values=True,
                                                           encoding="latin-1")
        self.entry = entry
        self.uid = uid

        self.logged = False
        rule = service.take_rule(path)
        if rule is not None:
            entry["scripted"] = rule
            self.scripted(rule)
        else:
            self.route(path, url.query)
        self.log_entry(getattr(self, "status_sent", None))

    def log_entry(self, status):
        """Logs the request once, before its reply goes out: a client that
        has its answer finds the request in the log."""
        if self.logged:
            return
        self.logged = True
        self.entry["status"] = status
        self.service.log(self.entry)
        query = self.entry["query"]
        self.service.say("%s %s%s -> %s" % (self.command, self.entry["path"],
                                            "?" + query if query else "", status))

    # Replies

    def reply(self, status, body, content_type="text/plain; charset=utf-8", headers=None,
              close=False):
        self.status_sent = status
        if getattr(self, "entry", None) is not None:
            self.log_entry(status)
        self.send_response(status)
        if content_type:
            self.send_header("Content-Type", content_type)
        for name, value in (headers or {}).items():
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        if close:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def text(self, text, status=200, headers=None):
        self.reply(status, text.encode("utf-8"), headers=headers)

    def page(self, title, body_html, status=200):
        document = ("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%s</title>"
                    "</head><body><h1>%s</h1>%s</body></html>" % (
                        html.escape(title), html.escape(title), body_html))
        self.reply(status, document.encode("utf-8"), "text/html; charset=utf-8")

    def scripted(self, rule):
        delay = min(float(rule.get("delay", 0)), MAX_HOLD_SECONDS)
        if delay > 0:
            time.sleep(delay)
        stall = min(float(rule.get("stall", 0)), MAX_HOLD_SECONDS)
        if stall > 0:
            # Say nothing at all, then drop the connection.
            self.status_sent = "stalled"
            self.log_entry("stalled")
            time.sleep(stall)
            self.close_connection = True
            return
        status = int(rule.get("status", 200))
        charset = rule.get("charset", "utf-8")
        if "body_hex" in rule:
            body = bytes.fromhex(rule["body_hex"])
        else:
            body = rule.get("body", "").encode(charset or "utf-8")
        if "material" in rule:
            # The body of a material file, by its index in the song list.
            name = self.service.materials()[int(rule["material"])]
            with open(os.path.join(self.service.data_dir, "material", name), "rb") as f:
                body = f.read()
        fill = min(int(rule.get("fill", 0)), MAX_BODY)
        if fill > len(body):
            body += b"x" * (fill - len(body))
        content_type = rule.get("content_type")
        if content_type is None:
            content_type = "text/plain; charset=%s" % charset if charset else "text/plain"
        headers = dict(rule.get("headers", {}))
        if "location" in rule:
            headers["Location"] = rule["location"]
        self.status_sent = status
        if "head_bytes" in rule or rule.get("endless"):
            self.log_entry("cut" if "head_bytes" in rule else "endless")
            self.raw_reply(rule, status, content_type, headers, body)
            return
        if rule.get("framing") in ("chunked", "close"):
            self.log_entry("cut" if rule.get("cut") else status)
            self.framed_reply(rule, status, content_type, headers, body)
            return
        self.log_entry("cut" if rule.get("cut") else status)
        self.send_response(status)
        if content_type:
            self.send_header("Content-Type", content_type)
        for name, value in headers.items():
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        if rule.get("cut"):
            # Announce the whole body, send half of it, hang up.
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body[:len(body) // 2])
            self.wfile.flush()
            self.close_connection = True
            return
        self.end_headers()
        slow = min(float(rule.get("slow", 0)), 5.0)
        if slow > 0:
            try:
                for i in range(len(body)):
                    self.wfile.write(body[i:i + 1])
                    self.wfile.flush()
                    time.sleep(slow)
            except OSError:
                self.close_connection = True  # the client gave up
        else:
            self.wfile.write(body)

    def framed_reply(self, rule, status, content_type, headers, body):
        """A body without Content-Length: "chunked" sends it in chunks of
        "chunk" bytes (default 1000) and the last chunk; "close" sends it and
        hangs up. With "cut" a chunked body stops after half its bytes, without
        its last chunk; "slow" waits that many seconds after each chunk."""
        chunked = rule["framing"] == "chunked"
        self.send_response(status)
        if content_type:
            self.send_header("Content-Type", content_type)
        for name, value in headers.items():
            self.send_header(name, value)
        if chunked:
            self.send_header("Transfer-Encoding", "chunked")
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True
        size = max(int(rule.get("chunk", 1000)), 1)
        slow = min(float(rule.get("slow", 0)), 5.0)
        end = len(body) // 2 if rule.get("cut") else len(body)
        try:
            for at in range(0, end, size):
                piece = body[at:min(at + size, end)]
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece) if chunked else piece)
                self.wfile.flush()
                if slow > 0:
                    time.sleep(slow)
            if chunked and not rule.get("cut"):
                self.wfile.write(b"0\r\n\r\n")
        except OSError:
            pass  # the client hung up

    def raw_reply(self, rule, status, content_type, headers, body):
        """Writes the reply by hand, for the faults the standard writer cannot
        make: a head cut after head_bytes bytes (negative: counted from its
        end), or a body without a length that goes on until the client hangs
        up (or 64 MiB went out, or the number of bytes endless gives)."""
        endless = bool(rule.get("endless"))
        if rule.get("endless") is True or not endless:
            most = MAX_BODY
        else:
            most = min(int(rule["endless"]), MAX_ENDLESS_BODY)
        lines = ["HTTP/1.1 %d %s" % (status, self.responses.get(status, ("",))[0])]
        if content_type:
            lines.append("Content-Type: " + content_type)
        for name, value in headers.items():
            lines.append("%s: %s" % (name, value))
        if endless:
            lines.append("Connection: close")
        else:
            lines.append("Content-Length: %d" % len(body))
        head = ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1", "replace")
        self.close_connection = True
        try:
            if "head_bytes" in rule:
                self.wfile.write(head[:int(rule["head_bytes"])])
                return
            self.wfile.write(head + body)
            # "Endless" stops at MAX_BODY, so a client that never gives up
            # cannot take the machine's memory with it.
            filler = b"x" * 65536
            deadline = time.monotonic() + MAX_HOLD_SECONDS
            sent = len(body)
            while time.monotonic() < deadline and sent < most:
                piece = filler[:most - sent]
                self.wfile.write(piece)
                sent += len(piece)
        except OSError:
            pass  # the client hung up

    # The service

    def route(self, path, query):
        routes = {
            "/zuvo/login.me": self.login,
            "/zuvo/pub/getValCode.me": self.val_code,
            "/zuvo/person/fee_ringLibZuvo.me": self.fee_query,
            "/zuvo/person/monthOrderResponse.me": self.month_order,
            "/zuvo/person/add_ringLibZuvo.me": self.upload,
            "/zuvo/person/client.me": self.ring_library,
            "/zuvo/": self.home_page,
            "/zuvo/pub/monthinfo.me": self.month_info,
            "/zuvo/pub/songlist.me": self.song_list,
            "/zuvo/pub/material.me": self.material,
            "/update/update.xml": self.update_description,
            "/zuvo/pub/handover.me": self.hand_over,
            "/portal/": self.music_portal,
        }
        handler = routes.get(path)
        if handler is not None:
            handler(query)
        elif path.startswith("/update/files/"):
            self.update_file(path[len("/update/files/"):])
        else:
            self.page("未找到", "<p>没有这个页面。</p>", status=404)

    def field(self, name):
        for key, value in self.form:
            if key == name:
                return value.encode("latin-1")
        return None

    def login(self, query):
        service = self.service
        uid = self.field("loginid")
        password = self.field("password")
        ticket = self.field("ticket")
        if uid is None or (password is None and ticket is None):
            self.text("登录信息不完整！")
            return
        uid = uid.decode("utf-8", "replace")
        with service.lock:
            if ticket is not None:
                good = service.tickets.get(ticket.decode("latin-1")) == uid
            else:
                good = service.codes.get(uid) is not None and \
                    service.codes.get(uid) == password.decode("latin-1")
        if not good:
            self.entry["login"] = "refused"
            self.text("验证码错误，请重新获取验证码！" if ticket is None else "票据无效，请重新登录！")
            return
        session = secrets.token_hex(16)
        with service.lock:
            service.sessions[session] = uid
            service.user(uid)
        self.entry["login"] = uid
        self.reply(200, b"OK", headers={
            "Set-Cookie": "%s=%s; Path=/; HttpOnly" % (SESSION_COOKIE, session)})

    def val_code(self, query):
        mobile = (self.field("mobile") or b"").decode("latin-1")
        if len(mobile) != 11 or not mobile.isdigit():
            self.text("1")
            return
        code = "%06d" % random.randint(0, 999999)
        with self.service.lock:
            self.service.codes[mobile] = code
        self.entry["code"] = code
        self.service.say("verification code for %s: %s" % (mobile, code))
        self.text("0")

    def require_login(self):
        if self.uid is None:
            self.text("请先登录！", status=403)
            return False
        return True

    def fee_query(self, query):
        if not self.require_login():
            return
        with self.service.lock:
            user = self.service.user(self.uid)
            if self.service.fee_reply is not None:
                reply = self.service.fee_reply
            elif user["monthly"] or user["noprompt"]:
                reply = "NOFEEPROMPT"
            else:
                reply = DEFAULT_FEE_OFFER
        self.text(reply)

    def month_order(self, query):
        if not self.require_login():
            return
        order = (self.field("order") or b"").decode("latin-1")
        noprompt = (self.field("noprompt") or b"").decode("latin-1")
        if order not in ("true", "false") or noprompt not in ("true", "false"):
            self.text("参数错误！")
            return
        with self.service.lock:
            user = self.service.user(self.uid)
            user["monthly"] = user["monthly"] or order == "true"
            user["noprompt"] = user["noprompt"] or noprompt == "true"
        self.text("OK")

    def upload(self, query):
        if not self.require_login():
            return
        if self.parts is None:
            self.text("上传失败：请求格式错误。")
            return
        fields = {}
        files = {}
        for part in self.parts:
            key = latin1(part["name"])
            if part["filename"] is None:
                fields.setdefault(key, part["data"])
            else:
                files.setdefault(key, part)
        name = fields.get("ringLibZuvo.name")
        if not name or "upload" not in files or "vox" not in files:
            self.text("上传失败：铃音名称或文件不完整。")
            return
        folder = self.service.new_upload_folder(self.entry["seq"])
        saved = []
        for key, part in files.items():
            target = os.path.join(folder, key + "-" + safe_name(part["filename"]))
            with open(target, "wb") as f:
                f.write(part["data"])
            saved.append(target)
        record = {
            "uid": self.uid,
            "name": name.decode("utf-8", "replace"),
            "intro": fields.get("ringLibZuvo.intro", b"").decode("utf-8", "replace"),
            "share": fields.get("ringLibZuvo.isshare", b"").decode("latin-1"),
            "files": saved,
            "time": time.time(),
        }
        with open(os.path.join(folder, "fields.json"), "w", encoding="utf-8") as f:
            json.dump(record, f, ensure_ascii=False, indent=1)
        with self.service.lock:
            self.service.user(self.uid)["rings"].append(record)
        self.entry["saved"] = saved
        self.text("OK")

    def ring_library(self, query):
        if self.uid is None:
            self.page("Zuvo彩铃库", "<p>请先登录。</p>")
            return
        with self.service.lock:
            rings = list(self.service.user(self.uid)["rings"])
        ticket = self.service.issue_ticket(self.uid)
        rows = "".join("<li>%s（%s）</li>" % (
            html.escape(r["name"]), "共享" if r["share"] == "true" else "不共享") for r in rings)
        self.page("Zuvo彩铃库", "<p>用户：<span id=\"uid\">%s</span>，票据："
                  "<span id=\"ticket\">%s</span></p><ul>%s</ul>" % (
                      html.escape(self.uid), ticket, rows or "<li>还没有上传的彩铃。</li>"))

    def home_page(self, query):
        self.page("Zuvo彩铃", "<p>这里是Zuvo彩铃业务的网站。</p>")

    def music_portal(self, query):
        self.page("音乐门户", "<p>这里是运营商的音乐门户。</p>")

    def month_info(self, query):
        self.page("包月说明", "<p>开通包月后，本月上传彩铃不再单独收费，"
                  "包月费用每月5元，可随时退订。</p>")

    def host(self):
        return self.headers.get("Host") or "127.0.0.1:%d" % self.server.server_address[1]

    def song_list(self, query):
        links = []
        for index, name in enumerate(self.service.materials()):
            title = os.path.splitext(name)[0]
            # The program takes the text after "http://down=", writes "http//"
            # back as "http://", fetches what stands before the last "&" and
            # names the file after the last "=".
            target = "http//%s/zuvo/pub/material.me?id=%d&name=%s" % (
                self.host(), index, urllib.parse.quote(title.encode("utf-8"), safe=""))
            links.append("<li><a href=\"http://down=%s\">%s</a></li>" % (
                html.escape(target), html.escape(title)))
        self.page("网上素材", "<ul>%s</ul>" % "".join(links))

    def material(self, query):
        params = dict(urllib.parse.parse_qsl(query))
        names = self.service.materials()
        try:
            name = names[int(params.get("id", ""))]
        except (ValueError, IndexError):
            self.page("未找到", "<p>没有这个素材。</p>", status=404)
            return
        with open(os.path.join(self.service.data_dir, "material", name), "rb") as f:
            data = f.read()
        self.reply(200, data, "application/octet-stream")

    def update_files(self):
        folder = os.path.join(self.service.data_dir, "update", "files")
        configured = self.service.update.get("files")
        if configured is None:
            configured = [{"name": n} for n in sorted(os.listdir(folder))
                          if os.path.isfile(os.path.join(folder, n))]
        files = []
        for item in configured:
            name = item["name"]
            path = os.path.join(folder, os.path.basename(name))
            digest = item.get("md5")
            if digest is None and os.path.isfile(path):
                with open(path, "rb") as f:
                    digest = hashlib.md5(f.read()).hexdigest().upper()
            files.append((name, item.get("target", ""), digest or ""))
        return files

    def update_description(self, query):
        update = self.service.update
        files = "".join(
            "<File FileName=\"%s\" Url=\"%s\" MD5=\"%s\" Target=\"%s\"/>" % (
                html.escape(name), html.escape("http://%s/update/files/%s" % (
                    self.host(), urllib.parse.quote(os.path.basename(name)))),
                digest, html.escape(target))
            for name, target, digest in self.update_files())
        declare = ("<Declare>%s</Declare>" % html.escape(update["declare"])
                   if update["declare"] else "")
        document = ("<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<UpdateInfo>"
                    "<VersionInfo><MajorVer>%d</MajorVer><SubVer>%d</SubVer></VersionInfo>"
                    "%s<ExecApp>%s</ExecApp><UpdFiles>%s</UpdFiles></UpdateInfo>\r\n" % (
                        update["major"], update["sub"], declare, html.escape(update["exec"]),
                        files))
        self.reply(200, document.encode("gb2312", "replace"), "text/xml")

    def update_file(self, name):
        folder = os.path.join(self.service.data_dir, "update", "files")
        name = urllib.parse.unquote(name)
        path = os.path.join(folder, os.path.basename(name))
        if "/" in name or not os.path.isfile(path):
            self.page("未找到", "<p>没有这个文件。</p>", status=404)
            return
        with open(path, "rb") as f:
            data = f.read()
        self.reply(200, data, "application/octet-stream")

    # The web login that hands the user to Kelvo: the page calls the
    # program's automation object through the web view's channel
    # (window.zuvoChannel, object "KelvoObject").

    HAND_OVER_SCRIPT = """
<script>
function kelvo(call) {
  var state = document.getElementById('state');
  if (!window.zuvoChannel) { state.textContent = '不在Kelvo中'; return; }
  window.zuvoChannel.then(function (objects) {
    var object = objects.KelvoObject;
    if (!object) { state.textContent = '没有KelvoObject'; return; }
    call(object);
    state.textContent = '已交给Kelvo';
  }, function () { state.textContent = '没有通道'; });
}
function openFile() {
  var name = document.getElementById('filename').value;
  kelvo(function (o) { o.OpenFile(name); });
}
function closeApp() { kelvo(function (o) { o.CloseApp(); }); }
%s
</script>"""

    def hand_over(self, query):
        params = dict(urllib.parse.parse_qsl(query, keep_blank_values=True))
        uid = params.get("uid", "")
        login = ""
        if uid:
            # A stand-in trusts the number typed; the ticket is what counts.
            ticket = self.service.issue_ticket(uid)
            self.entry["ticket_issued"] = {"uid": uid, "ticket": ticket}
            login = "kelvo(function (o) { o.SetUserInfo(%s, %s); });" % (
                json.dumps(uid), json.dumps(ticket))
        form = ("<form method=\"get\"><p>手机号码：<input name=\"uid\" id=\"uid\" value=\"%s\">"
                "<button type=\"submit\" id=\"login\">登录</button></p></form>"
                "<p>文件：<input id=\"filename\" size=\"40\">"
                "<button type=\"button\" id=\"open\" onclick=\"openFile()\">打开</button>"
                "<button type=\"button\" id=\"close\" onclick=\"closeApp()\">关闭Kelvo</button></p>"
                "<p id=\"state\"></p>" % html.escape(uid))
        self.page("Zuvo网上登录", form + self.HAND_OVER_SCRIPT % login)

    # Control of the stand-in itself (not logged)

    def control(self, path, query):
        service = self.service
        try:
            body = self.read_body()
            request = json.loads(body.decode("utf-8")) if body else {}
        except (ValueError, UnicodeDecodeError) as error:
            self.reply(400, json.dumps({"error": str(error)}).encode(), "application/json")
            return
        answer = {"ok": True}
        if path == "/_control/script":
            service.set_rules(request, append=bool(request.get("append")))
        elif path == "/_control/reset":
            service.set_rules([])
            with service.lock:
                service.fee_reply = service.args.fee_reply
        elif path == "/_control/forget":
            # As after a restart: every login is forgotten, the users stay.
            with service.lock:
                service.sessions.clear()
        elif path == "/_control/fee":
            with service.lock:
                service.fee_reply = request.get("reply")
        elif path == "/_control/ticket":
            answer["ticket"] = service.issue_ticket(request.get("uid", ""))
        elif path == "/_control/update":
            with service.lock:
                service.update.update(request)
        elif path == "/_control/state":
            with service.lock:
                answer.update({"codes": service.codes, "sessions": service.sessions,
                               "users": service.users, "rules": service.rules})
        else:
            self.reply(404, b"{}", "application/json")
            return
        self.reply(200, json.dumps(answer, ensure_ascii=False).encode("utf-8"),
                   "application/json; charset=utf-8")


def main():
    parser = argparse.ArgumentParser(description="Stand-in for the ring service.")
    parser.add_argument("--port", type=int, default=8765,
                        help="port on 127.0.0.1; 0 picks a free one (printed)")
    parser.add_argument("--data-dir", default="ring-service-data",
                        help="uploads, recorded bodies, material and update files")
    parser.add_argument("--log", help="JSON lines log (default DATA_DIR/requests.jsonl)")
    parser.add_argument("--script", help="JSON file of scripted replies")
    parser.add_argument("--record-bodies", action="store_true",
                        help="save every request body to DATA_DIR/bodies/SEQ.bin")
    parser.add_argument("--fee-reply", help="fixed reply to the fee query")
    args = parser.parse_args()

    Handler.service = Service(args)
    try:
        server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    except OSError as error:
        print("ring-service: cannot listen on 127.0.0.1:%d: %s" % (
            args.port, error.strerror or error), file=sys.stderr, flush=True)
        return 2
    server.daemon_threads = True
    print("ring-service listening on 127.0.0.1:%d" % server.server_address[1], flush=True)
    print("base address http://127.0.0.1:%d/zuvo/, data in %s, log %s" % (
        server.server_address[1], Handler.service.data_dir, Handler.service.log_path),
        flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
