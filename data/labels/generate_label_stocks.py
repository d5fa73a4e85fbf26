#!/usr/bin/env python3
"""Writes the label-stock tables of the label wizard from the sheet geometry of glabels-data.

Run by hand after the Debian package glabels-data changes:

    python3 data/labels/generate_label_stocks.py [/usr/share/libglabels-3.0/templates]

Only facts are taken from the template files: the maker's product numbers, sheet sizes, label
sizes, margins, columns and pitch. Each output file holds one stock a line in the definition
format the designer reads:

    Category,Product,LabelWidth,LabelHeight,PaperWidth,PaperHeight,Top,Bottom,Left,Right,
    Orientation,RowGap,Units,Columns,column positions...

all lengths in inches (Units 1), "." as decimal point. A stock becomes a row when its sheet is a
uniform grid of rectangular (or round, printed in its square) labels with at most 11 columns;
CD labels and sheets of several grids cannot be described by the format and are left out. The
rows quoted in QUOTED replace the derived row of their product (or are added when no derived
row has that product).
"""

import os
import re
import sys
import xml.etree.ElementTree as ET

MAX_COLUMNS = 11
BRAND = "Avery"

PAPERS = {  # inches; A4 as the designer has always stored it
    "US-Letter": (8.5, 11.0),
    "A4": (8.2708, 11.6979),
    "A5": (5.8333, 8.2708),
}

# Rows kept exactly as the designer has always shipped them, by output file.
QUOTED = {
    "avery_standard_laser.txt": [
        "Address,5160,2.63,1,8.5,11,0.5,0.25,0.19,0,0,0,1,3,0.19,2.94,5.69",
        "Address,2160 - Mini,2.63,1,4.5,5,0.5,0,0.81,0,0,0,1,0",
        "Full Sheet,5165,8.5,11,8.5,11,0,0,0,0,0,0,1,1,0",
        "Tent Card,5309,10,2.5,11,8.5,1.63,3,0.5,0,1,0,1,1,0.5",
    ],
    "avery_a4_a5_laser.txt": [
        "Address,L7163,3.9,1.5,8.2708,11.6979,0.63,0,0.18,0,0,0,1,2,0.18,4.18",
    ],
    "avery_standard_dot_matrix.txt": [
        "Address,4010,3.5,0.94,4.25,1,0,0,0.38,0,0,0.06,1,0",
        "Price Marking,4609,1.5,0.38,8.9,12,0,0,0.5,0,0,0.12,1,5,0.5,2.1,3.7,5.3,6.9",
    ],
}

OUTPUTS = [
    ("avery_standard_laser.txt", "Avery Standard (laser and ink jet)", ("avery-us-templates.xml", "avery-other-templates.xml")),
    ("avery_a4_a5_laser.txt", "Avery A4 and A5 sizes (laser and ink jet)", ("avery-iso-templates.xml",)),
    # No glabels template describes continuous dot-matrix forms: this set holds the quoted rows only.
    ("avery_standard_dot_matrix.txt", "Avery Standard (dot matrix)", ()),
]


def inches(text):
    m = re.fullmatch(r"\s*([0-9.]+)\s*(in|mm|cm|pt|pc)?\s*", text)
    if not m:
        raise ValueError("length %r" % text)
    value = float(m.group(1))
    unit = m.group(2) or "pt"
    return value * {"in": 1.0, "mm": 1 / 25.4, "cm": 1 / 2.54, "pt": 1 / 72.0, "pc": 12 / 72.0}[unit]


def number(value):
    text = ("%.4f" % value).rstrip("0").rstrip(".")
    return "0" if text in ("", "-0") else text


def down(value):
    """Rounded down to 0.01 inch (never below 0), so the sheet's rows still fit."""
    return max(0.0, int(value * 100 + 1e-6) / 100.0)


def category(description):
    text = re.sub(r"\s+", " ", description or "Label").strip()
    text = re.sub(r"\s*Labels?$", "", text) or "Label"
    return text.replace(",", " ")


def geometry(template):
    """The definition items after Category and Product, or None when the sheet cannot be described."""
    size = template.get("size")
    if size in PAPERS:
        paper_w, paper_h = PAPERS[size]
    elif size == "Other":
        paper_w, paper_h = inches(template.get("width")), inches(template.get("height"))
    else:
        return None
    labels = [e for e in template if e.tag.startswith("Label-")]
    if len(labels) != 1:
        return None
    label = labels[0]
    if label.tag == "Label-rectangle":
        w, h = inches(label.get("width")), inches(label.get("height"))
    elif label.tag == "Label-round":
        w = h = 2 * inches(label.get("radius"))
    elif label.tag == "Label-ellipse":
        w, h = inches(label.get("width")), inches(label.get("height"))
    else:
        return None
    layouts = label.findall("Layout")
    if len(layouts) != 1:
        return None
    layout = layouts[0]
    nx, ny = int(layout.get("nx")), int(layout.get("ny"))
    x0, y0 = inches(layout.get("x0")), inches(layout.get("y0"))
    dx, dy = inches(layout.get("dx")), inches(layout.get("dy"))
    if nx < 1 or ny < 1 or nx > MAX_COLUMNS:
        return None
    row_gap = max(0.0, dy - h) if ny > 1 else 0.0
    pitch = h + row_gap
    bottom = down(paper_h - y0 - ny * pitch)
    right = down(paper_w - x0 - (nx - 1) * dx - w)
    orientation = 1 if paper_w > paper_h else 0
    columns = [x0 + i * dx for i in range(nx)]
    items = [w, h, paper_w, paper_h, y0, bottom, x0, right]
    return [number(v) for v in items] + [str(orientation), number(row_gap), "1", str(nx)] + [number(c) for c in columns]


def derived_rows(folder, files):
    rows, by_part = [], {}
    for name in files:
        root = ET.parse(os.path.join(folder, name)).getroot()
        for template in root.iter("Template"):
            if template.get("brand") != BRAND:
                continue
            part = template.get("part", "").replace(",", " ").strip()
            equiv = template.get("equiv")
            if equiv:
                base = by_part.get(equiv)
                if base is None:
                    continue
                cat, items = base
            else:
                items = geometry(template)
                if items is None:
                    continue
                cat = category(template.get("_description") or template.get("description"))
                by_part[part] = (cat, items)
            rows.append(",".join([cat, part] + items))
    return rows


def merge(rows, quoted):
    product = lambda row: row.split(",")[1]
    quoted_by_product = {product(q): q for q in quoted}
    out, seen = [], set()
    for row in rows:
        p = product(row)
        if p in seen:
            continue
        seen.add(p)
        out.append(quoted_by_product.pop(p, row))
    return out + [q for q in quoted if product(q) in quoted_by_product]


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/libglabels-3.0/templates"
    here = os.path.dirname(os.path.abspath(__file__))
    for out_name, title, files in OUTPUTS:
        rows = merge(derived_rows(folder, files), QUOTED.get(out_name, []))
        with open(os.path.join(here, out_name), "w", encoding="utf-8") as f:
            f.write("# %s: %d label stocks, written by generate_label_stocks.py from %s.\n"
                    % (title, len(rows), ", ".join(files) or "no template file (quoted rows only)"))
            for row in rows:
                f.write(row + "\n")
        print("%s: %d stocks" % (out_name, len(rows)))


if __name__ == "__main__":
    main()
