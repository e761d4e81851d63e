#!/usr/bin/env python3
"""The Windows release files under Wine, each case in its own copy of the prepared prefix.
    installer_test.py WINE_RUN PREFIX WORKDIR CASE VERSION SETUP_EXE ZIP STAGE
installer: the silent installer puts the files, a Start menu shortcut and an Uninstall key in place,
for the user and with /AllUsers for everyone; the game installed for the user opens its window and
Escape ends it with status 0; the silent uninstaller takes all of it away, leaving the prefix as it
was apart from Wine's own bookkeeping.
portable: the zip holds the same files in one folder, and its stakmir.exe runs from the unpacked folder.
Both read the version resources: every one names VERSION."""
import os
import re
import shutil
import struct
import subprocess
import sys
import zipfile

sys.dont_write_bytecode = True  # nothing written into the source tree
import wine_window_test  # noqa: E402  (also puts the Linux window tests on the path)
import window_test as shown  # noqa: E402
from desktop import Desktop, Failure  # noqa: E402

UNINSTALL_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Stakmir"


def expected_files():
    """What a player gets: the game, the read-me and the licences (those of LICENSES/ by name)."""
    licences = sorted(os.listdir(os.path.join(shown.SOURCE_DIR, "LICENSES")))
    return {"stakmir.exe", "README.txt", "LICENSE.txt"} | {"LICENSES/" + name for name in licences}


def files_below(folder):
    return {os.path.relpath(os.path.join(d, f), folder).replace(os.sep, "/")
            for d, _, names in os.walk(folder) for f in names}


def check_same_files(folder, stage, extra=()):
    """The folder holds the staged files byte for byte, and nothing else but `extra`."""
    have, want = files_below(folder), expected_files() | set(extra)
    if have != want:
        raise Failure(f"{folder} holds {sorted(have)}, not {sorted(want)}")
    for name in expected_files():
        with open(os.path.join(folder, name), "rb") as a, open(os.path.join(stage, name), "rb") as b:
            if a.read() != b.read():
                raise Failure(f"{name} differs from the staged file")


def check_version(path, version):
    """The version resource names `version`, as numbers (major.minor.0.0) and as ProductVersion."""
    with open(path, "rb") as f:
        data = f.read()
    fixed = data.find(struct.pack("<I", 0xFEEF04BD))  # VS_FIXEDFILEINFO's signature
    key = data.find("ProductVersion\0".encode("utf-16-le"))
    if fixed < 0 or key < 0:
        raise Failure(f"{path} has no version resource")
    numbers = struct.unpack_from("<HHHH", data, fixed + 8)  # minor, major, then 0, 0
    value = key + len("ProductVersion\0") * 2
    value += -value % 4  # the value starts on a 32-bit boundary
    text = data[value:data.index(b"\0\0", value) + 1].decode("utf-16-le")
    if text != version or ".".join(map(str, (numbers[1], numbers[0], numbers[3], numbers[2]))) != version + ".0.0":
        raise Failure(f"{os.path.basename(path)} is of version {text} {numbers}, not {version}")


# ---- The prefix: files and registry ----

def read_registry(path):
    """{key: {value name: raw value text}} of a Wine registry file (a value may span lines)."""
    keys, key, last = {}, None, None
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            header = re.match(r"^\[(.*)\](?: \d+)?$", line)
            value = re.match(r'^("(?:[^"\\]|\\.)*"|@)=(.*)$', line)
            if header:
                key, last = header.group(1).replace("\\\\", "\\"), None
                keys[key] = {}
            elif key is not None and value:
                last = value.group(1)
                keys[key][last] = value.group(2)
            elif key is not None and last and line.startswith("  "):
                keys[key][last] += line.strip()  # the continuation of a long hexadecimal value
    return keys


def string_value(raw):
    if not raw.startswith('"'):
        return raw
    return re.sub(r"\\(.)", r"\1", raw[1:-1])


def snapshot(prefix):
    """The prefix's files and folders, and its two registry files, with the server flushed."""
    wine_server(prefix, "-w")
    drive = os.path.join(prefix, "drive_c")
    folders = {os.path.relpath(d, drive) for d, _, _ in os.walk(drive)}
    return {"files": files_below(drive), "folders": folders,
            "user": read_registry(os.path.join(prefix, "user.reg")),
            "machine": read_registry(os.path.join(prefix, "system.reg"))}


