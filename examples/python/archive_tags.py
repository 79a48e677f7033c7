#!/usr/bin/python3
"""The EXIF tags of a photo archive, read by a Dask cluster.

    archive_tags.py [--workers N | --scheduler ADDRESS] -o OUT.jsonl DIR...

Walks each DIR for .jpg and .jpeg files (in the order `velmo tags -r` reads them), sends batches of
paths to the workers and writes one JSON object per file to OUT.jsonl, in that order: the object
`velmo tags --json` writes for the file. Without --scheduler it starts a local cluster of N worker
processes; with it, the workers of a running cluster read the files, so every worker must see the
paths as this machine names them (shared storage) and must have the velmo module installed.

velmo objects stay in the process that creates them: only paths go out and plain dicts come back,
and each worker thread creates its own reader.
"""
import argparse
import collections
import json
import os
import sys
import threading

from dask.distributed import Client, LocalCluster


def _reader():
    """This worker thread's EXIF reader, created on its first batch. (It hangs on the thread rather
    than on a module-level threading.local, which could not be sent along with this function.)"""
    thread = threading.current_thread()
    if not hasattr(thread, "velmo_reader"):
        import velmo

        thread.velmo_reader = velmo.Dispatch("Velmo10.clsKxLumoJPGTagsA")
    return thread.velmo_reader


def _number(data):
    """Data comes as the decimal text of the tag's number (or None); the command writes it as a JSON number."""
    return json.loads(data) if isinstance(data, str) else data


def read_batch(paths):
    """One object per path, as `velmo tags --json` writes it."""
    import velmo

    tags = _reader()
    objects = []
    for path in paths:
        try:
            tags.ImageFile = path
            # Without its lines, ListInfo only fills the collection; it returns text only for a file
            # without EXIF.
            if tags.ListInfo(False):
                objects.append({"path": path, "exif": False, "records": []})
                continue
            records = [
                {"ID": item.ID, "Name": item.Name, "Format": item.Format, "Length": item.Length,
                 "Data": _number(item.Data), "StringData": item.StringData}
                for item in tags.TagsObject
            ]
            objects.append({"path": path, "exif": True, "records": records})
        except velmo.Error as error:
            objects.append({"path": path, "error": {"number": error.number, "source": error.source,
                                                    "description": error.description}})
    return objects


def jpeg_files(folder):
    """The .jpg and .jpeg files under folder, sorted by path; symbolic links to folders are not followed."""
    found = []
    for root, _, names in os.walk(folder):
        found += [os.path.join(root, name) for name in names
                  if os.path.splitext(name)[1].lower() in (".jpg", ".jpeg") and os.path.isfile(os.path.join(root, name))]
    return sorted(found)


def batches(folders, size):
    batch = []
    for folder in folders:
        for path in jpeg_files(folder):
            batch.append(path)
            if len(batch) == size:
                yield batch
                batch = []
    if batch:
        yield batch


def write_in_order(client, work, out, in_flight):
    """Runs the batches with at most in_flight of them on the cluster, writing results in order."""
    pending = collections.deque()
    count = 0
    for batch in work:
        pending.append(client.submit(read_batch, batch, pure=False))
        if len(pending) >= in_flight:
            count += _write(pending.popleft(), out)
    while pending:
        count += _write(pending.popleft(), out)
    return count


def _write(future, out):
    objects = future.result()
    future.release()
    for obj in objects:
        out.write(json.dumps(obj, ensure_ascii=False, separators=(",", ":")) + "\n")
    return len(objects)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    where = parser.add_mutually_exclusive_group()
    where.add_argument("--workers", type=int, default=os.cpu_count(), metavar="N",
                       help="worker processes of a local cluster (default: the machine's cores)")
    where.add_argument("--scheduler", metavar="ADDRESS", help="a running cluster's scheduler, e.g. tcp://host:8786")
    parser.add_argument("-o", "--output", required=True, metavar="OUT.jsonl", help="the file to write")
    parser.add_argument("--batch-size", type=int, default=500, metavar="N", help="paths per task (default 500)")
    parser.add_argument("folders", nargs="+", metavar="DIR")
    args = parser.parse_args(argv)
    if args.workers < 1 or args.batch_size < 1:
        parser.error("--workers and --batch-size take a number of at least 1")

    if args.scheduler:
        client = Client(args.scheduler)
        cluster = None
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True,
                               dashboard_address=None)
        client = Client(cluster)
    try:
        workers = max(1, len(client.scheduler_info()["workers"]))
        with open(args.output, "w", encoding="utf-8") as out:
            count = write_in_order(client, batches(args.folders, args.batch_size), out, 4 * workers)
    finally:
        client.close()
        if cluster:
            cluster.close()
    print(f"archive_tags: {count} files into {args.output}", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
