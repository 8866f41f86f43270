#!/usr/bin/env python3
"""The host side of the QEMU guest test: splits what the guest wrote on its second serial port
into sections, and judges them against smartctl, the QEMU command line and the disk images.

  check.py error-sector <range-sectors> <first> <last>
      a sector in [first, last] that the migration's speed probe never reads (readahead margin
      included), for the read error the host injects
  check.py main <run-dir> <results.log> <facts.json>
  check.py readerror <run-dir> <results.log> <facts.json>
  check.py cutcopy <run-dir> <results.log> <facts.json>
  check.py cutdone <run-dir> <results.log> <facts.json>
  check.py bench <run-dir> <results.log> <facts.json>

Each check prints one line, "ok" or "FAIL", and the deviations found; the exit status is 1 when
any check failed. facts.json holds what the host set up: the QEMU identity strings, the image
paths, the partition layout, the throttle, the host's tramsik-cli. The bench mode also writes the
benchmark's figures to the file that facts.json names.
"""
import json
import os
import re
import subprocess
import sys

failures = []


def check(ok, what, detail=""):
    print(f"  {'ok  ' if ok else 'FAIL'}  {what}" + (f": {detail}" if detail and not ok else ""))
    if not ok:
        failures.append(what)
    return ok


def note(text):
    print(f"  note  {text}")


def sections(results_path):
    """{name: (rc, text)} of the guest's "@@@ begin"/"@@@ end" sections, rc None for one that the
    power cut ended; "fatal" when init failed; each other "@@@ NAME" line as NAME."""
    found, name, lines = {}, None, []
    text = open(results_path, "rb").read().decode("utf-8", "replace").replace("\r", "")
    for line in text.split("\n"):
        if line.startswith("@@@ begin "):
            name, lines = line[len("@@@ begin ") :], []
        elif line.startswith("@@@ end ") and name:
            rc = int(line.rsplit("rc=", 1)[1])
            found[name] = (rc, "\n".join(lines) + ("\n" if lines else ""))
            name = None
        elif line.startswith("@@@ fatal"):
            found["fatal"] = (1, line)
        elif name is not None:
            lines.append(line)
        elif line.startswith("@@@ "):
            found[line[len("@@@ ") :]] = (0, "")
    if name is not None:
        found[name] = (None, "\n".join(lines))
    return found


def save_sections(run_dir, found, prefix):
    folder = os.path.join(run_dir, prefix)
    os.makedirs(folder, exist_ok=True)
    for name, (rc, text) in found.items():
        with open(os.path.join(folder, name), "w") as out:
            out.write(text)


def json_of(found, name):
    try:
        return json.loads(found[name][1])
    except (KeyError, ValueError):
        return None


