#!/usr/bin/env python3
"""Build the demo pump catalogue of the pump selection program.

Writes, below the folder that holds this tools/ folder:
  txt/bump.dat          catalogue index (kinds, makers, file and picture names)
  txt/<maker>.dat       one pump data file per maker
  txt/水泵选型.txt       help text
  txt/水泵厂商.txt       invitation to pump makers
  images/<maker>.png    maker picture, and images/sm_<maker>.png its thumbnail

All text files are GBK (code page 936), CR LF, no byte-order mark.
Every maker, address, postcode, telephone number and e-mail/web address
is invented.  Python 3 standard library only; the output is deterministic.

Usage:
  python3 tools/make_demo.py            build everything, then check it
  python3 tools/make_demo.py --check    only check the files that are there
"""

import math
import os
import re
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TXT = os.path.join(ROOT, "txt")
IMG = os.path.join(ROOT, "images")

WEB = "www.vornesk.example"
MAIL = "join@vornesk.example"

# ---------------------------------------------------------------------------
# Hydraulics
# ---------------------------------------------------------------------------

MOTORS = [0.37, 0.55, 0.75, 1.1, 1.5, 2.2, 3, 4, 5.5, 7.5, 11, 15, 18.5, 22,
          30, 37, 45, 55, 75, 90, 110, 132, 160, 185, 200, 220, 250, 280,
          315, 355, 400]


def num(x):
    """Plain decimal text: 12.5, 30, 7.5, 0.75."""
    if x >= 100:
        v = round(x)
    elif x >= 1:
        v = round(x, 1)
    else:
        v = round(x, 2)
    s = ("%.2f" % v).rstrip("0").rstrip(".")
    return s


def type_number(q, h_stage, rpm):
    """Impeller type number ns of one impeller eye: flow m3/h, stage head m, r/min."""
    return 3.65 * rpm * math.sqrt(q / 3600.0) / (h_stage ** 0.75)


def efficiency(q, h_stage, rpm, penalty=0.0, double=False):
    """Best-point efficiency estimate from the flow and the impeller type number ns."""
    ns = type_number(q / 2.0 if double else q, h_stage, rpm)
    e = 0.86 - 0.28 * math.exp(-q / 70.0)
    if ns < 70:
        e -= (70 - ns) * 0.005
    elif ns > 250:
        e -= (ns - 250) * 0.0005
    e -= penalty
    return max(0.2, min(0.88, e))


def motor_for(pts, eff):
    """Smallest standard motor covering the shaft power along the range."""
    (q1, h1), (qr, hr), (q2, h2) = pts
    shaft = max(q1 * h1 / (367.0 * eff * 0.85),
                qr * hr / (367.0 * eff),
                q2 * h2 / (367.0 * eff * 0.93))
    if shaft <= 5:
        shaft *= 1.2
    elif shaft <= 30:
        shaft *= 1.12
    else:
        shaft *= 1.08
    for m in MOTORS:
        if m >= shaft - 1e-9:
            return m
    return MOTORS[-1]


RECORD_KEYS = ("型号", "流量1", "流量2", "扬程1", "扬程2", "功率", "备注")


def rec(model, q1, q2, h1, h2, power, remark, duty=None):
    """A pump record; with a duty (best point) it carries a curve too."""
    r = {"型号": model, "流量1": num(q1), "流量2": num(q2),
         "扬程1": num(h1), "扬程2": num(h2), "功率": num(power),
         "备注": remark}
    if duty:
        add_curve(r, duty)
    return r


# ---------------------------------------------------------------------------
# Pump curves
# ---------------------------------------------------------------------------

CURVE_KEYS = ("曲线流量", "曲线扬程", "曲线效率", "曲线功率", "曲线汽蚀余量", "转速")
CURVED_KINDS = ("dj", "gd", "dx", "wq", "sj")


class Duty:
    """A pump's best-efficiency point: flow m3/h, efficiency % and NPSH required m
    as its remark gives them (or estimated), speed r/min, stages, and whether its
    curve starts at shut-off (submersibles start at 30 % of the low-flow end)."""

    def __init__(self, q, eff, npsh, rpm, stages=1, shut_off=True):
        self.q, self.eff, self.npsh, self.rpm = q, eff, npsh, rpm
        self.stages, self.shut_off = stages, shut_off


def shaft_kw(q, h, eff_pct):
    """Shaft power in kW, rho g q H / eta: flow m3/h, head m, efficiency %."""
    return 1000 * 9.81 * (q / 3600.0) * h / (eff_pct / 100.0) / 1000.0


def fine(x):
    """Plain decimal with four significant digits, for curve points: 0.4512, 23.17, 1234."""
    if x == 0:
        return "0"
    decimals = max(0, 3 - math.floor(math.log10(abs(x))))
    return ("%.*f" % (decimals, x)).rstrip("0").rstrip(".") if decimals else "%.0f" % x


def npsh_estimate(q, rpm):
    """NPSH required at the best point from a suction specific speed of about 200."""
    return round(1.0 + (rpm * math.sqrt(q / 3600.0) / 200.0) ** (4.0 / 3.0), 1)


def shut_off_share(ns):
    """Shut-off power as a share of the best-point power: 35 % for narrow impellers,
    rising to 55 % at ns 200."""
    return 0.35 + 0.2 * min(1.0, max(0.0, (ns - 30.0) / 170.0))


def curve_flows(q1, qb, q2, shut_off):
    """The curve's flows: a start towards shut-off, the range's ends, the best point,
    midpoints, and an end 110 to 120 % of the high-flow end, no further than 150 % of
    the best flow where the range allows, as the efficiency parabola runs out there."""
    end = q2 * min(1.2, max(1.1, 1.5 * qb / q2))
    if shut_off:
        return [0.0, q1, (q1 + qb) / 2, qb, (qb + q2) / 2, q2, end]
    return [0.3 * q1, q1, (q1 + qb) / 2, qb, q2, end]


def add_curve(r, duty):
    """Add the curve keys to record r. The flows are plain like the range's; the head
    is the parabola H0 - k q^2 through the range's ends, which stay curve points with
    their own texts; the efficiency is the parabola eff x (2 - x) in x = q / q_best;
    the power follows from the stored, rounded figures, and at shut-off from the
    impeller's type number. A motor that the curve's power in the range outgrows
    becomes the standard size that covers it."""
    q1, q2, h1, h2 = (float(r[k]) for k in ("流量1", "流量2", "扬程1", "扬程2"))
    k = (h1 - h2) / (q2 * q2 - q1 * q1)
    h0 = h1 + k * q1 * q1
    best_flow = num(duty.q)
    flows = [num(q) for q in curve_flows(q1, float(best_flow), q2, duty.shut_off)]
    ends = {r["流量1"]: r["扬程1"], r["流量2"]: r["扬程2"]}
    heads = [ends.get(q) or fine(h0 - k * float(q) ** 2) for q in flows]
    xs = [float(q) / float(best_flow) for q in flows]
    effs = [fine(duty.eff * x * (2 - x)) for x in xs]
    power = [shaft_kw(float(q), float(h), float(e)) if x else None
             for q, h, e, x in zip(flows, heads, effs, xs)]
    best = flows.index(best_flow)
    ns = type_number(float(best_flow), float(heads[best]) / duty.stages, duty.rpm)
    power = [fine(shut_off_share(ns) * power[best] if p is None else p) for p in power]
    npsh = [fine(duty.npsh * (0.5 + 0.5 * x * x)) if x else "" for x in xs]
    in_range = max(float(p) for q, p in zip(flows, power) if q1 <= float(q) <= q2)
    if in_range > float(r["功率"]):
        r["功率"] = num(next(m for m in MOTORS if m >= in_range))
    for key, items in zip(CURVE_KEYS, (flows, heads, effs, power, npsh)):
        r[key] = ",".join(items)
    r["转速"] = "%d" % duty.rpm


# ---------------------------------------------------------------------------
# Pump series
# ---------------------------------------------------------------------------

# IS end-suction pumps: model, Q1, Qr, Q2, H1, Hr, H2, motor kW, eff %, NPSHr, rpm
IS_TABLE = [
    ("IS50-32-125", 7.5, 12.5, 15, 22, 20, 18.5, 2.2, 60, 2.0, 2900),
    ("IS50-32-160", 7.5, 12.5, 15, 34.3, 32, 29.6, 3, 54, 2.0, 2900),
    ("IS50-32-200", 7.5, 12.5, 15, 52.5, 50, 48, 5.5, 48, 2.0, 2900),
    ("IS50-32-250", 7.5, 12.5, 15, 82, 80, 78.5, 11, 38, 2.0, 2900),
    ("IS65-50-125", 15, 25, 30, 22, 20, 18, 3, 69, 2.0, 2900),
    ("IS65-50-160", 15, 25, 30, 35, 32, 30, 5.5, 66, 2.0, 2900),
    ("IS65-40-200", 15, 25, 30, 53, 50, 47, 7.5, 60, 2.0, 2900),
    ("IS65-40-250", 15, 25, 30, 82, 80, 78, 15, 53, 2.0, 2900),
    ("IS65-40-315", 15, 25, 30, 127, 125, 123, 30, 49, 2.5, 2900),
    ("IS80-65-125", 30, 50, 60, 22.5, 20, 18, 5.5, 75, 3.0, 2900),
    ("IS80-65-160", 30, 50, 60, 36, 32, 29, 7.5, 73, 2.5, 2900),
    ("IS80-50-200", 30, 50, 60, 53, 50, 47, 15, 69, 2.5, 2900),
    ("IS80-50-250", 30, 50, 60, 84, 80, 75, 22, 63, 2.5, 2900),
    ("IS80-50-315", 30, 50, 60, 128, 125, 123, 37, 56, 2.5, 2900),
    ("IS100-80-125", 60, 100, 120, 24, 20, 16.5, 11, 78, 4.5, 2900),
    ("IS100-80-160", 60, 100, 120, 36, 32, 28, 15, 76, 4.0, 2900),
    ("IS100-65-200", 60, 100, 120, 54, 50, 47, 22, 74, 3.6, 2900),
    ("IS100-65-250", 60, 100, 120, 87, 80, 74.5, 37, 70, 3.8, 2900),
    ("IS100-65-315", 60, 100, 120, 133, 125, 118, 75, 65, 3.6, 2900),
    ("IS125-100-200", 120, 200, 240, 57.5, 50, 44.5, 45, 80, 4.5, 2900),
    ("IS125-100-250", 120, 200, 240, 87, 80, 72, 75, 77, 4.5, 2900),
    ("IS125-100-315", 120, 200, 240, 132.5, 125, 120, 110, 74, 4.5, 2900),
    ("IS125-100-400", 60, 100, 120, 52, 50, 48.5, 30, 65, 2.5, 1450),
    ("IS150-125-250", 120, 200, 240, 22.5, 20, 17.5, 18.5, 81, 3.0, 1450),
    ("IS150-125-315", 120, 200, 240, 34, 32, 29, 30, 79, 2.5, 1450),
    ("IS150-125-400", 120, 200, 240, 53, 50, 46, 45, 77, 2.8, 1450),
    ("IS200-150-250", 240, 400, 460, 23, 20, 17.5, 37, 82, 3.5, 1450),
    ("IS200-150-315", 240, 400, 460, 37, 32, 28.5, 55, 82, 3.5, 1450),
    ("IS200-150-400", 240, 400, 460, 55, 50, 45, 90, 81, 3.8, 1450),
]


