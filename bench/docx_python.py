#!/usr/bin/python3
"""The same worksheet as bench_docx writes, built with python-docx, for comparison.

    docx_python.py QUESTIONS OUTPUT   -> prints the milliseconds spent building and saving
"""
import sys
import time

from docx import Document
from docx.enum.text import WD_ALIGN_PARAGRAPH
from docx.oxml.ns import qn
from docx.shared import Pt


def run(paragraph, text, font, size, bold):
    r = paragraph.add_run(text)
    r.bold = bold
    r.font.size = Pt(size)
    r.font.name = font
    r._element.rPr.rFonts.set(qn("w:eastAsia"), font)
    return r


def main():
    count, output = int(sys.argv[1]), sys.argv[2]
    start = time.perf_counter()
    doc = Document()
    for section in doc.sections:
        section.top_margin = section.bottom_margin = Pt(50)
        section.left_margin = section.right_margin = Pt(50)
    body = doc.paragraphs[0] if doc.paragraphs else doc.add_paragraph()
    body.alignment = WD_ALIGN_PARAGRAPH.CENTER
    run(body, "Tessaly练习", "黑体", 22, True)
    run(body, "    2026/12/7", "黑体", 12, True)
    doc.add_paragraph().alignment = WD_ALIGN_PARAGRAPH.CENTER
    name = doc.add_paragraph()
    name.alignment = WD_ALIGN_PARAGRAPH.CENTER
    run(name, "姓名：___________   座号：__________    情况：___________", "宋体", 12, False)
    doc.add_paragraph().alignment = WD_ALIGN_PARAGRAPH.CENTER
    for i in range(count):
        p = doc.add_paragraph()
        p.alignment = WD_ALIGN_PARAGRAPH.LEFT
        run(p, f"[★★]{i + 1}、小明有{i}个苹果，妈妈又给了他8个，小明现在一共有多少个苹果？", "宋体", 11, False)
        doc.add_paragraph()
        doc.add_paragraph()
    doc.save(output)
    print(f"{(time.perf_counter() - start) * 1000:.2f}")


if __name__ == "__main__":
    main()
