#!/usr/bin/env python3
"""Prints the root directory of a FAT32 or exFAT image as its entries hold it, one file a line:

    NAME attributes=0xAA modified=YYYY-MM-DDTHH:MM:SS created=YYYY-MM-DDTHH:MM:SS

read from the bytes of the image, without any driver: the witness of what a volume really
stores. Times are the entries' own local-time fields, at their two-second precision.

    fat_entries.py IMAGE
"""
import struct
import sys


def dos_time(date, time):
    return "%04d-%02d-%02dT%02d:%02d:%02d" % (
        1980 + (date >> 9), (date >> 5) & 15, date & 31, time >> 11, (time >> 5) & 63,
        (time & 31) * 2)


def clusters(image, fat_offset, cluster, last):
    """The cluster chain starting at `cluster`, following a FAT of 32-bit entries (FAT32
    uses the low 28 bits of each)."""
    mask = 0x0FFFFFFF if last <= 0x0FFFFFFF else 0xFFFFFFFF
    while 2 <= cluster < last:
        yield cluster
        image.seek(fat_offset + cluster * 4)
        cluster = struct.unpack("<I", image.read(4))[0] & mask


def read_chain(image, fat_offset, first, cluster_offset, cluster_size, last):
    data = b""
    for cluster in clusters(image, fat_offset, first, last):
        image.seek(cluster_offset(cluster))
        data += image.read(cluster_size)
    return data


def fat32_root(image, boot):
    sector, per_cluster, reserved, fats = struct.unpack_from("<HBHB", boot, 11)
    fat_size = struct.unpack_from("<I", boot, 36)[0]
    root = struct.unpack_from("<I", boot, 44)[0]
    data_start = (reserved + fats * fat_size) * sector
    directory = read_chain(image, reserved * sector, root,
                           lambda c: data_start + (c - 2) * per_cluster * sector,
                           per_cluster * sector, 0x0FFFFFF8)
    long_name = []
    for offset in range(0, len(directory), 32):
        entry = directory[offset:offset + 32]
        if entry[0] == 0:
            break
        if entry[0] == 0xE5:
            long_name = []
            continue
        if entry[11] == 0x0F:  # a piece of the long name, last piece first
            piece = entry[1:11] + entry[14:26] + entry[28:32]
            long_name.insert(0, piece.decode("utf-16-le").split("\0")[0])
            continue
        name = "".join(long_name) or entry[0:8].decode("latin-1").strip() + "." + \
            entry[8:11].decode("latin-1").strip()
        long_name = []
        if entry[11] & 0x08:  # the volume label
            continue
        ctime, cdate = struct.unpack_from("<HH", entry, 14)
        mtime, mdate = struct.unpack_from("<HH", entry, 22)
        yield name, entry[11], dos_time(mdate, mtime), dos_time(cdate, ctime)


def exfat_root(image, boot):
    fat_offset, _, heap_offset, _, root = struct.unpack_from("<IIIII", boot, 80)
    sector = 1 << boot[108]
    per_cluster = 1 << boot[109]
    directory = read_chain(image, fat_offset * sector, root,
                           lambda c: heap_offset * sector + (c - 2) * per_cluster * sector,
                           per_cluster * sector, 0xFFFFFFF7)
    offset = 0
    while offset + 32 <= len(directory):
        kind = directory[offset]
        if kind == 0:
            break
        if kind != 0x85:  # not a File entry
            offset += 32
            continue
        secondaries = directory[offset + 1]
        attributes = struct.unpack_from("<H", directory, offset + 4)[0]
        created, modified = struct.unpack_from("<II", directory, offset + 8)
        name = ""
        for index in range(2, secondaries + 1):
            piece = directory[offset + index * 32:offset + (index + 1) * 32]
            if piece[0] == 0xC1:
                name += piece[2:32].decode("utf-16-le")
        length = directory[offset + 32 + 3]  # the Stream entry's name length
        yield (name[:length], attributes,
               dos_time(modified >> 16, modified & 0xFFFF), dos_time(created >> 16, created & 0xFFFF))
        offset += (secondaries + 1) * 32


def main():
    with open(sys.argv[1], "rb") as image:
        boot = image.read(512)
        entries = exfat_root(image, boot) if boot[3:11] == b"EXFAT   " else fat32_root(image, boot)
        for name, attributes, modified, created in entries:
            print("%s attributes=0x%02x modified=%s created=%s" % (name, attributes, modified, created))


if __name__ == "__main__":
    main()