def maker_is_base():
    out = []
    for (m, q1, qr, q2, h1, hr, h2, p, e, npsh, rpm) in IS_TABLE:
        out.append(rec(m, q1, q2, h1, h2, p,
                       "转速%dr/min，效率%d%%，必需汽蚀余量%sm；泵体、泵盖HT250铸铁，"
                       "叶轮HT200，轴45号钢；软填料密封，可按要求改为机械密封；"
                       "输送清水或物理化学性质类似于清水的液体，温度不高于80℃。"
                       % (rpm, e, "%.1f" % npsh), Duty(qr, e, npsh, rpm)))
    return out


def cut(q1, qr, q2, h1, hr, h2, kq, kh):
    return q1 * kq, qr * kq, q2 * kq, h1 * kh, hr * kh, h2 * kh


def maker_is_cut():
    out = []
    wanted = {"IS50-32-160": "A", "IS50-32-200": "A", "IS50-32-250": "AB",
              "IS65-50-160": "A", "IS65-40-200": "A", "IS65-40-250": "A",
              "IS65-40-315": "AB", "IS80-65-160": "A", "IS80-50-200": "A",
              "IS80-50-250": "A", "IS80-50-315": "AB", "IS100-80-160": "A",
              "IS100-65-200": "A", "IS100-65-250": "A", "IS100-65-315": "AB",
              "IS125-100-200": "A", "IS125-100-250": "A",
              "IS125-100-315": "A"}
    for (m, q1, qr, q2, h1, hr, h2, p, e, npsh, rpm) in IS_TABLE:
        for v in wanted.get(m, ""):
            kq, kh, de = (0.935, 0.875, 0.02) if v == "A" else (0.87, 0.76, 0.04)
            a = cut(q1, qr, q2, h1, hr, h2, kq, kh)
            eff = e / 100.0 - de
            pw = motor_for(((a[0], a[3]), (a[1], a[4]), (a[2], a[5])), eff)
            out.append(rec(m + v, a[0], a[2], a[3], a[5], pw,
                           "%s型切割叶轮，转速%dr/min，效率%d%%，必需汽蚀余量%sm；"
                           "泵体HT250，叶轮可选304不锈钢；单端面机械密封；"
                           "适用于城市给水、空调循环水和工业冷却水，介质温度不高于80℃。"
                           % (v, rpm, round(eff * 100), "%.1f" % npsh),
                           Duty(a[1], round(eff * 100), npsh, rpm)))
    return out


def maker_is_low():
    out = []
    for (m, q1, qr, q2, h1, hr, h2, p, e, npsh, rpm) in IS_TABLE:
        if rpm != 2900 or m.startswith("IS50"):
            continue
        a = cut(q1, qr, q2, h1, hr, h2, 0.5, 0.25)
        eff = e / 100.0 - 0.03
        npsh_low = round(max(1.5, npsh / 4 + 1), 1)
        pw = motor_for(((a[0], a[3]), (a[1], a[4]), (a[2], a[5])), eff)
        out.append(rec(m + "(1450)", a[0], a[2], a[3], a[5], pw,
                       "四极电机，转速1450r/min，效率%d%%，必需汽蚀余量%sm；"
                       "运行噪声低、寿命长，适用于住宅小区和医院等对噪声有要求的给水排水及循环系统；"
                       "泵体HT250，机械密封，介质温度不高于80℃。"
                       % (round(eff * 100), "%.1f" % npsh_low),
                       Duty(a[1], round(eff * 100), npsh_low, 1450)))
    return out


# ISG vertical in-line pumps
ISG_FLOW = {"25": (2.8, 4, 5.2), "32": (3.5, 5, 6.5), "40": (4.4, 6.3, 8.3),
            "50": (8.8, 12.5, 16.3), "65": (17.5, 25, 32.5),
            "80": (35, 50, 65), "100": (70, 100, 130), "125": (112, 160, 208),
            "150": (140, 200, 260)}
ISG_HEAD = {"110": 15, "125": 20, "160": 32, "200": 50, "250": 80}
ISG_MODELS = ["25-110", "25-125", "25-160", "32-125", "32-160", "32-200",
              "40-125", "40-160", "40-200", "40-250", "50-125", "50-160",
              "50-200", "50-250", "65-125", "65-160", "65-200", "65-250",
              "80-125", "80-160", "80-200", "80-250", "100-125", "100-160",
              "100-200", "100-250", "125-160", "150-160", "150-200"]


def isg_point(name):
    dn, imp = name.split("-")
    q1, qr, q2 = ISG_FLOW[dn]
    hr = ISG_HEAD[imp]
    if int(dn) >= 80:
        h1, h2 = hr * 1.1, hr * 0.87
    else:
        h1, h2 = hr * 1.06, hr * 0.91
    return q1, qr, q2, h1, hr, h2


def isg_npsh(q):
    """NPSH required at the best point of an in-line pump, to the remark's 0.1 m."""
    return round(1.8 + 0.012 * q, 1)


def maker_isg():
    out = []
    for name in ISG_MODELS:
        q1, qr, q2, h1, hr, h2 = isg_point(name)
        eff = efficiency(qr, hr, 2900, 0.02)
        pw = motor_for(((q1, h1), (qr, hr), (q2, h2)), eff)
        out.append(rec("ISG" + name, q1, q2, h1, h2, pw,
                       "转速2900r/min，效率%d%%，必需汽蚀余量%sm；进出口口径DN%s，同一中心线；"
                       "泵体HT250，机械密封；适用于高层建筑增压给水、空调冷热水循环，介质温度不高于80℃。"
                       % (round(eff * 100), "%.1f" % isg_npsh(qr), name.split("-")[0]),
                       Duty(qr, round(eff * 100), isg_npsh(qr), 2900)))
    return out


def maker_isg_cut():
    out = []
    for name in ISG_MODELS:
        dn, imp = name.split("-")
        if int(dn) < 40 or imp in ("110", "125"):
            continue
        vs = "AB" if imp == "250" else "A"
        q1, qr, q2, h1, hr, h2 = isg_point(name)
        for v in vs:
            kq, kh, de = (0.935, 0.875, 0.02) if v == "A" else (0.87, 0.76, 0.04)
            a = cut(q1, qr, q2, h1, hr, h2, kq, kh)
            eff = efficiency(qr, hr, 2900, 0.02) - de
            pw = motor_for(((a[0], a[3]), (a[1], a[4]), (a[2], a[5])), eff)
            out.append(rec("ISG" + name + v, a[0], a[2], a[3], a[5], pw,
                           "%s型切割叶轮，转速2900r/min，效率%d%%；泵体HT250，叶轮304不锈钢，"
                           "机械密封；热水型（IRG）可输送不高于120℃的热水，用于锅炉给水和供暖循环。"
                           % (v, round(eff * 100)),
                           Duty(a[1], round(eff * 100), isg_npsh(a[1]), 2900)))
    return out


SG_LIST = [(25, 3, 15), (25, 3, 20), (32, 4, 20), (32, 4, 30), (40, 6, 20),
           (40, 6, 30), (40, 8, 40), (50, 10, 15), (50, 10, 34), (50, 15, 30),
           (65, 20, 20), (65, 25, 32), (80, 40, 20), (80, 50, 35),
           (100, 100, 20)]


def maker_sg():
    out = []
    for dn, qr, hr in SG_LIST:
        q1, q2, h1, h2 = qr * 0.6, qr * 1.3, hr * 1.12, hr * 0.8
        eff = efficiency(qr, hr, 2900, 0.05)
        pw = motor_for(((q1, h1), (qr, hr), (q2, h2)), eff)
        out.append(rec("%dSG%d-%d" % (dn, qr, hr), q1, q2, h1, h2, pw,
                       "转速2850r/min，效率%d%%；泵体、叶轮铸铁，机械密封，电机防护等级IP44；"
                       "体积小、安装方便，适用于楼层管网增压、太阳能热水器及淋浴加压，介质温度不高于60℃。"
                       % round(eff * 100),
                       Duty(qr, round(eff * 100), npsh_estimate(qr, 2850), 2850)))
    return out


# S double-suction split-case pumps: model, Q1, Qr, Q2, H1, Hr, H2, rpm
S_TABLE = [
    ("150S50", 130, 160, 220, 52, 50, 40, 2950),
    ("150S78", 126, 160, 198, 84, 78, 70, 2950),
    ("150S100", 126, 160, 202, 102, 100, 90, 2950),
    ("200S42", 216, 280, 342, 48, 42, 35, 2950),
    ("200S63", 216, 280, 351, 69, 63, 50, 2950),
    ("200S95", 216, 280, 342, 103, 95, 85, 2950),
    ("250S14", 360, 485, 612, 17.5, 14, 10, 1470),
    ("250S24", 360, 485, 576, 27, 24, 19, 1470),
    ("250S39", 360, 485, 612, 42.5, 39, 32.5, 1470),
    ("250S65", 360, 485, 612, 71, 65, 56, 1470),
    ("300S12", 612, 790, 900, 14.5, 12, 10, 1470),
    ("300S19", 612, 790, 935, 22, 19, 14, 1470),
    ("300S32", 612, 790, 935, 36, 32, 25.5, 1470),
    ("300S58", 576, 790, 972, 67, 58, 52, 1470),
    ("350S16", 972, 1260, 1440, 20, 16, 13.4, 1470),
    ("350S26", 972, 1260, 1440, 32, 26, 22, 1470),
    ("350S44", 972, 1260, 1440, 50, 44, 37, 1470),
    ("350S75", 1000, 1260, 1620, 80, 75, 65, 1470),
    ("500S13", 1620, 2020, 2340, 16, 13, 10.5, 970),
    ("500S22", 1620, 2020, 2340, 27, 22, 16, 970),
    ("500S35", 1620, 2020, 2340, 39, 35, 28, 1480),
]


def maker_s():
    out = []
    for (m, q1, qr, q2, h1, hr, h2, rpm) in S_TABLE:
        eff = efficiency(qr, hr, rpm, 0.0, double=True)
        pw = motor_for(((q1, h1), (qr, hr), (q2, h2)), eff)
        out.append(rec(m, q1, q2, h1, h2, pw,
                       "转速%dr/min，效率%d%%，必需汽蚀余量%sm；水平中开式泵壳，双吸叶轮，"
                       "轴向力自平衡；泵体HT250，叶轮ZG230-450，填料密封；适用于水厂取水、城市供水加压及循环水。"
                       % (rpm, round(eff * 100), "%.1f" % (2.5 + qr / 500.0 * (rpm / 1470.0)))))
    return out


def maker_s_cut():
    out = []
    wanted = {"150S50": "AB", "150S78": "A", "150S100": "A", "200S42": "A",
              "200S63": "AB", "200S95": "A", "250S14": "A", "250S24": "A",
              "250S39": "A", "250S65": "A", "300S12": "A", "300S19": "A",
              "300S32": "A", "300S58": "A", "350S26": "A", "350S44": "A"}
    for (m, q1, qr, q2, h1, hr, h2, rpm) in S_TABLE:
        for v in wanted.get(m, ""):
            kq, kh, de = (0.93, 0.86, 0.02) if v == "A" else (0.86, 0.74, 0.04)
            a = cut(q1, qr, q2, h1, hr, h2, kq, kh)
            eff = efficiency(qr, hr, rpm, 0.0, double=True) - de
            pw = motor_for(((a[0], a[3]), (a[1], a[4]), (a[2], a[5])), eff)
            out.append(rec(m + v, a[0], a[2], a[3], a[5], pw,
                           "%s型切割叶轮，转速%dr/min，效率%d%%；泵盖可沿中开面拆下检修转子，"
                           "不必拆卸管路；轴套可更换，机械密封可选；适用于灌溉排涝和工矿供水。"
                           % (v, rpm, round(eff * 100))))
    return out


