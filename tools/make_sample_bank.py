#!/usr/bin/env python3
"""Writes data/tk.txt, the sample bank that ships with Tessaly.

Every question is made from a template of this file with numbers drawn from a fixed seed, and its
worked answer is computed, so the answers are right by construction. Layout as a downloaded bank:
questionText|grade|topic|difficulty|answer, GB18030, CR LF, no "##".

    python3 tools/make_sample_bank.py [output]
"""
import math
import re
import random
import sys
from fractions import Fraction
from pathlib import Path

# Lowest grade of each textbook topic slot 1..40 (the main window enables a topic from this grade on).
MIN_GRADE = [1, 1, 1, 1, 1, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3, 4, 3, 4, 4,
             4, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6]
# Olympiad topics offered at grade 1 ("和差", "容斥原理", "逻辑推理").
OLYMPIAD_GRADE_ONE = {9, 15, 40}

CN_DIGITS = "零一二三四五六七八九"


def frac(f: Fraction) -> str:
    """A fraction as it is read aloud and written in the bank: "7分之2"; whole numbers plainly."""
    if f.denominator == 1:
        return str(f.numerator)
    return f"{f.denominator}分之{f.numerator}"


def dec(x) -> str:
    """A decimal without trailing zeros: 12.50 -> 12.5, 3.00 -> 3."""
    text = f"{x:.4f}".rstrip("0").rstrip(".")
    return text


def scale(grade: int) -> int:
    """How large the numbers of a grade's questions are."""
    return {1: 10, 2: 50, 3: 100, 4: 300, 5: 500, 6: 800}[grade]


# ---- textbook topics: each function takes (rng, grade) and returns (question, answer) ----

def t_sum(r, g):
    a, b = r.randint(2, scale(g)), r.randint(2, scale(g))
    return (f"小明有{a}个苹果，妈妈又给了他{b}个，小明现在一共有多少个苹果？", f"{a}＋{b}＝{a + b}（个）")


def t_difference(r, g):
    a = r.randint(6, scale(g) + 5)
    b = r.randint(1, a - 1)
    return (f"树上有{a}只小鸟，飞走了{b}只，树上还剩几只小鸟？", f"{a}－{b}＝{a - b}（只）")


