#!/usr/bin/env python3
"""clang-tidy over the window-free code: every file the host build compiles from the
folders below, with the host build's compile commands.

    tidy.py BUILD_HOST_DIR ROOT JOBS

A file's result is kept by content: the key is the file as the preprocessor sees it (so a
changed header counts), the tidy configurations and clang-tidy's version. A file whose key
passed before is not checked again; only passes are kept. Prints the findings and exits 1
when there are any."""
import concurrent.futures
import hashlib
import json
import os
import shlex
import subprocess
import sys

FOLDERS = ("app/", "documents/", "search/", "generation/", "widgets/", "win/")


def main():
    build, root, jobs = sys.argv[1], sys.argv[2], int(sys.argv[3])
    entries = {}
    for entry in json.load(open(os.path.join(build, "compile_commands.json"))):
        path = os.path.relpath(os.path.join(entry["directory"], entry["file"]), root)
        if path.startswith(FOLDERS) and "/fuzz/" not in path and "/bench/" not in path and path not in entries:
            entries[path] = entry
    cache = os.path.join(build, "tidy-cache")
    os.makedirs(cache, exist_ok=True)
    version = subprocess.run(["clang-tidy", "--version"], capture_output=True, text=True).stdout
    configs = ""
    for folder, _, files in os.walk(root):
        if "/build" in folder[len(root):] or "/.git" in folder[len(root):]:
            continue
        if ".clang-tidy" in files:
            configs += folder + open(os.path.join(folder, ".clang-tidy")).read()

    def key(entry):
        words = entry.get("arguments") or shlex.split(entry["command"])
        args = []
        skip = False
        for w in words:
            if skip:
                skip = False
                continue
            if w == "-o":
                skip = True
                continue
            if w == "-c":
                continue
            args.append(w)
        pre = subprocess.run(args + ["-E", "-P", "-o", "-"], cwd=entry["directory"], capture_output=True)
        digest = hashlib.sha256()
        digest.update(version.encode() + configs.encode() + " ".join(args).encode())
        digest.update(pre.stdout if pre.returncode == 0 else os.urandom(16))
        return digest.hexdigest()

    def check(path):
        entry = entries[path]
        marker = os.path.join(cache, key(entry))
        if os.path.exists(marker):
            return path, "", True
        # gcc's execution character set means nothing to clang: the literals stay UTF-8 there.
        run = subprocess.run(["clang-tidy", "-p", build, "--quiet", "--warnings-as-errors=*",
                              "--extra-arg=-fexec-charset=UTF-8", os.path.join(root, path)],
                             capture_output=True, text=True)
        findings = [line.replace(root + "/", "") for line in (run.stdout + run.stderr).splitlines()
                    if "warning:" in line or "error:" in line]
        if run.returncode == 0 and not findings:
            open(marker, "w").close()
            return path, "", False
        return path, "\n".join(findings) or run.stdout + run.stderr, False

    failed = False
    kept = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        for path, findings, cached in pool.map(check, sorted(entries)):
            kept += cached
            if findings:
                failed = True
                print(findings, file=sys.stderr)
    print(f"tidy: {len(entries)} files, {kept} unchanged since they last passed", file=sys.stderr)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
