#!/usr/bin/env python3
"""scripts/run --device with a pseudo-terminal standing in for a USB-RS485 adapter: --link-only
makes COMn of a scratch Wine prefix a link to the device and refuses what would go wrong.
Usage: run_device_test.py REPO_ROOT"""
import os
import pty
import shutil
import subprocess
import sys
import tempfile

root = sys.argv[1]
master, slave = pty.openpty()
dev = os.ttyname(slave)
prefix = tempfile.mkdtemp(prefix="vq-run-device-")
dosdevices = os.path.join(prefix, "dosdevices")
os.makedirs(dosdevices)
os.symlink("/dev/null", os.path.join(dosdevices, "com3"))  # a port that leads elsewhere
os.symlink(prefix + "/gone", os.path.join(dosdevices, "com4"))  # a link left behind
env = {k: v for k, v in os.environ.items() if k not in ("VQ_TEST_COM", "VQ_COM_PORT")}
env["WINEPREFIX"] = prefix

# arguments, succeeds, a text of its message, (link, where it must point afterwards or None)
cases = [
    (["--device", dev, "--com", "7", "--link-only"], True, f"COM7 is {dev}", ("com7", dev)),
    (["--com", "7", "--device", dev, "--link-only"], True, "COM7 is", ("com7", dev)),
    (["--device", dev, "--link-only"], True, "COM5 is", ("com5", dev)),
    (["--device", dev, "--com", "4", "--link-only"], True, "COM4 is", ("com4", dev)),
    (["--device", dev, "--com", "3", "--link-only"], False, "COM3 is in use", ("com3", "/dev/null")),
    (["--device", "/dev/ttyUSB-none", "--com", "8", "--link-only"], False, "does not exist", ("com8", None)),
    (["--device", "/dev/null", "--com", "8", "--link-only"], False, "not a serial port", ("com8", None)),
    (["--device", prefix, "--com", "8", "--link-only"], False, "not a serial device", ("com8", None)),
    (["--device", dev, "--com", "0", "--link-only"], False, "from 1 to 256", ("com8", None)),
    (["--device", dev, "--com", "8", "01,4652,ascii,9600"], False, "for the simulator", ("com8", None)),
    (["--link-only"], False, "goes with --device", ("com8", None)),
]
failures = 0
for args, ok, text, (link, target) in cases:
    p = subprocess.run([os.path.join(root, "scripts/run")] + args, env=env, stdin=subprocess.DEVNULL,
                       capture_output=True, text=True, timeout=30)
    path = os.path.join(dosdevices, link)
    got = os.readlink(path) if os.path.islink(path) else None
    if (p.returncode == 0) != ok or text not in p.stderr or got != target:
        failures += 1
        print(f"FAIL {' '.join(args)}: status {p.returncode}, {link} -> {got}\n{p.stderr}")
shutil.rmtree(prefix)
print(f"{len(cases) - failures} of {len(cases)} cases passed")
sys.exit(1 if failures else 0)