def t_more(r, g):
    a, b = r.randint(3, scale(g)), r.randint(1, scale(g) // 2 + 2)
    return (f"红花有{a}朵，黄花比红花多{b}朵，黄花有多少朵？", f"{a}＋{b}＝{a + b}（朵）")


def t_less(r, g):
    a = r.randint(8, scale(g) + 8)
    b = r.randint(1, a - 2)
    return (f"小红有{a}张画片，小丽比小红少{b}张，小丽有多少张画片？", f"{a}－{b}＝{a - b}（张）")


def t_enough(r, g):
    if g == 1:
        b, c = r.randint(2, 9), r.randint(1, 9)
        a = b + c + r.choice([-2, -1, 1, 2, 3])
        s = b + c
        verdict = f"{s}＜{a}，够。" if s < a else (f"{s}＞{a}，不够。" if s > a else f"{s}＝{a}，正好够。")
        return (f"小明有{a}元钱，买一个{b}元的文具盒和一支{c}元的铅笔，钱够不够？", f"{b}＋{c}＝{s}（元）{verdict}")
    k, m = r.randint(4, 9), r.randint(3, 9)
    n = k * m + r.choice([-3, -1, 2, 5])
    seats = k * m
    verdict = f"{seats}＞{n}，够坐。" if seats >= n else f"{seats}＜{n}，不够坐。"
    return (f"每辆车能坐{k}人，{n}人去春游，{m}辆车够不够坐？", f"{k}×{m}＝{seats}（人）{verdict}")


def t_portions(r, g):
    k, n = r.randint(2, 9), r.randint(2, 9 if g < 3 else 30)
    return (f"每盒有{k}支铅笔，{n}盒一共有多少支铅笔？", f"{k}×{n}＝{k * n}（支）")


def t_remainder(r, g):
    k = r.randint(2, 9)
    q = r.randint(2, 9 if g < 3 else 40)
    rem = r.randint(1, k - 1)
    a = k * q + rem
    return (f"有{a}个橘子，每{k}个装一袋，可以装几袋？还剩几个？", f"{a}÷{k}＝{q}（袋）……{rem}（个）")


def t_average(r, g):
    k = r.randint(2, 9)
    each = r.randint(2, 9 if g < 3 else 50)
    return (f"把{k * each}本书平均分给{k}个小组，每个小组分到几本？", f"{k * each}÷{k}＝{each}（本）")


def t_times(r, g):
    a, k = r.randint(3, scale(g) // 4 + 5), r.randint(2, 9)
    return (f"小华有{a}张邮票，小明的邮票张数是小华的{k}倍，小明有多少张邮票？", f"{a}×{k}＝{a * k}（张）")


def t_time(r, g):
    h, m = r.randint(8, 18), r.choice([0, 10, 15, 20, 30, 40, 45])
    d = r.choice([35, 50, 85, 90, 100, 115, 120])
    total = h * 60 + m + d
    return (f"一场电影{h}时{m:02d}分开始，放映了{d}分钟，电影几时几分结束？",
            f"{h}时{m:02d}分＋{d}分＝{total // 60}时{total % 60:02d}分")


def t_chain_multiply(r, g):
    a, b, c = r.randint(2, 12), r.randint(4, 24), r.randint(2, 9)
    return (f"每箱有{a}盒饼干，每盒有{b}块，{c}箱一共有多少块饼干？", f"{b}×{a}×{c}＝{a * b * c}（块）")


def t_chain_divide(r, g):
    a, b, each = r.randint(2, 9), r.randint(2, 6), r.randint(3, 25)
    total = a * b * each
    return (f"{total}个零件平均装进{a}个箱子，每箱再平均分成{b}盒，每盒有多少个零件？",
            f"{total}÷{a}÷{b}＝{each}（个）")


def t_rect_perimeter(r, g):
    w = r.randint(2, 20)
    l = w + r.randint(1, 20)
    return (f"一个长方形花坛长{l}米，宽{w}米，它的周长是多少米？", f"（{l}＋{w}）×2＝{(l + w) * 2}（米）")


def t_like_fractions(r, g):
    n = r.choice([5, 7, 9, 11, 13])
    a = r.randint(1, n - 2)
    b = r.randint(1, n - 1 - a)
    return (f"一块蛋糕，小明吃了它的{n}分之{a}，小红吃了它的{n}分之{b}，两人一共吃了这块蛋糕的几分之几？",
            f"{n}分之{a}＋{n}分之{b}＝{frac(Fraction(a + b, n))}")


def t_decimals(r, g):
    a = r.randint(15, 400) / 10
    b = r.randint(5, 200) / 10
    return (f"一支钢笔{dec(a)}元，一个笔记本{dec(b)}元，买一支钢笔和一个笔记本一共要多少元？",
            f"{dec(a)}＋{dec(b)}＝{dec(round(a + b, 1))}（元）")


def t_rect_area(r, g):
    w = r.randint(2, 30)
    l = w + r.randint(1, 30)
    return (f"一块长方形菜地长{l}米，宽{w}米，它的面积是多少平方米？", f"{l}×{w}＝{l * w}（平方米）")


def t_distance(r, g):
    v, t = r.randint(40, 95), r.randint(2, 8)
    return (f"一辆汽车每小时行{v}千米，{t}小时能行多少千米？", f"{v}×{t}＝{v * t}（千米）")


def t_unit(r, g):
    n, price = r.randint(2, 8), r.randint(2, 12)
    m = r.randint(n + 1, n + 12)
    return (f"{n}支铅笔共{n * price}元，照这样计算，买{m}支这样的铅笔要多少元？",
            f"{n * price}÷{n}＝{price}（元）{price}×{m}＝{price * m}（元）")


def t_total(r, g):
    a, d = r.randint(10, 45) * 2, r.randint(4, 15)  # a is even, so 2 days always divide the work
    days = r.choice([x for x in range(2, d) if (a * d) % x == 0])
    b = a * d // days
    return (f"修一条路，每天修{a}米，{d}天修完。如果每天修{b}米，几天能修完？",
            f"{a}×{d}＝{a * d}（米）{a * d}÷{b}＝{days}（天）")


def t_shortcut(r, g):
    a = r.randint(12, 99)
    b = r.randint(11, 89)
    c = 100 - b
    return (f"学校先买了{b}套桌椅，又买了{c}套同样的桌椅，每套{a}元，一共花了多少元？（用简便方法计算）",
            f"{a}×（{b}＋{c}）＝{a}×100＝{a * 100}（元）")


def t_difference_times(r, g):
    small, k = r.randint(5, 60), r.randint(2, 6)
    d = small * (k - 1)
    return (f"大米比小米多{d}千克，大米的重量是小米的{k}倍，大米和小米各有多少千克？",
            f"小米：{d}÷（{k}－1）＝{small}（千克）大米：{small}×{k}＝{small * k}（千克）")


def t_sum_times(r, g):
    small, k = r.randint(5, 60), r.randint(2, 6)
    s = small * (k + 1)
    return (f"鸡和鸭一共{s}只，鸭的只数是鸡的{k}倍，鸡和鸭各有多少只？",
            f"鸡：{s}÷（{k}＋1）＝{small}（只）鸭：{small}×{k}＝{small * k}（只）")


def t_prices(r, g):
    a = r.randint(60, 300)
    b = r.randint(10, a - 20)
    return (f"一件上衣{a}元，一条裤子比上衣便宜{b}元，买一件上衣和一条裤子一共需要多少元？",
            f"{a}－{b}＝{a - b}（元）{a}＋{a - b}＝{2 * a - b}（元）")


def t_meeting(r, g):
    v1, v2, t = r.randint(40, 80), r.randint(40, 80), r.randint(2, 6)
    d = (v1 + v2) * t
    return (f"甲乙两地相距{d}千米，两辆汽车同时从两地相对开出，一辆每小时行{v1}千米，另一辆每小时行{v2}千米，"
            f"几小时后两车相遇？", f"{d}÷（{v1}＋{v2}）＝{t}（小时）")


def t_triangle(r, g):
    b, h = r.randint(3, 30), r.randint(2, 20) * 2
    return (f"一个三角形的底是{b}厘米，高是{h}厘米，它的面积是多少平方厘米？", f"{b}×{h}÷2＝{b * h // 2}（平方厘米）")


def t_parallelogram(r, g):
    b, h = r.randint(3, 40), r.randint(2, 30)
    return (f"一块平行四边形的地，底是{b}米，高是{h}米，它的面积是多少平方米？", f"{b}×{h}＝{b * h}（平方米）")


def t_trapezoid(r, g):
    a = r.randint(2, 20)
    b = a + r.randint(1, 20)
    h = r.randint(1, 15) * 2
    return (f"一个梯形的上底是{a}米，下底是{b}米，高是{h}米，它的面积是多少平方米？",
            f"（{a}＋{b}）×{h}÷2＝{(a + b) * h // 2}（平方米）")


def t_polygon(r, g):
    l, w, h = r.randint(5, 30), r.randint(4, 20) * 2, r.randint(2, 15)
    area = l * w + w * h // 2
    return (f"一块地由一个长{l}米、宽{w}米的长方形和一个底{w}米、高{h}米的三角形拼成，这块地的面积是多少平方米？",
            f"{l}×{w}＋{w}×{h}÷2＝{area}（平方米）")


def t_factors(r, g):
    gcd = r.randint(3, 12)
    x, y = r.choice([(2, 3), (3, 4), (2, 5), (3, 5), (4, 5), (5, 6), (3, 7)])
    a, b = gcd * x, gcd * y
    return (f"有{a}支铅笔和{b}块橡皮，平均分给一些同学，铅笔和橡皮都正好分完，最多能分给几个同学？",
            f"{a}和{b}的最大公因数是{gcd}，最多能分给{gcd}个同学。")


def t_cuboid_edges(r, g):
    l, w, h = r.randint(6, 20), r.randint(3, 12), r.randint(2, 10)
    return (f"一个长方体长{l}厘米，宽{w}厘米，高{h}厘米，它的棱长总和是多少厘米？",
            f"（{l}＋{w}＋{h}）×4＝{(l + w + h) * 4}（厘米）")


def t_cuboid_surface(r, g):
    l, w, h = r.randint(4, 15), r.randint(2, 10), r.randint(2, 10)
    s = (l * w + l * h + w * h) * 2
    return (f"做一个长{l}分米、宽{w}分米、高{h}分米的长方体纸箱，至少需要多少平方分米的纸板？",
            f"（{l}×{w}＋{l}×{h}＋{w}×{h}）×2＝{s}（平方分米）")


def t_cuboid_volume(r, g):
    l, w, h = r.randint(4, 20), r.randint(2, 12), r.randint(2, 10)
    return (f"一个长方体水箱长{l}分米，宽{w}分米，高{h}分米，它的体积是多少立方分米？",
            f"{l}×{w}×{h}＝{l * w * h}（立方分米）")


def t_unlike_fractions(r, g):
    n1, n2 = r.sample([2, 3, 4, 5, 6, 8], 2)
    total = Fraction(1, n1) + Fraction(1, n2)
    return (f"一根绳子，第一次用去全长的{n1}分之1，第二次用去全长的{n2}分之1，两次一共用去全长的几分之几？",
            f"{n1}分之1＋{n2}分之1＝{frac(total)}")


def t_fraction_multiply(r, g):
    n = r.choice([3, 4, 5, 6, 8])
    m = r.randint(1, n - 1)
    p = n * r.randint(10, 40)
    return (f"一本故事书有{p}页，小明已经看了全书的{n}分之{m}，小明看了多少页？",
            f"{p}×{n}分之{m}＝{p * m // n}（页）")


def t_fraction_divide(r, g):
    n = r.choice([3, 4, 5, 6, 8])
    m = r.randint(1, n - 1)
    total = n * r.randint(10, 40)
    x = total * m // n
    return (f"小华看了一本书的{n}分之{m}，正好是{x}页，这本书一共有多少页？",
            f"{x}÷{n}分之{m}＝{total}（页）")


def t_ratio(r, g):
    a, b = r.choice([(2, 3), (3, 4), (3, 5), (4, 5), (5, 7), (1, 2)])
    unit = r.randint(5, 30)
    s = (a + b) * unit
    return (f"把{s}个苹果按{a}∶{b}分给甲乙两个班，两个班各分到多少个？",
            f"甲班：{s}÷（{a}＋{b}）×{a}＝{a * unit}（个）乙班：{s}÷（{a}＋{b}）×{b}＝{b * unit}（个）")


def t_circle(r, g):
    radius = r.randint(2, 12)
    return (f"一个圆形花坛的半径是{radius}米，它的面积是多少平方米？（π取3.14）",
            f"3.14×{radius}×{radius}＝{dec(round(3.14 * radius * radius, 2))}（平方米）")


def t_discount(r, g):
    p = r.randint(6, 60) * 10
    z = r.choice([5, 6, 7, 8, 9])
    return (f"一件衣服原价{p}元，现在打{CN_DIGITS[z]}折出售，现价是多少元？", f"{p}×{z}0%＝{p * z // 10}（元）")


def t_cylinder(r, g):
    radius, h = r.randint(1, 10), r.randint(2, 20)
    return (f"一个圆柱的底面半径是{radius}厘米，高是{h}厘米，它的体积是多少立方厘米？（π取3.14）",
            f"3.14×{radius}×{radius}×{h}＝{dec(round(3.14 * radius * radius * h, 2))}（立方厘米）")


def t_cone(r, g):
    radius, h = r.randint(1, 10), r.randint(1, 8) * 3
    return (f"一个圆锥的底面半径是{radius}分米，高是{h}分米，它的体积是多少立方分米？（π取3.14）",
            f"3.14×{radius}×{radius}×{h}÷3＝{dec(round(3.14 * radius * radius * h / 3, 2))}（立方分米）")


TEXTBOOK = [t_sum, t_difference, t_more, t_less, t_enough, t_portions, t_remainder, t_average, t_times, t_time,
            t_chain_multiply, t_chain_divide, t_rect_perimeter, t_like_fractions, t_decimals, t_rect_area,
            t_distance, t_unit, t_total, t_shortcut, t_difference_times, t_sum_times, t_prices, t_meeting,
            t_triangle, t_parallelogram, t_trapezoid, t_polygon, t_factors, t_cuboid_edges, t_cuboid_surface,
            t_cuboid_volume, t_unlike_fractions, t_fraction_multiply, t_fraction_divide, t_ratio, t_circle,
            t_discount, t_cylinder, t_cone]


# ---- olympiad topics: (rng, grade) -> (question, answer) ----

def o_average(r, g):
    a = r.randint(80, 92)
    target = r.randint(a + 1, (100 + 3 * a) // 4)  # the fourth score stays at most 100
    b = target * 4 - a * 3
    return (f"小明前三次数学测验的平均分是{a}分，第四次考了{b}分，四次测验的平均分是多少分？",
            f"（{a}×3＋{b}）÷4＝{target}（分）")


def o_remainder(r, g):
    d = r.randint(5, 12)
    q, rem = r.randint(8, 40), r.randint(1, d - 1)
    return (f"一个数除以{d}，商是{q}，余数是{rem}，这个数是多少？", f"{q}×{d}＋{rem}＝{q * d + rem}")


def o_operation(r, g):
    n = r.choice([20, 30, 40, 50, 100])
    return (f"计算：1＋2＋3＋……＋{n}", f"（1＋{n}）×{n}÷2＝{(1 + n) * n // 2}")


def o_fill(r, g):
    a, d = r.randint(1, 20), r.randint(2, 9)
    seq = [a + i * d for i in range(6)]
    return (f"找规律填数：{seq[0]}，{seq[1]}，{seq[2]}，{seq[3]}，（），{seq[5]}",
            f"每次增加{d}，{seq[3]}＋{d}＝{seq[4]}")


def o_cycle(r, g):
    colours = ["红", "黄", "蓝"]
    n = r.randint(20, 100)
    q, rem = divmod(n, 3)
    colour = colours[rem - 1] if rem else colours[2]
    return (f"按“红、黄、蓝”的顺序重复挂彩旗，第{n}面彩旗是什么颜色？",
            f"{n}÷3＝{q}……{rem}，第{n}面是{colour}色。" if rem else f"{n}÷3＝{q}，第{n}面是{colour}色。")


def o_enumerate(r, g):
    k = r.choice([3, 4, 5])
    digits = "、".join(str(i) for i in range(1, k + 1))
    count = k * (k - 1) * (k - 2)
    return (f"用数字{digits}能组成多少个没有重复数字的三位数？", f"{k}×{k - 1}×{k - 2}＝{count}（个）")


def o_substitute(r, g):
    k, m, n, apple = r.randint(2, 5), r.randint(1, 4), r.randint(1, 6), r.randint(5, 30) * 10
    w = (m * k + n) * apple
    return (f"1个梨和{k}个苹果一样重，{m}个梨和{n}个苹果共重{w}克，1个苹果重多少克？",
            f"{m}×{k}＋{n}＝{m * k + n}（个）{w}÷{m * k + n}＝{apple}（克）")


def o_surplus(r, g):
    a = r.randint(2, 5)
    b = a + r.randint(1, 3)
    students = r.randint(5, 20)
    x = r.randint(1, 10)
    pencils = a * students + x
    y = b * students - pencils
    if y <= 0:
        b, y = b + 2, (b + 2) * students - pencils
    return (f"老师分铅笔，每人分{a}支多{x}支，每人分{b}支少{y}支，有多少个学生？有多少支铅笔？",
            f"（{x}＋{y}）÷（{b}－{a}）＝{students}（人）{a}×{students}＋{x}＝{pencils}（支）")


def o_sum_difference(r, g):
    small = r.randint(1, 8 if g == 1 else 60)
    big = small + r.randint(1, 8 if g == 1 else 40)
    s, d = big + small, big - small
    return (f"两个数的和是{s}，差是{d}，这两个数各是多少？",
            f"大数：（{s}＋{d}）÷2＝{big}；小数：（{s}－{d}）÷2＝{small}")


def o_sum_times(r, g):
    small, k = r.randint(3, 50), r.randint(2, 7)
    s = small * (k + 1)
    return (f"两个数的和是{s}，大数是小数的{k}倍，这两个数各是多少？",
            f"小数：{s}÷（{k}＋1）＝{small}；大数：{small}×{k}＝{small * k}")


def o_difference_times(r, g):
    small, k = r.randint(3, 50), r.randint(2, 7)
    d = small * (k - 1)
    return (f"两个数的差是{d}，大数是小数的{k}倍，这两个数各是多少？",
            f"小数：{d}÷（{k}－1）＝{small}；大数：{small}×{k}＝{small * k}")


def o_multiple(r, g):
    a, k, b = r.randint(5, 40), r.randint(2, 6), r.randint(1, 20)
    return (f"甲数是{a}，乙数比甲数的{k}倍多{b}，乙数是多少？", f"{a}×{k}＋{b}＝{a * k + b}")


def o_mistake(r, g):
    a = r.randint(10, 99)
    x = r.randint(a + 1, a + 200)
    wrong = x - a
    return (f"小马虎在计算一个数加{a}时，把加号看成了减号，结果得{wrong}，正确的结果是多少？",
            f"{wrong}＋{a}＝{x}；{x}＋{a}＝{x + a}")


def o_divisible(r, g):
    n, k = r.choice([50, 100, 150, 200, 300]), r.randint(3, 9)
    return (f"1到{n}这些整数中，有多少个数能被{k}整除？", f"{n}÷{k}＝{n // k}……{n % k}，有{n // k}个。"
            if n % k else f"{n}÷{k}＝{n // k}，有{n // k}个。")


def o_inclusion(r, g):
    c = r.randint(1, 3 if g == 1 else 10)
    a = c + r.randint(1, 5 if g == 1 else 15)
    b = c + r.randint(1, 5 if g == 1 else 15)
    neither = r.randint(1, 4 if g == 1 else 10)
    t = a + b - c + neither
    return (f"一个小组有{t}人，喜欢唱歌的有{a}人，喜欢跳舞的有{b}人，两样都喜欢的有{c}人，两样都不喜欢的有几人？",
            f"{a}＋{b}－{c}＝{a + b - c}（人）{t}－{a + b - c}＝{neither}（人）")


def o_unit_total(r, g):
    n, d, each = r.randint(2, 6), r.randint(2, 6), r.randint(10, 50)
    m, e = r.randint(2, 9), r.randint(2, 9)
    p = n * d * each
    return (f"{n}台机器{d}天生产{p}个零件，照这样计算，{m}台机器{e}天能生产多少个零件？",
            f"{p}÷{n}÷{d}＝{each}（个）{each}×{m}×{e}＝{each * m * e}（个）")


def o_meeting(r, g):
    v1, v2, t = r.randint(50, 90), r.randint(50, 90), r.randint(5, 20)
    d = (v1 + v2) * t
    return (f"甲乙两人从相距{d}米的两地同时出发相向而行，甲每分钟走{v1}米，乙每分钟走{v2}米，相遇时甲走了多少米？",
            f"{d}÷（{v1}＋{v2}）＝{t}（分）{v1}×{t}＝{v1 * t}（米）")


def o_chase(r, g):
    v1 = r.randint(50, 70)
    v2 = v1 + r.randint(10, 40)
    gap_t = r.randint(2, 10)
    gap = v1 * gap_t
    while gap % (v2 - v1):
        gap_t += 1
        gap = v1 * gap_t
    return (f"弟弟每分钟走{v1}米，他先走了{gap_t}分钟，哥哥以每分钟{v2}米的速度去追，哥哥几分钟能追上弟弟？",
            f"{v1}×{gap_t}＝{gap}（米）{gap}÷（{v2}－{v1}）＝{gap // (v2 - v1)}（分）")


def o_train(r, g):
    v, t = r.randint(10, 30), r.randint(20, 90)
    l = r.randint(100, 300)
    b = v * t - l
    if b <= 0:
        b, t = b + v * 20, t + 20
    return (f"一列火车长{l}米，每秒行{v}米，它完全通过一座长{b}米的大桥需要多少秒？",
            f"（{l}＋{b}）÷{v}＝{(l + b) // v}（秒）")


def o_current(r, g):
    v, w, t = r.randint(15, 30), r.randint(2, 6), r.randint(2, 8)
    d = (v + w) * t
    return (f"一艘船在静水中每小时行{v}千米，水流速度是每小时{w}千米，这艘船顺水航行{d}千米需要几小时？",
            f"{d}÷（{v}＋{w}）＝{t}（小时）")


def o_work(r, g):
    a, b = r.choice([(10, 15), (12, 24), (20, 30), (6, 12), (4, 12), (15, 30), (12, 36)])
    days = a * b // (a + b)
    return (f"一项工程，甲队单独做{a}天完成，乙队单独做{b}天完成，两队合做几天完成？",
            f"1÷（{a}分之1＋{b}分之1）＝{days}（天）")


def o_concentration(r, g):
    s, p = r.randint(1, 8) * 10, r.choice([10, 20, 25, 40])
    total = s * 100 // p
    return (f"把{s}克盐放入{total - s}克水中，盐水的浓度是多少？", f"{s}÷（{s}＋{total - s}）×100%＝{p}%")


def o_percent(r, g):
    a = r.choice([10, 20, 30])
    result = (100 + a) * (100 - a) // 100
    return (f"一件商品先提价{a}%，再降价{a}%，现价是原价的百分之几？",
            f"（1＋{a}%）×（1－{a}%）＝{result}%")


def o_clock(r, g):
    h = r.randint(1, 6)
    return (f"钟面上{h}点整时，时针和分针所成的较小的角是多少度？", f"360÷12＝30（度）；30×{h}＝{30 * h}（度）")


def o_perimeter(r, g):
    n, a = r.randint(3, 8), r.randint(2, 9)
    return (f"用{n}个边长{a}厘米的正方形排成一排，拼成一个长方形，这个长方形的周长是多少厘米？",
            f"（{a}×{n}＋{a}）×2＝{(a * n + a) * 2}（厘米）")


def o_area(r, g):
    a, x = r.randint(1, 5), r.randint(3, 15)
    s = 2 * x * a + a * a
    return (f"一个正方形的边长增加{a}厘米后，面积增加了{s}平方厘米，原来正方形的边长是多少厘米？",
            f"（{s}－{a}×{a}）÷2÷{a}＝{x}（厘米）")


def o_surface(r, g):
    a = r.randint(2, 12)
    return (f"把一个棱长{a}厘米的正方体切成两个相同的长方体，表面积增加了多少平方厘米？",
            f"{a}×{a}×2＝{a * a * 2}（平方厘米）")


def o_volume(r, g):
    a, h = r.randint(2, 10), r.randint(1, 5)
    return (f"一个底面是边长{a}分米的正方形的长方体水箱，放入一块石头后水面上升了{h}分米，这块石头的体积是多少立方分米？",
            f"{a}×{a}×{h}＝{a * a * h}（立方分米）")


def o_sector(r, g):
    radius, deg = r.randint(1, 5) * 2, r.choice([90, 180])  # an exact area to two decimals
    area = round(3.14 * radius * radius * deg / 360, 2)
    return (f"一个扇形的半径是{radius}厘米，圆心角是{deg}度，它的面积是多少平方厘米？（π取3.14）",
            f"3.14×{radius}×{radius}×{deg}÷360＝{dec(area)}（平方厘米）")


def o_solid(r, g):
    a = r.randint(2, 9)
    return (f"一个正方体的棱长总和是{a * 12}厘米，它的体积是多少立方厘米？",
            f"{a * 12}÷12＝{a}（厘米）{a}×{a}×{a}＝{a ** 3}（立方厘米）")


def o_lcm(r, g):
    a, b = r.sample([4, 6, 8, 9, 10, 12, 15], 2)
    lcm = a * b // math.gcd(a, b)
    return (f"一个数既是{a}的倍数，又是{b}的倍数，这个数最小是多少？", f"{a}和{b}的最小公倍数是{lcm}，最小是{lcm}。")


def o_ratio(r, g):
    a, b = r.choice([(2, 3), (3, 4), (4, 5), (5, 8), (3, 7)])
    unit = r.randint(3, 20)
    return (f"甲乙两数的比是{a}∶{b}，乙数是{b * unit}，甲数是多少？", f"{b * unit}÷{b}×{a}＝{a * unit}")


def o_backwards(r, g):
    x, a, b, c = r.randint(2, 30), r.randint(2, 20), r.randint(2, 6), r.randint(1, 20)
    result = (x + a) * b - c
    return (f"一个数加上{a}，再乘{b}，再减去{c}，结果是{result}，这个数是多少？",
            f"（{result}＋{c}）÷{b}－{a}＝{x}")


def o_assume(r, g):
    chickens, rabbits = r.randint(3, 30), r.randint(3, 30)
    heads, feet = chickens + rabbits, chickens * 2 + rabbits * 4
    return (f"鸡兔同笼，共有{heads}个头，{feet}只脚，鸡和兔各有多少只？",
            f"兔：（{feet}－{heads}×2）÷2＝{rabbits}（只）鸡：{heads}－{rabbits}＝{chickens}（只）")


def o_transform(r, g):
    a, b = r.choice([(2, 3), (3, 4), (3, 5), (4, 5)])
    unit = r.randint(3, 20)
    s = (a + b) * unit
    return (f"甲数的{a}分之1等于乙数的{b}分之1，甲乙两数的和是{s}，甲数是多少？",
            f"甲∶乙＝{a}∶{b}，{s}÷（{a}＋{b}）×{a}＝{a * unit}")


def o_cows(r, g):
    growth = r.randint(2, 8)
    d2 = r.randint(4, 10)
    d1 = d2 + r.choice([2, 4, 5, 10])
    n2 = growth + r.randint(4, 12)
    original = (n2 - growth) * d2
    # n1 cows eat the same pasture in d1 days: (n1 - growth) * d1 == original
    while original % d1:
        d2 += 1
        d1 = d2 + 5
        original = (n2 - growth) * d2
    n1 = original // d1 + growth
    return (f"一片草地，可供{n1}头牛吃{d1}天，或者供{n2}头牛吃{d2}天。草每天长出的量够几头牛吃一天？",
            f"（{n1}×{d1}－{n2}×{d2}）÷（{d1}－{d2}）＝{growth}（头）")


def o_trees(r, g):
    gap = r.choice([2, 3, 4, 5, 6, 10])
    l = gap * r.randint(5, 40)
    return (f"在一条长{l}米的小路一侧，从头到尾每隔{gap}米种一棵树，一共要种多少棵树？",
            f"{l}÷{gap}＋1＝{l // gap + 1}（棵）")


def o_drawer(r, g):
    n = r.randint(13, 50)
    if n % 12 == 0:
        n += 1
    q, rem = divmod(n, 12)
    return (f"一个班有{n}名学生，至少有几名学生的生日在同一个月？", f"{n}÷12＝{q}……{rem}，{q}＋1＝{q + 1}（名）")


def o_strategy(r, g):
    n = r.randint(10, 40)
    if n % 4 == 0:
        n += 1
    return (f"桌上有{n}根火柴，两人轮流拿，每次拿1到3根，拿到最后一根的人获胜。先拿的人第一次应该拿几根才能保证获胜？",
            f"{n}÷4＝{n // 4}……{n % 4}，先拿{n % 4}根，以后每次和对方合起来拿4根。")


def o_logic(r, g):
    names = ["小明", "小红", "小丽", "小华", "小军", "小芳"]
    a, b, c = r.sample(names, 3)
    return (f"{a}、{b}、{c}三人比身高，{a}比{b}高，{c}比{a}高，谁最矮？",
            f"{c}比{a}高，{a}比{b}高，所以{b}最矮。")


OLYMPIAD = [o_average, o_remainder, o_operation, o_fill, o_cycle, o_enumerate, o_substitute, o_surplus,
            o_sum_difference, o_sum_times, o_difference_times, o_multiple, o_mistake, o_divisible, o_inclusion,
            o_unit_total, o_meeting, o_chase, o_train, o_current, o_work, o_concentration, o_percent, o_clock,
            o_perimeter, o_area, o_surface, o_volume, o_sector, o_solid, o_lcm, o_ratio, o_backwards, o_assume,
            o_transform, o_cows, o_trees, o_drawer, o_strategy, o_logic]

# Questions of no topic (未归类题): textbook code 0 and olympiad code 99.
UNCLASSIFIED = [
    ("一本书有48页，小明第一天看了12页，第二天看了15页，还剩多少页没看？", 3, 0, 1, "48－12－15＝21（页）"),
    ("妈妈买了3千克苹果，每千克8元，付了50元，应找回多少元？", 3, 0, 2, "50－8×3＝26（元）"),
    ("学校有男生256人，女生比男生少38人，全校一共有多少人？", 4, 0, 2, "256－38＝218（人）256＋218＝474（人）"),
    ("一个两位数，十位上的数字是个位上的2倍，两个数字的和是9，这个两位数是多少？", 4, 99, 3,
     "9÷（2＋1）＝3，3×2＝6，这个两位数是63。"),
    ("小明今年8岁，爸爸今年36岁，几年后爸爸的年龄是小明的3倍？", 5, 99, 4,
     "（36－8）÷（3－1）＝14（岁）14－8＝6（年）"),
    ("一个数的3倍比它的一半多25，这个数是多少？", 6, 99, 4, "25÷（3－2分之1）＝10"),
]


def separate_steps(answer: str) -> str:
    """Puts "；" between the steps of a worked answer, after a unit such as "（元）" that ends a step."""
    return re.sub(r"(（[^（）\d＋－×÷＝%.]+）)(?=[^…，。；])", r"\1；", answer)


def check(question: str, answer: str) -> None:
    for text in (question, answer):
        for bad in (" ", "\t", "|", "##", "\r", "\n"):
            assert bad not in text, (bad, text)
    for sign in "+-*/=":
        assert sign not in answer, (sign, answer)


def fresh(make, rng, grade, seen):
    """A question whose text the bank does not hold yet: a bank checks for the same question twice."""
    for _ in range(200):
        question, answer = make(rng, grade)
        if question not in seen:
            seen.add(question)
            return question, answer
    raise RuntimeError(f"{make.__name__} gives no new question at grade {grade}")


# Questions whose numbers are drawn when a sheet is made (templates): Tessaly works their answers out
# and `tessaly check` checks them over a sample of values, so they are written as they stand.
TEMPLATES = [
    "小明有{a=2..9}个苹果，妈妈又给他{b=2..9}个，小明现在一共有多少个苹果？|1|1|1|{a}＋{b}＝{a＋b}（个）",
    "停车场有{a=10..20}辆车，开走了{b=2..9}辆，还剩多少辆？|1|2|1|{a}－{b}＝{a－b}（辆）",
    "有{n=10..50}个桃子，每盘放{k=3..9}个，可以放满几盘？还剩几个？{?余(n,k)>0}|2|7|2|{n}÷{k}＝{商(n,k)}（盘）……{余(n,k)}（个）",
    "{#x=2..9}{#y=2..9}把{s=x*y}支铅笔平均分给{x}个同学，每个同学分到几支？|2|8|1|{s}÷{x}＝{y}（支）",
    "一块长方形菜地长{a=5..30}米，宽{b=3..20}米，它的周长是多少米？{?a>b}|3|13|2|（{a}＋{b}）×2＝{(a＋b)×2}（米）",
    "一个长方形长{a=3..12}厘米，宽{b=2..9}厘米，面积是多少平方厘米？{?a>b}|3|16|1|{a}×{b}＝{a×b}（平方厘米）",
    "小红有{a=2..9}本书，小明的书是小红的{k=2..9}倍，小明有多少本书？|3|9|1|{a}×{k}＝{a×k}（本）",
    "一辆汽车每小时行{v=40..90:5}千米，{t=2..6}小时行多少千米？|4|17|2|{v}×{t}＝{v×t}（千米）",
    "{#p=2..20}买{n=3..9}支钢笔用了{s=n*p}元，买{m=2..12}支同样的钢笔要多少元？{?m!=n}|4|18|3|{s}÷{n}＝{p}（元）{p}×{m}＝{p×m}（元）",
    "小明买一支笔用了{a=1.5..9.5:0.5}元，买一本书用了{b=5..20}元，一共用了多少元？|4|15|1|{a}＋{b}＝{a＋b}（元）",
    "一个三角形的底是{a=4..30}厘米，高是{h=3..20}厘米，它的面积是多少平方厘米？{!小数}|5|25|2|{a}×{h}÷2＝{a×h÷2}（平方厘米）",
    "一个长方体长{a=3..12}厘米，宽{b=2..9}厘米，高{c=2..9}厘米，它的体积是多少立方厘米？|5|32|2|{a}×{b}×{c}＝{a×b×c}（立方厘米）",
    "一件衣服原价{p=100..400:20}元，打{k=6..9}折出售，现价多少元？|6|38|2|{p}×{k}0%＝{p×k÷10}（元）",
    "一本书有{n=60..240:12}页，第一天看了全书的{d=3,4,6}分之1，第一天看了多少页？|6|34|2|{n}×{d}分之1＝{n÷d}（页）",
]


def main() -> None:
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "data" / "tk.txt"
    rng = random.Random(20161208)
    seen = set()
    lines = []
    for grade in range(1, 7):
        for slot, make in enumerate(TEXTBOOK, start=1):
            if MIN_GRADE[slot - 1] > grade:
                continue
            for variant in range(3):
                question, answer = fresh(make, rng, grade, seen)
                answer = separate_steps(answer)
                check(question, answer)
                difficulty = (grade + slot + variant) % 6
                lines.append(f"{question}|{grade}|{slot}|{difficulty}|{answer}")
    for slot, make in enumerate(OLYMPIAD, start=41):
        k = slot - 40
        grades = [1, 2, 3] if k in OLYMPIAD_GRADE_ONE else [2 + (k + i) % 5 for i in range(3)]
        for variant, grade in enumerate(grades):
            question, answer = fresh(make, rng, grade, seen)
            answer = separate_steps(answer)
            check(question, answer)
            difficulty = (k + variant * 2) % 6
            lines.append(f"{question}|{grade}|{slot}|{difficulty}|{answer}")
    for question, grade, code, difficulty, answer in UNCLASSIFIED:
        answer = separate_steps(answer)
        check(question, answer)
        lines.append(f"{question}|{grade}|{code}|{difficulty}|{answer}")
    lines.extend(TEMPLATES)
    out.write_bytes(("\r\n".join(lines) + "\r\n").encode("gb18030"))
    print(f"{len(lines)} questions -> {out}")


if __name__ == "__main__":
    main()
