#!/usr/bin/env python3
"""The player's playback beside the tools a user would pick instead, on two 20-second 640x480
XviD + MP3 clips made with ffmpeg: one at 1.5 Mbit/s, the rate of a typical XviD file, and one of
moving noise at about 18 Mbit/s, where nearly all the time goes to the decoder both sides share:

  free-run   the video thread decoding and drawing into the headless screen with pacing off,
             frames per second, beside `ffmpeg -threads 1 ... -pix_fmt bgr565le -f null -`
  real-time  the headless player playing the clip in real time to the null audio device, CPU
             seconds (user + system) and peak resident memory, beside
             `mpv --no-config --vo=null --ao=null`

Each side runs RUNS times (3 unless set) in turn and the best run counts: other programs only
ever add time. Usage: run-playback-bench.py BUILD_DIR"""
import os
import re
import resource
import subprocess
import sys
import tempfile

RUNS = int(os.environ.get("RUNS", "3"))


NOISE = "testsrc2=size=640x480:rate=25,noise=alls=12:allf=t"
# (label, file, the video encoder's rate settings)
CLIPS = [
    ("1.5 Mbit/s", "playback_640x480_xvid_1500k_mp3.avi",
     ["-b:v", "1500k", "-maxrate", "2000k", "-bufsize", "2000k"]),
    ("18 Mbit/s noise", "playback_640x480_xvid_mp3.avi", ["-q:v", "4"]),
]


def make_clip(folder, name, rate):
    clip = os.path.join(folder, name)
    if not os.path.exists(clip):
        print(f"Making {clip} (20 s, 640x480 XviD with MP3 sound)", flush=True)
        subprocess.run(
            ["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i", NOISE, "-f",
             "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-t", "20", "-c:v", "mpeg4",
             "-vtag", "XVID"] + rate + ["-c:a", "libmp3lame", "-b:a", "128k", clip], check=True)
    return clip


def measured(command, **kwargs):
    """Runs command; returns its output (stdout + stderr) and its CPU seconds (user + system)."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    done = subprocess.run(command, capture_output=True, text=True, check=True, **kwargs)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return done.stdout + done.stderr, cpu


def peak_rss_mib(command, **kwargs):
    """Peak resident memory of one run of command, through /usr/bin/time."""
    done = subprocess.run(["/usr/bin/time", "-f", "maxrss %M"] + command, capture_output=True,
                          text=True, check=True, **kwargs)
    return int(re.findall(r"maxrss (\d+)", done.stderr)[-1]) / 1024


def free_run(build, clip):
    ours, theirs = [], []
    for _ in range(RUNS):
        out, _ = measured([os.path.join(build, "bench", "free_run_bench"), clip])
        ours.append(float(re.search(r"fps ([\d.]+)", out).group(1)))
        out, _ = measured(["ffmpeg", "-nostdin", "-nostats", "-loglevel", "info", "-benchmark",
                              "-threads", "1", "-i", clip, "-an", "-pix_fmt", "bgr565le", "-f",
                              "null", "-"])
        frames = int(re.findall(r"frame=\s*(\d+)", out)[-1])
        theirs.append(frames / float(re.search(r"rtime=([\d.]+)s", out).group(1)))
    return max(ours), max(theirs)


def real_time(build, clip, folder):
    script = os.path.join(folder, "real-time-script.txt")
    with open(script, "w") as f:
        f.write("wait 20500\nquit\n")
    home = tempfile.mkdtemp(prefix="morvelant-bench-home-")
    player = [os.path.join(build, "dist", "morvelant"), "--headless", "--audio=null",
              f"--script={script}", clip]
    mpv = ["mpv", "--no-config", "--vo=null", "--ao=null", "--really-quiet", clip]
    env = dict(os.environ, MORVELANT_HOME=home)
    ours, theirs = [], []
    for _ in range(RUNS):
        _, cpu = measured(player, env=env)
        ours.append(cpu)
        _, cpu = measured(mpv)
        theirs.append(cpu)
    return (min(ours), min(theirs), peak_rss_mib(player, env=env), peak_rss_mib(mpv))


def report(build, folder, label, clip):
    ours, ffmpeg = free_run(build, clip)
    print(f"\nfree-run decode and draw, 640x480 XviD at {label}, best of {RUNS}")
    print(f"{'':24}{'frames/s':>10}")
    print(f"{'morvelant video thread':24}{ours:10.1f}")
    print(f"{'ffmpeg -threads 1':24}{ffmpeg:10.1f}")
    print(f"ratio {ours / ffmpeg:.2f}x ffmpeg (goal: at least 1.30x)")
    cpu, mpv_cpu, rss, mpv_rss = real_time(build, clip, folder)
    print(f"\nreal-time playback, 20 s 640x480 XviD at {label} + MP3, null audio, best of {RUNS}")
    print(f"{'':24}{'CPU s':>10}{'peak RSS MiB':>14}")
    print(f"{'morvelant --headless':24}{cpu:10.2f}{rss:14.1f}")
    print(f"{'mpv --vo=null --ao=null':24}{mpv_cpu:10.2f}{mpv_rss:14.1f}")
    print(f"ratio CPU {cpu / mpv_cpu:.2f}x mpv, memory {rss / mpv_rss:.2f}x mpv "
          f"(goal: at most 0.50x each)", flush=True)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    build = sys.argv[1]
    folder = os.path.join(build, "bench")
    for label, name, rate in CLIPS:
        report(build, folder, label, make_clip(folder, name, rate))


if __name__ == "__main__":
    main()
