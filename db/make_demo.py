#!/usr/bin/env python3
"""Writes db/demo.sql, the demo data set loaded after db/schema.sql.

Usage: python3 db/make_demo.py > db/demo.sql

The output is deterministic (fixed random seed), so regenerating it after an edit changes only
what the edit changes. The demo moment is Tuesday 2026-12-08, about 17:45 (evening rush hour).
"""

import random
from datetime import datetime, timedelta

rng = random.Random(20261208)
NOW = datetime(2026, 12, 8, 17, 45, 30)


def stamp(t):
    return t.strftime('%Y-%m-%d %H:%M:%S')


def q(v):
    """SQL literal of a Python value."""
    if v is None:
        return 'NULL'
    if isinstance(v, (int, float)):
        return repr(v)
    return "'" + str(v).replace("'", "''") + "'"


out = []


def insert(table, cols, rows):
    for r in rows:
        out.append('INSERT INTO %s (%s) VALUES (%s);' % (table, ', '.join(cols), ', '.join(q(v) for v in r)))


# ---------------------------------------------------------------------------------------------
# Road axes: (AXLE_ID, AXLE_NAME, ROAD_NUM of its links, kind 'X' expressway / 'U' urban road)
AXES = [
    ('A01', '경부고속도로', '1', 'X'),
    ('A02', '올림픽대로', '110', 'X'),
    ('A03', '강변북로', '120', 'X'),
    ('A04', '서부간선도로', '130', 'X'),
    ('A05', '동부간선도로', '140', 'X'),
    ('A06', '테헤란로', '210', 'U'),
    ('A07', '강남대로', '220', 'U'),
    ('A08', '종로', '230', 'U'),
]
AXIS = {a[0]: a for a in AXES}

