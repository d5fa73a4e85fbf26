#!/usr/bin/env python3
"""Makes the archives of the zip component's tests. Run once from anywhere; the archives
are committed beside this script, so the tests never depend on the machine's zip.

The corpus/ archives are made with Debian's zip (Info-ZIP 3.0) from text kept in the
repository, with fixed file times. The hostile/ archives are written with Python's zipfile
module and patched byte by byte where a field must lie.
"""
import os
import shutil
import struct
import subprocess
import tempfile
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(os.path.join(HERE, "..", "..", ".."))
CORPUS = os.path.join(HERE, "corpus")
HOSTILE = os.path.join(HERE, "hostile")


def run(*args, cwd, stdin=None):
    subprocess.run(args, cwd=cwd, check=True, input=stdin)


def make_corpus():
    os.makedirs(CORPUS, exist_ok=True)
    tmp = tempfile.mkdtemp()
    try:
        src = os.path.join(tmp, "in")
        os.makedirs(os.path.join(src, "sub"))
        shutil.copy(os.path.join(ROOT, "README.md"), os.path.join(src, "readme.txt"))
        with open(os.path.join(ROOT, "docs", "architecture.md"), "rb") as f:
            text = f.read(6000)
        with open(os.path.join(src, "sub", "notes.txt"), "wb") as f:
            f.write(text)
        open(os.path.join(src, "empty.txt"), "wb").close()
        for p in ["readme.txt", "sub/notes.txt", "empty.txt", "sub"]:
            os.utime(os.path.join(src, p), (1709288430, 1709288430))  # 2024-03-01 10:20:30 UTC
        os.chmod(os.path.join(src, "readme.txt"), 0o644)
        os.chmod(os.path.join(src, "sub", "notes.txt"), 0o640)

        def z(name, *args, stdin=None):
            out = os.path.join(tmp, name)
            if os.path.exists(out):
                os.remove(out)
            run("zip", "-q", out, *args, cwd=src, stdin=stdin)
            return out

        env_tz = os.environ.get("TZ")
        os.environ["TZ"] = "UTC"
        try:
            outputs = {
                "plain.zip": z("plain.zip", "-X", "readme.txt", "sub/notes.txt"),
                "extra.zip": z("extra.zip", "readme.txt", "sub/"),
                "stored.zip": z("stored.zip", "-0", "-X", "readme.txt", "empty.txt"),
                "encrypted.zip": z("encrypted.zip", "-X", "-P", "secret", "readme.txt"),
            }
            commented = z("commented.zip", "-X", "readme.txt", "sub/notes.txt")
            run("zip", "-q", "-z", commented, cwd=src, stdin=b"An archive comment\nof two lines")
            run("zip", "-q", "-c", commented, "readme.txt", "sub/notes.txt", cwd=src,
                stdin=b"the read-me\nsome notes\n")
            outputs["commented.zip"] = commented
            # Written to a pipe: sizes and CRC follow the data in data descriptors.
            streamed = os.path.join(tmp, "streamed.zip")
            with open(streamed, "wb") as out:
                p = subprocess.run(["sh", "-c", "zip -q - readme.txt sub/notes.txt | cat"], cwd=src,
                                   check=True, stdout=subprocess.PIPE)
                out.write(p.stdout)
            outputs["streamed.zip"] = streamed
        finally:
            if env_tz is None:
                del os.environ["TZ"]
            else:
                os.environ["TZ"] = env_tz

        for name, path in outputs.items():
            shutil.copy(path, os.path.join(CORPUS, name))
        plain = open(outputs["plain.zip"], "rb").read()
        stub = b"#!/bin/sh\necho this is not a real stub\nexit 1\n" + bytes(range(256)) * 2
        # Leading bytes left as they are: the stored offsets no longer match.
        open(os.path.join(CORPUS, "leading.zip"), "wb").write(stub + plain)
        # Leading bytes with the offsets moved (zip -A).
        adjusted = os.path.join(tmp, "adjusted.zip")
        open(adjusted, "wb").write(stub + plain)
        run("zip", "-q", "-A", adjusted, cwd=src)
        shutil.copy(adjusted, os.path.join(CORPUS, "adjusted.zip"))
        # Zero padding up to a multiple of 512 bytes.
        pad = -len(plain) % 512
        open(os.path.join(CORPUS, "padded.zip"), "wb").write(plain + b"\0" * pad)
        # Bytes after the end record that are not padding.
        open(os.path.join(CORPUS, "garbage.zip"), "wb").write(plain + b"trailing words, not an archive")
        # The 22-byte empty archive.
        open(os.path.join(CORPUS, "empty.zip"), "wb").write(b"PK\x05\x06" + b"\0" * 18)
    finally:
        shutil.rmtree(tmp)


