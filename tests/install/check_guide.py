"""Follows every link and picture of a built user guide folder.

Fails on a link to a page or heading that does not exist, on a picture that is missing or not a
PNG, and on a page the desktop application opens by name that is missing. Exits 77 when the only
faults are missing pictures of the desktop application (app-*.png).
"""
import html.parser
import os
import sys

APP_PAGES = ("index.html", "cli.html", "check.html", "example.html", "update.html")
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.ids, self.links, self.pictures = set(), [], []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if "id" in attrs:
            self.ids.add(attrs["id"])
        if tag == "a" and "href" in attrs:
            self.links.append(attrs["href"])
        if tag == "img":
            self.pictures.append(attrs.get("src", ""))


def main():
    folder = sys.argv[1]
    pages = {}
    for name in sorted(os.listdir(folder)):
        if name.endswith(".html"):
            page = Page()
            with open(os.path.join(folder, name), encoding="utf-8") as f:
                page.feed(f.read())
            pages[name] = page
    faults, app_pictures = [], []
    for name in APP_PAGES:
        if name not in pages:
            faults.append(f"page {name}, which the desktop application opens, is missing")
    for name, page in pages.items():
        for link in page.links:
            if "://" in link or link.startswith("mailto:"):
                faults.append(f"{name}: link out of the guide: {link}")
                continue
            target, _, anchor = link.partition("#")
            target = target or name
            if target not in pages:
                faults.append(f"{name}: link to a missing page: {link}")
            elif anchor and anchor not in pages[target].ids:
                faults.append(f"{name}: link to a missing heading: {link}")
        for src in page.pictures:
            path = os.path.join(folder, src)
            if not os.path.isfile(path):
                if os.path.basename(src).startswith("app-"):
                    app_pictures.append(f"{name}: {src}")
                else:
                    faults.append(f"{name}: missing picture {src}")
                continue
            with open(path, "rb") as f:
                if f.read(8) != PNG_SIGNATURE:
                    faults.append(f"{name}: {src} is not a PNG picture")
    if len(pages) < len(APP_PAGES):
        faults.append(f"only {len(pages)} pages in {folder}")
    for fault in faults:
        print(f"FAIL: {fault}")
    if faults:
        return 1
    if app_pictures:
        print("skipped: pictures of the desktop application not made yet (scripts/make-screenshots):")
        for missing in app_pictures:
            print(f"  {missing}")
        return 77
    print(f"guide: {len(pages)} pages, every link and picture found")
    return 0


if __name__ == "__main__":
    sys.exit(main())
