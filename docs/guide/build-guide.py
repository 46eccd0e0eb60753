#!/usr/bin/python3
"""Builds the HTML user guide from its Markdown pages.

Each page becomes <name>.html with a title taken from its first heading, the guide's style
sheet and a side bar listing every page in the order given on the command line. Links between
pages are written as links to the .md files, so the sources read well on their own; here they
become links to the .html files. Pictures are written as ../images/<file>.png and are copied to
images/ beside the pages.

A link to a page that is not in the guide, or to a heading that is not on its page, stops the
build. A missing picture only warns: the pictures of the desktop application are made by
scripts/make-screenshots and may come later than the text that shows them.

usage: build-guide.py --version V --images DIR --css FILE --output DIR PAGE.md...
"""
import argparse
import html
import os
import re
import shutil
import sys

import markdown

EXTENSIONS = ["tables", "fenced_code", "toc", "attr_list", "sane_lists"]
LINK = re.compile(r'(href|src)="([^"]*)"')
HEADING_ID = re.compile(r'<h[1-6] id="([^"]+)"')
# A line break inside a Chinese paragraph would show as a blank in most browsers.
CJK = "\u2010-\u206f\u3000-\u303f\u4e00-\u9fff\uff00-\uffef"
CJK_BREAK = re.compile(f"(?<=[{CJK}])\n(?=[{CJK}])")
PRE = re.compile(r"(<pre>.*?</pre>)", re.S)


def title_of(text, path):
    for line in text.splitlines():
        if line.startswith("# "):
            return line[2:].strip()
    sys.exit(f"build-guide: {path} has no '# ' heading to take its title from")


def render(text):
    md = markdown.Markdown(extensions=EXTENSIONS, extension_configs={"toc": {"slugify": slug}})
    parts = PRE.split(md.convert(text))
    return "".join(part if part.startswith("<pre>") else CJK_BREAK.sub("", part) for part in parts)


def slug(value, separator):
    # Headings are Chinese: keep their characters rather than dropping them, so that every
    # heading gets an id that a link can name.
    value = re.sub(r"[^\w\u4e00-\u9fff\- ]", "", value).strip().lower()
    return re.sub(r"[\s]+", separator, value)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--version", required=True)
    parser.add_argument("--images", required=True)
    parser.add_argument("--css", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("pages", nargs="+")
    args = parser.parse_args()

    pages = []
    for path in args.pages:
        with open(path, encoding="utf-8") as f:
            text = f.read()
        name = os.path.splitext(os.path.basename(path))[0]
        pages.append({"name": name, "path": path, "title": title_of(text, path), "body": render(text)})
    names = {page["name"] for page in pages}
    ids = {page["name"]: set(HEADING_ID.findall(page["body"])) for page in pages}

    os.makedirs(os.path.join(args.output, "images"), exist_ok=True)
    errors, pictures = [], set()

    def rewrite(page):
        def one(match):
            attribute, target = match.group(1), match.group(2)
            if re.match(r"^[a-z]+:", target):
                return match.group(0)
            if attribute == "src" or target.startswith("../images/"):
                picture = os.path.basename(target)
                pictures.add(picture)
                return f'{attribute}="images/{picture}"'
            file, _, anchor = target.partition("#")
            if file == "":
                file = page["name"] + ".md"
            if not file.endswith(".md") or file[:-3] not in names:
                errors.append(f"{page['path']}: link to {target}, which is not a page of the guide")
                return match.group(0)
            if anchor and anchor not in ids[file[:-3]]:
                errors.append(f"{page['path']}: link to {target}, a heading that {file} lacks")
            return f'{attribute}="{file[:-3]}.html' + (f"#{anchor}" if anchor else "") + '"'

        return LINK.sub(one, page["body"])

    for index, page in enumerate(pages):
        body = rewrite(page)
        items = []
        for other in pages:
            current = ' class="current"' if other is page else ""
            items.append(
                f'<li{current}><a href="{other["name"]}.html">{html.escape(other["title"])}</a></li>'
            )
        pager = []
        if index > 0:
            previous = pages[index - 1]
            pager.append(f'<a href="{previous["name"]}.html">← {html.escape(previous["title"])}</a>')
        else:
            pager.append("<span></span>")
        if index + 1 < len(pages):
            following = pages[index + 1]
            pager.append(f'<a href="{following["name"]}.html">{html.escape(following["title"])} →</a>')
        document = f"""<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>{html.escape(page["title"])} – Vardex 用户指南</title>
<link rel="stylesheet" href="guide.css">
</head>
<body>
<nav>
<div class="brand"><a href="{pages[0]["name"]}.html">Vardex 用户指南</a></div>
<ol>
{chr(10).join(items)}
</ol>
</nav>
<main>
{body}
<div class="pager">{"".join(pager)}</div>
<div class="version">Vardex {html.escape(args.version)}</div>
</main>
</body>
</html>
"""
        with open(os.path.join(args.output, page["name"] + ".html"), "w", encoding="utf-8") as f:
            f.write(document)

    if errors:
        sys.exit("build-guide: " + "\nbuild-guide: ".join(errors))
    for picture in sorted(pictures):
        source = os.path.join(args.images, picture)
        if os.path.isfile(source):
            shutil.copyfile(source, os.path.join(args.output, "images", picture))
        else:
            print(f"build-guide: warning: picture {picture} is not in {args.images} yet", file=sys.stderr)
    shutil.copyfile(args.css, os.path.join(args.output, "guide.css"))


if __name__ == "__main__":
    main()