def entry(name, data, external=None, system=3, method=zipfile.ZIP_DEFLATED):
    info = zipfile.ZipInfo(name, date_time=(2024, 3, 1, 10, 20, 30))
    info.compress_type = method
    info.create_system = system
    info.external_attr = (0o100644 << 16) if external is None else external
    return info, data


def write(path, entries):
    with zipfile.ZipFile(path, "w") as z:
        for info, data in entries:
            z.writestr(info, data)


def patch(path, name, field, value, fmt):
    """Writes `value` into `field` (offset within the header) of the local and central headers of `name`."""
    data = bytearray(open(path, "rb").read())
    raw = name.encode()
    for sig, header, name_at in ((b"PK\x03\x04", 30, 26), (b"PK\x01\x02", 46, 28)):
        pos = 0
        while True:
            pos = data.find(sig, pos)
            if pos < 0:
                break
            n = struct.unpack_from("<H", data, pos + name_at)[0]
            if data[pos + header:pos + header + n] == raw:
                at = field if sig == b"PK\x03\x04" else {14: 16, 18: 20, 22: 24}[field]
                struct.pack_into(fmt, data, pos + at, value)
            pos += 4
    open(path, "wb").write(data)


def make_hostile():
    os.makedirs(HOSTILE, exist_ok=True)
    text = open(os.path.join(ROOT, "README.md"), "rb").read()[:2000]
    write(os.path.join(HOSTILE, "dotdot.zip"), [
        entry("../escape.txt", text),
        entry("sub/../../escape2.txt", text),
        entry("..\\..\\backslash.txt", text),
        entry("ok.txt", text),
    ])
    write(os.path.join(HOSTILE, "absolute.zip"), [
        entry("/tmp/dossara-absolute-escape.txt", text),
        entry("C:/drive.txt", text),
        entry("c:\\windows.txt", text),
        entry("ok.txt", text),
    ])
    write(os.path.join(HOSTILE, "link.zip"), [
        entry("outside", b"..", external=0o120777 << 16, method=zipfile.ZIP_STORED),
        entry("outside/through-link.txt", text),
        entry("etc", b"/etc", external=0o120777 << 16, method=zipfile.ZIP_STORED),
        entry("ok.txt", text),
    ])
    with zipfile.ZipFile(os.path.join(HOSTILE, "duplicate.zip"), "w") as z:
        import warnings
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            z.writestr(entry("same.txt", b"first\n")[0], b"first\n")
            z.writestr(entry("same.txt", b"second\n")[0], b"second\n")
            z.writestr(entry("ok.txt", text)[0], text)
    path = os.path.join(HOSTILE, "badcrc.zip")
    write(path, [entry("bad.txt", text), entry("ok.txt", text)])
    patch(path, "bad.txt", 14, zlib.crc32(text) ^ 0x5A5A5A5A, "<I")
    path = os.path.join(HOSTILE, "longsize.zip")
    write(path, [entry("long.txt", text, method=zipfile.ZIP_STORED), entry("ok.txt", text)])
    patch(path, "long.txt", 22, len(text) + 1000, "<I")
    path = os.path.join(HOSTILE, "shortsize.zip")
    write(path, [entry("short.txt", text), entry("ok.txt", text)])
    patch(path, "short.txt", 22, len(text) // 2, "<I")


if __name__ == "__main__":
    make_corpus()
    make_hostile()
