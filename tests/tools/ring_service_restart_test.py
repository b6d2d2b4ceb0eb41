#!/usr/bin/env python3
"""The stand-in ring service, stopped and started again on the same data
folder between uploads, keeps every earlier upload and numbers its log on."""

import hashlib
import http.client
import json
import os
import re
import subprocess
import sys
import tempfile
import unittest
import urllib.parse

SERVICE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                       "tools", "ring-service", "ring_service.py")
MOBILE = "13800000000"


class StandIn:
    def __init__(self, data_dir):
        self.process = subprocess.Popen(
            [sys.executable, SERVICE, "--port", "0", "--data-dir", data_dir,
             "--record-bodies"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        line = self.process.stdout.readline()
        match = re.search(r"listening on 127\.0\.0\.1:(\d+)", line)
        if not match:
            self.stop()
            raise RuntimeError("the stand-in did not start: %r" % line)
        self.port = int(match.group(1))
        self.cookie = None

    def stop(self):
        self.process.terminate()
        self.process.wait(10)
        self.process.stdout.close()

    def request(self, path, body=b"", content_type="application/x-www-form-urlencoded"):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        headers = {"Content-Type": content_type}
        if self.cookie:
            headers["Cookie"] = self.cookie
        connection.request("POST", path, body=body, headers=headers)
        reply = connection.getresponse()
        data = reply.read()
        cookie = reply.getheader("Set-Cookie")
        if cookie:
            self.cookie = cookie.split(";")[0]
        connection.close()
        return reply.status, data

    def log_in(self):
        self.request("/zuvo/pub/getValCode.me", urllib.parse.urlencode({"mobile": MOBILE}).encode())
        _, state = self.request("/_control/state", b"{}", "application/json")
        code = json.loads(state)["codes"][MOBILE]
        status, reply = self.request("/zuvo/login.me", urllib.parse.urlencode(
            {"loginid": MOBILE, "password": code, "client": "test"}).encode())
        assert status == 200 and reply == b"OK", reply

    def upload(self, name, ring, vox):
        boundary = "----restart-test"
        body = b""
        for key, value in (("ringLibZuvo.name", name.encode("utf-8")),
                           ("ringLibZuvo.intro", b""), ("ringLibZuvo.isshare", b"0")):
            body += ("--%s\r\nContent-Disposition: form-data; name=\"%s\"\r\n\r\n" % (
                boundary, key)).encode() + value + b"\r\n"
        for key, filename, data in (("upload", "~URING.kox", ring), ("vox", "~URING.vox", vox)):
            body += ("--%s\r\nContent-Disposition: form-data; name=\"%s\"; filename=\"%s\"\r\n"
                     "Content-Type: application/octet-stream\r\n\r\n" % (
                         boundary, key, filename)).encode() + data + b"\r\n"
        body += ("--%s--\r\n" % boundary).encode()
        return self.request("/zuvo/person/add_ringLibZuvo.me", body,
                            "multipart/form-data; boundary=" + boundary)


def read_log(data_dir):
    with open(os.path.join(data_dir, "requests.jsonl"), encoding="ascii") as f:
        return [json.loads(line) for line in f if line.strip()]


def md5(path):
    with open(path, "rb") as f:
        return hashlib.md5(f.read()).hexdigest()


class RestartTest(unittest.TestCase):
    def test_uploads_before_and_after_restarts_all_stay(self):
        rings = [(b"first ring " * 50, b"first vox"), (b"second ring " * 70, b"second vox"),
                 (b"third ring", b"third vox")]
        with tempfile.TemporaryDirectory() as data_dir:
            for index, (ring, vox) in enumerate(rings):
                # A fresh process each time, as after a restart: sessions and
                # counters in memory are gone, the folder stays.
                service = StandIn(data_dir)
                try:
                    service.log_in()
                    status, reply = service.upload("ring%d" % index, ring, vox)
                finally:
                    service.stop()
                self.assertEqual((status, reply.decode("utf-8")), (200, "OK"))

            log = read_log(data_dir)
            seqs = [entry["seq"] for entry in log]
            self.assertEqual(len(seqs), len(set(seqs)), seqs)
            self.assertEqual(seqs, sorted(seqs))

            uploads = [entry for entry in log if entry["path"] == "/zuvo/person/add_ringLibZuvo.me"]
            self.assertEqual(len(uploads), len(rings))
            folders = set()
            for entry, (ring, vox) in zip(uploads, rings):
                saved = {os.path.basename(p).split("-")[0]: p for p in entry["saved"]}
                folders.add(os.path.dirname(saved["upload"]))
                # What each log entry names is still that upload's bytes.
                self.assertEqual(md5(saved["upload"]), hashlib.md5(ring).hexdigest())
                self.assertEqual(md5(saved["vox"]), hashlib.md5(vox).hexdigest())
                self.assertTrue(os.path.isfile(entry["body_file"]))
            self.assertEqual(len(folders), len(rings))
            self.assertEqual(len(os.listdir(os.path.join(data_dir, "uploads"))), len(rings))
            bodies = [entry["body_file"] for entry in log if "body_file" in entry]
            self.assertEqual(len(bodies), len(set(bodies)))

    def test_two_stand_ins_on_one_folder_keep_both_uploads(self):
        # Both start from the same numbers, so both would name the same folder.
        with tempfile.TemporaryDirectory() as data_dir:
            first, second = StandIn(data_dir), StandIn(data_dir)
            try:
                first.log_in()
                second.log_in()
                replies = [first.upload("ring0", b"from the first", b"vox 1"),
                           second.upload("ring1", b"from the second", b"vox 2")]
            finally:
                first.stop()
                second.stop()
            self.assertEqual(replies, [(200, b"OK"), (200, b"OK")])
            uploads = [entry for entry in read_log(data_dir)
                       if entry["path"] == "/zuvo/person/add_ringLibZuvo.me"]
            kept = {}
            for entry in uploads:
                for path in entry["saved"]:
                    with open(path, "rb") as f:
                        kept[path] = f.read()
            self.assertEqual(sorted(kept.values()),
                             [b"from the first", b"from the second", b"vox 1", b"vox 2"])
            self.assertEqual(len(os.listdir(os.path.join(data_dir, "uploads"))), 2)


if __name__ == "__main__":
    unittest.main()