# VDS controllers: ATC_ID, spot name, spot location, links [(axis, IOFL_TYPE, lanes, label)]
VDS = [
    ('0101', '한남IC', '서울 서초구 잠원동 경부고속도로 한남IC 부근', [('A01', '1', 4), ('A01', '2', 4)]),
    ('0102', '반포IC', '서울 서초구 반포동 경부고속도로 반포IC 합류부', [('A01', '1', 4), ('A01', '2', 4)]),
    ('0103', '서초IC', '서울 서초구 서초동 경부고속도로 서초IC 부근', [('A01', '1', 4), ('A01', '2', 4)]),
    ('0104', '양재IC', '서울 서초구 양재동 경부고속도로 양재IC 진입로',
     [('A01', '1', 3), ('A01', '2', 3), ('A01', '1', 1)]),  # main line both ways and the on-ramp
    ('0105', '달래내고개', '서울 서초구 원지동 경부고속도로 달래내고개', [('A01', '1', 4), ('A01', '2', 4)]),
    ('0106', '판교JC', '경기 성남시 분당구 삼평동 경부고속도로 판교JC', [('A01', '1', 3), ('A01', '2', 3)]),
    ('0201', '가양대교 남단', '서울 강서구 가양동 올림픽대로 가양대교 남단', [('A02', '1', 3), ('A02', '2', 3)]),
    ('0202', '염창IC', '서울 강서구 염창동 올림픽대로 염창IC', [('A02', '1', 3), ('A02', '2', 3)]),
    ('0203', '여의하류IC 진입로', '서울 영등포구 여의도동 올림픽대로 여의하류IC 진입로', [('A02', '1', 2)]),
    ('0204', '동작대교 남단', '서울 동작구 동작동 올림픽대로 동작대교 남단', [('A02', '1', 3), ('A02', '2', 3)]),
    ('0205', '반포대교 남단', '서울 서초구 반포동 올림픽대로 반포대교 남단', [('A02', '1', 4), ('A02', '2', 4)]),
    ('0206', '한남대교 남단', '서울 서초구 잠원동 올림픽대로 한남대교 남단', [('A02', '1', 4), ('A02', '2', 3)]),
    ('0207', '청담대교 남단', '서울 강남구 청담동 올림픽대로 청담대교 남단', [('A02', '1', 3), ('A02', '2', 3)]),
    ('0301', '가양대교 북단', '서울 마포구 상암동 강변북로 가양대교 북단', [('A03', '1', 3), ('A03', '2', 3)]),
    ('0302', '성산대교 북단', '서울 마포구 망원동 강변북로 성산대교 북단', [('A03', '1', 3), ('A03', '2', 3)]),
    ('0303', '마포대교 북단', '서울 마포구 마포동 강변북로 마포대교 북단', [('A03', '1', 3), ('A03', '2', 3)]),
    ('0304', '원효대교 북단', '서울 용산구 원효로4가 강변북로 원효대교 북단', [('A03', '1', 2), ('A03', '2', 2)]),
    ('0305', '한강대교 북단', '서울 용산구 이촌동 강변북로 한강대교 북단', [('A03', '1', 3), ('A03', '2', 3)]),
    ('0306', '한남대교 북단', '서울 용산구 한남동 강변북로 한남대교 북단', [('A03', '1', 4), ('A03', '2', 4)]),
    ('0307', '성수JC', '서울 성동구 성수동1가 강변북로·동부간선도로 성수JC',
     [('A03', '1', 2), ('A03', '2', 2), ('A05', '1', 2)]),  # detectors on two axes
    ('0401', '성산대교 남단', '서울 영등포구 양평동 서부간선도로 성산대교 남단', [('A04', '1', 2), ('A04', '2', 2)]),
    ('0402', '오목교', '서울 양천구 목동 서부간선도로 오목교 부근', [('A04', '1', 3), ('A04', '2', 3)]),
    ('0403', '석수IC', '서울 금천구 독산동 서부간선도로 석수IC 부근', [('A04', '1', 2), ('A04', '2', 2)]),
    ('0501', '군자교', '서울 성동구 용답동 동부간선도로 군자교 부근', [('A05', '1', 3), ('A05', '2', 3)]),
    ('0502', '월릉교', '서울 노원구 월계동 동부간선도로 월릉교 부근', [('A05', '1', 3), ('A05', '2', 3)]),
    ('0503', '상계교', '서울 노원구 상계동 동부간선도로 상계교 부근', [('A05', '1', 2), ('A05', '2', 2)]),
    ('0611', '역삼-선릉 구간', '서울 강남구 역삼동 테헤란로 역삼역~선릉역 중간', [('A06', '1', 4), ('A06', '2', 4)]),
    ('0711', '논현역 부근', '서울 강남구 논현동 강남대로 논현역 부근', [('A07', '1', 3), ('A07', '2', 3)]),
    ('0712', '뱅뱅사거리 북측', '서울 서초구 서초동 강남대로 뱅뱅사거리 북측', [('A07', '1', 3), ('A07', '2', 3)]),
    ('0811', '종로2가 구간', '서울 종로구 종로2가 종로 종로타워 앞', [('A08', '1', 2), ('A08', '2', 2)]),
]

# New-signal controllers: ATC_ID, spot name, location, approaches [(CROS_DIR_TYPE, axis)]
SGL = [
    ('0601', '강남역 교차로', '서울 강남구 역삼동 테헤란로·강남대로 강남역 교차로',
     [('1', 'A07'), ('2', 'A06'), ('3', 'A07'), ('4', 'A06')]),
    ('0602', '역삼역 교차로', '서울 강남구 역삼동 테헤란로 역삼역 교차로', [('1', 'A06'), ('2', 'A06'), ('3', 'A06'), ('4', 'A06')]),
    ('0603', '선릉역 교차로', '서울 강남구 대치동 테헤란로 선릉역 교차로', [('1', 'A06'), ('2', 'A06'), ('3', 'A06'), ('4', 'A06')]),
    ('0701', '신사역 교차로', '서울 강남구 신사동 강남대로 신사역 교차로', [('1', 'A07'), ('2', 'A07'), ('3', 'A07'), ('4', 'A07')]),
    ('0702', '신논현역 교차로', '서울 강남구 논현동 강남대로 신논현역 교차로', [('1', 'A07'), ('2', 'A07'), ('3', 'A07'), ('4', 'A07')]),
    ('0703', '양재역 교차로', '서울 서초구 서초동 강남대로 양재역 교차로', [('1', 'A07'), ('2', 'A07'), ('3', 'A07')]),
    ('0801', '종로3가 교차로', '서울 종로구 종로3가 종로 종로3가 교차로', [('1', 'A08'), ('2', 'A08'), ('3', 'A08'), ('4', 'A08')]),
    ('0802', '동대문 교차로', '서울 종로구 종로6가 종로 동대문 교차로', [('1', 'A08'), ('2', 'A08'), ('3', 'A08'), ('4', 'A08')]),
]