def check_as_before(before, after):
    """No file left, no folder but empty ones in the temporary folder (the uninstaller's copy of
    itself runs there and is deleted at the next start, with its folder when it can), and the
    registry as it was, apart from Wine's own keys, the device keys it rewrites at every start and
    the list of sound devices it writes when a program first opens one (the game plays sound)."""
    if after["files"] != before["files"]:
        raise Failure(f"files left or lost: {sorted(after['files'] ^ before['files'])}")
    extra = after["folders"] - before["folders"]
    if before["folders"] - after["folders"] or any(not re.match(r"^users/[^/]+/Temp/[^/]+$", f) for f in extra):
        raise Failure(f"folders left or lost: {sorted(after['folders'] ^ before['folders'])}")
    user = {k for k in before["user"].keys() | after["user"].keys()
            if not k.startswith("Software\\Wine") and before["user"].get(k) != after["user"].get(k)}
    if user:
        raise Failure(f"HKEY_CURRENT_USER keys added, removed or changed: {sorted(user)}")
    added = {k for k in after["machine"].keys() - before["machine"].keys()
             if not k.startswith("Software\\Microsoft\\Windows\\CurrentVersion\\MMDevices\\")}
    named = [k for k, values in after["machine"].items() if "stakmir" in (k + repr(values)).lower()]
    if added or named:
        raise Failure(f"HKEY_LOCAL_MACHINE keys added or naming Stakmir: {sorted(added | set(named))}")


def wine_server(prefix, *arguments):
    subprocess.run(["wineserver", *arguments], env=dict(os.environ, WINEPREFIX=prefix), capture_output=True,
                   timeout=120)


def wine(wine_run, prefix, desktop, *command):
    """Runs a Windows program to its end; returns its exit status."""
    return subprocess.run([wine_run, prefix, *command], env=desktop.env, capture_output=True, timeout=120).returncode


# ---- The shortcut ----

