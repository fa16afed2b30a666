#!/usr/bin/env python3
"""Reads an ostvik-track export with a real parser and prints what the tests compare.

usage: export_summary.py gpx|kml|geojson FILE

gpx:     one line per trkpt: "LAT LON TIME" (TIME "-" when the point has none)
kml:     "line N" with the LineString's point count (0 without one), then one line per
         point placemark: "NAME WHEN LON,LAT SPEED" (WHEN and SPEED "-" when absent)
segments: one line per GPX trkseg: "POINTS LAT LON TIME" of its first point ("-" for all
         three when it has none)
geojson: the document type and geometry type, then one line per position: "LON LAT"
A document the parser refuses ends with a traceback and a non-zero status.
"""
import json
import sys
import xml.etree.ElementTree as ElementTree

GPX = "{http://www.topografix.com/GPX/1/1}"
KML = "{http://www.opengis.net/kml/2.2}"


def text_of(element, path):
    found = element.find(path)
    return found.text if found is not None and found.text else "-"


def gpx(path):
    for point in ElementTree.parse(path).getroot().iter(GPX + "trkpt"):
        print(point.get("lat"), point.get("lon"), text_of(point, GPX + "time"))


def segments(path):
    for segment in ElementTree.parse(path).getroot().iter(GPX + "trkseg"):
        points = segment.findall(GPX + "trkpt")
        first = points[0] if points else None
        print(len(points), first.get("lat") if first is not None else "-",
              first.get("lon") if first is not None else "-",
              text_of(first, GPX + "time") if first is not None else "-")


def kml(path):
    root = ElementTree.parse(path).getroot()
    lines = root.findall(f".//{KML}LineString/{KML}coordinates")
    print("line", len(lines[0].text.split()) if lines else 0)
    for placemark in root.iter(KML + "Placemark"):
        point = placemark.find(f"{KML}Point/{KML}coordinates")
        if point is None:
            continue
        speed = "-"
        for data in placemark.iter(KML + "Data"):
            if data.get("name") == "speed":
                speed = text_of(data, KML + "value")
        print(text_of(placemark, KML + "name").replace(" ", "_"),
              text_of(placemark, f"{KML}TimeStamp/{KML}when"), point.text.strip(), speed)


def geojson(path):
    with open(path, encoding="utf-8") as f:
        document = json.load(f)
    if document["type"] == "FeatureCollection":
        print("FeatureCollection", len(document["features"]))
        return
    geometry = document["geometry"]
    print(document["type"], geometry["type"])
    positions = geometry["coordinates"]
    for lon, lat in [positions] if geometry["type"] == "Point" else positions:
        print(f"{lon:.6f} {lat:.6f}")


if __name__ == "__main__":
    {"gpx": gpx, "segments": segments, "kml": kml, "geojson": geojson}[sys.argv[1]](sys.argv[2])