def probe_windows(range_sectors):
    """The sector windows the migration's speed probe reads: twelve positions spread over the
    range, eight 128-sector chunks each (the copy engine's sampleSpeedPositions)."""
    step = (((range_sectors // 12) | 1) - 2) % 2**64
    lead = ((step // 2) & ~1) + 4
    windows = []
    for j in range(1, 13):
        position = (j * step - lead) % 2**64
        if position < range_sectors:
            windows.append((position, min(range_sectors, position + 8 * 128)))
    return windows


def error_sector(range_sectors, first, last):
    # Readahead may pull a few hundred KiB past a read; keep 8 MiB away from every window.
    margin = 16384
    windows = probe_windows(range_sectors)
    for sector in range(last - 8, first, -2048):
        if all(sector + margin < start or sector - margin >= end for start, end in windows):
            return sector
    raise SystemExit("check.py: no sector outside the speed probe's reach")


def sgdisk(*args):
    done = subprocess.run(["sgdisk", *args], capture_output=True, text=True)
    return done.returncode, done.stdout + done.stderr


def partition_rows(text):
    """[(number, first, last, code, name)] as sgdisk -p prints them."""
    rows = []
    for line in text.splitlines():
        m = re.match(r"\s+(\d+)\s+(\d+)\s+(\d+)\s+\S+ \S+\s+(\w+)\s+(.*)$", line)
        if m:
            rows.append((int(m[1]), int(m[2]), int(m[3]), m[4], m[5].strip()))
    return rows


def partitions(image):
    return partition_rows(sgdisk("-p", image)[1])


def check_no_table(sgdisk_text, what):
    # sgdisk finds no table when it starts a new GPT in memory, scans no MBR and lists nothing.
    check("Creating new GPT entries" in sgdisk_text and "MBR:" not in sgdisk_text
          and not partition_rows(sgdisk_text), what, sgdisk_text.strip()[:400])


def partition_details(image, number):
    _, text = sgdisk("-i", str(number), image)
    keep = ("Partition GUID code", "Partition unique GUID", "First sector", "Last sector",
            "Attribute flags", "Partition name")
    return [line for line in text.splitlines() if line.startswith(keep)]


def chunk_pairs(a, b, first_sector, end_sector):
    """(byte offset, bytes of a, bytes of b) of two images in [first_sector, end_sector), a MiB
    at a time."""
    chunk = 2048 * 512
    with open(a, "rb") as fa, open(b, "rb") as fb:
        fa.seek(first_sector * 512)
        fb.seek(first_sector * 512)
        at = first_sector * 512
        end = end_sector * 512
        while at < end:
            size = min(chunk, end - at)
            yield at, fa.read(size), fb.read(size)
            at += size


def same_bytes(a, b, first_sector, end_sector):
    """The first differing sector of two images in [first_sector, end_sector), or None."""
    for at, da, db in chunk_pairs(a, b, first_sector, end_sector):
        if da != db:
            for i in range(min(len(da), len(db))):
                if da[i] != db[i]:
                    return (at + i) // 512
            return (at + min(len(da), len(db))) // 512
    return None


def data_held(source, target, first_sector, end_sector):
    """(MiB chunks of the source in [first_sector, end_sector) that hold data, how many of them
    the target holds too); zero chunks say nothing of a copy."""
    pairs = [(ds, dt) for _, ds, dt in chunk_pairs(source, target, first_sector, end_sector)
             if ds.count(0) != len(ds)]
    return len(pairs), sum(ds == dt for ds, dt in pairs)


def raw_hex(value):
    return f"{value:012X}"


def check_identity(drive, facts_of, label):
    if not check(drive is not None, f"{label}: listed in the report"):
        return
    for key, expected in facts_of.items():
        check(drive[key] == expected, f"{label}: {key} {drive[key]!r} equals {expected!r}",
              f"report has {drive[key]!r}")


def check_migrated(found, what):
    rc, output = found.get("migrate", (None, ""))
    check(rc == 0 and "System data migration is completed" in output, what,
          f"status {rc}: {output[-300:]}")


def judge_main(found, facts):
    devices = found.get("devices", (1, ""))[1].split("\n", 1)[0]
    check(re.fullmatch(r"sata=/dev/sd\w+ usb=/dev/sd\w+ nvme=/dev/nvme0", devices) is not None,
          "the guest sees the SATA, USB and NVMe disks", devices)
    report = json_of(found, "report-json")
    if not check(report is not None and found["report-json"][0] == 0,
                 "report --json ran and printed JSON", found.get("report-json", (None, ""))[1][-400:]):
        return
    drives = report["drives"]
    sata_smart = json_of(found, "smartctl-sata") or {}
    nvme_smart = json_of(found, "smartctl-nvme") or {}
    usb_smart = json_of(found, "smartctl-usb") or {}

    sata = next((d for d in drives if d["model"] == facts["sataModel"]), None)
    # The management object's model too: the inventory's name of the disk must be the whole one.
    check_identity(sata, {"model": facts["sataModel"], "serialNumber": facts["sataSerial"],
                          "firmwareRev": facts["sataFirmware"], "wmiModel": facts["sataModel"]},
                   "SATA vs QEMU command line")
    check_identity(sata, {"model": sata_smart.get("model_name"),
                          "serialNumber": sata_smart.get("serial_number"),
                          "firmwareRev": sata_smart.get("firmware_version")}, "SATA vs smartctl")
    nvme = next((d for d in drives if d["model"] == nvme_smart.get("model_name")), None)
    check_identity(nvme, {"serialNumber": facts["nvmeSerial"]}, "NVMe vs QEMU command line")
    check_identity(nvme, {"model": nvme_smart.get("model_name"),
                          "serialNumber": nvme_smart.get("serial_number"),
                          "firmwareRev": nvme_smart.get("firmware_version")}, "NVMe vs smartctl")

    if sata:
        table = sata_smart.get("ata_smart_attributes", {}).get("table", [])
        ours = {a["id"]: a for a in sata["attributes"] if a["id"] != 0}
        check(len(table) > 0, "smartctl -A lists SATA attributes")
        check(sorted(ours) == sorted(a["id"] for a in table),
              "SATA: the same attribute ids as smartctl -A",
              f"report {sorted(ours)}, smartctl {sorted(a['id'] for a in table)}")
        for row in table:
            mine = ours.get(row["id"])
            theirs = {"current": row["value"], "worst": row["worst"], "threshold": row["thresh"],
                      "raw": raw_hex(row["raw"]["value"])}
            got = {k: mine[k] for k in theirs} if mine else None
            check(got == theirs, f"SATA attribute {row['id']}: {theirs}", f"report has {got}")
        derived = {"temperature": sata_smart.get("temperature", {}).get("current"),
                   "powerOnHours": sata_smart.get("power_on_time", {}).get("hours"),
                   "powerOnCount": sata_smart.get("power_cycle_count"),
                   "numberOfSectors": sata_smart.get("user_capacity", {}).get("blocks")}
        for key, expected in derived.items():
            check(sata[key] == expected, f"SATA: {key} {expected} as smartctl",
                  f"report has {sata[key]}")
        check(sata["nominalMediaRotationRate"] == facts["sataRotation"],
              f"SATA: rotation rate {facts['sataRotation']} as set",
              f"report has {sata['nominalMediaRotationRate']}")
        system = report["systemDisk"]
        check(system is not None and system["physicalDrive"] == sata["physicalDrive"],
              "the SATA disk is the system disk", f"systemDisk is {system}")
        check("C" in sata["driveLetters"], "the SATA disk carries C:",
              f"letters {sata['driveLetters']!r}")

    if nvme:
        log = nvme_smart.get("nvme_smart_health_information_log", {})
        check(nvme["temperature"] == log.get("temperature"),
              f"NVMe temperature {log.get('temperature')} as smartctl",
              f"report has {nvme['temperature']}")
        check(nvme["powerOnHours"] == log.get("power_on_hours"),
              f"NVMe power-on hours {log.get('power_on_hours')} as smartctl",
              f"report has {nvme['powerOnHours']}")
        # The counters that do not move while the guest reads: power cycles and spare.
        check(nvme["powerOnCount"] == log.get("power_cycles"),
              f"NVMe power cycles {log.get('power_cycles')} as smartctl",
              f"report has {nvme['powerOnCount']}")
        check(nvme["life"] == log.get("available_spare"),
              f"NVMe available spare {log.get('available_spare')} as smartctl",
              f"report has {nvme['life']}")

    check(report["os"]["name"] == facts["osName"], f"OS name {facts['osName']!r}",
          f"report has {report['os']['name']!r}")
    usb_sat = json_of(found, "smartctl-usb-sat") or {}
    refused = usb_sat.get("smartctl", {}).get("exit_status", 0) != 0 and "model_name" not in usb_sat
    note(f"USB disk: the emulated bridge {'refuses' if refused else 'takes'} ATA pass-through "
         f"(smartctl -d sat exit status {usb_sat.get('smartctl', {}).get('exit_status')})")
    usb = [d for d in drives if d is not sata and d is not nvme]
    note(f"USB disk: smartctl says {usb_smart.get('smartctl', {}).get('messages', [{}])[0].get('string', '?')!r}"
         f"; tramsik {'lists it: ' + repr([(d['model'], d['commandTypeTag']) for d in usb]) if usb else 'does not list it'}")
    for name in ("list", "report-text", "info", "smart-nvme"):
        check(found.get(name, (1,))[0] == 0, f"{name} ran without error")

    mounted_rc = found.get("mounted-target", (None,))[0]
    check(mounted_rc == 5, "a target with a mounted partition is refused with -5 (status 5)",
          f"status {mounted_rc}")
    mounted_log = found.get("mounted-log", (0, ""))[1]
    check(re.search("Locking.volume.failed", mounted_log) is not None,
          'the log says "Locking volume failed"')
    check("may be occupied" in found.get("mounted-target", (0, ""))[1],
          "the refusal tells that the target may be occupied")
    after = found.get("mounted-after", (1, ""))[1]
    check(found.get("mounted-after", (1,))[0] == 0 and "nvme0n1p1" in after and facts["marker"] in after,
          "the refused target keeps its partition and the mounted file system", after[-300:])

    kernel_log = found.get("kernel-log", (1, ""))[1]
    trouble = [line for line in kernel_log.splitlines()
               if re.search(r"BUG:|WARNING:|Call Trace|I/O error|timeout|tramsik-cli", line)]
    check(kernel_log != "" and not trouble,
          "the kernel logged no error, warning or timeout for what tramsik-cli sent",
          "; ".join(trouble[:5]))
    check_migrated(found, "migrate --target <nvme> --yes succeeded and says so")


# What changes while a computer runs (docs/cli.md, "live by nature"): a replay of a capture may
# differ from a live report there and nowhere else.
LIVE_DRIVE_KEYS = ("temperature", "powerOnRawValue", "powerOnHours", "detectedPowerOnHours",
                   "powerOnCount", "life", "hostWrites", "hostReads", "nandWrites", "gBytesErased",
                   "wearLevelingCount", "smartTable")
LIVE_ATTRIBUTE_KEYS = ("current", "worst", "raw")
LIVE_PAGE_KEYS = ("power_up_count", "power_up_time", "free_spacebase", "used_spacebase")
LIVE_SPACE_KEYS = ("usedSize", "freeSize", "usedPercent")


def without_live(report):
    report = json.loads(json.dumps(report))
    for drive in report.get("drives", []):
        for key in LIVE_DRIVE_KEYS:
            drive.pop(key, None)
        for attribute in drive.get("attributes") or []:
            for key in LIVE_ATTRIBUTE_KEYS:
                attribute.pop(key, None)
        for key in LIVE_PAGE_KEYS:
            (drive.get("diskInfoPage") or {}).pop(key, None)
        space = drive.get("space") or {}
        for place in [space, *(space.get("volumes") or [])]:
            for key in LIVE_SPACE_KEYS:
                place.pop(key, None)
    return report


def differences(a, b, path="report"):
    """The paths at which two JSON values differ."""
    if isinstance(a, dict) and isinstance(b, dict):
        for key in sorted(set(a) | set(b)):
            yield from differences(a.get(key), b.get(key), f"{path}.{key}")
    elif isinstance(a, list) and isinstance(b, list) and len(a) == len(b):
        for i, (x, y) in enumerate(zip(a, b)):
            yield from differences(x, y, f"{path}[{i}]")
    elif a != b:
        yield f"{path}: {json.dumps(a)[:60]} vs {json.dumps(b)[:60]}"


def replayed_report(facts, machine):
    done = subprocess.run([facts["cli"], "--lang", "en", "--machine", machine, "report", "--json"],
                          capture_output=True, text=True)
    try:
        return done.returncode, json.loads(done.stdout), done.stderr
    except ValueError:
        return done.returncode, None, done.stderr


def ata_swapped(text):
    """The whole pairs of text exchanged, as an ATA string holds them."""
    pairs = text[: len(text) // 2 * 2]
    return "".join(pairs[i + 1] + pairs[i] for i in range(0, len(pairs), 2))


def judge_capture(found, facts):
    live = json_of(found, "report-json")
    folder = os.path.join(facts["runDir"], "main")
    captured, anonymised = os.path.join(folder, "captured"), os.path.join(folder, "anonymised")
    for name in ("capture", "capture-anonymised"):
        check(found.get(name, (1,))[0] == 0, f"{name} ran without error",
              found.get(name, (0, ""))[1][-300:])
    if not check(live is not None and os.path.exists(captured), "the capture came back"):
        return
    rc, replayed, err = replayed_report(facts, captured)
    if check(rc == 0 and replayed is not None, "the captured machine replays on the host", err):
        changed = list(differences(without_live(live), without_live(replayed)))
        check(not changed, "the replayed report equals the guest's live one, field for field "
              "(the live fields aside)", "; ".join(changed[:8]))
        live_changed = list(differences(live, replayed))
        note(f"{len(live_changed)} live field(s) moved between the report and the capture"
             + (f": {'; '.join(live_changed[:4])}" if live_changed else ""))

    # The USB disk's serial is in its device ids, though no route reaches the disk.
    serials = {facts["sataSerial"], facts["nvmeSerial"], facts["usbSerial"]}
    serials |= {d["serialNumber"] for d in live["drives"]}
    serials = sorted(s.strip() for s in serials if len(s.strip()) >= 4)
    text = open(anonymised, encoding="utf-8", errors="replace").read().replace(" ", "").lower()
    for serial in serials:
        forms = {serial, *(f.encode().hex() for f in
                           (serial, ata_swapped(serial), ata_swapped(serial[1:])))}
        check(not [f for f in forms if f.lower() in text],
              f"the anonymised capture holds no {serial!r}, as text, hex or ATA byte-swapped")
    rc, replayed, err = replayed_report(facts, anonymised)
    if check(rc == 0 and replayed is not None, "the anonymised capture replays", err):
        pairs = list(zip(live["drives"], replayed["drives"]))
        check(len(live["drives"]) == len(replayed["drives"])
              and all(a["model"] == b["model"] and a["serialNumber"] != b["serialNumber"]
                      and len(a["serialNumber"]) == len(b["serialNumber"]) for a, b in pairs),
              "the anonymised replay lists the same drives and models under other serials",
              f"{[(b['model'], b['serialNumber']) for _, b in pairs]}")


SAMPLE = re.compile(r'^(\w+)\{(.*)\} (\S+)$')


def per_drive(exposition, series):
    """{drive label: value} of one series of the text exposition format."""
    values = {}
    for line in exposition.splitlines():
        m = SAMPLE.match(line)
        if m and m[1] == series:
            labels = dict(re.findall(r'(\w+)="((?:[^"\\]|\\.)*)"', m[2]))
            values[labels.get("drive")] = float(m[3])
    return values


def judge_metrics(found, facts):
    rc, exposition = found.get("metrics", (1, ""))
    drives = (json_of(found, "report-json") or {}).get("drives", [])
    answered = per_drive(exposition, "tramsik_drive_scrape_success")
    listed = {str(d["physicalDrive"]) for d in drives}
    # The USB disk is found but answers no route: it must show as a failed scrape, not a gap.
    check(rc == 0 and len(answered) == 3 and all(answered[k] == (k in listed) for k in answered),
          "metrics: each of the three disks has a scrape result, 1 for the drives the report lists",
          f"status {rc}, {answered}, report lists {sorted(listed)}")
    temperatures = per_drive(exposition, "tramsik_drive_temperature_celsius")
    seconds = per_drive(exposition, "tramsik_drive_power_on_seconds_total")
    sata = json_of(found, "smartctl-sata") or {}
    nvme = json_of(found, "smartctl-nvme") or {}
    log = nvme.get("nvme_smart_health_information_log", {})
    # (label, model, smartctl's temperature, smartctl's power-on hours)
    peers = [("SATA", sata.get("model_name"), sata.get("temperature", {}).get("current"),
              sata.get("power_on_time", {}).get("hours")),
             ("NVMe", nvme.get("model_name"), log.get("temperature"), log.get("power_on_hours"))]
    for label, model, temperature, hours in peers:
        drive = next((d for d in drives if d["model"] == model), None)
        if not check(drive is not None and temperature is not None and hours is not None,
                     f"metrics: smartctl and the report both read the {label} disk"):
            continue
        key = str(drive["physicalDrive"])
        check(temperatures.get(key) == temperature,
              f"metrics: {label} temperature {temperature} °C as smartctl",
              f"metrics have {temperatures.get(key)}")
        check(seconds.get(key) == hours * 3600,
              f"metrics: {label} power-on time {hours} h × 3600 s as smartctl",
              f"metrics have {seconds.get(key)}")


def judge_clone(found, facts):
    judge_copy(facts["nvmeImage"], facts)


def judge_copy(target, facts):
    """The target image holds a whole migration of the source."""
    source = facts["sataImage"]
    rc, text = sgdisk("-v", target)
    check(rc == 0 and "No problems found" in text, "sgdisk -v: the target's GPT has no problems",
          text.strip()[-300:])
    src_parts, dst_parts = partitions(source), partitions(target)
    root = facts["rootPartition"]
    check(dst_parts == [p for p in src_parts if p[0] <= root],
          f"the target lists the source's partitions 1 to {root} and no more",
          f"target {dst_parts}, source {src_parts}")
    for number in range(1, root + 1):
        check(partition_details(source, number) == partition_details(target, number),
              f"partition {number}: type, GUID, extent, attributes and name as the source's")
    end = facts["rangeSectors"]
    first = same_bytes(source, target, 34, end)
    check(first is None, f"the target carries the source's sectors 34 to {end - 1}",
          f"first difference at sector {first}")


def judge_readerror(found, facts):
    rc = found.get("migrate", (None,))[0]
    output = found.get("migrate", (0, ""))[1]
    check(rc == 10 and "System migration failed [-10]" in output,
          "a source read error gives result -10 (status 10, \"System migration failed [-10]\")",
          f"status {rc}: {output[-300:]}")
    log = found.get("migrate-log", (0, ""))[1]
    check("read_sect err" in log, "the log names the failed read")
    check_no_table(sgdisk("-p", facts["nvmeReadErrorImage"])[1], "the target has no partition "
                   "table after the failure (sgdisk finds neither GPT nor MBR)")


def judge_cutcopy(found, facts):
    rc, output = found.get("migrate", (0, ""))
    shown = [int(percent) for percent in re.findall(r"\]\s+(\d+)%", output)]
    check(rc is None and bool(shown) and 25 <= shown[-1] < 100,
          "the power was cut while the copy ran (past a quarter, the migration unended)",
          f"status {rc}, progress {shown}")
    image, end = facts["nvmeCutImage"], facts["rangeSectors"]
    chunks, held = data_held(facts["sataImage"], image, 34, end)
    check(0 < held < chunks, "part of the copy had reached the target, not all of it",
          f"{held} of {chunks} MiB")
    note(f"the target held {held} of the source's {chunks} MiB of data after the cut")
    check_no_table(sgdisk("-p", image)[1], "the target has no partition table after the cut "
                   "(sgdisk finds neither GPT nor MBR)")


def judge_bench(found, facts):
    check(found.get("bench-dd", (1,))[0] == 0, "dd copied the range",
          found.get("bench-dd", (0, ""))[1][-300:])
    rc, wiped = found.get("bench-wiped", (1, ""))
    zeros = subprocess.run(["md5sum"], input=bytes(2**20), capture_output=True).stdout.split()[0]
    sums = re.findall(r"^([0-9a-f]{32})", wiped, re.M)
    check(found.get("bench-wipe", (1,))[0] == 0 and sums and set(sums) == {zeros.decode()},
          "the target read back as zeros after its discard", wiped[-300:])
    check_no_table(wiped, "the wiped target has no partition table")
    check_migrated(found, "the migration on the throttled disks succeeded")
    judge_copy(facts["nvmeBenchImage"], facts)

    clocks = {name: clock(found.get(f"{name}-clock", (1, ""))[1]) for name in ("bench-dd", "migrate")}
    if not check(all(clocks.values()), "the guest timed both copies"):
        return
    megabytes = facts["rangeSectors"] * 512 / 1e6
    throttle = facts["benchThrottle"] / 1e6
    service = facts["benchServiceMs"]
    dd, migrate = (megabytes / clocks[name][0] for name in ("bench-dd", "migrate"))
    rows = (("dd bs=64K iflag=direct oflag=direct", "bench-dd", dd),
            ("tramsik-cli migrate (whole command)", "migrate", migrate))
    with open(facts["benchResult"], "w") as out:
        out.write(f"benchmark: {megabytes:.1f} MB; the source's reads and the target's writes take "
                  f"{service:g} ms a request, one at a time, and QEMU throttles them to "
                  f"{throttle:.1f} MB/s\n")
        for label, name, rate in rows:
            seconds, busy = clocks[name]
            out.write(f"  {label}  {seconds:6.2f} s  {rate:6.2f} MB/s  guest CPU busy {busy:4.0%}\n")
        out.write(f"  migrate / dd        {migrate / dd:.2f}\n"
                  f"  migrate / throttle  {migrate / throttle:.2f}\n")
        for drive, log in facts["benchDriveLogs"].items():
            out.write(f"  {drive} drive, whole boot: {drive_summary(log)}\n")


def drive_summary(log):
    """What an NBD drive's log says of the boot: its requests by command and size, most frequent
    first, its busy time, how often a request found the next one waiting and how long the next
    one took to come."""
    connections = [json.loads(line) for line in open(log)] if os.path.exists(log) else []
    if not connections:
        return "no log"
    requests = {}
    for stats in connections:
        for kind, count in stats["requests"].items():
            requests[kind] = requests.get(kind, 0) + count
    total = sum(requests.values())
    common = sorted(requests.items(), key=lambda item: -item[1])
    kinds = ", ".join(f"{count} {kind} B" for kind, count in common[:4])
    busy = sum(stats["busySeconds"] for stats in connections)
    seconds = sum(stats["seconds"] for stats in connections)
    waiting = sum(stats["waiting"] for stats in connections)
    # The one long connection tells the round trip; a reconnection would show in the count.
    gaps = max(connections, key=lambda stats: sum(stats["requests"].values())).get("gapMs", {})
    return (f"{total} requests ({kinds}{', ...' if len(common) > 4 else ''}); busy {busy:.1f} of "
            f"{seconds:.1f} s; {waiting / max(1, total):.0%} found the next one waiting; from an "
            f"answer to the next request " + " ".join(f"{q} {ms} ms" for q, ms in gaps.items()))


def clock(text):
    """(seconds, share of them the guest's CPU was busy) from the uptime and /proc/stat's cpu
    line before and after a timed section, or None."""
    lines = [line.split() for line in text.splitlines()]
    if len(lines) != 2 or any(len(line) < 7 or line[1] != "cpu" for line in lines):
        return None
    (up0, _, *cpu0), (up1, _, *cpu1) = lines
    spent = [int(b) - int(a) for a, b in zip(cpu0, cpu1)]
    idle = spent[3] + spent[4]  # idle and iowait
    return float(up1) - float(up0), 1 - idle / max(1, sum(spent))


def proc_partitions(text):
    return [fields[3] for fields in map(str.split, text.splitlines())
            if len(fields) == 4 and fields[0].isdigit()]


def judge_cutdone(found, facts):
    named = re.search(r"sata=/dev/(\w+)", found.get("devices", (1, ""))[1])
    sata = named[1] if named else "?"
    caches = found.get("write-cache", (1, ""))[1]
    for name in (sata, "nvme0n1"):
        check(f"/sys/block/{name}/queue/write_cache:write back" in caches,
              f"{name} reports a volatile write cache, so the guest's flushes reach QEMU", caches)
    names = proc_partitions(found.get("partitions", (1, ""))[1])
    check("nvme0n1" in names and not [n for n in names if n.startswith("nvme0n1p")],
          "after the cut the guest's kernel finds no partition on the target", f"{names}")
    source = [f"{sata}{row[0]}" for row in partitions(facts["sataImage"])]
    check(all(name in names for name in source),
          f"after the cut the guest's kernel finds the source's partitions {source}", f"{names}")
    check_no_table(found.get("sgdisk-target", (1, ""))[1],
                   "after the cut the guest's sgdisk finds no partition table on the target")
    rc, text = found.get("sgdisk-source", (1, ""))
    check(rc == 0 and "No problems found" in text,
          "the guest's sgdisk -v: the source's GPT has no problems", text.strip()[-300:])

    check_migrated(found, "a migration onto the cut target then succeeds")
    check("system migration success" in found.get("migrate-log", (0, ""))[1],
          "the migration logged its success before the host cut the power")
    judge_copy(facts["nvmeCutImage"], facts)


# Each mode's judges, and whether its guest runs to its end (the host cuts the others short).
MODES = {
    "main": ((judge_main, judge_capture, judge_metrics, judge_clone), True),
    "readerror": ((judge_readerror,), True),
    "cutcopy": ((judge_cutcopy,), False),
    "cutdone": ((judge_cutdone,), False),
    "bench": ((judge_bench,), True),
}


def main():
    what = sys.argv[1]
    if what == "error-sector":
        print(error_sector(*(int(a) for a in sys.argv[2:5])))
        return
    run_dir, results, facts = sys.argv[2], sys.argv[3], json.load(open(sys.argv[4]))
    found = sections(results) if os.path.exists(results) else {}
    save_sections(run_dir, found, what)
    print(f"{what}:")
    judges, runs_to_end = MODES[what]
    check("fatal" not in found, "the guest started", found.get("fatal", (0, ""))[1])
    if runs_to_end:
        check("done" in found, "the guest ran to its end and powered off")
    else:
        check("done" not in found, "the host cut the guest's power before its end")
    # A sanitizer build of tramsik-cli reports what it finds on standard error.
    flagged = [name for name, (_, text) in found.items()
               if re.search(r"AddressSanitizer|LeakSanitizer|runtime error:", text)]
    check(not flagged, "no sanitizer report", ", ".join(flagged))
    for judge in judges:
        judge(found, facts)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
