#!/usr/bin/env python3
"""Builds the help file with chmcmd: staging of the sources and edits of the result.

  helpfile.py stage SOURCE_DIR STAGE_DIR
      Copies the help sources into STAGE_DIR (emptied first). Text sources (.hhp, .hhc,
      .hhk, .htm, .html, .css) are kept as UTF-8 in the repository and written in Shift-JIS
      (code page 932), the code page of a Japanese help file; a charset declaration of
      UTF-8 becomes Shift_JIS.

  helpfile.py tidy-topics CHM SOURCE_DIR
      chmcmd 3.2 stores the topic names of the context map ("#STRINGS", referred to by
      "#IVB") as absolute paths of the machine that built the file. This rewrites each of
      them in place to its name inside the help file ("list.htm"): the shorter name is
      padded with NUL bytes so every other offset into "#STRINGS" stays valid. The stream
      is then stored uncompressed. Fails (exit 1) on any name outside SOURCE_DIR.

  helpfile.py put CHM NAME FILE
      Stores the bytes of FILE as stream NAME ("#IVB", "#STRINGS", ...), uncompressed,
      replacing the existing entry. Used to build deliberately malformed help files.

  helpfile.py put-words CHM NAME WORD... [-- NAME WORD...]...
      Stores the 32-bit little-endian words given (decimal or 0x hex) as stream NAME;
      further streams follow after "--".

  helpfile.py get CHM NAME FILE
      Extracts stream NAME into FILE (through chmls, which decompresses).

Only the directory entry of the stream changes; the old bytes stay unreferenced.
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile


class ChmError(Exception):
    pass


def read_encint(data, pos):
    value = 0
    while True:
        if pos >= len(data):
            raise ChmError("directory entry runs past its chunk")
        b = data[pos]
        pos += 1
        value = (value << 7) | (b & 0x7F)
        if not b & 0x80:
            return value, pos


def write_encint(value):
    groups = [value & 0x7F]
    value >>= 7
    while value:
        groups.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(groups))


class Chm:
    CHUNK_HEADER = 20  # "PMGL", free space, unknown, previous chunk, next chunk

    def __init__(self, path):
        self.path = path
        with open(path, "rb") as f:
            self.data = bytearray(f.read())
        d = self.data
        if d[0:4] != b"ITSF":
            raise ChmError("not a compiled help file")
        version, header_len = struct.unpack_from("<II", d, 4)
        if version != 3 or header_len < 0x60:
            raise ChmError("unsupported ITSF header version %d" % version)
        self.section0_header, _ = struct.unpack_from("<QQ", d, 0x38)
        self.dir_offset, self.dir_length = struct.unpack_from("<QQ", d, 0x48)
        (self.content_offset,) = struct.unpack_from("<Q", d, 0x58)
        if d[self.dir_offset:self.dir_offset + 4] != b"ITSP":
            raise ChmError("directory header missing")
        itsp_len, = struct.unpack_from("<I", d, self.dir_offset + 8)
        self.chunk_size, = struct.unpack_from("<I", d, self.dir_offset + 0x10)
        self.first_pmgl, = struct.unpack_from("<i", d, self.dir_offset + 0x20)
        self.chunks_offset = self.dir_offset + itsp_len

    def chunk_at(self, index):
        start = self.chunks_offset + index * self.chunk_size
        if start + self.chunk_size > len(self.data):
            raise ChmError("directory chunk %d outside the file" % index)
        return start

    def listing_chunks(self):
        index = self.first_pmgl
        seen = set()
        while index != -1:
            if index in seen:
                raise ChmError("directory chunks form a loop")
            seen.add(index)
            start = self.chunk_at(index)
            if self.data[start:start + 4] != b"PMGL":
                raise ChmError("listing chunk %d has no PMGL signature" % index)
            yield index, start
            index, = struct.unpack_from("<i", self.data, start + 16)

    def entries(self, start):
        chunk = self.data[start:start + self.chunk_size]
        count, = struct.unpack_from("<H", chunk, self.chunk_size - 2)
        pos = self.CHUNK_HEADER
        result = []
        for _ in range(count):
            name_len, pos = read_encint(chunk, pos)
            name = bytes(chunk[pos:pos + name_len])
            pos += name_len
            section, pos = read_encint(chunk, pos)
            offset, pos = read_encint(chunk, pos)
            length, pos = read_encint(chunk, pos)
            result.append([name, section, offset, length])
        return result

    def write_entries(self, start, entries):
        """Lays the entries out again as chmcmd does: a quickref word for every fifth entry."""
        size = self.chunk_size
        chunk = bytearray(size)
        chunk[0:self.CHUNK_HEADER] = self.data[start:start + self.CHUNK_HEADER]
        pos = self.CHUNK_HEADER
        quickrefs = []
        for i, (name, section, offset, length) in enumerate(entries, 1):
            blob = write_encint(len(name)) + name + write_encint(section) + write_encint(offset) + write_encint(length)
            if pos + len(blob) >= size - 2 * (len(quickrefs) + 2):
                raise ChmError("directory chunk is full")
            chunk[pos:pos + len(blob)] = blob
            pos += len(blob)
            if i % 5 == 0:
                quickrefs.append(pos - len(blob) - self.CHUNK_HEADER)
        for n, value in enumerate(quickrefs, 1):
            struct.pack_into("<H", chunk, size - 2 - 2 * n, value)
        struct.pack_into("<H", chunk, size - 2, len(entries))
        struct.pack_into("<I", chunk, 4, size - pos)
        self.data[start:start + size] = chunk

    def names(self):
        return {entry[0].decode("utf-8", "replace") for _, start in self.listing_chunks()
                for entry in self.entries(start)}

    def put(self, name, payload):
        key = name.encode("utf-8")
        if not key.startswith(b"/"):
            key = b"/" + key
        for _, start in self.listing_chunks():
            entries = self.entries(start)
            for entry in entries:
                if entry[0] == key:
                    # Section 0 runs from the content offset to the end of the file.
                    entry[1] = 0
                    entry[2] = len(self.data) - self.content_offset
                    entry[3] = len(payload)
                    self.write_entries(start, entries)
                    self.data += payload
                    struct.pack_into("<Q", self.data, self.section0_header + 8, len(self.data))
                    return
        raise ChmError("no stream %s in %s" % (name, self.path))

    def save(self):
        tmp = self.path + ".tmp"
        with open(tmp, "wb") as f:
            f.write(self.data)
        os.replace(tmp, self.path)


def get_stream(chm, name, out):
    if not name.startswith("/"):
        name = "/" + name
    if os.path.exists(out):
        os.remove(out)
    done = subprocess.run(["chmls", "extract", chm, name, out], stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT)
    if done.returncode != 0 or not os.path.exists(out):
        raise ChmError("chmls could not extract %s from %s: %s" % (name, chm, done.stdout.decode(errors="replace")))


def tidy_topics(chm_path, source_dir):
    prefix = os.path.realpath(source_dir).encode("utf-8").rstrip(b"/") + b"/"
    with tempfile.TemporaryDirectory() as tmp:
        ivb_file = os.path.join(tmp, "ivb")
        strings_file = os.path.join(tmp, "strings")
        if "/#IVB" not in Chm(chm_path).names():
            return  # no context map, nothing to tidy
        get_stream(chm_path, "#IVB", ivb_file)
        get_stream(chm_path, "#STRINGS", strings_file)
        ivb = open(ivb_file, "rb").read()
        strings = bytearray(open(strings_file, "rb").read())
    words = struct.unpack_from("<%dI" % (len(ivb) // 4), ivb)
    offsets = sorted({words[i + 1] for i in range(1, len(words) - 1, 2)})
    for offset in offsets:
        end = strings.find(b"\0", offset)
        if offset >= len(strings) or end < 0:
            raise ChmError("#IVB points outside #STRINGS (offset %d)" % offset)
        name = bytes(strings[offset:end])
        if not name.startswith(b"/"):
            continue  # already a name inside the file
        real = os.path.realpath(name.decode("utf-8")).encode("utf-8")
        if not real.startswith(prefix):
            raise ChmError("topic %r lies outside %s" % (name, source_dir))
        inner = real[len(prefix):]
        strings[offset:end] = inner + b"\0" * (len(name) - len(inner))
    chm = Chm(chm_path)
    chm.put("#STRINGS", bytes(strings))
    chm.save()


TEXT_SUFFIXES = (".hhp", ".hhc", ".hhk", ".htm", ".html", ".css")


def stage(source_dir, stage_dir):
    if os.path.isdir(stage_dir):
        shutil.rmtree(stage_dir)
    os.makedirs(stage_dir)
    for root, dirs, files in os.walk(source_dir):
        rel = os.path.relpath(root, source_dir)
        target = os.path.normpath(os.path.join(stage_dir, rel))
        os.makedirs(target, exist_ok=True)
        for name in files:
            src = os.path.join(root, name)
            dst = os.path.join(target, name)
            if name.lower().endswith(TEXT_SUFFIXES):
                with open(src, "r", encoding="utf-8") as f:
                    text = f.read()
                text = re.sub(r"charset\s*=\s*utf-8", "charset=Shift_JIS", text, flags=re.IGNORECASE)
                try:
                    data = text.encode("cp932")
                except UnicodeEncodeError as e:
                    raise ChmError("%s: character not in Shift-JIS: %r" % (src, text[e.start:e.end]))
                with open(dst, "wb") as f:
                    f.write(data)
            else:
                shutil.copyfile(src, dst)


def main(argv):
    try:
        if len(argv) == 3 and argv[0] == "stage":
            stage(argv[1], argv[2])
        elif len(argv) == 3 and argv[0] == "tidy-topics":
            tidy_topics(argv[1], argv[2])
        elif len(argv) == 4 and argv[0] == "put":
            chm = Chm(argv[1])
            with open(argv[3], "rb") as f:
                chm.put(argv[2], f.read())
            chm.save()
        elif len(argv) >= 3 and argv[0] == "put-words":
            chm = Chm(argv[1])
            groups = [[]]
            for arg in argv[2:]:
                if arg == "--":
                    groups.append([])
                else:
                    groups[-1].append(arg)
            for group in groups:
                if not group:
                    raise ChmError("put-words needs a stream name")
                words = [int(w, 0) for w in group[1:]]
                chm.put(group[0], struct.pack("<%dI" % len(words), *words))
            chm.save()
        elif len(argv) == 4 and argv[0] == "get":
            get_stream(argv[1], argv[2], argv[3])
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except (ChmError, OSError, subprocess.CalledProcessError) as e:
        print("helpfile: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