# multistage pumps: family, Q1, Qr, Q2, stage heads H1, Hr, H2, rpm, stages
D_FAMILIES = [
    ("D6-25", 3.75, 6.3, 7.5, 26.5, 25, 22, 2950, (3, 5, 7)),
    ("D12-25", 7.5, 12.5, 15, 26.5, 25, 22.5, 2950, (3, 4, 5, 6, 7, 8, 9)),
    ("D25-30", 15, 25, 30, 31.5, 30, 27, 2950, (3, 4, 5, 6, 7, 8)),
    ("D46-30", 30, 46, 55, 33, 30, 26, 2950, (3, 4, 5, 6, 7)),
    ("D85-45", 55, 85, 100, 48, 45, 40, 2950, (2, 3, 4, 5, 6)),
    ("D155-30", 100, 155, 185, 33, 30, 27, 2950, (2, 3, 4, 5)),
]

DL_FAMILIES = [
    ("40DL6-12", 4, 6.3, 7.5, 13, 12, 10.5, 1450, (3, 4, 5, 6)),
    ("50DL12-12", 8.5, 12.6, 15, 13, 12, 10.6, 1450, (3, 4, 5, 6)),
    ("65DL30-15", 20, 30, 36, 16.2, 15, 13, 1450, (2, 3, 4, 5, 6)),
    ("80DL50-20", 35, 50, 60, 21.5, 20, 17.5, 1450, (2, 3, 4, 5)),
    ("100DL100-20", 70, 100, 120, 22, 20, 17, 1450, (2, 3, 4, 5)),
    ("125DL150-20", 105, 150, 180, 22, 20, 17.5, 1450, (2, 3, 4)),
]

CDL_FAMILIES = [
    ("CDL2", 1, 2, 3, 8.5, 7.5, 5.5, 2900, (4, 6, 8, 10, 12, 15)),
    ("CDL4", 2, 4, 6, 9, 7.6, 5.2, 2900, (4, 6, 8, 10, 12, 14)),
    ("CDL8", 5, 8, 11, 10, 8.5, 5.5, 2900, (3, 5, 7, 9, 11, 13)),
    ("CDL16", 10, 16, 20, 14, 12, 8.5, 2900, (2, 4, 6, 8, 10)),
    ("CDL32", 20, 32, 40, 19, 17, 12, 2900, (2, 3, 4, 5, 6)),
]


def multistage(families, naming, penalty, remark):
    out = []
    for (fam, q1, qr, q2, s1, sr, s2, rpm, stages) in families:
        eff = efficiency(qr, sr, rpm, penalty)
        for n in stages:
            h1, hr, h2 = s1 * n, sr * n, s2 * n
            pw = motor_for(((q1, h1), (qr, hr), (q2, h2)), eff)
            out.append(rec(naming(fam, n), q1, q2, h1, h2, pw,
                           remark % (n, rpm, round(eff * 100)),
                           Duty(qr, round(eff * 100), npsh_estimate(qr, rpm), rpm, n)))
    return out


def maker_d():
    return multistage(D_FAMILIES, lambda f, n: "%s×%d" % (f, n), 0.03,
                      "卧式分段多级，%d级，转速%dr/min，效率%d%%；进口水平、出口垂直向上，"
                      "平衡盘平衡轴向力；泵体HT250，叶轮HT200，填料密封；适用于矿山排水、锅炉给水和高层供水。")


def maker_dl():
    return multistage(DL_FAMILIES, lambda f, n: "%s×%d" % (f, n), 0.04,
                      "立式多级，%d级，转速%dr/min，效率%d%%；进出口在同一水平面，占地面积小；"
                      "泵体HT250，机械密封；适用于高层建筑生活给水、消防稳压和工业冷却水。")


def maker_cdl():
    return multistage(CDL_FAMILIES, lambda f, n: "%s-%d" % (f, n * 10), 0.06,
                      "轻型立式多级，%d级，转速%dr/min，效率%d%%；过流部件304不锈钢冲压焊接，"
                      "集装式机械密封；无污染，适用于生活给水变频加压、纯水和软化水输送。")


# submersible sewage pumps: (Q, H) rated points
WQ_POINTS = [(10, 10), (10, 20), (15, 15), (15, 22), (20, 7), (20, 15),
             (25, 10), (25, 22), (30, 15), (30, 30), (40, 15), (40, 30),
             (50, 10), (50, 25), (65, 15), (80, 10), (80, 25), (100, 15),
             (100, 30), (145, 9), (150, 15), (200, 10), (200, 22), (250, 15),
             (300, 10), (400, 15), (600, 12), (800, 15)]
QW_POINTS = [(12, 15), (15, 25), (20, 12), (25, 25), (30, 10), (35, 50),
             (40, 7), (40, 20), (45, 35), (50, 18), (60, 13), (70, 22),
             (100, 10), (120, 25), (150, 10), (180, 15), (220, 20), (260, 10),
             (350, 18), (500, 10), (700, 20), (1000, 10)]
WQD_POINTS = [(3, 12), (5, 10), (6, 8), (6, 16), (8, 10), (10, 7), (10, 10),
              (10, 15), (12, 7), (15, 7), (15, 10), (20, 7), (25, 8)]


def sewage_dn(q):
    for lim, dn in ((15, 50), (30, 65), (50, 80), (120, 100), (250, 150),
                    (450, 200), (700, 250)):
        if q <= lim:
            return dn
    return 300