OUT_OF_OPERATION = {'0207', '0305', '0503', '0802'}
# (ATC_ID, LANE_NUM) of detectors out of operation
OVD_OFF = {('0103', 6), ('0204', 2), ('0402', 3), ('0603', 5)}
NO_PARAMS = {'0403'}                 # an operating VDS controller with no parameter rows
COM_LOST = '0302'                    # operating, communication lost since the night before
COM_LOST_SINCE = datetime(2026, 12, 7, 23, 58, 30)

VERSIONS = ['V1.2', 'V1.2', 'V1.3', 'V2.0', 'V2.1']

# ---------------------------------------------------------------------------------------------
# Build links, detectors and controllers.
links = []        # (LINK_ID, AXLE_ID, ROAD_NUM, IOFL_TYPE, CROS_DIR_TYPE)
ovds = []         # (ATC_ID, LINK_ID, LANE_NUM, OPER_STAT, IOFL_TYPE)
atcs = []         # (ATC_ID, ATC_NUM, EQUP_TYPE, OPER_STAT, SET_SPOT_ID, ATC_VER, ATC_CRTE_DATE)
spots = []        # (SPOT_ID, SPOT_NAME, SPOT_LOCA)


def add_controller(atc_id, equp_type, name, loca):
    spot_id = 'S' + atc_id
    spots.append((spot_id, name, loca))
    year = 2004 + rng.randrange(0, 16)
    crte = '%04d%02d%02d' % (year, rng.randrange(1, 13), rng.randrange(1, 29))
    ver = VERSIONS[min(len(VERSIONS) - 1, (year - 2004) // 3)]
    atcs.append((atc_id, int(atc_id), equp_type, 'N' if atc_id in OUT_OF_OPERATION else 'Y',
                 spot_id, ver, crte))


for atc_id, name, loca, lks in VDS:
    add_controller(atc_id, '2', name, loca)
    lane = 0
    for k, (axis, iofl, n) in enumerate(lks, 1):
        link_id = '11%s%02d00' % (atc_id, k)
        links.append((link_id, axis, AXIS[axis][2], iofl, None))
        for _ in range(n):
            lane += 1
            ovds.append((atc_id, link_id, lane, 'N' if (atc_id, lane) in OVD_OFF else 'Y', iofl))

for atc_id, name, loca, apps in SGL:
    add_controller(atc_id, '1', name, loca)
    lane = 0
    for k, (cros, axis) in enumerate(apps, 1):
        for iofl in ('1', '2'):          # each approach: one inflow and one outflow link
            link_id = '11%s%s%s00' % (atc_id, cros, iofl)
            links.append((link_id, axis, AXIS[axis][2], iofl, cros))
            lane += 1
            ovds.append((atc_id, link_id, lane, 'N' if (atc_id, lane) in OVD_OFF else 'Y', iofl))

ATC = {a[0]: a for a in atcs}
VDS_IDS = [v[0] for v in VDS]
SGL_IDS = [s[0] for s in SGL]


def lanes_of(atc_id, iofl=None, operating_only=False):
    return [o[2] for o in ovds if o[0] == atc_id and (iofl is None or o[4] == iofl)
            and (not operating_only or o[3] == 'Y')]


def directions(atc_id):
    return sorted({o[4] for o in ovds if o[0] == atc_id})


# ---------------------------------------------------------------------------------------------
out.append('-- Demo data of the traffic-centre programs: a Seoul-area centre on Tuesday 2026-12-08,')
out.append('-- evening rush hour (about 17:45). Load after schema.sql into a fresh database.')
out.append('-- Written by db/make_demo.py; edit that script and regenerate rather than this file.')
out.append('BEGIN TRANSACTION;')

out.append('\n-- Road axes')
insert('AXLE_INFO', ['AXLE_ID', 'AXLE_NAME'], [(a[0], a[1]) for a in AXES])

out.append('\n-- Road links: IOFL_TYPE 1 inflow, 2 outflow; new-signal links carry their approach')
insert('ROAD_LINK_INFO', ['LINK_ID', 'AXLE_ID', 'ROAD_NUM', 'IOFL_TYPE', 'CROS_DIR_TYPE'], links)

out.append('\n-- Survey points (where each controller is installed)')
insert('SPOT_INFO', ['SPOT_ID', 'SPOT_NAME', 'SPOT_LOCA'], spots)

out.append('\n-- Controllers: EQUP_TYPE 2 VDS, 1 new signal; OPER_STAT N out of operation')
insert('ATC_INFO', ['ATC_ID', 'ATC_NUM', 'EQUP_TYPE', 'OPER_STAT', 'SET_SPOT_ID', 'ATC_VER', 'ATC_CRTE_DATE'], atcs)

out.append('\n-- Detectors, one per lane; lanes numbered 1..n per controller')
insert('OVD_INFO', ['ATC_ID', 'LINK_ID', 'LANE_NUM', 'OPER_STAT'], [o[:4] for o in ovds])

# ---------------------------------------------------------------------------------------------
# Survey-point groups. Group number '0' is the one the trees list.
GROUPS = [
    ('0', '기본 조사지점군', 'R01', '도심권 조사지점', ['0203', '0204', '0303', '0304', '0305', '0306']),
    ('0', '기본 조사지점군', 'R02', '강남권 조사지점', ['0101', '0102', '0103', '0104', '0205', '0206', '0207', '0306']),
    ('0', '기본 조사지점군', 'R03', '강서권 조사지점', ['0201', '0202', '0301', '0302', '0401', '0402', '0403']),
    ('0', '기본 조사지점군', 'R04', '동북권 조사지점', ['0307', '0501', '0502', '0503']),
    ('0', '기본 조사지점군', 'R05', '경기남부 조사지점', ['0105', '0106']),
    ('0', '기본 조사지점군', 'R06', '테헤란로·강남대로 조사지점', ['0611', '0711', '0601', '0602', '0603', '0701', '0702', '0703']),
    ('0', '기본 조사지점군', 'R07', '종로 조사지점', ['0811', '0801', '0802']),
    ('1', '상습정체 조사지점군', 'R11', '출근시간 정체구간', ['0102', '0204', '0302']),
    ('1', '상습정체 조사지점군', 'R12', '한강교량 진출입부', ['0206', '0207', '0306']),
]
out.append('\n-- Survey-point groups: group number 0 (the trees) and 1')
insert('RESR_SPOT_INFO', ['RESR_GRUP_NUM', 'RESR_GRUP_NAME', 'RESR_SPOT_ID', 'RESR_NAME'],
       [g[:4] for g in GROUPS])
out.append('\n-- Survey points of each group')
insert('RESR_SPOT_CONF_INFO', ['RESR_GRUP_NUM', 'RESR_SPOT_ID', 'SPOT_ID'],
       [(g[0], g[2], 'S' + a) for g in GROUPS for a in g[4]])

out.append('\n-- Codes')
insert('BASE_CODE_INFO', ['CODE_TYPE', 'SYS_CODE', 'SYS_CODE_NAME'], [
    ('VD_EK', '1', '신신호'),
    ('VD_EK', '2', 'VDS'),
    ('TRAF_STAT', '1', '원활'),
    ('TRAF_STAT', '2', '서행'),
    ('TRAF_STAT', '3', '정체'),
    ('IOFL_TYPE', '1', '유입'),
    ('IOFL_TYPE', '2', '유출'),
    ('CROS_DIR', '1', '북측 접근로'),
    ('CROS_DIR', '2', '동측 접근로'),
    ('CROS_DIR', '3', '남측 접근로'),
    ('CROS_DIR', '4', '서측 접근로'),
    ('OPER_STAT', 'Y', '운영'),
    ('OPER_STAT', 'N', '미운영'),
])

# ---------------------------------------------------------------------------------------------
# Newest traffic. Evening rush: outflow (leaving the centre) is the slow direction.
# Per 30-second collection period and direction.
SPEED = {'1': (72, 96), '2': (32, 62), '3': (8, 28)}       # km/h by TRAF_STAT, expressways
SPEED_U = {'1': (38, 55), '2': (18, 32), '3': (5, 16)}     # urban roads
OCCU = {'1': (5, 16), '2': (18, 36), '3': (40, 72)}
PER_LANE = {'1': (7, 11), '2': (8, 12), '3': (3, 7)}


def pick_stat(iofl):
    weights = [5, 3, 1] if iofl == '1' else [2, 3, 3]
    return rng.choices(['1', '2', '3'], weights)[0]


def speed_value(lo, hi):
    kind = rng.randrange(3)
    if kind == 0:
        return float(rng.randrange(lo, hi))
    if kind == 1:
        return round(rng.uniform(lo, hi), 1)
    return round(rng.uniform(lo, hi), 3)   # shown rounded to two decimals by the queries


new_traf = []
for atc_id in VDS_IDS + SGL_IDS:
    if ATC[atc_id][3] != 'Y':
        continue
    urban = AXIS[next(l[1] for l in links if l[0] == next(o[1] for o in ovds if o[0] == atc_id))][3] == 'U'
    for iofl in directions(atc_id):
        st = pick_stat(iofl)
        if atc_id == '0306' and iofl == '2':
            st = '3'                        # a jam to look at
        if atc_id == '0101':
            st = '1' if iofl == '1' else '2'
        lo, hi = (SPEED_U if urban else SPEED)[st]
        n = len(lanes_of(atc_id, iofl))
        t = NOW - timedelta(seconds=rng.choice([0, 0, 0, 30]))
        if atc_id == COM_LOST:
            t = COM_LOST_SINCE
        new_traf.append((atc_id, iofl, stamp(t), n * rng.randrange(*PER_LANE[st]), speed_value(lo, hi),
                         round(rng.uniform(*OCCU[st]), 1), st))
out.append('\n-- Newest traffic per controller and direction (TRAF_STAT 1 원활, 2 서행, 3 정체)')
insert('ATC_NEW_TRAF_INFO', ['ATC_ID', 'IOFL_TYPE', 'TYPE_TIME', 'TRAF', 'SPED', 'OCCU_RATE', 'TRAF_STAT'], new_traf)

cosm = []
for atc_id, _, _, apps in SGL:
    if ATC[atc_id][3] != 'Y':
        continue
    for cros, _ in apps:
        st = rng.choice(['1', '2', '2', '3'])
        lo, hi = SPEED_U[st]
        sped = float(rng.randrange(lo, hi)) if rng.randrange(2) else round(rng.uniform(lo, hi), 1)
        cosm.append((atc_id, cros, stamp(NOW), sped, rng.randrange(2, 12),
                     rng.randrange(12, 40), rng.randrange(3, 15)))
out.append('\n-- Newest traffic of the new-signal intersections, per approach')
insert('COSM_NEW_TRAF_INFO', ['ATC_ID', 'CROS_DIR_TYPE', 'TYPE_TIME', 'SPED', 'LEFT_TRAF', 'STGH_TRAF', 'RIGH_TRAF'], cosm)

# ---------------------------------------------------------------------------------------------
# Newest equipment status; '1' is normal.
FLAGS = ['HRCL', 'HPOS', 'HROM', 'HRAM', 'SUMT', 'SLPF', 'SSPF', 'SDOO', 'SFAF', 'SCOR', 'SACK']
FAULTS = {
    '0103': {'SLPF': '0'},                    # loop fault (a detector is out of operation)
    '0205': {'SDOO': '0'},                    # cabinet door open only
    '0302': {'COM_ERR_STAT': '0'},            # communication lost
    '0402': {'HRAM': '0', 'SSPF': '0'},       # RAM and speed-loop faults
    '0502': {'SCOR': None},                   # a flag not reported (NULL)
    '0702': {'SFAF': '0'},                    # new signal: fault in one flag
}
stat_rows = []
for atc_id in VDS_IDS + SGL_IDS:
    flags = {f: '1' for f in FLAGS + ['COM_ERR_STAT']}
    t = NOW - timedelta(seconds=rng.randrange(0, 25))
    if ATC[atc_id][3] != 'Y':
        flags['COM_ERR_STAT'] = '0'           # out of operation: no communication
        t = datetime(2026, 11, 30, 10, 0, 0) + timedelta(minutes=rng.randrange(0, 600))
    flags.update(FAULTS.get(atc_id, {}))
    if atc_id == COM_LOST:
        t = COM_LOST_SINCE
    stat_rows.append([atc_id, stamp(t)] + [flags[f] for f in FLAGS + ['COM_ERR_STAT']])
out.append('\n-- Newest equipment status per controller')
insert('EQUP_STAT_HIST_NEW_INFO', ['ATC_ID', 'STAT_TIME'] + FLAGS + ['COM_ERR_STAT'], stat_rows)

# ---------------------------------------------------------------------------------------------
# Parameters reported by the VDS controllers.
SPD_CATS = [
    ''.join('%03d' % v for v in range(10, 121, 10)),        # 010 .. 120
    ''.join('%03d' % v for v in range(20, 131, 10)),        # 020 .. 130
    ''.join('%03d' % v for v in range(15, 181, 15)),        # 015 .. 180
    ''.join('%03d' % v for v in [10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 120, 150]),
]
LEN_CATS = ['045007501200', '050008001300', '040007001100', '055009001600']
PULSES = ['005010', '004008', '006012', '003007']
SPEED_OFF = {'0104': {7}, '0307': {5, 6}}   # ramp / junction lanes count vehicles only
OLDER_PARAMS = ['0101', '0102', '0201', '0306', '0402', '0501']


def loop_text(bits):
    s = ''.join(bits)
    return s + '0' * (32 - len(s))


def params_of(atc_id, older):
    lanes = lanes_of(atc_id)
    in_use = ['1' if (atc_id, l) not in OVD_OFF else '0' for l in lanes]
    if older:
        in_use = ['1'] * len(lanes)        # before a detector went out of operation
    speed = [b if lane not in SPEED_OFF.get(atc_id, ()) else '0' for b, lane in zip(in_use, lanes)]
    h = int(atc_id)
    values = {
        1: loop_text(in_use),
        2: loop_text(speed),
        3: '60' if older else ('60' if atc_id == '0811' else '20' if atc_id == '0501' else '30'),
        4: PULSES[0] if older else PULSES[h % 4],
        5: SPD_CATS[0] if older else SPD_CATS[(h // 3) % 4],
        6: LEN_CATS[0] if older else LEN_CATS[(h // 2) % 4],
        12: '200' if older else ['250', '300', '250', '280'][h % 4],
        13: '180' if older else ['200', '200', '180', '160'][h % 4],
        14: '1600' if older else ['1800', '2000', '1800', '1600'][h % 4],
    }
    return values


COL = {1: 'PARA001_VALU', 2: 'PARA002_VALU', 3: 'PARA003_VALU', 4: 'PARA004_VALU', 5: 'PARA005_VALU',
       6: 'PARA006_VALU', 12: 'PARA012_VALU', 13: 'PARA013_VALU', 14: 'PARA014_VALU'}
para_rows = []
for atc_id in VDS_IDS:
    if atc_id in NO_PARAMS:
        continue
    versions = [(False, datetime(2026, 12, 8, 9, 0, 0) + timedelta(minutes=rng.randrange(0, 300)))]
    if atc_id in OLDER_PARAMS:
        versions.insert(0, (True, datetime(2026, 11, 20, 10, 0, 0) + timedelta(minutes=rng.randrange(0, 400))))
    for older, t in versions:
        values = params_of(atc_id, older)
        for i, idx in enumerate(COL):
            row = {'ATC_ID': atc_id, 'PARA_INDX': idx, 'MAGM_TIME': stamp(t + timedelta(seconds=2 * i)),
                   COL[idx]: values[idx]}
            para_rows.append(row)
out.append('\n-- Parameter history: the newest MAGM_TIME per controller and index is current')
for r in para_rows:
    cols = list(r)
    out.append('INSERT INTO ATC_PARA_HIST_INFO (%s) VALUES (%s);' % (', '.join(cols), ', '.join(q(r[c]) for c in cols)))

# ---------------------------------------------------------------------------------------------
# Management replies (THRESHOLD, seconds since loss of communication, memory, echo).
MAGM_NONE = {'0207', '0403', '0503', '0712'}
NEWER_MAGM = {
    '0102': {'THRESHOLD': 1},
    '0105': {'ONLINE_STATUS': 59},
    '0201': {'ONLINE_STATUS': 3725},
    '0303': {'MEMORY': 'E'},
    '0401': {'ECHO': 'loop'},
    '0611': {'ECHO': ' loop test '},
    '0502': {'ECHO': '점검중'},
}
OLDER_MAGM = {
    '0101': {'ECHO': 'hello'},
    '0204': {'MEMORY': 'E'},
    '0302': {},
    '0306': {'THRESHOLD': 0},
    '0501': {'ONLINE_STATUS': 120},
}
magm = []
for atc_id in VDS_IDS:
    if atc_id in MAGM_NONE:
        continue
    t = datetime(2026, 12, 8, 10, 0, 0) + timedelta(seconds=rng.randrange(0, 7 * 3600))
    base = {'THRESHOLD': 0, 'ONLINE_STATUS': 0, 'MEMORY': 'N', 'ECHO': 'loop test'}
    if atc_id in OLDER_MAGM:
        older = dict(base, **OLDER_MAGM[atc_id])
        ot = t - timedelta(days=3, minutes=rng.randrange(0, 600))
        magm.append((atc_id, stamp(ot), older['THRESHOLD'], older['ONLINE_STATUS'], older['MEMORY'], older['ECHO']))
    newer = dict(base, **NEWER_MAGM.get(atc_id, {}))
    if atc_id == '0306':
        newer['THRESHOLD'] = 1
    if atc_id == COM_LOST:
        t = datetime(2026, 12, 8, 17, 40, 5)
        newer['ONLINE_STATUS'] = int((t - COM_LOST_SINCE).total_seconds())
    magm.append((atc_id, stamp(t), newer['THRESHOLD'], newer['ONLINE_STATUS'], newer['MEMORY'], newer['ECHO']))
out.append('\n-- Management replies (ONLINE_STATUS in seconds, MEMORY N normal)')
insert('OVD_MAGM_HIST_INFO', ['ATC_ID', 'MAGM_RESP_TIME', 'THRESHOLD', 'ONLINE_STATUS', 'MEMORY', 'ECHO'], magm)

# ---------------------------------------------------------------------------------------------
# Accumulated traffic per lane: (ATC_ID, first stamp, step in minutes, count)
ACCU = [
    ('0102', datetime(2026, 12, 8, 6, 0), 15, 12),
    ('0204', datetime(2026, 12, 8, 7, 0), 5, 24),
    (COM_LOST, datetime(2026, 12, 8, 0, 0), 5, 48),
    ('0306', datetime(2026, 12, 8, 6, 30), 5, 24),
    ('0402', datetime(2026, 12, 8, 5, 0), 15, 12),
    ('0501', datetime(2026, 12, 8, 7, 0), 5, 12),
]
USED = {('0102', 0), ('0306', 0)}     # (controller, stamp index) already taken over: USED_STAT 1


def accu_profile(t, iofl):
    """(speed range, vehicles per lane and minute, occupancy) at time t for a direction."""
    h = t.hour + t.minute / 60.0
    if h < 5:
        return (85, 102), (1, 6), (1, 4)
    if 7 <= h < 9.5 and iofl == '1':       # morning rush into the centre
        return (18, 45), (18, 26), (28, 55)
    if 6 <= h < 9.5:
        return (55, 85), (14, 22), (10, 22)
    return (70, 95), (6, 14), (4, 12)


accu = []
for atc_id, t0, step, count in ACCU:
    lanes = [(o[2], o[4]) for o in ovds if o[0] == atc_id and o[3] == 'Y']
    for k in range(count):
        t = t0 + timedelta(minutes=step * k)
        for lane, iofl in lanes:
            sp, per_min, oc = accu_profile(t, iofl)
            accu.append((atc_id, lane, stamp(t), speed_value(*sp), rng.randrange(*per_min) * step,
                         round(rng.uniform(*oc), 1), 1 if (atc_id, k) in USED else 0))
out.append('\n-- Accumulated traffic per lane (USED_STAT 0 not yet taken over)')
insert('ACCU_TRAF_INFO', ['ATC_ID', 'LANE_NUM', 'DETC_TIME', 'SPED', 'TRAF', 'OCCU_RATE', 'USED_STAT'], accu)

out.append('\nCOMMIT;')
print('\n'.join(out))