def read_shortcut(path):
    """{"target", "name", "folder", "icon"} of a shell link (.lnk) file."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"L\0\0\0":
        raise Failure(f"{path} is not a shell link")
    flags = struct.unpack_from("<I", data, 0x14)[0]
    at, link = 0x4C, {}
    if flags & 0x1:  # the item list of the target
        at += 2 + struct.unpack_from("<H", data, at)[0]
    if flags & 0x2:  # LinkInfo, with the target's local path
        size, _, info_flags, _, path_at = struct.unpack_from("<IIIII", data, at)
        if info_flags & 0x1:
            link["target"] = data[at + path_at:data.index(b"\0", at + path_at)].decode("latin-1")
        at += size
    unicode = flags & 0x80
    for bit, field in [(0x4, "name"), (0x8, "relative"), (0x10, "folder"), (0x20, "arguments"), (0x40, "icon")]:
        if flags & bit:
            count = struct.unpack_from("<H", data, at)[0]
            size = count * (2 if unicode else 1)
            text = data[at + 2:at + 2 + size].decode("utf-16-le" if unicode else "latin-1")
            link[field] = text.rstrip("\0")  # Wine counts the terminating null in
            at += 2 + size
    return link


# ---- The cases ----

def user_name(prefix):
    users = [u for u in os.listdir(os.path.join(prefix, "drive_c", "users")) if u != "Public"]
    if len(users) != 1:
        raise Failure(f"cannot tell the prefix's user among {users}")
    return users[0]


def run_game(desktop, command, outdir, while_running=lambda: None):
    """The game opens its window and shows the help text; Escape ends it with status 0."""
    game = wine_window_test.WineGame(desktop, command, outdir)
    try:
        shown.wait_start_screen(game)
        game.grab("help")
        while_running()
        game.focus()
        desktop.key("Escape")
        game.expect_exit("Escape")
    finally:
        game.stop()


def check_installed(prefix, scope, folder, start_menu, version, stage):
    """The files, the Uninstall key in the scope's registry file and the Start menu shortcut.
    `folder` and `start_menu` are Windows paths below C:; returns the installed folder."""
    def unix(path):
        return os.path.join(prefix, "drive_c", *path[len("C:\\"):].split("\\"))
    installed = unix(folder)
    check_same_files(installed, stage, extra={"uninstall.exe"})
    check_version(os.path.join(installed, "stakmir.exe"), version)

    values = {name.strip('"'): string_value(raw) for name, raw in snapshot(prefix)[scope].get(UNINSTALL_KEY, {}).items()}
    want = {"DisplayName": "Stakmir", "DisplayVersion": version, "Publisher": "The Stakmir developers",
            "DisplayIcon": folder + "\\stakmir.exe,0", "InstallLocation": folder,
            "UninstallString": f'"{folder}\\uninstall.exe"', "QuietUninstallString": f'"{folder}\\uninstall.exe" /S'}
    wrong = {name: values.get(name) for name, value in want.items() if values.get(name) != value}
    if wrong:
        raise Failure(f"the Uninstall key in the {scope}'s registry has {wrong}, not {[want[n] for n in wrong]}")
    size = int(values.get("EstimatedSize", "dword:0")[len("dword:"):], 16)
    files_kib = sum(os.path.getsize(os.path.join(installed, f)) for f in files_below(installed)) // 1024
    if abs(size - files_kib) > len(files_below(installed)):
        raise Failure(f"the Uninstall key's EstimatedSize is {size} KiB for {files_kib} KiB of files")

    shortcut = unix(start_menu + "\\Stakmir.lnk")
    if not os.path.isfile(shortcut):
        raise Failure(f"no Stakmir shortcut in {start_menu}")
    link = read_shortcut(shortcut)
    exe = folder + "\\stakmir.exe"
    if (link.get("target"), link.get("folder"), link.get("icon")) != (exe, folder, exe):
        raise Failure(f"the shortcut is {link}: not to {exe}, in its folder, with its icon")
    return installed, shortcut


def uninstall(wine_run, prefix, desktop, installed, shortcut):
    if wine(wine_run, prefix, desktop, os.path.join(installed, "uninstall.exe"), "/S") != 0:
        raise Failure("the silent uninstaller failed")
    wine_server(prefix, "-w")  # the uninstaller's copy of itself, which does the work, has ended
    if os.path.exists(installed) or os.path.exists(shortcut):
        raise Failure("the uninstaller left the program folder or the shortcut")


def case_installer(wine_run, prefix, desktop, outdir, version, setup, stage):
    check_version(setup, version)
    before = snapshot(prefix)
    user = user_name(prefix)
    # Just for the user (the default), and the game played from there.
    if wine(wine_run, prefix, desktop, setup, "/S") != 0:
        raise Failure("the silent installer failed")
    folder = f"C:\\users\\{user}\\AppData\\Local\\Programs\\Stakmir"
    start_menu = f"C:\\users\\{user}\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"
    installed, shortcut = check_installed(prefix, "user", folder, start_menu, version, stage)

    def while_running():
        """The running game cannot be replaced or deleted: the installer must say it failed, and
        the uninstaller (here run in place, so that its status is its own) remove nothing."""
        if wine(wine_run, prefix, desktop, setup, "/S") == 0:
            raise Failure("the installer reported success while the game it had to replace was running")
        if wine(wine_run, prefix, desktop, os.path.join(installed, "uninstall.exe"), "/S", "_?=" + folder) == 0:
            raise Failure("the uninstaller reported success while the game was running")
    run_game(desktop, [wine_run, prefix, os.path.join(installed, "stakmir.exe")], outdir, while_running)
    check_installed(prefix, "user", folder, start_menu, version, stage)
    uninstall(wine_run, prefix, desktop, installed, shortcut)
    # For everyone on the computer (Wine's user is an administrator).
    if wine(wine_run, prefix, desktop, setup, "/S", "/AllUsers") != 0:
        raise Failure("the silent installer for everyone failed")
    uninstall(wine_run, prefix, desktop, *check_installed(
        prefix, "machine", "C:\\Program Files\\Stakmir",
        "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs", version, stage))
    # A restart of the Wine "computer", at which Windows deletes what the uninstaller could not
    # delete while it ran: its own copy.
    wine(wine_run, prefix, desktop, "wineboot", "-r")
    check_as_before(before, snapshot(prefix))


def case_portable(wine_run, prefix, desktop, outdir, version, archive, stage):
    unpacked = os.path.join(outdir, "unpacked")
    shutil.rmtree(unpacked, ignore_errors=True)
    with zipfile.ZipFile(archive) as z:
        names = [n for n in z.namelist() if not n.endswith("/")]
        top = os.path.basename(stage)
        if sorted(names) != sorted(f"{top}/{name}" for name in expected_files()):
            raise Failure(f"the zip holds {names}, not the files in one folder {top}/")
        z.extractall(unpacked)
    folder = os.path.join(unpacked, top)
    check_same_files(folder, stage)
    check_version(os.path.join(folder, "stakmir.exe"), version)
    run_game(desktop, [wine_run, prefix, os.path.join(folder, "stakmir.exe")], outdir)


def main():
    wine_run, prefix, workdir, case, version, setup, archive, stage = sys.argv[1:9]
    outdir = os.path.join(os.path.abspath(workdir), case)
    os.makedirs(outdir, exist_ok=True)
    own_prefix = wine_window_test.private_prefix(prefix, outdir)
    subprocess.run([wine_run, own_prefix, "--init"], check=True)
    desktop = None
    try:
        desktop = Desktop(outdir)
        if case == "installer":
            case_installer(wine_run, own_prefix, desktop, outdir, version, os.path.abspath(setup), stage)
        else:
            case_portable(wine_run, own_prefix, desktop, outdir, version, archive, stage)
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    finally:
        if desktop:
            desktop.close()
        wine_server(own_prefix, "-k")  # this prefix's Wine server and programs, and nothing else
        shutil.rmtree(own_prefix, ignore_errors=True)
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