def sewage(points, fmt, penalty, remark, rpm_of):
    out = []
    for qr, hr in points:
        q1, q2, h1, h2 = qr * 0.6, qr * 1.3, hr * 1.18, hr * 0.72
        rpm = rpm_of(qr, hr)
        eff = efficiency(qr, hr, rpm, penalty)
        pw = motor_for(((q1, h1), (qr, hr), (q2, h2)), eff)
        dn = sewage_dn(qr)
        r = rec("", q1, q2, h1, h2, pw,
                remark % (rpm, round(eff * 100), dn, max(8, dn // 3)),
                Duty(qr, round(eff * 100), npsh_estimate(qr, rpm), rpm, shut_off=False))
        # the model names the motor, which the curve may have made larger
        r["型号"] = fmt(dn, qr, hr, float(r["功率"]))
        out.append(r)
    return out


def wq_rpm(q, h):
    return 2900 if q * h <= 2500 else (1450 if q < 500 else 980)


def maker_wq():
    return sewage(WQ_POINTS, lambda dn, q, h, p: "%dWQ%d-%d-%s" % (dn, q, h, num(p)),
                  0.12,
                  "转速%dr/min，效率%d%%，出口DN%d；无堵塞单流道叶轮，可通过%dmm固体颗粒；"
                  "双端面机械密封，油室和电机设漏水及过热保护；配自动耦合装置，适用于污水池、地下室集水坑排水。",
                  wq_rpm)


def maker_qw():
    return sewage(QW_POINTS, lambda dn, q, h, p: "%dQW%d-%d-%s" % (dn, q, h, num(p)),
                  0.11,
                  "转速%dr/min，效率%d%%，出口DN%d；双流道叶轮，通过颗粒%dmm；"
                  "泵体、叶轮HT250，碳化硅机械密封；可移动式或固定式安装，适用于市政排水、雨水泵站和工厂废水。",
                  wq_rpm)


def maker_wqd():
    return sewage(WQD_POINTS, lambda dn, q, h, p: "WQD%d-%d-%s" % (q, h, num(p)),
                  0.18,
                  "单相220V，转速%dr/min，效率%d%%，出口DN%d；带浮球开关自动启停，"
                  "可通过%dmm杂质；不锈钢电机外壳；适用于别墅和地下车库集水坑、化粪池排水。",
                  lambda q, h: 2850)


# fire pumps: (L/s, pressure in 0.1 MPa)
XBD_L_POINTS = [(5, 3), (5, 5), (5, 7), (10, 3), (10, 4), (10, 5), (10, 6),
                (10, 8), (15, 3), (15, 4), (15, 5), (15, 6), (15, 8), (20, 3),
                (20, 4), (20, 5), (20, 6), (20, 8), (25, 4), (25, 5), (25, 7),
                (30, 4), (30, 5), (30, 7), (35, 4), (35, 6), (40, 5), (40, 8)]
XBD_D_POINTS = [(5, 8), (5, 10), (5, 12), (5, 14), (10, 8), (10, 10),
                (10, 12), (10, 14), (10, 16), (15, 8), (15, 10), (15, 12),
                (15, 14), (15, 16), (20, 8), (20, 10), (20, 12), (20, 14),
                (20, 16), (25, 8), (25, 10), (25, 12), (25, 14), (30, 8),
                (30, 10), (30, 12), (30, 14), (40, 8), (40, 10), (40, 12)]
XBD_W_POINTS = [(10, 3), (10, 5), (10, 7), (15, 3), (15, 5), (15, 7),
                (20, 3), (20, 5), (20, 7), (20, 9), (25, 4), (25, 6), (25, 8),
                (30, 4), (30, 6), (30, 8), (40, 4), (40, 6), (40, 8), (50, 5),
                (50, 7)]


def fire_dn(ls):
    for lim, dn in ((5, 65), (10, 80), (20, 100), (30, 125), (40, 150)):
        if ls <= lim:
            return dn
    return 200


def fire(points, kind, remark, stage_head=None):
    out = []
    for ls, p in points:
        qr, hr = ls * 3.6, p * 10.0
        q1, q2, h1, h2 = qr * 0.8, qr * 1.25, hr * 1.1, hr * 0.85
        if stage_head:
            n = max(2, int(round(hr / stage_head(ls))))
            hs = hr / n
        else:
            n, hs = 1, hr
        eff = efficiency(qr, hs, 2900, 0.03)
        pw = motor_for(((q1, h1), (qr, hr), (q2, h2)), eff)
        dn = fire_dn(ls)
        model = "XBD%d/%d-%d%s" % (p, ls, dn, kind)
        if stage_head:
            out.append(rec(model, q1, q2, h1, h2, pw,
                           remark % (p / 10.0, ls, n, round(eff * 100))))
        else:
            out.append(rec(model, q1, q2, h1, h2, pw,
                           remark % (p / 10.0, ls, round(eff * 100))))
    return out


def maker_xbd_l():
    return fire(XBD_L_POINTS, "L",
                "额定压力%.1fMPa，额定流量%dL/s，转速2900r/min，效率%d%%；立式单级，"
                "进出口同一中心线；零流量压力不大于额定压力的140%%；用于室内外消火栓和自动喷水灭火系统。")


def maker_xbd_d():
    return fire(XBD_D_POINTS, "D",
                "额定压力%.1fMPa，额定流量%dL/s，卧式多级%d级，转速2900r/min，效率%d%%；"
                "1.5倍额定流量时压力不低于额定压力的65%%；用于高层建筑临时高压消防给水系统。",
                stage_head=lambda ls: 22 if ls <= 15 else 28)


def maker_xbd_w():
    return fire(XBD_W_POINTS, "W",
                "额定压力%.1fMPa，额定流量%dL/s，卧式单级端吸，转速2900r/min，效率%d%%；"
                "泵体HT250，叶轮铸铜，机械密封；可配柴油机备用泵组，用于工厂、仓库和多层建筑消防给水。")


# deep-well submersible pumps: family, Q1, Qr, Q2, stage heads, stages, well, rpm
QJ_SMALL = [
    ("100QJ2", 1, 2, 3, 6, 5, 3.2, (7, 10, 14, 18)),
    ("100QJ4", 2, 4, 6, 5.2, 4.5, 2.8, (8, 12, 16, 20)),
    ("100QJ6", 3.5, 6, 8, 4.5, 3.8, 2.4, (6, 9, 12, 15)),
    ("100QJ8", 5, 8, 10, 4, 3.3, 2.3, (5, 8, 11, 14)),
]
QJ_MID = [
    ("150QJ10", 6, 10, 13, 7.6, 6.5, 5.2, (5, 8, 10, 13, 15, 18)),
    ("150QJ20", 12, 20, 25, 7, 6, 4.6, (4, 6, 9, 12, 15)),
    ("150QJ32", 20, 32, 38, 7, 6, 4.5, (4, 6, 8, 10, 13)),
    ("175QJ32", 20, 32, 40, 9.5, 8, 6.2, (4, 6, 8, 10, 12)),
    ("175QJ40", 24, 40, 48, 10, 8.5, 6.5, (3, 5, 7, 9)),
]
QJ_BIG = [
    ("200QJ32", 20, 32, 40, 7.6, 6.5, 5, (5, 8, 12, 16)),
    ("200QJ50", 30, 50, 60, 15, 13, 10, (2, 3, 4, 6, 8, 10)),
    ("200QJ63", 40, 63, 75, 13, 11.5, 9, (3, 4, 6, 8)),
    ("200QJ80", 50, 80, 96, 12.5, 11, 8.5, (2, 3, 4, 5, 6, 8)),
    ("250QJ80", 50, 80, 100, 17, 15, 12, (2, 3, 4, 6, 8)),
    ("250QJ125", 80, 125, 150, 18, 16, 12.5, (2, 3, 4, 5, 6)),
    ("300QJ200", 130, 200, 240, 23, 20, 15.5, (2, 3, 4, 5)),
]


def deepwell(families, penalty, remark):
    out = []
    for (fam, q1, qr, q2, s1, sr, s2, stages) in families:
        eff = efficiency(qr, sr, 2850, penalty)
        well = int(fam.split("QJ")[0])
        for n in stages:
            h1, hr, h2 = s1 * n, sr * n, s2 * n
            pw = motor_for(((q1, h1), (qr, hr), (q2, h2)), eff)
            out.append(rec("%s-%d/%d" % (fam, round(hr), n), q1, q2, h1, h2, pw,
                           remark % (well, n, round(eff * 100)),
                           Duty(qr, round(eff * 100), npsh_estimate(qr, 2850), 2850, n,
                                shut_off=False)))
    return out


def maker_qj_mid():
    return deepwell(QJ_MID, 0.05,
                    "适用井径不小于%dmm，%d级，转速2850r/min，效率%d%%；充水湿式潜水电机，"
                    "出口带止回阀；泵体铸铁，叶轮锡青铜；水中含砂量不大于0.01%%，适用于城乡深井供水和农田灌溉。")


def maker_qj_big():
    return deepwell(QJ_BIG, 0.04,
                    "适用井径不小于%dmm，%d级，转速2850r/min，效率%d%%；导流壳和叶轮为铸钢，"
                    "耐磨口环；充水湿式电机，星三角或软起动；适用于水厂深井取水、矿山排水和工业给水。")


def maker_qj_small():
    return deepwell(QJ_SMALL, 0.14,
                    "适用井径不小于%dmm，%d级，转速2850r/min，效率%d%%；全不锈钢泵体，"
                    "工程塑料叶轮，耐砂磨；配充油式潜水电机和控制箱；适用于家庭、农村小型供水和庭院灌溉。")


# self-priming pumps: DN, Qr, Hr
ZX_LIST = [(25, 3.2, 20), (32, 6.3, 20), (40, 6.3, 32), (40, 10, 40),
           (50, 12.5, 32), (50, 12.5, 50), (50, 20, 30), (65, 25, 32),
           (65, 25, 50), (65, 30, 55), (80, 40, 45), (80, 50, 32),
           (80, 50, 50), (100, 70, 80), (100, 100, 40), (100, 100, 60),
           (125, 120, 55), (150, 170, 55), (150, 180, 38), (200, 300, 55)]
ZW_LIST = [(25, 8, 15), (32, 10, 20), (40, 20, 15), (40, 10, 40),
           (50, 10, 20), (50, 20, 22), (65, 30, 18), (65, 25, 40),
           (80, 40, 16), (80, 50, 25), (100, 80, 20), (100, 100, 15),
           (100, 100, 30), (125, 120, 20), (150, 180, 14), (150, 150, 30),
           (200, 300, 18), (200, 400, 17)]


def selfpriming(items, sym, penalty, remark):
    out = []
    for dn, qr, hr in items:
        q1, q2, h1, h2 = qr * 0.7, qr * 1.2, hr * 1.1, hr * 0.85
        rpm = 2900 if qr * hr < 3000 else 1450
        eff = efficiency(qr, hr, rpm, penalty)
        pw = motor_for(((q1, h1), (qr, hr), (q2, h2)), eff)
        out.append(rec("%d%s%s-%d" % (dn, sym, num(qr), hr), q1, q2, h1, h2, pw,
                       remark % (rpm, round(eff * 100))))
    return out


def maker_zx():
    return selfpriming(ZX_LIST, "ZX", 0.08,
                       "转速%dr/min，效率%d%%，自吸高度5m，自吸时间不超过120s；"
                       "泵体HT200，机械密封；吸入管不需底阀，适用于消防水池取水、船舶压载和移动给水。")


def maker_zw():
    return selfpriming(ZW_LIST, "ZW", 0.14,
                       "转速%dr/min，效率%d%%，自吸高度4.5m；无堵塞叶轮，可通过含纤维和固体颗粒的污水；"
                       "油浴式机械密封，泵体设检修手孔；适用于污水池、化粪池、雨水井和养殖场排污。")


# ---------------------------------------------------------------------------
# The catalogue
# ---------------------------------------------------------------------------

KINDS = [
    ("单级单吸离心泵",
     "单级单吸悬臂式离心泵（IS型），吸入口水平轴向，排出口垂直向上，后开门结构，检修时不必拆卸进出口管路。"
     "适用于工业和城市给水排水、空调循环水及农田灌溉，输送清水或物理化学性质类似于清水的液体，介质温度不高于80℃。"
     "型号末尾带A、B者为切割叶轮，流量和扬程略小；四极电机的泵转速1450r/min，噪声低。",
     "dj"),
    ("立式管道离心泵",
     "立式单级单吸管道离心泵（ISG型），进出口口径相同且位于同一中心线上，可以像阀门一样直接装在管路中，"
     "电机与泵同轴，占地面积小，不需要混凝土基础。适用于高层建筑增压给水、空调冷热水循环、锅炉给水和消防补压；"
     "SG型小流量管道泵适用于楼层管网增压。",
     "gd"),
    ("单级双吸离心泵",
     "单级双吸水平中开式离心泵（S型），泵盖可沿水平中开面拆下，检修转子时不必拆卸管路和电机。"
     "双吸叶轮轴向力自平衡，流量大、效率高、运行平稳，适用于自来水厂取水、城市供水加压站、工矿循环水和大型灌溉排涝泵站。"
     "型号开头数字为吸入口径（毫米），S后的数字为扬程（米）。",
     "ss"),
    ("多级离心泵",
     "分段式多级离心泵由若干个叶轮串联工作，总扬程等于单级扬程乘以级数，适用于流量不大而扬程较高的场合。"
     "卧式D型用于矿山排水、锅炉给水和高层建筑供水；立式DL型占地面积小；不锈钢轻型立式多级泵（CDL型）"
     "过流部件为不锈钢，适用于生活给水变频加压和纯水输送。型号中“×”后或“-”后的数字表示级数。",
     "dx"),
    ("潜水排污泵",
     "潜水排污泵的泵与电机为一体，整体潜入液面下工作，无需建造泵房。采用大通道无堵塞叶轮，"
     "能有效通过污水中的固体颗粒和长纤维，设有漏水、过热保护。适用于建筑物地下室集水坑、污水处理厂、市政排水、雨水泵站和工厂废水排放。"
     "型号中依次为出口口径（毫米）、流量（立方米/时）、扬程（米）和电机功率（千瓦）。",
     "wq"),
    ("消防泵",
     "消防泵用于消火栓给水系统和自动喷水灭火系统。XBD表示电动机驱动的消防泵，型号中“/”前的数字为额定压力（0.1MPa，约10米水柱），"
     "“/”后的数字为额定流量（升/秒），其后为出口口径和结构形式（L立式单级、D卧式多级、W卧式单级）。"
     "选型时按最不利点所需的流量和压力确定工作点，并宜设同型号备用泵。",
     "xf"),
    ("深井泵",
     "井用潜水泵（QJ型）由潜水电机、水泵、出水管和控制开关组成，整体潜入井下水中工作，不需长轴传动，安装简便、占地小。"
     "适用于从深井中提取地下水，用于城乡供水、工矿给水和农田灌溉。型号中QJ前的数字为适用的最小井径（毫米），"
     "QJ后依次为流量（立方米/时）和扬程（米），“/”后为级数。",
     "sj"),
    ("自吸泵",
     "自吸离心泵在首次灌满引水后，能自动排除吸入管中的空气而吸上液体，吸入管不需装底阀，也不需要真空泵。"
     "清水自吸泵（ZX型）适用于消防水池取水、移动给水和船舶；污水自吸泵（ZW型）采用无堵塞叶轮，适用于污水池、化粪池和雨水井排水。"
     "自吸高度一般为4～5米，吸入管应尽量短并保持密封。",
     "zx"),
]

# kind name -> makers; each maker: abbr, name, address, postcode, telephone,
# record builder, picture style, colours (body, accent), family label,
# latin short name
MAKERS = {
    "单级单吸离心泵": [
        ("qh", "青禾泵业有限公司", "青禾市经济开发区兴业路18号", "912035", "0588-5550118",
         maker_is_base, "endsuction", (38, 92, 168), (230, 236, 244), "IS", "QINGHE"),
        ("lc", "澜川水泵制造有限公司", "澜川市滨江工业园区振华路66号", "927410", "0683-5550126",
         maker_is_cut, "endsuction", (46, 139, 87), (231, 242, 234), "IS", "LANCHUAN"),
        ("bc", "北岑机电设备有限公司", "北岑县城北工业集中区机电路9号", "935602", "0479-5550133",
         maker_is_low, "endsuction", (112, 82, 160), (238, 233, 245), "IS", "BEICEN"),
    ],
    "立式管道离心泵": [
        ("yt", "沅汀泵阀有限公司", "沅汀市高新技术产业园泵阀大道200号", "941208", "0746-5550141",
         maker_isg, "inline", (0, 128, 128), (228, 242, 242), "ISG", "YUANTING"),
        ("hl", "鹤岚流体设备有限公司", "鹤岚市临港工业区海川路32号", "953317", "0593-5550157",
         maker_isg_cut, "inline", (214, 120, 30), (248, 238, 226), "ISG", "HELAN"),
        ("qw", "栖梧给排水设备厂", "栖梧镇梧桐工业小区3号", "918624", "0569-5550162",
         maker_sg, "inline", (90, 110, 130), (234, 238, 242), "SG", "QIWU"),
    ],
    "单级双吸离心泵": [
        ("jc", "霁川水泵厂", "霁川市水泵厂路1号", "962150", "0371-5550174",
         maker_s, "doublesuction", (30, 60, 120), (228, 233, 243), "S", "JICHUAN"),
        ("ws", "望舒泵业集团有限公司", "望舒市东郊泵业城望舒大道888号", "974431", "0826-5550185",
         maker_s_cut, "doublesuction", (128, 96, 64), (242, 237, 230), "S", "WANGSHU"),
    ],
    "多级离心泵": [
        ("yh", "砚湖泵业有限公司", "砚湖市湖东开发区创业路15号", "983026", "0719-5550193",
         maker_d, "multistage", (60, 120, 180), (230, 238, 246), "D", "YANHU"),
        ("lf", "岚峰机械制造有限公司", "岚峰市岚山工业园北区7号", "906715", "0358-5550109",
         maker_dl, "vertmulti", (85, 107, 47), (236, 240, 228), "DL", "LANFENG"),
        ("sn", "石楠不锈钢泵业有限公司", "石楠市不锈钢产业园精工路27号", "917820", "0577-5550112",
         maker_cdl, "vertmulti", (120, 130, 140), (238, 240, 242), "CDL", "SHINAN"),
    ],
    "潜水排污泵": [
        ("xz", "星渚环保泵业有限公司", "星渚市环保产业园清源路108号", "928340", "0512-5550124",
         maker_wq, "sewage", (25, 75, 140), (226, 234, 244), "WQ", "XINGZHU"),
        ("yc", "曜川机电有限公司", "曜川市机电城南环路56号", "939127", "0734-5550137",
         maker_qw, "sewage", (60, 130, 60), (232, 242, 232), "QW", "YAOCHUAN"),
        ("mc", "墨川电泵厂", "墨川县电泵工业园1幢", "946058", "0898-5550148",
         maker_wqd, "sewage", (200, 110, 20), (248, 238, 224), "WQD", "MOCHUAN"),
    ],
    "消防泵": [
        ("df", "丹枫消防设备有限公司", "丹枫市安防产业园消防路119号", "951190", "0455-5550159",
         maker_xbd_l, "inline", (190, 30, 30), (246, 230, 230), "XBD", "DANFENG"),
        ("zy", "朱岩消防泵业有限公司", "朱岩市朱岩大道东段40号", "963481", "0631-5550160",
         maker_xbd_d, "multistage", (160, 20, 50), (244, 228, 232), "XBD", "ZHUYAN"),
        ("jh", "绛河消防机电有限公司", "绛河市新区工业二路12号", "975206", "0917-5550171",
         maker_xbd_w, "endsuction", (210, 70, 40), (248, 234, 228), "XBD", "JIANGHE"),
    ],
    "深井泵": [
        ("qx", "泉溪潜水电泵厂", "泉溪市潜泵工业区泉源路21号", "984372", "0392-5550182",
         maker_qj_mid, "deepwell", (0, 110, 150), (226, 240, 246), "QJ", "QUANXI"),
        ("sy", "溯源深井泵有限公司", "溯源市经济开发区长泉路99号", "908153", "0476-5550196",
         maker_qj_big, "deepwell", (40, 70, 150), (230, 234, 246), "QJ", "SUYUAN"),
        ("jq", "汲泉水泵有限公司", "汲泉县农机产业园汲泉路5号", "919264", "0855-5550107",
         maker_qj_small, "deepwell", (70, 140, 90), (232, 244, 236), "QJ", "JIQUAN"),
    ],
    "自吸泵": [
        ("bq", "柏桥泵业有限公司", "柏桥市柏桥工业园通泰路38号", "926715", "0523-5550115",
         maker_zx, "selfpriming", (30, 120, 160), (228, 240, 246), "ZX", "BAIQIAO"),
        ("lt", "蓝汀环保设备有限公司", "蓝汀市生态工业园净水路61号", "937480", "0756-5550129",
         maker_zw, "selfpriming", (150, 100, 40), (244, 238, 228), "ZW", "LANTING"),
    ],
}

KIND_EN = {"dj": "END SUCTION", "gd": "IN-LINE", "ss": "SPLIT CASE",
           "dx": "MULTISTAGE", "wq": "SEWAGE", "xf": "FIRE PUMP",
           "sj": "DEEP WELL", "zx": "SELF-PRIMING"}

HELP_TEXT = """\
水泵选型 使用说明

一、功能
本程序用于给水排水工程设计中的水泵选型。程序附带的水泵数据库按泵的种类
和生产厂家组织，列出各厂家水泵的型号、流量范围、扬程范围、电机功率和说明。
输入设计工作点（流量Q和扬程H）后，程序列出流量范围和扬程范围都包含该工作点
的水泵，供设计人员比较选用，并可将选定的水泵输出为文本文件。

二、选择泵的种类和厂家
1．主窗口左侧列出数据库中的全部泵种类，单击一种，右侧即列出生产该种泵的厂家
   及其地址、邮编和电话，下方显示该种泵的说明。
2．单击厂家名称选择厂家，右下方显示该厂家的水泵图片；单击图片可看放大的泵图，
   图片较大时可用滚动条移动。

三、搜索
1．在“流量(立米/时)”框中输入设计流量Q，单位为立方米/时；在“扬程(米)”框中
   输入设计扬程H，单位为米。两项都只能输入正实数，例如 50、12.5。
2．按“搜索”按钮或回车键，程序逐条检查所选厂家的水泵，列出满足
      流量1 ≤ Q ≤ 流量2  并且  扬程2 ≤ H ≤ 扬程1
   的全部水泵。流量1、扬程1为小流量端的流量和扬程，流量2、扬程2为大流量端的
   流量和扬程。检索时窗口下方显示一行星号表示进度。
3．没有符合条件的水泵时，程序给出提示。此时可改选其他厂家，或适当调整工作点；
   也可以选用两台泵并联（流量相加）或串联（扬程相加）。

四、浏览
按“浏览”按钮，不论工作点如何，列出所选厂家的全部水泵。结果窗口中的“浏览”
按钮也可重新列出该厂家的全部水泵，原先选中的水泵仍保持选中。

五、在本类全部厂家中搜索
1．在主窗口中按Ctrl+F，或在泵类型列表、厂家列表中单击右键并选择“在本类全部
   厂家中搜索”，程序按所填工作点检查该种泵全部厂家的水泵，在“全部厂家选型”
   窗口中列出符合条件的水泵，并在下方的流量-扬程图上画出各泵的性能范围。
2．列表按扬程偏差（该泵在设计流量下的扬程与设计扬程之差，占设计扬程的百分比）
   由小到大排列，其次按流量位置（设计流量在该泵流量范围中的位置）接近50%%者在先；
   单击列标题可按该列排序。
3．“近似容差”不为0时，流量或扬程与工作点相差不超过该百分比的水泵以灰色列在
   符合条件的水泵之后，“说明”列注明相差多少。
4．在列表中双击某行或按回车键，主窗口即选中该泵的厂家，并打开结果窗口选中该泵。
5．“导出”按钮把列表保存为CSV文件（可用电子表格打开），并把性能图保存为同名的
   PNG图片。

六、结果窗口
1．列表中每行为一台水泵：型号、流量范围、扬程范围、功率(千瓦)和序号。
2．单击某一行，下方显示该泵的说明（转速、效率、材料、密封和适用介质等）。
3．单击左侧的泵图，可看放大的图片。
4．按“输出”按钮（或回车键），选中的水泵写入程序文件夹中的“水泵选型结果.txt”，
   并用记事本打开，可打印或复制到设计说明中。每次输出都重写该文件。

七、其他
1．“帮助”按钮显示本说明；文本窗口中的“拷贝”按钮把文本拷贝到剪贴板。
2．各窗口的“关闭”按钮或Esc键关闭窗口；在主窗口中关闭即退出程序。
3．水泵的性能范围取自各厂家样本，选型后请以厂家提供的性能曲线核对工作点，
   并校核汽蚀余量和电机功率。
4．主窗口下方的按钮介绍水泵厂商如何加入本数据库。

[Vornesk] %s  电子邮件：%s
""" % (WEB, MAIL)

MAKER_TEXT = """\
加入水泵数据库

欢迎各水泵生产厂家将产品加入本数据库。本程序供给水排水设计人员选用水泵，
加入数据库后，设计人员在选型时即可检索到贵厂的产品。

请提供以下资料：
1．泵的种类，例如单级单吸离心泵、立式管道离心泵、多级离心泵、潜水排污泵、
   消防泵、深井泵等；数据库中尚无的种类可以新增。
2．厂家资料：厂名、通信地址、邮政编码、联系电话。
3．每一种型号的水泵：
   型号；
   流量范围：小流量端和大流量端的流量（立方米/时）；
   扬程范围：小流量端和大流量端的扬程（米）；
   电机功率（千瓦）；
   说明：转速、效率、汽蚀余量、材料、密封形式、适用介质和温度等，一段文字；
4．产品图片一张（照片或外形图均可）。

资料可用电子表格或文本文件整理，通过电子邮件发送至：%s
也可访问 %s 了解详情。资料收到后，我们将在下一版数据库中收录，
收录前会将整理好的数据发给贵厂核对。

[Vornesk]
""" % (MAIL, WEB)


# ---------------------------------------------------------------------------
# Writing text files
# ---------------------------------------------------------------------------

def write_gbk(path, lines):
    data = "".join(l + "\r\n" for l in lines).encode("gbk")
    with open(path, "wb") as f:
        f.write(data)
    return len(data)


def build_text():
    os.makedirs(TXT, exist_ok=True)
    idx = ["[种类]"]
    for k, (kind, mem, prefix) in enumerate(KINDS, 1):
        idx.append("%d=%s" % (k, kind))
        idx.append("%dmem=%s" % (k, mem))
    for kind, mem, prefix in KINDS:
        idx.append("")
        idx.append("[%s]" % kind)
        for m, mk in enumerate(MAKERS[kind], 1):
            abbr, name, addr, yb, tel, builder = mk[:6]
            fn = "%s_%s" % (prefix, abbr)
            idx.append("%d=%s" % (m, name))
            idx.append("%dadd=%s" % (m, addr))
            idx.append("%dyb=%s" % (m, yb))
            idx.append("%dtel=%s" % (m, tel))
            idx.append("%dfile=%s.dat" % (m, fn))
            idx.append("%dpic=%s.png" % (m, fn))
            lines = []
            for n, r in enumerate(builder(), 1):
                if lines:
                    lines.append("")
                lines.append("[%d]" % n)
                for key in RECORD_KEYS + CURVE_KEYS:
                    if key in r:
                        lines.append("%s=%s" % (key, r[key]))
            write_gbk(os.path.join(TXT, fn + ".dat"), lines)
    write_gbk(os.path.join(TXT, "bump.dat"), idx)
    write_gbk(os.path.join(TXT, "水泵选型.txt"), HELP_TEXT.rstrip("\n").split("\n"))
    write_gbk(os.path.join(TXT, "水泵厂商.txt"), MAKER_TEXT.rstrip("\n").split("\n"))


# ---------------------------------------------------------------------------
# Pictures: a tiny raster canvas and PNG writer
# ---------------------------------------------------------------------------

FONT = {
    "A": [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "B": ["#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "],
    "C": [" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "],
    "D": ["#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "F": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "],
    "G": [" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"],
    "H": ["#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "I": [" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    "J": ["  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "],
    "K": ["#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"],
    "L": ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    "M": ["#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"],
    "N": ["#   #", "#   #", "##  #", "# # #", "#  ##", "#   #", "#   #"],
    "O": [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "P": ["#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "],
    "Q": [" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"],
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    "S": [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    "T": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    "U": ["#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "V": ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    "W": ["#   #", "#   #", "#   #", "# # #", "# # #", "# # #", " # # "],
    "X": ["#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"],
    "Y": ["#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "],
    "Z": ["#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"],
    "0": [" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "],
    "1": ["  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    "2": [" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"],
    "3": ["#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "],
    "4": ["   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "],
    "5": ["#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "],
    "6": ["  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "],
    "7": ["#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "],
    "8": [" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "],
    "9": [" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "],
    "-": ["     ", "     ", "     ", "#####", "     ", "     ", "     "],
    "/": ["     ", "    #", "   # ", "  #  ", " #   ", "#    ", "     "],
    ".": ["     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "],
    "[": [" ### ", " #   ", " #   ", " #   ", " #   ", " #   ", " ### "],
    "]": [" ### ", "   # ", "   # ", "   # ", "   # ", "   # ", " ### "],
    " ": ["     "] * 7,
}


class Canvas:
    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        row = bytes(bg) * w
        self.rows = [bytearray(row) for _ in range(h)]

    def span(self, y, x0, x1, c):
        """Fill pixels x0 <= x < x1 of row y."""
        if y < 0 or y >= self.h:
            return
        x0, x1 = max(0, int(x0)), min(self.w, int(x1))
        if x1 > x0:
            self.rows[y][3 * x0:3 * x1] = bytes(c) * (x1 - x0)

    def rect(self, x0, y0, x1, y1, c):
        for y in range(max(0, int(y0)), min(self.h, int(y1))):
            self.span(y, x0, x1, c)

    def shaded(self, x0, y0, x1, y1, c, vertical_axis=True, k=0.45):
        """Cylinder-like shading: light in the middle, darker at the edges."""
        x0, y0, x1, y1 = int(x0), int(y0), int(x1), int(y1)
        if vertical_axis:
            w = max(1, x1 - x0)
            px = bytearray()
            for x in range(x0, x1):
                t = (x - x0 + 0.5) / w
                px += bytes(shade(c, 1.0 - k * (2 * t - 0.7) ** 2 + 0.15))
            for y in range(max(0, y0), min(self.h, y1)):
                a, b = max(0, x0), min(self.w, x1)
                if b > a:
                    self.rows[y][3 * a:3 * b] = px[3 * (a - x0):3 * (b - x0)]
        else:
            hgt = max(1, y1 - y0)
            for y in range(y0, y1):
                t = (y - y0 + 0.5) / hgt
                self.span(y, x0, x1, shade(c, 1.0 - k * (2 * t - 0.7) ** 2 + 0.15))

    def ellipse(self, cx, cy, rx, ry, c):
        for y in range(int(cy - ry), int(cy + ry) + 1):
            d = 1.0 - ((y + 0.5 - cy) / ry) ** 2
            if d > 0:
                hw = rx * math.sqrt(d)
                self.span(y, round(cx - hw), round(cx + hw), c)

    def circle(self, cx, cy, r, c):
        self.ellipse(cx, cy, r, r, c)

    def ring(self, cx, cy, r, width, c, upper_only=False):
        for y in range(int(cy - r), int(cy + r) + 1):
            if upper_only and y > cy:
                break
            dy = y + 0.5 - cy
            d_out = r * r - dy * dy
            if d_out <= 0:
                continue
            xo = math.sqrt(d_out)
            ri = r - width
            d_in = ri * ri - dy * dy
            if d_in > 0:
                xi = math.sqrt(d_in)
                self.span(y, round(cx - xo), round(cx - xi), c)
                self.span(y, round(cx + xi), round(cx + xo), c)
            else:
                self.span(y, round(cx - xo), round(cx + xo), c)

    def polygon(self, pts, c):
        ys = [p[1] for p in pts]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            yc = y + 0.5
            xs = []
            n = len(pts)
            for i in range(n):
                (xa, ya), (xb, yb) = pts[i], pts[(i + 1) % n]
                if (ya <= yc < yb) or (yb <= yc < ya):
                    xs.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for i in range(0, len(xs) - 1, 2):
                self.span(y, round(xs[i]), round(xs[i + 1]), c)

    def line(self, xa, ya, xb, yb, width, c):
        dx, dy = xb - xa, yb - ya
        ln = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / ln * width / 2.0, dx / ln * width / 2.0
        self.polygon([(xa + nx, ya + ny), (xb + nx, yb + ny),
                      (xb - nx, yb - ny), (xa - nx, ya - ny)], c)

    def text(self, x, y, s, scale, c):
        for ch in s:
            g = FONT.get(ch.upper(), FONT[" "])
            for gy, row in enumerate(g):
                for gx, bit in enumerate(row):
                    if bit == "#":
                        self.rect(x + gx * scale, y + gy * scale,
                                  x + (gx + 1) * scale, y + (gy + 1) * scale, c)
            x += 6 * scale

    def paste(self, other, x, y):
        for r in range(other.h):
            if 0 <= y + r < self.h:
                self.rows[y + r][3 * x:3 * (x + other.w)] = other.rows[r]


def text_width(s, scale):
    return (6 * len(s) - 1) * scale


def shade(c, f):
    return tuple(max(0, min(255, int(round(v * f)))) for v in c)


def mix(a, b, t):
    return tuple(int(round(a[i] * (1 - t) + b[i] * t)) for i in range(3))


def resize(src, w, h):
    """Area-average resampling (box filter with fractional coverage)."""
    def weights(n_src, n_dst):
        out = []
        scale = n_src / float(n_dst)
        for d in range(n_dst):
            a, b = d * scale, (d + 1) * scale
            ws = []
            for s in range(int(a), min(n_src, int(math.ceil(b)))):
                cov = min(b, s + 1) - max(a, s)
                if cov > 0:
                    ws.append((s, cov / scale))
            out.append(ws)
        return out

    wx, wy = weights(src.w, w), weights(src.h, h)
    tmp = []
    for row in src.rows:
        nr = []
        for ws in wx:
            r = g = b = 0.0
            for s, f in ws:
                r += row[3 * s] * f
                g += row[3 * s + 1] * f
                b += row[3 * s + 2] * f
            nr.append((r, g, b))
        tmp.append(nr)
    dst = Canvas(w, h, (0, 0, 0))
    for y, ws in enumerate(wy):
        out = bytearray()
        for x in range(w):
            r = g = b = 0.0
            for s, f in ws:
                p = tmp[s][x]
                r += p[0] * f
                g += p[1] * f
                b += p[2] * f
            out += bytes((min(255, int(r + 0.5)), min(255, int(g + 0.5)),
                          min(255, int(b + 0.5))))
        dst.rows[y] = out
    return dst


def png_bytes(cv):
    raw = bytearray()
    prev = bytearray(3 * cv.w)
    for row in cv.rows:
        cands = []
        # filter 0 (none), 1 (sub), 2 (up); pick the smallest sum of magnitudes
        sub = bytearray(row)
        for i in range(len(row) - 1, 2, -1):
            sub[i] = (row[i] - row[i - 3]) & 255
        up = bytearray((row[i] - prev[i]) & 255 for i in range(len(row)))
        for ft, data in ((0, row), (1, sub), (2, up)):
            cost = sum(v if v < 128 else 256 - v for v in data)
            cands.append((cost, ft, data))
        cost, ft, data = min(cands, key=lambda t: (t[0], t[1]))
        raw.append(ft)
        raw += data
        prev = row

    def chunk(tag, data):
        c = struct.pack(">I", len(data)) + tag + data
        return c + struct.pack(">I", zlib.crc32(tag + data) & 0xffffffff)

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", cv.w, cv.h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


# pump drawings, in a 200 x 200 unit box, drawn at scale S

DARK = (60, 60, 64)
STEEL = (150, 156, 162)
BASE = (96, 100, 106)
WATER = (198, 226, 240)


def draw_motor_h(cv, s, x0, y0, x1, y1, col):
    """Horizontal motor: finned body, fan cover on the left, terminal box."""
    cv.shaded(s * (x0 - 8), s * (y0 + 5), s * (x0 + 2), s * (y1 - 5), shade(col, 0.8), False)
    cv.shaded(s * x0, s * y0, s * x1, s * y1, col, False)
    for i in range(1, 6):
        y = y0 + (y1 - y0) * i / 6.0
        cv.rect(s * (x0 + 4), s * y - s * 0.6, s * (x1 - 4), s * y + s * 0.6, shade(col, 0.7))
    tb = (x0 + x1) / 2.0
    cv.rect(s * (tb - 12), s * (y0 - 12), s * (tb + 12), s * y0, shade(col, 0.85))
    cv.rect(s * (tb - 12), s * (y0 - 12), s * (tb + 12), s * (y0 - 9), shade(col, 1.15))
    cv.rect(s * (x0 + 6), s * y1, s * (x0 + 16), s * (y1 + 6), shade(col, 0.6))
    cv.rect(s * (x1 - 16), s * y1, s * (x1 - 6), s * (y1 + 6), shade(col, 0.6))


def draw_motor_v(cv, s, x0, y0, x1, y1, col):
    """Vertical motor: finned body, domed fan cover on top, terminal box."""
    cx = (x0 + x1) / 2.0
    cv.ellipse(s * cx, s * (y0 + 2), s * ((x1 - x0) / 2.0 - 4), s * 9, shade(col, 0.8))
    cv.shaded(s * x0, s * y0, s * x1, s * y1, col, True)
    for i in range(1, 6):
        x = x0 + (x1 - x0) * i / 6.0
        cv.rect(s * x - s * 0.6, s * (y0 + 4), s * x + s * 0.6, s * (y1 - 4), shade(col, 0.72))
    cv.rect(s * x1, s * (y0 + 18), s * (x1 + 12), s * (y0 + 38), shade(col, 0.85))
    cv.rect(s * (x0 - 4), s * (y1 - 4), s * (x1 + 4), s * y1 + s * 2, shade(col, 0.6))


def flange_v(cv, s, x0, x1, y, col):
    cv.rect(s * (x0 - 4), s * (y - 3), s * (x1 + 4), s * (y + 3), shade(col, 0.75))


def flange_h(cv, s, x, y0, y1, col):
    cv.rect(s * (x - 3), s * (y0 - 4), s * (x + 3), s * (y1 + 4), shade(col, 0.75))


def draw_endsuction(cv, s, col):
    cv.rect(s * 10, s * 160, s * 192, s * 172, BASE)
    cv.rect(s * 10, s * 158, s * 192, s * 161, shade(BASE, 1.3))
    draw_motor_h(cv, s, 24, 104, 100, 150, col)
    cv.rect(s * 100, s * 118, s * 122, s * 138, (235, 190, 40))
    cv.rect(s * 122, s * 120, s * 138, s * 136, STEEL)
    cv.rect(s * 128, s * 136, s * 134, s * 158, STEEL)
    body = shade(col, 0.9)
    cv.circle(s * 158, s * 126, s * 30, body)
    cv.circle(s * 158, s * 126, s * 20, shade(col, 1.15))
    cv.circle(s * 158, s * 126, s * 6, shade(col, 0.65))
    # discharge upwards
    cv.shaded(s * 134, s * 68, s * 156, s * 110, body, True)
    flange_v(cv, s, 134, 156, 68, body)
    # suction towards the front (right)
    cv.shaded(s * 176, s * 116, s * 194, s * 136, body, False)
    flange_h(cv, s, 194, 116, 136, body)
    cv.rect(s * 146, s * 152, s * 172, s * 160, shade(col, 0.6))


def draw_inline(cv, s, col):
    body = shade(col, 0.9)
    cv.rect(s * 60, s * 178, s * 140, s * 186, BASE)
    cv.shaded(s * 16, s * 140, s * 184, s * 164, body, False)
    flange_h(cv, s, 16, 140, 164, body)
    flange_h(cv, s, 184, 140, 164, body)
    cv.ellipse(s * 100, s * 152, s * 40, s * 26, body)
    cv.ellipse(s * 100, s * 148, s * 30, s * 16, shade(col, 1.12))
    cv.rect(s * 66, s * 174, s * 134, s * 180, shade(col, 0.6))
    cv.rect(s * 84, s * 104, s * 116, s * 128, STEEL)
    cv.rect(s * 92, s * 110, s * 108, s * 122, shade(STEEL, 0.6))
    cv.rect(s * 96, s * 112, s * 104, s * 120, (235, 190, 40))
    draw_motor_v(cv, s, 70, 24, 130, 104, col)


def draw_doublesuction(cv, s, col):
    body = shade(col, 0.9)
    cv.rect(s * 6, s * 162, s * 194, s * 174, BASE)
    draw_motor_h(cv, s, 16, 108, 78, 154, col)
    cv.rect(s * 78, s * 122, s * 96, s * 140, (235, 190, 40))
    cv.rect(s * 96, s * 124, s * 108, s * 138, STEEL)
    cv.rect(s * 182, s * 124, s * 194, s * 138, STEEL)
    cv.ellipse(s * 145, s * 122, s * 40, s * 44, body)
    cv.ellipse(s * 145, s * 104, s * 26, s * 20, shade(col, 1.12))
    cv.rect(s * 100, s * 118, s * 190, s * 124, shade(col, 0.65))
    cv.shaded(s * 134, s * 44, s * 156, s * 82, body, True)
    flange_v(cv, s, 134, 156, 44, body)
    cv.circle(s * 145, s * 144, s * 15, shade(col, 0.7))
    cv.circle(s * 145, s * 144, s * 10, shade(col, 0.35))
    cv.rect(s * 112, s * 160, s * 178, s * 163, shade(col, 0.6))


def draw_multistage(cv, s, col):
    body = shade(col, 0.9)
    cv.rect(s * 6, s * 162, s * 194, s * 174, BASE)
    draw_motor_h(cv, s, 18, 106, 74, 154, col)
    cv.rect(s * 74, s * 122, s * 86, s * 138, (235, 190, 40))
    cv.rect(s * 86, s * 116, s * 104, s * 144, body)
    for i in range(5):
        x = 104 + i * 13
        cv.shaded(s * x, s * 112, s * (x + 12), s * 148, shade(col, 1.08 if i % 2 else 0.95), False)
    cv.rect(s * 169, s * 116, s * 186, s * 144, body)
    cv.rect(s * 100, s * 114, s * 172, s * 116, STEEL)
    cv.rect(s * 100, s * 144, s * 172, s * 146, STEEL)
    cv.shaded(s * 88, s * 70, s * 104, s * 116, body, True)
    flange_v(cv, s, 88, 104, 70, body)
    cv.shaded(s * 170, s * 84, s * 186, s * 116, body, True)
    flange_v(cv, s, 170, 186, 84, body)
    cv.rect(s * 90, s * 144, s * 100, s * 162, shade(col, 0.6))
    cv.rect(s * 172, s * 144, s * 182, s * 162, shade(col, 0.6))


def draw_vertmulti(cv, s, col):
    body = shade(col, 0.9)
    cv.rect(s * 56, s * 182, s * 144, s * 190, BASE)
    cv.shaded(s * 14, s * 156, s * 186, s * 174, body, False)
    flange_h(cv, s, 14, 156, 174, body)
    flange_h(cv, s, 186, 156, 174, body)
    cv.rect(s * 62, s * 152, s * 138, s * 182, body)
    cv.shaded(s * 82, s * 92, s * 118, s * 152, (200, 204, 210), True, 0.55)
    for i in range(1, 6):
        y = 92 + i * 10
        cv.rect(s * 82, s * y, s * 118, s * y + s * 0.8, (150, 154, 160))
    cv.rect(s * 74, s * 92, s * 77, s * 152, STEEL)
    cv.rect(s * 123, s * 92, s * 126, s * 152, STEEL)
    cv.rect(s * 70, s * 84, s * 130, s * 92, body)
    draw_motor_v(cv, s, 72, 20, 128, 82, col)


def draw_sewage(cv, s, col):
    body = shade(col, 0.9)
    cv.rect(0, s * 90, s * 200, s * 200, WATER)
    for x in range(0, 200, 20):
        cv.rect(s * x, s * 90, s * (x + 10), s * 91.5, shade(WATER, 0.85))
    cv.line(s * 116, s * 30, s * 150, s * 2, s * 3, DARK)
    cv.ring(s * 100, s * 34, s * 16, s * 4, DARK, upper_only=True)
    cv.shaded(s * 70, s * 32, s * 130, s * 118, col, True)
    cv.ellipse(s * 100, s * 34, s * 30, s * 6, shade(col, 1.1))
    for i in range(1, 4):
        y = 32 + i * 21
        cv.rect(s * 70, s * y, s * 130, s * y + s * 1.2, shade(col, 0.7))
    cv.ellipse(s * 100, s * 140, s * 48, s * 24, body)
    cv.ellipse(s * 96, s * 136, s * 30, s * 12, shade(col, 1.12))
    cv.shaded(s * 140, s * 128, s * 178, s * 148, body, False)
    cv.shaded(s * 162, s * 62, s * 182, s * 148, body, True)
    flange_v(cv, s, 162, 182, 62, body)
    cv.rect(s * 66, s * 162, s * 134, s * 176, shade(col, 0.6))
    cv.rect(s * 72, s * 176, s * 82, s * 184, shade(col, 0.5))
    cv.rect(s * 118, s * 176, s * 128, s * 184, shade(col, 0.5))


def draw_deepwell(cv, s, col):
    cv.rect(s * 62, 0, s * 138, s * 200, WATER)
    cv.rect(s * 56, 0, s * 62, s * 200, (170, 160, 140))
    cv.rect(s * 138, 0, s * 144, s * 200, (170, 160, 140))
    for y in range(10, 200, 24):
        cv.rect(s * 62, s * y, s * 138, s * (y + 1), shade(WATER, 0.9))
    cv.shaded(s * 94, 0, s * 106, s * 16, STEEL, True)
    cv.rect(s * 90, s * 14, s * 110, s * 20, shade(col, 0.7))
    cv.shaded(s * 88, s * 20, s * 112, s * 96, col, True)
    for i in range(1, 7):
        y = 20 + i * 11
        cv.rect(s * 88, s * y, s * 112, s * y + s * 1.2, shade(col, 0.65))
    cv.rect(s * 88, s * 96, s * 112, s * 112, shade(STEEL, 0.9))
    for x in range(90, 112, 4):
        cv.rect(s * x, s * 98, s * (x + 2), s * 110, shade(STEEL, 0.5))
    cv.shaded(s * 86, s * 112, s * 114, s * 190, shade(col, 0.85), True)
    cv.rect(s * 86, s * 112, s * 114, s * 115, shade(col, 0.6))
    cv.ellipse(s * 100, s * 190, s * 14, s * 5, shade(col, 0.6))
    cv.rect(s * 113, s * 20, s * 117, s * 112, DARK)
    cv.rect(s * 115, s * 112, s * 117, s * 150, DARK)


def draw_selfpriming(cv, s, col):
    body = shade(col, 0.9)
    cv.rect(s * 6, s * 162, s * 194, s * 174, BASE)
    draw_motor_h(cv, s, 18, 110, 84, 154, col)
    cv.rect(s * 84, s * 124, s * 100, s * 140, (235, 190, 40))
    cv.rect(s * 100, s * 72, s * 184, s * 160, body)
    cv.shaded(s * 100, s * 72, s * 184, s * 82, shade(col, 1.05), False)
    cv.circle(s * 142, s * 124, s * 26, shade(col, 1.1))
    cv.circle(s * 142, s * 124, s * 8, shade(col, 0.65))
    cv.shaded(s * 152, s * 36, s * 174, s * 72, body, True)
    flange_v(cv, s, 152, 174, 36, body)
    cv.shaded(s * 110, s * 48, s * 128, s * 72, body, True)
    flange_v(cv, s, 110, 128, 48, body)
    cv.rect(s * 136, s * 64, s * 146, s * 72, DARK)


DRAW = {"endsuction": draw_endsuction, "inline": draw_inline,
        "doublesuction": draw_doublesuction, "multistage": draw_multistage,
        "vertmulti": draw_vertmulti, "sewage": draw_sewage,
        "deepwell": draw_deepwell, "selfpriming": draw_selfpriming}

FULL_W, FULL_H = 200, 294     # results box 2535 x 3735 twips is 0.68 wide per high
THUMB_W, THUMB_H = 83, 123    # thumbnail box 1245 x 1845 twips
SS = 2                        # supersampling factor of the full-size picture


def ranges(records):
    q = [float(r["流量1"]) for r in records] + [float(r["流量2"]) for r in records]
    h = [float(r["扬程1"]) for r in records] + [float(r["扬程2"]) for r in records]
    return "Q %s-%s M3/H" % (num(min(q)), num(max(q))), \
           "H %s-%s M" % (num(min(h)), num(max(h)))


def make_pictures(prefix, mk):
    abbr, name, addr, yb, tel, builder, style, col, bg, family, latin = mk
    col, bg = tuple(col), tuple(bg)
    dark = shade(col, 0.55)
    # the pump drawing, 200 x 200 units at SS
    art = Canvas(200 * SS, 200 * SS, bg)
    DRAW[style](art, SS, col)
    qtxt, htxt = ranges(builder())

    # full-size picture, composed at SS and reduced
    big = Canvas(FULL_W * SS, FULL_H * SS, bg)
    big.rect(0, 0, FULL_W * SS, 48 * SS, col)
    fs = 4 * SS
    big.text((FULL_W * SS - text_width(family, fs)) // 2, 5 * SS, family, fs, (255, 255, 255))
    big.text((FULL_W * SS - text_width(latin, SS)) // 2, 38 * SS, latin, SS, shade(bg, 1.0))
    big.paste(art, 0, 48 * SS)
    big.rect(0, 248 * SS, FULL_W * SS, FULL_H * SS, shade(bg, 0.93))
    big.rect(0, 248 * SS, FULL_W * SS, 250 * SS, col)
    kt = KIND_EN[prefix]
    big.text((FULL_W * SS - text_width(kt, 2 * SS)) // 2, 254 * SS, kt, 2 * SS, dark)
    big.text((FULL_W * SS - text_width(qtxt, SS)) // 2, 272 * SS, qtxt, SS, dark)
    big.text((FULL_W * SS - text_width(htxt, SS)) // 2, 282 * SS, htxt, SS, dark)
    for x in (0, FULL_W * SS - 2 * SS):
        big.rect(x, 0, x + 2 * SS, FULL_H * SS, dark)
    big.rect(0, FULL_H * SS - 2 * SS, FULL_W * SS, FULL_H * SS, dark)
    full = resize(big, FULL_W, FULL_H)

    # thumbnail, the drawing reduced and the text drawn at its own size
    th = Canvas(THUMB_W, THUMB_H, bg)
    th.rect(0, 0, THUMB_W, 19, col)
    th.text((THUMB_W - text_width(family, 2)) // 2, 3, family, 2, (255, 255, 255))
    th.paste(resize(art, THUMB_W, THUMB_W), 0, 20)
    th.rect(0, 104, THUMB_W, THUMB_H, shade(bg, 0.93))
    th.rect(0, 104, THUMB_W, 105, col)
    short = latin if text_width(latin, 1) <= THUMB_W - 4 else latin[:13]
    th.text((THUMB_W - text_width(short, 1)) // 2, 110, short, 1, dark)

    fn = "%s_%s.png" % (prefix, abbr)
    with open(os.path.join(IMG, fn), "wb") as f:
        f.write(png_bytes(full))
    with open(os.path.join(IMG, "sm_" + fn), "wb") as f:
        f.write(png_bytes(th))


def build_pictures():
    os.makedirs(IMG, exist_ok=True)
    for kind, mem, prefix in KINDS:
        for mk in MAKERS[kind]:
            make_pictures(prefix, mk)


# ---------------------------------------------------------------------------
# Checking
# ---------------------------------------------------------------------------

def read_profile(path):
    """Sections of a GBK profile file: {section: {key: value}}, first wins."""
    with open(path, "rb") as f:
        text = f.read().decode("gbk")
    out, cur = {}, None
    for line in text.split("\r\n"):
        t = line.strip()
        if t.startswith("[") and t.endswith("]"):
            cur = out.setdefault(t[1:-1].strip(), {})
        elif "=" in t and cur is not None:
            k, v = t.split("=", 1)
            cur.setdefault(k.strip(), v.strip())
    return out


def check_text_file(path, errors):
    with open(path, "rb") as f:
        data = f.read()
    name = os.path.relpath(path, ROOT)
    if data.startswith(b"\xef\xbb\xbf") or data.startswith(b"\xff\xfe"):
        errors.append("%s: byte-order mark" % name)
    try:
        text = data.decode("gbk")
    except UnicodeDecodeError as e:
        errors.append("%s: not GBK (%s)" % (name, e))
        return
    if text.encode("gbk") != data:
        errors.append("%s: GBK round trip differs" % name)
    if not data.endswith(b"\r\n"):
        errors.append("%s: does not end with CR LF" % name)
    if data.replace(b"\r\n", b"").count(b"\n") or data.replace(b"\r\n", b"").count(b"\r"):
        errors.append("%s: line end other than CR LF" % name)
    for i, line in enumerate(text.split("\r\n"), 1):
        if len(line.encode("gbk")) > 1000:
            errors.append("%s:%d: line longer than 999 bytes of value" % (name, i))


PLAIN = re.compile(r"(0|[1-9][0-9]*)(\.[0-9]+)?$")


def curve_errors(r):
    """How the curve of record r breaks the rules, as messages; none when it holds."""
    texts = [r[k].split(",") for k in CURVE_KEYS[:5]]
    if len(set(map(len, texts))) != 1 or not 5 <= len(texts[0]) <= 7:
        return ["curve lists of %s entries" % "/".join(str(len(t)) for t in texts)]
    # flows and heads are never empty; the others may be where unknown
    if not all(PLAIN.match(t) or (i >= 2 and not t) for i, col in enumerate(texts) for t in col) \
            or not PLAIN.match(r["转速"]):
        return ["curve entry not a plain number"]
    q, h, e, p, npsh = ([float(t) if t else None for t in col] for col in texts)
    q1, q2, h1, h2, motor = (float(r[k]) for k in ("流量1", "流量2", "扬程1", "扬程2", "功率"))
    known = [x for x in e if x is not None]
    best = q[e.index(max(known))] if known else None
    return (shape_errors(q, h, (q1, h1), (q2, h2))
            + efficiency_errors(known, best, q1, q2)
            + power_errors(q, h, e, p, q1, q2, motor)
            + (["NPSH required not rising"] if not rising([x for x in npsh if x is not None])
               else [])
            + remark_disagreements(r["备注"], int(r["转速"]), max(known, default=None),
                                   npsh[q.index(best)] if best is not None else None))


def rising(values):
    """Whether each value is larger than the one before."""
    return all(a < b for a, b in zip(values, values[1:]))


def shape_errors(q, h, low_end, high_end):
    """Flows rising, head falling, the range's ends on the curve and inside its flows."""
    errors = []
    if not rising(q):
        errors.append("curve flows not strictly ascending")
    if not rising([-x for x in h]) or h[-1] <= 0:
        errors.append("curve head not strictly falling")
    if not {low_end, high_end} <= set(zip(q, h)):
        errors.append("range ends not on the curve")
    if not q[0] < low_end[0] or not high_end[0] < q[-1]:
        errors.append("range not inside the curve's flows")
    return errors


def efficiency_errors(known, best, q1, q2):
    """Efficiency within 0-100 % with one highest point, inside the range."""
    if not known or any(not 0 <= x <= 100 for x in known):
        return ["efficiency missing or outside 0-100"]
    if not q1 < best < q2 or known.count(max(known)) > 1:
        return ["efficiency peak at %s, not one point inside the range" % best]
    return []


def power_errors(q, h, e, p, q1, q2, motor):
    """Each power within 2 % of rho g q H / eta, and the motor covering the range."""
    errors = ["power %s at %s, not rho g q H / eta" % (pi, qi)
              for qi, hi, ei, pi in zip(q, h, e, p)
              if ei and pi is not None and abs(pi / shaft_kw(qi, hi, ei) - 1) > 0.02]
    # PCHIP keeps each piece between its two points, so the points bound the range's power
    in_range = [pi if pi is not None else shaft_kw(qi, hi, ei)
                for qi, hi, ei, pi in zip(q, h, e, p)
                if q1 <= qi <= q2 and (pi is not None or ei)]
    if max(in_range, default=0) > motor:
        errors.append("motor %s below the shaft power in the range" % motor)
    return errors


def remark_disagreements(remark, rpm, peak, npsh_best):
    """Where the remark's speed, efficiency or NPSH differ from the curve's."""
    said = {"speed": (r"转速(\d+)r/min", rpm), "efficiency": (r"效率(\d+)%", peak),
            "NPSH": (r"必需汽蚀余量([\d.]+)m", npsh_best)}
    out = []
    for what, (pattern, value) in said.items():
        m = re.search(pattern, remark)
        if m and (value is None or abs(float(m.group(1)) - value) > 1e-9):
            out.append("remark's %s %s, curve's %s" % (what, m.group(1), value))
    return out


def enumerate_keys(sec, suffix=""):
    n = 1
    while str(n) + suffix in sec:
        n += 1
    return n - 1


def check():
    errors, report = [], []
    index = os.path.join(TXT, "bump.dat")
    for fn in sorted(os.listdir(TXT)):
        check_text_file(os.path.join(TXT, fn), errors)
    prof = read_profile(index)
    kinds = prof.get("种类", {})
    nk = enumerate_keys(kinds)
    if nk < 6:
        errors.append("fewer than six kinds")
    used_files, used_pics = set(), set()
    total_records = 0
    for k in range(1, nk + 1):
        kind = kinds[str(k)]
        if not kinds.get("%dmem" % k):
            errors.append("kind %d has no description" % k)
        sec = prof.get(kind)
        if sec is None:
            errors.append("no section for kind %s" % kind)
            continue
        nm = enumerate_keys(sec)
        if not 2 <= nm <= 4:
            errors.append("%s: %d makers" % (kind, nm))
        extra = [key for key in sec if key.isdigit() and int(key) > nm]
        if extra or [key for key in kinds if key.isdigit() and int(key) > nk]:
            errors.append("%s: numbering gap" % kind)
        report.append(kind)
        for m in range(1, nm + 1):
            for suf in ("add", "yb", "tel", "file", "pic"):
                if not sec.get("%d%s" % (m, suf)):
                    errors.append("%s maker %d: no %s" % (kind, m, suf))
            fname, pic = sec.get("%dfile" % m, ""), sec.get("%dpic" % m, "")
            used_files.add(fname)
            used_pics.update((pic, "sm_" + pic))
            if not (fname.isascii() and pic.isascii()):
                errors.append("%s maker %d: non-ASCII file name" % (kind, m))
            path = os.path.join(TXT, fname)
            if not os.path.isfile(path):
                errors.append("missing data file %s" % fname)
                continue
            for p in (pic, "sm_" + pic):
                pp = os.path.join(IMG, p)
                if not os.path.isfile(pp):
                    errors.append("missing picture %s" % p)
                else:
                    with open(pp, "rb") as f:
                        head = f.read(24)
                    w, h = struct.unpack(">II", head[16:24])
                    if head[:8] != b"\x89PNG\r\n\x1a\n":
                        errors.append("%s: not PNG" % p)
                    want = (THUMB_W, THUMB_H) if p.startswith("sm_") else (FULL_W, FULL_H)
                    if (w, h) != want:
                        errors.append("%s: size %dx%d" % (p, w, h))
            data = read_profile(path)
            nr = 0
            while str(nr + 1) in data and data[str(nr + 1)].get("型号", "unknown") != "unknown":
                nr += 1
            if len(data) != nr:
                errors.append("%s: sections beyond the first gap" % fname)
            if not 10 <= nr <= 40:
                errors.append("%s: %d records" % (fname, nr))
            models = set()
            curved = fname[:2] in CURVED_KINDS
            keys = set(RECORD_KEYS) | set(CURVE_KEYS if curved else ())
            for n in range(1, nr + 1):
                r = data[str(n)]
                if set(r) != keys or any(not r[x] for x in RECORD_KEYS):
                    errors.append("%s [%d]: keys %s" % (fname, n, sorted(r)))
                    continue
                if r["型号"] in models:
                    errors.append("%s [%d]: model %s twice" % (fname, n, r["型号"]))
                models.add(r["型号"])
                try:
                    q1, q2, h1, h2, p = (float(r[x]) for x in
                                         ("流量1", "流量2", "扬程1", "扬程2", "功率"))
                except ValueError:
                    errors.append("%s [%d]: value not a plain number" % (fname, n))
                    continue
                if not (0 < q1 < q2 and h1 > h2 > 0 and p > 0):
                    errors.append("%s [%d]: ranges %s" % (fname, n, r))
                eff = max(q1 * h1, q2 * h2) / 367.0 / p
                if not 0.15 <= eff <= 0.85:
                    errors.append("%s [%d] %s: hydraulic/motor power %.2f"
                                  % (fname, n, r["型号"], eff))
                for x in ("流量1", "流量2", "扬程1", "扬程2", "功率"):
                    v = r[x]
                    if v != num(float(v)) or (len(v) > 1 and v[0] == "0" and v[1] != "."):
                        errors.append("%s [%d]: number form %s=%s" % (fname, n, x, v))
                if curved:
                    errors.extend("%s [%d] %s: %s" % (fname, n, r["型号"], e)
                                  for e in curve_errors(r))
            total_records += nr
            report.append("  %d %s  %s  %d records" % (m, sec[str(m)], fname, nr))
    for fn in os.listdir(TXT):
        if fn.endswith(".dat") and fn != "bump.dat" and fn not in used_files:
            errors.append("data file %s not referenced" % fn)
    for fn in os.listdir(IMG):
        if fn not in used_pics:
            errors.append("picture %s not referenced" % fn)
    for fn, lo, hi in (("水泵选型.txt", 30, 60), ("水泵厂商.txt", 10, 25)):
        p = os.path.join(TXT, fn)
        if not os.path.isfile(p):
            errors.append("missing %s" % fn)
        else:
            with open(p, "rb") as f:
                n = f.read().count(b"\r\n")
            if not lo <= n <= hi:
                errors.append("%s: %d lines" % (fn, n))
    return errors, report, total_records


def main():
    if "--check" not in sys.argv[1:]:
        build_text()
        build_pictures()
    errors, report, total = check()
    print("\n".join(report))
    print("%d records" % total)
    for e in errors:
        print("ERROR:", e)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
