"""Reading tags from Python on one thread and on two: wall time of each, and their ratio.

Each thread has its own reader object; member calls let go of the interpreter lock while they
read, so two threads read side by side.

    PYTHONPATH=BUILD/python python3 bench/python/threads.py CORPUS_FOLDER [FILES] [RUNS]

CORPUS_FOLDER holds camera-like .jpg files (bench/exif's exif_corpus writes them).
"""
import os
import sys
import threading
import time

import velmo


def read_all(paths):
    tags = velmo.Dispatch("Velmo10.clsKxLumoJPGTagsA")
    for path in paths:
        tags.ImageFile = path
        tags.ListInfo(True)


def timed(paths, threads):
    parts = [paths[i::threads] for i in range(threads)]
    workers = [threading.Thread(target=read_all, args=(part,)) for part in parts]
    start = time.perf_counter()
    for worker in workers:
        worker.start()
    for worker in workers:
        worker.join()
    return time.perf_counter() - start


def main():
    folder = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 4000
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    paths = sorted(os.path.join(folder, name) for name in os.listdir(folder) if name.endswith(".jpg"))[:count]
    read_all(paths)  # warms the page cache
    one = min(timed(paths, 1) for _ in range(runs))
    two = min(timed(paths, 2) for _ in range(runs))
    print(f"{len(paths)} files, best of {runs}: one thread {one * 1000:.1f} ms, two threads {two * 1000:.1f} ms, "
          f"ratio {two / one:.2f}")


if __name__ == "__main__":
    main()
